#ifndef VELMORA_CLI_TEXTFORMPARTS_H
#define VELMORA_CLI_TEXTFORMPARTS_H

// What the text forms' files share; not for use outside cli/.

#include "app/datafile.h"
#include "link/parameters.h"
#include "link/radioconfig.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QString>

namespace TextForm {
namespace Parts {

const char formatName[] = "velmora-radio configuration";
const char *const cellKeys[] = {"tx", "rx", "ranTx", "ranRx", "label"};

inline int cellField(int row, int column)
{
    return DataFile::GeneralFieldCount + 5 * row + column;
}

inline QByteArray jsonString(const QString &text)
{
    if (text.isNull())
        return "null";
    // Qt escapes as JSON wants; the array's brackets are cut off.
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

inline bool fail(QString *error, int line, const QString &what)
{
    *error = QStringLiteral("%1: %2").arg(line).arg(what);
    return false;
}

// A row number as the text form writes it: 1 to 500, no leading zero.
inline int rowNumber(const QString &text)
{
    bool ok = false;
    const int number = text.toInt(&ok, 10);
    if (!ok || number < 1 || number > RadioConfig::HomeRowCount || text != QString::number(number))
        return 0;
    return number;
}

} // namespace Parts
} // namespace TextForm

#endif
