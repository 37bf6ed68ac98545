// Feeds arbitrary bytes to the data file reader as a load does: the two
// header fields first, the rest only for a file that passes them. The fields
// that an accepted file holds must come back unchanged, null or empty alike,
// when written and read again. Fields past the end of the input are left
// out: they all read as empty text, and filling and converting 2,500 of them
// for every input slowed this target down many times over.
#include "app/datafile.h"

#include <QBuffer>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                               int(qMin<size_t>(size, 1 << 20)));
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    QStringList fields = DataFile::readFields(&in, 2);
    if (DataFile::checkHeader(fields.at(0), fields.at(1)) != DataFile::Verdict::Accepted)
        return 0;
    while (!in.atEnd() && fields.size() < DataFile::FieldCount)
        fields += DataFile::readFields(&in, 1);
    DataFile::featureWordFromChecks(fields.value(11));

    QByteArray saved;
    QBuffer out(&saved);
    out.open(QIODevice::WriteOnly);
    if (!DataFile::writeFields(&out, fields))
        std::abort();
    QBuffer back(&saved);
    back.open(QIODevice::ReadOnly);
    const QStringList again = DataFile::readFields(&back, fields.size());
    for (int i = 0; i < fields.size(); ++i) {
        if (again.at(i) != fields.at(i) || again.at(i).isNull() != fields.at(i).isNull())
            std::abort();
    }
    return 0;
}
