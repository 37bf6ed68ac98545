#ifndef VELMORA_TESTS_TESTSUPPORT_H
#define VELMORA_TESTS_TESTSUPPORT_H

#include "app/datafile.h"
#include "link/frames.h"

#include <QBuffer>
#include <QFile>

// Differs from a fresh window and from a fresh unit in every value, and every
// value fits its frame, so that it reads back as it was written.
inline RadioConfig sampleConfig()
{
    RadioConfig config{{"25", "-4", "VR-123", "Yard \u00e9ast", "172.16.5.4", "255.0.0.0",
                        "172.16.4.1", 0xA5C3, 2, 7}};
    for (int row = 0; row < RadioConfig::HomeRowCount; ++row)
        config.rows[row] = {QString::number(200 + row), QString::number(201 + row),
                            QStringLiteral("%1").arg(row % 63 + 1, 2, 10, QLatin1Char('0')), "34",
                            QStringLiteral("Track %1").arg(row)};
    return config;
}

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
