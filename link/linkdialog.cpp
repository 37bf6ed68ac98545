#include "link/linkdialog.h"

#include "app/mainwindow.h"
#include "link/answers.h"
#include "link/configsnapshot.h"
#include "link/frames.h"
#include "tabs/featuretab.h"
#include "tabs/networktab.h"
#include "tabs/radiotab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

LinkDialog::LinkDialog(QWidget *parent) : QDialog(parent)
{
    trafficLabel = new QLabel(this);
    statusLabel = new QLabel(this);
    progressBar = new QProgressBar(this);
    homeBypassCheckBox = new QCheckBox(tr("Home Bypass"), this);

    trafficLabel->setMaximumWidth(220);
    statusLabel->setMaximumWidth(220);
    progressBar->setFixedWidth(100);
    progressBar->setTextVisible(false);
    progressBar->setStyleSheet("background-color: white");
}

void LinkDialog::showResponse(QByteArray response)
{
    ++transactionCount;
    trafficLabel->setText(tr("Traffic, transaction #%1:").arg(transactionCount));
    // A value above the maximum is refused by the bar, which keeps the old one.
    progressBar->setMaximum(homeBypassCheckBox->isChecked() ? Frames::LastBypassIndex
                                                            : Frames::CommandCount - 1);
    progressBar->setValue(transactionCount);

    const Answer answer = parseAnswer(response);
    switch (answer.kind) {
    case Answer::ChannelError:
    case Answer::AddressError:
    case Answer::ParameterError:
        parameterError = 1;
        statusLabel->setText(tr(errorText(answer.kind)));
        break;
    default:
        if (MainWindow *window = linkWindow())
            applyAnswer(answer, window);
        break;
    }
}

void LinkDialog::applyAnswer(const Answer &answer, MainWindow *window)
{
    RadioTab *radio = window->radioTab;
    NetworkTab *network = window->networkTab;
    switch (answer.kind) {
    case Answer::DtmfDelay:
        radio->dtmfDelayEdit->setText(answer.text);
        break;
    case Answer::MinVolume:
        radio->minVolumeEdit->setText(answer.text);
        break;
    case Answer::SerialNumber:
        radio->serialNumberEdit->setText(answer.text);
        break;
    case Answer::UserDescription:
        radio->userDescriptionEdit->setText(answer.text);
        break;
    case Answer::Ip:
        network->ipEdit->setText(answer.text);
        break;
    case Answer::SubnetMask:
        network->subnetMaskEdit->setText(answer.text);
        break;
    case Answer::Gateway:
        network->gatewayEdit->setText(answer.text);
        break;
    case Answer::Features:
        window->featureTab->setFeatureWord(answer.features);
        break;
    case Answer::InternalRadio:
        radio->internalRadioCombo->setCurrentIndex(answer.index);
        break;
    case Answer::Railroad:
        radio->railroadCombo->setCurrentIndex(answer.index);
        break;
    case Answer::HomeChannel:
        ConfigSnapshot::applyRow(window, answer.record - 1, answer.row);
        break;
    default:
        break;
    }
}
