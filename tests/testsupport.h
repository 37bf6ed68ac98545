#ifndef VELMORA_TESTS_TESTSUPPORT_H
#define VELMORA_TESTS_TESTSUPPORT_H

#include "app/datafile.h"
#include "link/frames.h"
#include "tests/sampleconfig.h"

#include <QBuffer>
#include <QFile>

// The requests of an untroubled walk: "read", "write" of config, or "factory".
inline QList<QByteArray> walkOf(const QString &kind, int count, const RadioConfig &config)
{
    QList<QByteArray> frames;
    for (qint32 index = 0, record = 1; index < count; ++index)
        frames << (kind == "read"    ? Frames::buildReadRequest(index, record)
                   : kind == "write" ? Frames::buildWriteFrame(index, config, record)
                                     : Frames::buildFactoryFrame());
    return frames;
}

// The bytes of a data file holding these fields.
inline QByteArray bytesOf(const QStringList &fields)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return DataFile::writeFields(&buffer, fields) ? buffer.data() : QByteArray("<failed>");
}

inline QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

#endif
