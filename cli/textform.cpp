#include "cli/textform.h"

#include "app/datafile.h"
#include "link/answers.h"
#include "link/configtarget.h"
#include "link/frames.h"
#include "link/parameters.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace TextForm {

namespace {

const char formatName[] = "velmora-radio configuration";

// The general fields lie together in the data file, after its header.
const int firstGeneral = 2;
const int generalCount = Parameters::Count;
const char *const cellKeys[] = {"tx", "rx", "ranTx", "ranRx", "label"};
const char *const csvHeader = "row,tx,rx,ran_tx,ran_rx,label";

int cellField(int row, int column)
{
    return DataFile::GeneralFieldCount + 5 * row + column;
}

QByteArray jsonString(const QString &text)
{
    if (text.isNull())
        return "null";
    // Qt escapes as JSON wants; the array's brackets are cut off.
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

// The line of the first key of path, each found after the one before it:
// the parser keeps no positions.
int lineOf(const QByteArray &json, const QStringList &path)
{
    int at = 0;
    for (const QString &key : path) {
        const int found = json.indexOf('"' + key.toUtf8() + '"', at);
        if (found < 0)
            break;
        at = found;
    }
    return json.left(at).count('\n') + 1;
}

bool fail(QString *error, int line, const QString &what)
{
    *error = QStringLiteral("%1: %2").arg(line).arg(what);
    return false;
}

// A text or null; anything else is refused.
bool textValue(const QJsonValue &value, QString *text)
{
    if (value.isNull()) {
        *text = QString();
        return true;
    }
    if (!value.isString())
        return false;
    // A JSON "" is an empty text, never a null one.
    *text = value.toString().isNull() ? QString::fromLatin1("") : value.toString();
    return true;
}

// A row number as the text form writes it: 1 to 500, no leading zero.
int rowNumber(const QString &text)
{
    bool ok = false;
    const int number = text.toInt(&ok, 10);
    if (!ok || number < 1 || number > RadioConfig::HomeRowCount || text != QString::number(number))
        return 0;
    return number;
}

QByteArray csvField(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') ||
        bytes.contains('\r')) {
        bytes.replace('"', "\"\"");
        bytes = '"' + bytes + '"';
    }
    return bytes;
}

// The next record of an RFC 4180 text from at, with the line it starts on;
// false with error at a quote left open.
bool csvRecord(const QByteArray &csv, int *at, int *line, QList<QByteArray> *record, QString *error)
{
    record->clear();
    QByteArray field;
    bool quoted = false;
    const int start = *line;
    for (; *at < csv.size(); ++*at) {
        const char c = csv.at(*at);
        if (quoted) {
            if (c == '"' && *at + 1 < csv.size() && csv.at(*at + 1) == '"') {
                field += '"';
                ++*at;
            } else if (c == '"') {
                quoted = false;
            } else {
                *line += c == '\n';
                field += c;
            }
        } else if (c == '"' && field.isEmpty()) {
            quoted = true;
        } else if (c == ',') {
            *record << field;
            field.clear();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && *at + 1 < csv.size() && csv.at(*at + 1) == '\n')
                ++*at;
            ++*at;
            ++*line;
            break;
        } else {
            field += c;
        }
    }
    if (quoted)
        return fail(error, start, QStringLiteral("a quoted field is never closed"));
    *record << field;
    return true;
}

// The fields of a configuration, each a text that compares as the window's
// value: the feature word in decimal in place of its bit string, whose null
// and all-zero forms mean the same boxes.
QStringList comparable(const RadioConfig &config)
{
    return DataFile::fieldsFromConfig(config, QString::number(config.general.features));
}

} // namespace

QString fieldName(int field)
{
    if (const Parameters::Row *general = Parameters::atField(field))
        return QStringLiteral("general.") + QLatin1String(general->key);
    const int cell = field - DataFile::GeneralFieldCount;
    if (cell < 0 || field >= DataFile::FieldCount)
        return QString();
    return QStringLiteral("home.%1.%2").arg(cell / 5 + 1).arg(QLatin1String(cellKeys[cell % 5]));
}

QStringList freshFields()
{
    return ConfigModel().fields();
}

