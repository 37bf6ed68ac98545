#include "tabs/radiotab.h"

#include "link/acceptance.h"
#include "link/radioconfig.h"
#include "tabs/colour.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace {
const char *const whiteBackground = "background-color: white";
}

RadioTab::RadioTab(QWidget *parent) : QWidget(parent)
{
    serialPortIndex = 100;

    auto *dtmfDelayLabel = new QLabel(tr("DTMF Delay"));
    dtmfDelayLabel->setAlignment(Qt::AlignBottom);
    auto *minVolumeLabel = new QLabel(tr("Minimum Volume"));
    minVolumeLabel->setAlignment(Qt::AlignBottom);
    auto *serialNumberLabel = new QLabel(tr("Serial Number"));
    serialNumberLabel->setAlignment(Qt::AlignBottom);
    auto *userDescriptionLabel = new QLabel(tr("User Description"));
    userDescriptionLabel->setAlignment(Qt::AlignBottom);

    dtmfDelayEdit = new QLineEdit;
    minVolumeEdit = new QLineEdit;
    serialNumberEdit = new QLineEdit;
    serialNumberEdit->setReadOnly(true);
    userDescriptionEdit = new QLineEdit;

    for (QLabel *label :
         {dtmfDelayLabel, minVolumeLabel, serialNumberLabel, userDescriptionLabel}) {
        label->setMaximumWidth(100);
        label->setMinimumHeight(30);
        // A caption wider than its 100 pixels in the desktop's font wraps
        // instead of losing its last letters.
        label->setWordWrap(true);
    }
    dtmfDelayEdit->setMaximumWidth(30);
    minVolumeEdit->setMaximumWidth(30);
    serialNumberEdit->setMaximumWidth(120);
    userDescriptionEdit->setMaximumWidth(120);
    for (QLineEdit *edit : {dtmfDelayEdit, minVolumeEdit, serialNumberEdit, userDescriptionEdit})
        edit->setMinimumHeight(25);

    auto *internalRadioLabel = new QLabel(tr("Internal Radio"));
    internalRadioLabel->setAlignment(Qt::AlignBottom);

    internalRadioCombo = new QComboBox(this);
    for (const char *name : internalRadioNames)
        internalRadioCombo->addItem(tr(name));

    // Hidden for the whole run, yet saved, sent and set like the visible list.
    railroadCombo = new QComboBox(this);
    railroadCombo->setVisible(false);
    for (const char *name : railroadNames)
        railroadCombo->addItem(tr(name));

    for (QComboBox *combo : {internalRadioCombo, railroadCombo}) {
        combo->setMaximumWidth(100);
        combo->setMinimumHeight(30);
    }

    dtmfDelayEdit->setStyleSheet(whiteBackground);
    minVolumeEdit->setStyleSheet(whiteBackground);
    userDescriptionEdit->setStyleSheet(whiteBackground);
    railroadCombo->setStyleSheet(whiteBackground);
    internalRadioCombo->setStyleSheet(whiteBackground);
    serialNumberEdit->setStyleSheet("QLineEdit { background: #d3d3d3; } ");

    auto *layout = new QGridLayout;
    layout->addWidget(dtmfDelayLabel, 0, 0);
    layout->addWidget(dtmfDelayEdit, 1, 0);
    layout->addWidget(minVolumeLabel, 2, 0);
    layout->addWidget(minVolumeEdit, 3, 0);
    layout->addWidget(serialNumberLabel, 4, 0);
    layout->addWidget(serialNumberEdit, 5, 0);
    layout->addWidget(userDescriptionLabel, 6, 0);
    layout->addWidget(userDescriptionEdit, 7, 0);
    layout->addWidget(internalRadioLabel, 0, 1);
    layout->addWidget(internalRadioCombo, 1, 1);
    layout->addWidget(railroadCombo, 4, 1);
    setLayout(layout);

    connect(dtmfDelayEdit, SIGNAL(textChanged(QString)), this, SLOT(getValue_2_1()));
    connect(minVolumeEdit, SIGNAL(textChanged(QString)), this, SLOT(getValue_2_2()));
    connect(serialNumberEdit, SIGNAL(textChanged(QString)), this, SLOT(getValue_2_3()));
    connect(userDescriptionEdit, SIGNAL(textChanged(QString)), this, SLOT(getValue_2_4()));
    connect(internalRadioCombo, SIGNAL(currentIndexChanged(int)), this, SLOT(getComboBox1()));
    connect(railroadCombo, SIGNAL(currentIndexChanged(int)), this, SLOT(getComboBoxRR()));

    // After the connections, so that the initial texts are coloured too.
    const GeneralSettings fresh = freshConfig().general;
    dtmfDelayEdit->setText(fresh.dtmfDelay);
    minVolumeEdit->setText(fresh.minVolume);
    serialNumberEdit->setText(fresh.serialNumber);
    userDescriptionEdit->setText(fresh.userDescription);
}

void RadioTab::getValue_2_1()
{
    applyTextColour(dtmfDelayEdit, Acceptance::dtmfDelay(dtmfDelayEdit->text()));
}

void RadioTab::getValue_2_2()
{
    applyTextColour(minVolumeEdit, Acceptance::minVolume(minVolumeEdit->text()));
}

void RadioTab::getValue_2_3()
{
    applyTextColour(serialNumberEdit, Acceptance::fixedText(serialNumberEdit->text()));
}

void RadioTab::getValue_2_4()
{
    applyTextColour(userDescriptionEdit, Acceptance::fixedText(userDescriptionEdit->text()));
}

void RadioTab::getComboBox1() {}

void RadioTab::getComboBoxRR() {}
