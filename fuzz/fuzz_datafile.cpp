// Feeds arbitrary bytes to the data file reader on a QBuffer. Aborts when it
// disagrees with QDataStream's own reader or when what it read does not
// survive being written and read again.
#include "app/datafile.h"

#include <QBuffer>
#include <QDataStream>

#include <cstdlib>

namespace {

bool sameFields(const QStringList &a, const QStringList &b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (a.at(i) != b.at(i) || a.at(i).isNull() != b.at(i).isNull())
            return false;
    }
    return true;
}

QStringList readWithCodec(const QByteArray &bytes, int count)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return DataFile::readFields(&buffer, count);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     int(qMin<size_t>(size, 1 << 20)));
    // Few fields keep QDataStream's 2 MiB steps on forged lengths cheap.
    const int count = 8;
    const QStringList ours = readWithCodec(bytes, count);

    QDataStream in(bytes);
    in.setVersion(DataFile::StreamVersion);
    QStringList theirs;
    for (int i = 0; i < count; ++i) {
        QString text;
        in >> text;
        theirs.append(text);
    }
    if (!sameFields(ours, theirs))
        std::abort();

    QBuffer out;
    out.open(QIODevice::WriteOnly);
    if (!DataFile::writeFields(&out, ours) || !sameFields(readWithCodec(out.data(), count), ours))
        std::abort();

    // The whole file path: header verdict, fields to values and back.
    const QStringList all = readWithCodec(bytes, DataFile::FieldCount);
    DataFile::checkHeader(all.at(0), all.at(1));
    const RadioConfig config = DataFile::configFromFields(all);
    const QStringList again = DataFile::fieldsFromConfig(config, all.at(11));
    if (again.size() != DataFile::FieldCount)
        std::abort();
    return 0;
}
