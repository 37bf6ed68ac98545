#include "cli/textform.h"

#include "cli/textformparts.h"

#include <QFile>
#include <QFileInfo>

namespace TextForm {

using namespace Parts;

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
        if (!Parameters::atField(field))
            written[field] = fresh.at(field);
    }
    return DataFile::saveFields(path, written, error);
}

} // namespace TextForm
