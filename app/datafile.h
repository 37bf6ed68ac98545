#ifndef VELMORA_APP_DATAFILE_H
#define VELMORA_APP_DATAFILE_H

#include "link/radioconfig.h"

#include <QStringList>

class QIODevice;

/// The configuration data file: 2522 strings in QDataStream's encoding
/// (version 16), each a big-endian 32-bit byte count (0xFFFFFFFF for a null
/// string) followed by UTF-16BE text.
namespace DataFile {

enum : int
{
    FieldCount = 2522,
    FormatNumber = 100,
    StreamVersion = 16,
    GeneralFieldCount = 22, ///< fields before the first table cell
    ReservedFirst = 12,     ///< zero-based index of the first "Blank" field
    ReservedCount = 10,
};

/// Reads count strings without testing the stream: a field the device no
/// longer holds reads as empty text, one cut short as a null string.
QStringList readFields(QIODevice *device, int count = FieldCount);

/// Writes the strings; false when the device took less than asked.
bool writeFields(QIODevice *device, const QStringList &fields);

enum class Verdict
{
    Accepted,
    NotRecognized,
    TooNew
};

/// Tests field 1 for the identifier, then field 2 for the format number.
Verdict checkHeader(const QString &identifierField, const QString &formatField);

/// The feature word that a stored bit string gives, first character bit 15;
/// shorter, longer, empty and null strings are consumed step by step.
quint16 featureWordFromChecks(QString checks);

/// The 16-character bit string of a feature word, bit 15 first.
QString checksFromFeatureWord(quint16 word);

/// The fields of a configuration in file order; `checks` is stored as given.
QStringList fieldsFromConfig(const RadioConfig &config, const QString &checks);

/// The configuration a list of fields describes (missing fields read empty).
RadioConfig configFromFields(const QStringList &fields);

/// Writes the fields to a temporary file beside fileName and puts it in
/// place only when every byte was written, so that the old file survives any
/// failure. Where the folder takes no new file but fileName may be written,
/// the file is written in place. False with the system's reason on failure.
bool saveFields(const QString &fileName, const QStringList &fields, QString *errorString);

/// Saves any bytes as saveFields saves the fields: whole or not at all.
bool saveBytes(const QString &fileName, const QByteArray &bytes, QString *errorString);

/// Reads the fields of a data file: all of them when the first two pass
/// checkHeader, only those two otherwise.
QStringList loadFields(QIODevice *device);

/// Opens fileName and reads its fields as above. False with the system's
/// reason when the file cannot be opened for reading.
bool loadFields(const QString &fileName, QStringList *fields, QString *errorString);

} // namespace DataFile

#endif
