#include "link/configtarget.h"

#include "app/datafile.h"

namespace {

// The value of one parameter, as its row's format carries it.
void applyValue(const Parameters::Row &row, const QString &text, int index, quint16 features,
                ConfigTarget &target)
{
    switch (row.format) {
    case Parameters::Format::Word:
        target.setFeatures(features);
        break;
    case Parameters::Format::ListIndex:
        target.setIndex(row.parameter, index);
        break;
    default:
        target.setText(row.parameter, text);
        break;
    }
}

} // namespace

void applyAnswer(const Answer &answer, ConfigTarget &target)
{
    if (answer.kind == Answer::HomeChannel)
        target.setRow(answer.record - 1, answer.row);
    if (answer.isValue())
        applyValue(Parameters::row(answer.parameter()), answer.text, answer.index, answer.features,
                   target);
}

void applyConfig(const RadioConfig &config, ConfigTarget &target)
{
    for (int field = 0; field < DataFile::GeneralFieldCount; ++field) {
        if (const Parameters::Row *row = Parameters::atField(field))
            applyValue(*row, row->text ? config.general.*row->text : QString(),
                       row->index ? config.general.*row->index : 0,
                       row->word ? config.general.*row->word : 0, target);
    }
    for (int row = 0; row < RadioConfig::HomeRowCount && row < config.rows.size(); ++row)
        target.setRow(row, config.rows.at(row));
}

ConfigModel::ConfigModel() : config(freshConfig()) {}

void ConfigModel::setText(Parameter parameter, const QString &text)
{
    const Parameters::Row &row = Parameters::row(parameter);
    if (row.text)
        config.general.*row.text = text.isNull() ? QString::fromLatin1("") : text;
}

void ConfigModel::setIndex(Parameter parameter, int index)
{
    const Parameters::Row &row = Parameters::row(parameter);
    if (row.index)
        config.general.*row.index = index >= 0 && index < row.listCount ? index : -1;
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
