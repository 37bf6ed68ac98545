#ifndef VELMORA_TABS_FEATURETAB_H
#define VELMORA_TABS_FEATURETAB_H

#include <QWidget>

class QCheckBox;

/// The "Optional Features" tab: sixteen feature bits, five of them shown.
class FeatureTab : public QWidget
{
    Q_OBJECT

public:
    explicit FeatureTab(QWidget *parent);

    /// One character per bit, bit 15 first; null until the first box changes.
    QString checks;
    /// featureBoxes[i] stands for bit i of the feature word.
    QCheckBox *featureBoxes[16] = {};

    /// The feature word as the boxes show it now.
    quint16 featureWord() const;
    /// Sets every box from bit 15 down to bit 0.
    void setFeatureWord(quint16 word);

public slots:
    void getChecks();
};

#endif