QByteArray toJson(const QStringList &fields)
{
    QByteArray json = "{\n    \"format\": \"" + QByteArray(formatName) + "\",\n    \"general\": {";
    QList<const Parameters::Row *> general;
    for (const Parameters::Row &row : Parameters::rows)
        general << &row;
    std::sort(general.begin(), general.end(),
              [](const Parameters::Row *a, const Parameters::Row *b) {
                  return qstrcmp(a->key, b->key) < 0;
              });
    const char *separator = "\n";
    for (const Parameters::Row *row : general) {
        json += separator + QByteArray("        \"") + row->key +
                "\": " + jsonString(fields.value(row->field));
        separator = ",\n";
    }
    json += "\n    },\n    \"home\": {";
    separator = "\n";
    // Cell keys sorted: label, ranRx, ranTx, rx, tx.
    const int sortedColumns[] = {4, 3, 2, 1, 0};
    for (int row = 0; row < RadioConfig::HomeRowCount; ++row) {
        bool set = false;
        for (int column = 0; column < 5; ++column)
            set = set || !fields.value(cellField(row, column)).isNull();
        if (!set)
            continue;
        json += separator + QByteArray("        \"") + QByteArray::number(row + 1) + "\": {";
        const char *inner = "\n";
        for (int column : sortedColumns) {
            json += inner + QByteArray("            \"") + cellKeys[column] +
                    "\": " + jsonString(fields.value(cellField(row, column)));
            inner = ",\n";
        }
        json += "\n        }";
        separator = ",\n";
    }
    json += QByteArray(separator == QByteArray("\n") ? "}" : "\n    }") + "\n}\n";
    return json;
}

bool fromJson(const QByteArray &json, QStringList *fields, QString *error)
{
    QJsonParseError parsed;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parsed);
    if (parsed.error != QJsonParseError::NoError)
        return fail(error, json.left(parsed.offset).count('\n') + 1, parsed.errorString());
    if (!document.isObject())
        return fail(error, 1, QStringLiteral("not a JSON object"));
    const QJsonObject top = document.object();
    if (top.value(QLatin1String("format")) != QJsonValue(QLatin1String(formatName)))
        return fail(error, lineOf(json, {"format"}),
                    QStringLiteral("\"format\" must be \"%1\"").arg(QLatin1String(formatName)));
    QStringList result = freshFields();
    for (int field = DataFile::GeneralFieldCount; field < DataFile::FieldCount; ++field)
        result[field] = QString();
    for (auto it = top.begin(); it != top.end(); ++it) {
        const QString key = it.key();
        if (key == QLatin1String("format"))
            continue;
        if (key != QLatin1String("general") && key != QLatin1String("home"))
            return fail(error, lineOf(json, {key}), QStringLiteral("unknown key \"%1\"").arg(key));
        if (!it.value().isObject())
            return fail(error, lineOf(json, {key}),
                        QStringLiteral("\"%1\" must be an object").arg(key));
        const QJsonObject part = it.value().toObject();
        for (auto entry = part.begin(); entry != part.end(); ++entry) {
            const QStringList path{key, entry.key()};
            const QString name = key + QLatin1Char('.') + entry.key();
            if (key == QLatin1String("general")) {
                const auto known =
                    std::find_if(std::begin(Parameters::rows), std::end(Parameters::rows),
                                 [&](const Parameters::Row &row) {
                                     return entry.key() == QLatin1String(row.key);
                                 });
                if (known == std::end(Parameters::rows))
                    return fail(error, lineOf(json, path),
                                QStringLiteral("unknown key \"%1\"").arg(name));
                if (!textValue(entry.value(), &result[known->field]))
                    return fail(error, lineOf(json, path),
                                QStringLiteral("%1 must be a text or null").arg(name));
                continue;
            }
            const int row = rowNumber(entry.key());
            if (!row)
                return fail(
                    error, lineOf(json, path),
                    QStringLiteral("\"%1\" is no row number from 1 to 500").arg(entry.key()));
            if (!entry.value().isObject())
                return fail(error, lineOf(json, path),
                            QStringLiteral("%1 must be an object").arg(name));
            const QJsonObject cells = entry.value().toObject();
            for (auto cell = cells.begin(); cell != cells.end(); ++cell) {
                const QStringList cellPath = path + QStringList{cell.key()};
                const auto column =
                    std::find_if(std::begin(cellKeys), std::end(cellKeys),
                                 [&](const char *k) { return cell.key() == QLatin1String(k); });
                if (column == std::end(cellKeys))
                    return fail(error, lineOf(json, cellPath),
                                QStringLiteral("unknown key \"%1.%2\"").arg(name, cell.key()));
                if (!textValue(cell.value(), &result[cellField(row - 1, int(column - cellKeys))]))
                    return fail(
                        error, lineOf(json, cellPath),
                        QStringLiteral("%1.%2 must be a text or null").arg(name, cell.key()));
            }
        }
    }
    *fields = result;
    return true;
}

