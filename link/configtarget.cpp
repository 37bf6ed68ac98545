#include "link/configtarget.h"

#include "app/datafile.h"

void applyAnswer(const Answer &answer, ConfigTarget &target)
{
    switch (answer.kind) {
    case Answer::DtmfDelay:
    case Answer::MinVolume:
    case Answer::SerialNumber:
    case Answer::UserDescription:
    case Answer::Ip:
    case Answer::SubnetMask:
    case Answer::Gateway:
        target.setText(answer.kind, answer.text);
        break;
    case Answer::InternalRadio:
    case Answer::Railroad:
        target.setIndex(answer.kind, answer.index);
        break;
    case Answer::Features:
        target.setFeatures(answer.features);
        break;
    case Answer::HomeChannel:
        target.setRow(answer.record - 1, answer.row);
        break;
    default:
        break;
    }
}

void applyConfig(const RadioConfig &config, ConfigTarget &target)
{
    const GeneralSettings &g = config.general;
    target.setText(Answer::Ip, g.ip);
    target.setText(Answer::SubnetMask, g.subnetMask);
    target.setText(Answer::Gateway, g.gateway);
    target.setText(Answer::DtmfDelay, g.dtmfDelay);
    target.setText(Answer::MinVolume, g.minVolume);
    target.setText(Answer::SerialNumber, g.serialNumber);
    target.setText(Answer::UserDescription, g.userDescription);
    target.setIndex(Answer::InternalRadio, g.internalRadio);
    target.setIndex(Answer::Railroad, g.railroad);
    target.setFeatures(g.features);
    for (int row = 0; row < RadioConfig::HomeRowCount && row < config.rows.size(); ++row)
        target.setRow(row, config.rows.at(row));
}

ConfigModel::ConfigModel() : config(freshConfig()) {}

void ConfigModel::setText(Answer::Kind field, const QString &text)
{
    GeneralSettings &g = config.general;
    QString *const texts[] = {&g.dtmfDelay, &g.minVolume,  &g.serialNumber, &g.userDescription,
                              &g.ip,        &g.subnetMask, &g.gateway};
    const int at = field - Answer::DtmfDelay;
    if (at >= 0 && at < int(sizeof texts / sizeof *texts))
        *texts[at] = text.isNull() ? QString::fromLatin1("") : text;
}

void ConfigModel::setIndex(Answer::Kind field, int index)
{
    const bool railroad = field == Answer::Railroad;
    const int count = railroad ? RailroadCount : InternalRadioCount;
    (railroad ? config.general.railroad : config.general.internalRadio) =
        index >= 0 && index < count ? index : -1;
}

void ConfigModel::setFeatures(quint16 word)
{
    if (word == config.general.features)
        return;
    config.general.features = word;
    checks = DataFile::checksFromFeatureWord(word);
}

void ConfigModel::setRow(int row, const HomeRow &texts)
{
    if (row < 0 || row >= config.rows.size())
        return;
    HomeRow &cells = config.rows[row];
    int cell = row * 5;
    for (auto part :
         {&HomeRow::tx, &HomeRow::rx, &HomeRow::ranTx, &HomeRow::ranRx, &HomeRow::label}) {
        if (!cellSet.testBit(cell) || cells.*part != texts.*part)
            cells.*part = texts.*part;
        cellSet.setBit(cell++);
    }
}

QStringList ConfigModel::fields() const
{
    return DataFile::fieldsFromConfig(config, checks);
}
