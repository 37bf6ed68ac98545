#include "cli/textform.h"

#include "cli/textformparts.h"

#include <QJsonObject>

#include <algorithm>

namespace TextForm {

using namespace Parts;

namespace {

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

} // namespace

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

} // namespace TextForm
