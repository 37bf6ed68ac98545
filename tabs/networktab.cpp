#include "tabs/networktab.h"

#include "link/acceptance.h"
#include "link/radioconfig.h"
#include "tabs/colour.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

NetworkTab::NetworkTab(QWidget *parent) : QWidget(parent)
{
    auto *ipLabel = new QLabel(tr("IP"));
    auto *subnetMaskLabel = new QLabel(tr("Subnet Mask"));
    auto *gatewayLabel = new QLabel(tr("Default Gateway"));

    ipEdit = new QLineEdit;
    subnetMaskEdit = new QLineEdit;
    gatewayEdit = new QLineEdit;

    for (QLineEdit *edit : {ipEdit, subnetMaskEdit, gatewayEdit}) {
        edit->setStyleSheet("background-color: white");
        edit->setMaximumWidth(100);
    }

    auto *layout = new QVBoxLayout;
    layout->addWidget(ipLabel);
    layout->addWidget(ipEdit);
    layout->addWidget(subnetMaskLabel);
    layout->addWidget(subnetMaskEdit);
    layout->addWidget(gatewayLabel);
    layout->addWidget(gatewayEdit);
    layout->addStretch(1);
    setLayout(layout);

    connect(ipEdit, SIGNAL(textChanged(QString)), this, SLOT(getValue1()));
    connect(subnetMaskEdit, SIGNAL(textChanged(QString)), this, SLOT(getValue2()));
    connect(gatewayEdit, SIGNAL(textChanged(QString)), this, SLOT(getValue3()));

    const GeneralSettings fresh = freshConfig().general;
    ipEdit->setText(fresh.ip);
    subnetMaskEdit->setText(fresh.subnetMask);
    gatewayEdit->setText(fresh.gateway);
}

void NetworkTab::getValue1()
{
    applyTextColour(ipEdit, Acceptance::address(ipEdit->text()));
}

void NetworkTab::getValue2()
{
    applyTextColour(subnetMaskEdit, Acceptance::address(subnetMaskEdit->text()));
}

void NetworkTab::getValue3()
{
    applyTextColour(gatewayEdit, Acceptance::address(gatewayEdit->text()));
}
