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

namespace {

// The line edit of a parameter whose value is a text; null for the others.
QLineEdit *lineEdit(const MainWindow *window, Parameter parameter)
{
    const RadioTab *radio = window->radioTab;
    const NetworkTab *network = window->networkTab;
    switch (parameter) {
    case Parameter::DtmfDelay:
        return radio->dtmfDelayEdit;
    case Parameter::MinVolume:
        return radio->minVolumeEdit;
    case Parameter::SerialNumber:
        return radio->serialNumberEdit;
    case Parameter::UserDescription:
        return radio->userDescriptionEdit;
    case Parameter::Ip:
        return network->ipEdit;
    case Parameter::SubnetMask:
        return network->subnetMaskEdit;
    case Parameter::Gateway:
        return network->gatewayEdit;
    default:
        return nullptr;
    }
}

// The list of a parameter whose value is a list index; null for the others.
QComboBox *comboBox(const MainWindow *window, Parameter parameter)
{
    switch (parameter) {
    case Parameter::InternalRadio:
        return window->radioTab->internalRadioCombo;
    case Parameter::Railroad:
        return window->radioTab->railroadCombo;
    default:
        return nullptr;
    }
}

} // namespace

namespace ConfigSnapshot {

GeneralSettings takeGeneral(const MainWindow *window)
{
    GeneralSettings g;
    for (const Parameters::Row &row : Parameters::rows) {
        if (row.text)
            g.*row.text = lineEdit(window, row.parameter)->text();
        else if (row.index)
            g.*row.index = comboBox(window, row.parameter)->currentIndex();
        else
            g.*row.word = window->featureTab->featureWord();
    }
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

void TabsTarget::setText(Parameter parameter, const QString &text)
{
    if (QLineEdit *edit = lineEdit(window, parameter))
        edit->setText(text);
}

void TabsTarget::setIndex(Parameter parameter, int index)
{
    if (QComboBox *combo = comboBox(window, parameter))
        combo->setCurrentIndex(index);
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
