#include "app/datafile.h"

#include "link/parameters.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <limits>

namespace DataFile {

namespace {

QString field(const QStringList &fields, int index)
{
    return index < fields.size() ? fields.at(index) : QString::fromLatin1("");
}

// True when the next field's byte count is even and more than the bytes
// left (an odd count reads as a null string and takes nothing).
bool claimsMoreThan(QIODevice *device, qint64 left)
{
    uchar length[4];
    if (device->peek(reinterpret_cast<char *>(length), 4) != 4)
        return false;
    const quint32 bytes = qFromBigEndian<quint32>(length);
    return bytes != 0xFFFFFFFFu && !(bytes & 1u) && bytes > left - 4;
}

} // namespace

QStringList readFields(QIODevice *device, int count)
{
    QDataStream in(device);
    in.setVersion(StreamVersion);
    // Asked once: a file answers every size question with a system call.
    const qint64 size = device->isSequential() ? -1 : device->size();
    QStringList fields;
    fields.reserve(count);
    for (int i = 0; i < count; ++i) {
        // A field the file no longer holds reads as empty text.
        QString text = QString::fromLatin1("");
        const qint64 left = size < 0 ? std::numeric_limits<qint64>::max() : size - device->pos();
        if (left > 0 && claimsMoreThan(device, left)) {
            // Cut short, as Qt would find out only after taking a 2 MiB step.
            text = QString();
            device->seek(size);
        } else if (left > 0) {
            in >> text;
        }
        fields.append(text);
    }
    return fields;
}

bool writeFields(QIODevice *device, const QStringList &fields)
{
    QDataStream out(device);
    out.setVersion(StreamVersion);
    for (const QString &text : fields)
        out << text;
    return out.status() == QDataStream::Ok;
}

Verdict checkHeader(const QString &identifierField, const QString &formatField)
{
    if (!identifierField.contains(QLatin1String("Version"), Qt::CaseSensitive))
        return Verdict::NotRecognized;
    if (toIntOrZero(formatField) > FormatNumber)
        return Verdict::TooNew;
    return Verdict::Accepted;
}

quint16 featureWordFromChecks(QString checks)
{
    quint16 word = 0;
    for (int i = 0; i < 16; ++i) {
        if (checks.startsWith(QLatin1Char('1')))
            word |= quint16(1u << (15 - i));
        checks = checks.right(15 - i);
    }
    return word;
}

QString checksFromFeatureWord(quint16 word)
{
    QString checks;
    for (int bit = 15; bit >= 0; --bit)
        checks.append((word >> bit) & 1 ? QLatin1Char('1') : QLatin1Char('0'));
    return checks;
}

QStringList fieldsFromConfig(const RadioConfig &config, const QString &checks)
{
    const GeneralSettings &g = config.general;
    QStringList fields;
    fields.reserve(FieldCount);
    fields << QStringLiteral("Version") << QString::number(FormatNumber);
    for (int at = fields.size(); at < GeneralFieldCount; ++at) {
        const Parameters::Row *row = Parameters::atField(at);
        fields << (!row         ? QStringLiteral("Blank")
                   : row->text  ? g.*row->text
                   : row->index ? QString::number(g.*row->index)
                                : checks);
    }
    static const HomeRow emptyRow;
    for (int row = 0; row < RadioConfig::HomeRowCount; ++row) {
        const HomeRow &r = row < config.rows.size() ? config.rows.at(row) : emptyRow;
        fields << r.tx << r.rx << r.ranTx << r.ranRx << r.label;
    }
    return fields;
}

RadioConfig configFromFields(const QStringList &fields)
{
    RadioConfig config;
    GeneralSettings &g = config.general;
    for (const Parameters::Row &row : Parameters::rows) {
        const QString text = field(fields, row.field);
        if (row.text)
            g.*row.text = text;
        else if (row.index)
            g.*row.index = toIntOrZero(text);
        else
            g.*row.word = featureWordFromChecks(text);
    }
    for (int row = 0; row < RadioConfig::HomeRowCount; ++row) {
        const int first = GeneralFieldCount + 5 * row;
        HomeRow &r = config.rows[row];
        r.tx = field(fields, first);
        r.rx = field(fields, first + 1);
        r.ranTx = field(fields, first + 2);
        r.ranRx = field(fields, first + 3);
        r.label = field(fields, first + 4);
    }
    return config;
}

bool saveFields(const QString &fileName, const QStringList &fields, QString *errorString)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writeFields(&buffer, fields);
    return saveBytes(fileName, bytes, errorString);
}

bool saveBytes(const QString &fileName, const QByteArray &bytes, QString *errorString)
{
    QSaveFile file(fileName);
    // In a folder we may not add to, a file we may write is written in place,
    // as a plain open would; everywhere else the old file stays until commit.
    file.setDirectWriteFallback(true);
    // Unbuffered, because QSaveFile::commit() ignores a failed final flush and
    // would put a cut-off file in place.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *errorString = file.errorString();
        return false;
    }
    // A short write (full disk, size limit) reports no reason; writing on from
    // there fails with the system's.
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            *errorString = file.errorString();
            file.cancelWriting();
            return false;
        }
        done += written;
    }
    if (!file.commit()) {
        *errorString = file.errorString();
        return false;
    }
    return true;
}

QStringList loadFields(QIODevice *device)
{
    // A foreign file is refused on its first two fields; reading on would
    // only pull in whatever it holds.
    QStringList fields = readFields(device, 2);
    if (checkHeader(fields.at(0), fields.at(1)) == Verdict::Accepted)
        fields += readFields(device, FieldCount - 2);
    return fields;
}

bool loadFields(const QString &fileName, QStringList *fields, QString *errorString)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        *errorString = file.errorString();
        return false;
    }
    *fields = loadFields(&file);
    return true;
}

} // namespace DataFile
