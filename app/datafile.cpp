#include "app/datafile.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <limits>

namespace DataFile {

namespace {

const quint32 nullLength = 0xFFFFFFFFu;
// Text is read in slices so that a forged byte count cannot make us reserve
// more than the file really holds.
const qint64 sliceUnits = 64 * 1024;
// About as much as a QString can hold; a longer field counts as cut short
// instead of ending in a failed allocation once 2 GiB were read.
const qint64 maxUnits = (qint64(std::numeric_limits<int>::max()) - 64) / 2;

bool readExactly(QIODevice *device, char *data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const qint64 got = device->read(data + done, size - done);
        if (got <= 0)
            return false;
        done += got;
    }
    return true;
}

// One field; false when the device ran out of bytes. The results are those
// of QDataStream's own reader, so that files it wrote read back the same.
bool readField(QIODevice *device, QString *field)
{
    uchar lengthBytes[4];
    if (!readExactly(device, reinterpret_cast<char *>(lengthBytes), 4)) {
        *field = QString::fromLatin1("");
        return false;
    }
    const quint32 length = qFromBigEndian<quint32>(lengthBytes);
    if (length == 0) {
        *field = QString::fromLatin1("");
        return true;
    }
    if (length == nullLength || (length & 1u)) {
        // An odd count is no text at all; its bytes are left for the next field.
        *field = QString();
        return true;
    }
    const qint64 units = length / 2;
    if (units > maxUnits) {
        *field = QString();
        return false;
    }
    QString text;
    qint64 done = 0;
    while (done < units) {
        const qint64 want = qMin(units - done, sliceUnits);
        text.resize(int(done + want));
        if (!readExactly(device, reinterpret_cast<char *>(text.data() + done), want * 2)) {
            *field = QString();
            return false;
        }
        done += want;
    }
    qFromBigEndian<quint16>(text.constData(), units, text.data());
    *field = text;
    return true;
}

QString field(const QStringList &fields, int index)
{
    return index < fields.size() ? fields.at(index) : QString::fromLatin1("");
}

} // namespace

QStringList readFields(QIODevice *device, int count)
{
    QStringList fields;
    fields.reserve(count);
    bool more = device != nullptr;
    for (int i = 0; i < count; ++i) {
        QString text = QString::fromLatin1("");
        if (more)
            more = readField(device, &text);
        fields.append(text);
    }
    return fields;
}

bool writeFields(QIODevice *device, const QStringList &fields)
{
    QByteArray bytes;
    for (const QString &text : fields) {
        bytes.resize(4);
        if (text.isNull()) {
            qToBigEndian<quint32>(nullLength, bytes.data());
        } else {
            qToBigEndian<quint32>(quint32(text.size()) * 2, bytes.data());
            bytes.reserve(4 + text.size() * 2);
            for (const QChar c : text) {
                const quint16 unit = c.unicode();
                bytes.append(char(unit >> 8));
                bytes.append(char(unit & 0xFF));
            }
        }
        if (device->write(bytes) != bytes.size())
            return false;
    }
    return true;
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
    fields << QStringLiteral("Version") << QString::number(FormatNumber) << g.ip << g.subnetMask
           << g.gateway << g.dtmfDelay << g.minVolume << g.serialNumber << g.userDescription
           << QString::number(g.internalRadio) << QString::number(g.railroad) << checks;
    for (int i = 0; i < ReservedCount; ++i)
        fields << QStringLiteral("Blank");
    for (int row = 0; row < RadioConfig::HomeRowCount; ++row) {
        const HomeRow r = row < config.rows.size() ? config.rows.at(row) : HomeRow();
        fields << r.tx << r.rx << r.ranTx << r.ranRx << r.label;
    }
    return fields;
}

RadioConfig configFromFields(const QStringList &fields)
{
    RadioConfig config;
    GeneralSettings &g = config.general;
    g.ip = field(fields, 2);
    g.subnetMask = field(fields, 3);
    g.gateway = field(fields, 4);
    g.dtmfDelay = field(fields, 5);
    g.minVolume = field(fields, 6);
    g.serialNumber = field(fields, 7);
    g.userDescription = field(fields, 8);
    g.internalRadio = toIntOrZero(field(fields, 9));
    g.railroad = toIntOrZero(field(fields, 10));
    g.features = featureWordFromChecks(field(fields, 11));
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

    QSaveFile file(fileName);
    // Never fall back to writing in place: a failed save must leave the old file.
    file.setDirectWriteFallback(false);
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

bool loadFields(const QString &fileName, QStringList *fields, QString *errorString)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        *errorString = file.errorString();
        return false;
    }
    // A foreign file is refused on its first two fields; reading on would
    // only pull in whatever it holds.
    *fields = readFields(&file, 2);
    if (checkHeader(fields->at(0), fields->at(1)) == Verdict::Accepted)
        *fields += readFields(&file, FieldCount - 2);
    return true;
}

} // namespace DataFile
