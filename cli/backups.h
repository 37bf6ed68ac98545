#ifndef VELMORA_CLI_BACKUPS_H
#define VELMORA_CLI_BACKUPS_H

#include <QString>

/// The backups a write takes and a restore finds: NAME-YYYYMMDD-HHMMSS.cfg
/// in the backup folder.
namespace Backups {

/// A path for a new backup of unit, never that of an earlier one; kind
/// goes before ".cfg" (".before-restore").
QString newPath(const QString &folder, const QString &unit, const QString &kind = QString());

/// The newest backup of unit in folder, never one taken before a restore;
/// empty when there is none.
QString newest(const QString &folder, const QString &unit);

} // namespace Backups

#endif
