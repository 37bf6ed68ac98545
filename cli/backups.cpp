#include "cli/backups.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

QString Backups::newPath(const QString &folder, const QString &unit, const QString &kind)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString first = QDir(folder).filePath(QStringLiteral("%1-%2").arg(unit, stamp));
    // Never over an earlier backup, not even one of the same second.
    QString path = first + kind + QStringLiteral(".cfg");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QStringLiteral("%1-%2%3.cfg").arg(first).arg(n).arg(kind);
    return path;
}

QString Backups::newest(const QString &folder, const QString &unit)
{
    const QRegularExpression name(QStringLiteral("^%1-(\\d{8}-\\d{6})(?:-(\\d+))?\\.cfg$")
                                      .arg(QRegularExpression::escape(unit)));
    QString newest, newestKey;
    for (const QString &entry : QDir(folder).entryList(QDir::Files)) {
        const QRegularExpressionMatch match = name.match(entry);
        if (!match.hasMatch())
            continue;
        const QString key =
            match.captured(1) +
            QStringLiteral("-%1").arg(match.captured(2).toInt() + 1, 9, 10, QChar('0'));
        if (key > newestKey)
            newest = entry, newestKey = key;
    }
    return newest.isEmpty() ? QString() : QDir(folder).filePath(newest);
}
