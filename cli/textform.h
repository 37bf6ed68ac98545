#ifndef VELMORA_CLI_TEXTFORM_H
#define VELMORA_CLI_TEXTFORM_H

#include "link/radioconfig.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

/// The configuration files the command line reads and writes. Inside, a
/// configuration is the list of the data file's 2522 fields, each the text
/// the data file holds (null for a never-set field).
namespace TextForm {

/// "general.ip", "home.12.rx" and so on; empty for the header and the
/// reserved fields.
QString fieldName(int field);

/// The fields of a freshly started window.
QStringList freshFields();

/// The JSON text form: sorted keys, one field a line, rows whose five
/// fields are all never-set left out.
QByteArray toJson(const QStringList &fields);
/// False with "LINE: what is wrong" in error. What the text leaves out
/// comes from a fresh window.
bool fromJson(const QByteArray &json, QStringList *fields, QString *error);

/// The home-channel table as CSV: one line per row that holds any text.
QByteArray toCsv(const QStringList &fields);
/// Replaces the table of base by the rows of csv (rows missing from it are
/// emptied). False with "LINE: what is wrong" in error.
bool fromCsv(const QByteArray &csv, const QStringList &base, QStringList *fields, QString *error);

enum class Format
{
    DataFile,
    Json,
    Csv
};
/// By the file's extension: ".json", ".csv", anything else a data file.
Format formatOf(const QString &path);

/// Reads a configuration file of any format; a CSV takes everything but the
/// table from base. False with "PATH[:LINE]: what is wrong" in error.
bool load(const QString &path, const QStringList &base, QStringList *fields, QString *error);
/// Writes fields in the format the path's extension names, replacing the
/// file only when all was written. False with the reason in error.
bool save(const QString &path, const QStringList &fields, QString *error);

/// One field that differs between two configurations.
struct Difference
{
    int field = 0;
    QString first;
    QString second;

    /// NAME: "first" -> "second", null for a never-set field.
    QString text() const;
};

/// The fields whose values differ, texts shown from the two field lists.
/// The values compared are those a window would hold: texts (null and
/// empty alike), list indexes and the feature word. generalOnly leaves the
/// table out.
QList<Difference> differences(const QStringList &firstFields, const RadioConfig &first,
                              const QStringList &secondFields, const RadioConfig &second,
                              bool generalOnly = false);

/// Each value of fields that the window shows in red, one line each:
/// NAME: "text" is shown in red: why.
QStringList redValues(const QStringList &fields);

/// What a window holds after opening a file with these fields.
RadioConfig opened(const QStringList &fields);

/// What a Read shows of a unit that took every write frame of config: the
/// unit keeps each frame's bytes and answers a read request with them.
RadioConfig readBack(const RadioConfig &config);

} // namespace TextForm

#endif
