#include "cli/textform.h"

#include "cli/textformparts.h"

namespace TextForm {

using namespace Parts;

namespace {

const char *const csvHeader = "row,tx,rx,ran_tx,ran_rx,label";

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

} // namespace

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

} // namespace TextForm
