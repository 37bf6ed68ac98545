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
    TabsTarget target(window);
    ::applyConfig(config, target);
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

void TabsTarget::setText(Answer::Kind field, const QString &text)
{
    RadioTab *radio = window->radioTab;
    NetworkTab *network = window->networkTab;
    QLineEdit *const edits[] = {radio->dtmfDelayEdit,    radio->minVolumeEdit,
                                radio->serialNumberEdit, radio->userDescriptionEdit,
                                network->ipEdit,         network->subnetMaskEdit,
                                network->gatewayEdit};
    const int at = field - Answer::DtmfDelay;
    if (at >= 0 && at < int(sizeof edits / sizeof *edits))
        edits[at]->setText(text);
}

void TabsTarget::setIndex(Answer::Kind field, int index)
{
    RadioTab *radio = window->radioTab;
    (field == Answer::Railroad ? radio->railroadCombo : radio->internalRadioCombo)
        ->setCurrentIndex(index);
}

void TabsTarget::setFeatures(quint16 word)
{
    window->featureTab->setFeatureWord(word);
}

void TabsTarget::setRow(int row, const HomeRow &texts)
{
    if (row >= 0 && row < HomeTab::RowCount)
        ConfigSnapshot::applyRow(window, row, texts);
}
