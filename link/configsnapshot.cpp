#include "link/configsnapshot.h"

#include "app/mainwindow.h"
#include "link/frames.h"
#include "tabs/featuretab.h"
#include "tabs/hometab.h"
#include "tabs/networktab.h"
#include "tabs/radiotab.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTableWidgetItem>

namespace ConfigSnapshot {

GeneralSettings takeGeneral(const MainWindow *window)
{
    const RadioTab *radio = window->radioTab;
    const NetworkTab *network = window->networkTab;
    GeneralSettings g;
    g.dtmfDelay = radio->dtmfDelayEdit->text();
    g.minVolume = radio->minVolumeEdit->text();
    g.serialNumber = radio->serialNumberEdit->text();
    g.userDescription = radio->userDescriptionEdit->text();
    g.ip = network->ipEdit->text();
    g.subnetMask = network->subnetMaskEdit->text();
    g.gateway = network->gatewayEdit->text();
    g.features = window->featureTab->featureWord();
    g.internalRadio = radio->internalRadioCombo->currentIndex();
    g.railroad = radio->railroadCombo->currentIndex();
    return g;
}

HomeRow takeRow(const MainWindow *window, int row)
{
    QTableWidgetItem *const *cells = window->homeTab->items[row];
    return HomeRow{cells[HomeTab::Tx]->text(), cells[HomeTab::Rx]->text(),
                   cells[HomeTab::RanTx]->text(), cells[HomeTab::RanRx]->text(),
                   cells[HomeTab::Label]->text()};
}

RadioConfig takeConfig(const MainWindow *window)
{
    RadioConfig config;
    config.general = takeGeneral(window);
    for (int row = 0; row < RadioConfig::HomeRowCount; ++row)
        config.rows[row] = takeRow(window, row);
    return config;
}

void applyConfig(MainWindow *window, const RadioConfig &config)
{
    RadioTab *radio = window->radioTab;
    NetworkTab *network = window->networkTab;
    const GeneralSettings &g = config.general;
    network->ipEdit->setText(g.ip);
    network->subnetMaskEdit->setText(g.subnetMask);
    network->gatewayEdit->setText(g.gateway);
    radio->dtmfDelayEdit->setText(g.dtmfDelay);
    radio->minVolumeEdit->setText(g.minVolume);
    radio->serialNumberEdit->setText(g.serialNumber);
    radio->userDescriptionEdit->setText(g.userDescription);
    radio->internalRadioCombo->setCurrentIndex(g.internalRadio);
    radio->railroadCombo->setCurrentIndex(g.railroad);
    window->featureTab->setFeatureWord(g.features);
    for (int row = 0; row < RadioConfig::HomeRowCount && row < config.rows.size(); ++row)
        applyRow(window, row, config.rows.at(row));
}

void applyRow(MainWindow *window, int row, const HomeRow &texts)
{
    window->homeTab->setRow(row, {texts.tx, texts.rx, texts.ranTx, texts.ranRx, texts.label});
}

RadioConfig takeConfigFor(const MainWindow *window, int commandIndex)
{
    RadioConfig config;
    config.general = takeGeneral(window);
    const int row = commandIndex - Frames::GeneralCount;
    if (row >= 0 && row < RadioConfig::HomeRowCount)
        config.rows[row] = takeRow(window, row);
    return config;
}

} // namespace ConfigSnapshot
