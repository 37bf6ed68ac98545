#include "cli/textform.h"

#include "cli/textformparts.h"

#include "link/acceptance.h"
#include "link/answers.h"
#include "link/configtarget.h"
#include "link/frames.h"

namespace TextForm {

using namespace Parts;

namespace {

// The fields of a configuration, each a text that compares as the window's
// value: the feature word in decimal in place of its bit string, whose null
// and all-zero forms mean the same boxes.
QStringList comparable(const RadioConfig &config)
{
    return DataFile::fieldsFromConfig(config, QString::number(config.general.features));
}

} // namespace

QString Difference::text() const
{
    return QStringLiteral("%1: %2 -> %3")
        .arg(fieldName(field), QString::fromUtf8(jsonString(first)),
             QString::fromUtf8(jsonString(second)));
}

QList<Difference> differences(const QStringList &firstFields, const RadioConfig &first,
                              const QStringList &secondFields, const RadioConfig &second,
                              bool generalOnly)
{
    QList<Difference> found;
    const QStringList firstValues = comparable(first), secondValues = comparable(second);
    const int end = generalOnly ? DataFile::GeneralFieldCount : DataFile::FieldCount;
    for (int field = 0; field < end; ++field) {
        // The header and the reserved fields are no values of the unit.
        if (field < DataFile::GeneralFieldCount && !Parameters::atField(field))
            continue;
        if (firstValues.at(field) != secondValues.at(field))
            found << Difference{field, firstFields.value(field), secondFields.value(field)};
    }
    return found;
}

RadioConfig opened(const QStringList &fields)
{
    ConfigModel window;
    applyConfig(DataFile::configFromFields(fields), window);
    return window.config;
}

RadioConfig readBack(const RadioConfig &config)
{
    ConfigModel window;
    qint32 recordCounter = 1;
    for (int index = 0; index < Frames::CommandCount; ++index) {
        QByteArray answer = Frames::buildWriteFrame(index, config, recordCounter);
        answer[1] = Frames::Read;
        applyAnswer(parseAnswer(answer), window);
    }
    return window.config;
}

QStringList redValues(const QStringList &fields)
{
    QStringList lines;
    for (const Acceptance::Problem &p : Acceptance::problems(opened(fields)))
        lines << QStringLiteral("%1: %2 is shown in red: %3")
                     .arg(fieldName(p.field), QString::fromUtf8(Parts::jsonString(p.text)), p.rule);
    return lines;
}

} // namespace TextForm
