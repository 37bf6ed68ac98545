#ifndef VELMORA_TABS_RADIOTAB_H
#define VELMORA_TABS_RADIOTAB_H

#include <QWidget>

class QComboBox;
class QLineEdit;

/// The "General" tab: DTMF delay, minimum volume, serial number, user
/// description, the internal radio and the hidden railroad list.
class RadioTab : public QWidget
{
    Q_OBJECT

public:
    explicit RadioTab(QWidget *parent);

    /// Serial dialog's last chosen port index; 100 means none chosen yet.
    int serialPortIndex = 100;
    QLineEdit *dtmfDelayEdit = nullptr;
    QLineEdit *minVolumeEdit = nullptr;
    QLineEdit *serialNumberEdit = nullptr;
    QLineEdit *userDescriptionEdit = nullptr;
    QComboBox *internalRadioCombo = nullptr;
    QComboBox *railroadCombo = nullptr;

private slots:
    void getValue_2_1();
    void getValue_2_2();
    void getValue_2_3();
    void getValue_2_4();
    void getComboBox1();
    void getComboBoxRR();
};

#endif
