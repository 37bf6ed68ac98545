#ifndef VELMORA_TABS_NETWORKTAB_H
#define VELMORA_TABS_NETWORKTAB_H

#include <QWidget>

class QLineEdit;

/// The "Network Info" tab: the unit's own IP address, subnet mask and gateway.
class NetworkTab : public QWidget
{
    Q_OBJECT

public:
    explicit NetworkTab(QWidget *parent);

    QLineEdit *ipEdit = nullptr;
    QLineEdit *subnetMaskEdit = nullptr;
    QLineEdit *gatewayEdit = nullptr;

public slots:
    void getValue1();
    void getValue2();
    void getValue3();
};

#endif
