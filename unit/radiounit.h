#ifndef VELMORA_UNIT_RADIOUNIT_H
#define VELMORA_UNIT_RADIOUNIT_H

#include "link/parameters.h"
#include "link/radioconfig.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QVector>

/// An emulated radio unit: the whole stored configuration and the answer to
/// every request frame, without any transport.
///
/// Answers:
/// - A read request gets the value answer of its parameter: the request
///   followed by the value, in the length the parameter table gives (the
///   request and the record for 33).
/// - A write frame of the length the table gives is stored and answered with
///   its header and addressing followed by one status byte: 0x00 accepted,
///   0x01 parameter error. A rejected frame changes nothing.
/// - The factory frame 35 01 05 is answered 35 01 00 and counted; the stored
///   configuration stays as it is.
/// - Frames it does not understand are still answered, so that a link never
///   waits for nothing: a write (byte 1 = 01) gets the parameter error status
///   at the offset its parameter code puts it; a read (byte 1 = 02) gets only
///   the two header bytes, which no value answer matches, so the tool
///   changes nothing. Frames shorter than two bytes or with another
///   direction byte get no answer (an empty array).
/// - Record numbers outside 1 to 500 are not understood: a parameter error
///   for a write, the bare header for a read.
class RadioUnit
{
public:
    enum
    {
        RecordCount = 500,
        RecordBodyLength = 26, ///< bytes 4 to 29 of a home-channel record
        MaxAddressLength = 64, ///< longer address texts are refused
        StatusAccepted = 0x00,
        StatusError = 0x01,
    };

    /// One request and what the unit sent back (empty when it stayed silent).
    struct Exchange
    {
        QByteArray request;
        QByteArray answer;
    };

    /// A unit as it leaves the factory: plausible general values, every
    /// home-channel record unprogrammed.
    RadioUnit();

    /// The answer to one request frame, empty when the unit stays silent.
    /// Counts and logs the request and applies the fault knobs.
    QByteArray answer(const QByteArray &request);

    /// Stores every parameter and record of a configuration, as a write walk
    /// would; knobs, counters and the log are not touched.
    void loadConfig(const RadioConfig &config);
    /// Stores one write frame the same way; false when it is refused.
    bool store(const QByteArray &writeFrame);
    /// Reads every parameter back into a fresh configuration, as the tool's
    /// Read would.
    RadioConfig toConfig() const;

    /// Marks every record unprogrammed (byte 4 = 0xFF).
    void eraseRecords();
    /// True when record (1 to 500) holds a channel.
    bool recordProgrammed(int record) const;

    /// Write frames with this parameter code are answered with a parameter
    /// error and not stored.
    void setErrorForCode(char code, bool on = true);
    /// Write frames with this parameter code (0x33 for every home-channel
    /// record) are answered as accepted but not stored: the unit keeps its
    /// old value. A frame it would refuse is still refused.
    void setIgnoreWriteForCode(char code, bool on = true);
    /// Write frames of this record number are answered with an error.
    void setErrorForRecord(int record, bool on = true);
    /// Answers the first count requests, then stays silent; -1 never stops.
    void setStopAfter(int count);
    /// Stays silent to the request with this number (the first is 1).
    void setSilentTo(int request);
    /// Requests received so far, answered or not.
    int requestCount() const { return requests; }
    /// Factory frames accepted so far.
    int factoryCount() const { return factoryFrames; }
    /// The most recent exchanges, oldest first: at most logLimit of them and
    /// logByteLimit bytes, so that a flood cannot grow it without end.
    const QList<Exchange> &log() const { return exchanges; }
    /// Forgets the log and the request counter.
    void clearLog();

    static const int logLimit = 4096;
    static const int logByteLimit = 1 << 20;

private:
    QByteArray respond(const QByteArray &request, bool applyKnobs);
    QByteArray readAnswer(const QByteArray &request) const;
    QByteArray writeAnswer(const QByteArray &request, bool applyKnobs);

    /// Each parameter's value as its write frame carries it, by command index.
    QByteArray values[Parameters::Count];
    QVector<QByteArray> records;

    QSet<char> errorCodes;
    QSet<char> ignoredCodes;
    QSet<int> errorRecords;
    int stopAfter = -1;
    int silentTo = 0;
    int requests = 0;
    int factoryFrames = 0;
    QList<Exchange> exchanges;
    qint64 logBytes = 0;
};

#endif