QByteArray toCsv(const QStringList &fields)
{
    QByteArray csv = QByteArray(csvHeader) + '\n';
    for (int row = 0; row < RadioConfig::HomeRowCount; ++row) {
        QByteArray line = QByteArray::number(row + 1);
        bool text = false;
        for (int column = 0; column < 5; ++column) {
            const QString cell = fields.value(cellField(row, column));
            text = text || !cell.isEmpty();
            line += ',' + csvField(cell);
        }
        if (text)
            csv += line + '\n';
    }
    return csv;
}

bool fromCsv(const QByteArray &csv, const QStringList &base, QStringList *fields, QString *error)
{
    int at = csv.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    int line = 1;
    QList<QByteArray> record;
    if (!csvRecord(csv, &at, &line, &record, error))
        return false;
    if (record.join(',') != csvHeader)
        return fail(error, 1,
                    QStringLiteral("the header must be %1").arg(QLatin1String(csvHeader)));
    QStringList result = base;
    for (int field = DataFile::GeneralFieldCount; field < DataFile::FieldCount; ++field)
        result[field] = QString();
    QList<int> seen;
    while (at < csv.size()) {
        const int start = line;
        if (!csvRecord(csv, &at, &line, &record, error))
            return false;
        if (record.size() == 1 && record.first().isEmpty())
            continue; // a blank line
        if (record.size() != 6)
            return fail(error, start,
                        QStringLiteral("%1 fields where the header has 6").arg(record.size()));
        const int row = rowNumber(QString::fromUtf8(record.first()));
        if (!row)
            return fail(error, start,
                        QStringLiteral("row \"%1\" is no number from 1 to 500")
                            .arg(QString::fromUtf8(record.first())));
        if (seen.contains(row))
            return fail(error, start, QStringLiteral("row %1 is given twice").arg(row));
        seen << row;
        for (int column = 0; column < 5; ++column) {
            const QByteArray &cell = record.at(column + 1);
            // An empty cell was never set, as in a table nobody typed into.
            result[cellField(row - 1, column)] =
                cell.isEmpty() ? QString() : QString::fromUtf8(cell);
        }
    }
    *fields = result;
    return true;
}

Format formatOf(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("json")  ? Format::Json
           : suffix == QLatin1String("csv") ? Format::Csv
                                            : Format::DataFile;
}

bool load(const QString &path, const QStringList &base, QStringList *fields, QString *error)
{
    const Format format = formatOf(path);
    if (format == Format::DataFile) {
        QString reason;
        if (!DataFile::loadFields(path, fields, &reason)) {
            *error = QStringLiteral("%1: %2").arg(path, reason);
            return false;
        }
        switch (DataFile::checkHeader(fields->at(0), fields->at(1))) {
        case DataFile::Verdict::NotRecognized:
            *error = QStringLiteral("%1: not a data file of velmora-radio").arg(path);
            return false;
        case DataFile::Verdict::TooNew:
            *error = QStringLiteral("%1: made by a newer version of velmora-radio").arg(path);
            return false;
        case DataFile::Verdict::Accepted:
            return true;
        }
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    QString where;
    const bool ok = format == Format::Json ? fromJson(bytes, fields, &where)
                                           : fromCsv(bytes, base, fields, &where);
    if (!ok)
        *error = QStringLiteral("%1:%2").arg(path, where);
    return ok;
}

bool save(const QString &path, const QStringList &fields, QString *error)
{
    switch (formatOf(path)) {
    case Format::Json:
        return DataFile::saveBytes(path, toJson(fields), error);
    case Format::Csv:
        return DataFile::saveBytes(path, toCsv(fields), error);
    case Format::DataFile:
        break;
    }
    // As the window writes it, whatever header and reserved fields came in.
    QStringList written = fields;
    const QStringList fresh = freshFields();
    for (int field = 0; field < DataFile::GeneralFieldCount; ++field) {
        if (field < firstGeneral || field >= firstGeneral + generalCount)
            written[field] = fresh.at(field);
    }
    return DataFile::saveFields(path, written, error);
}

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
    const int end = generalOnly ? firstGeneral + generalCount : DataFile::FieldCount;
    for (int field = firstGeneral; field < end; ++field) {
        if (field == firstGeneral + generalCount)
            field = DataFile::GeneralFieldCount;
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

} // namespace TextForm
