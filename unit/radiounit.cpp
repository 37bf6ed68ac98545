#include "unit/radiounit.h"

#include "link/answers.h"
#include "link/configtarget.h"
#include "link/frames.h"

namespace {

QByteArray statusAnswer(const QByteArray &request, char status)
{
    const int offset = Parameters::statusOffset(request.at(0));
    QByteArray answer = request.left(offset);
    answer.append(offset - answer.size(), '\0');
    answer.append(status);
    return answer;
}

int recordNumber(const QByteArray &frame)
{
    return quint8(frame.at(2)) * 256 + quint8(frame.at(3));
}

// The row of the parameter a frame names; null for any other frame.
const Parameters::Row *rowOf(const QByteArray &frame)
{
    return Parameters::find(frame.at(0), frame.size() >= 3 ? quint8(frame.at(2)) : -1);
}

bool validRecord(int record)
{
    return record >= 1 && record <= RadioUnit::RecordCount;
}

} // namespace

RadioUnit::RadioUnit()
{
    // Something recognisable to read from a unit nobody has configured yet.
    GeneralSettings g = freshConfig().general;
    g.serialNumber = QStringLiteral("SIM-0001");
    g.userDescription = QStringLiteral("Emulated unit");
    for (int index = 0; index < Parameters::Count; ++index)
        store(Frames::buildGeneralWriteFrame(index, g));
    eraseRecords();
}

void RadioUnit::eraseRecords()
{
    // Erased flash: every byte 0xFF, which the tool reads as "no channel".
    records = QVector<QByteArray>(RecordCount, QByteArray(RecordBodyLength, char(0xFF)));
}

bool RadioUnit::recordProgrammed(int record) const
{
    return validRecord(record) && quint8(records.at(record - 1).at(0)) != 0xFF;
}

void RadioUnit::setErrorForCode(char code, bool on)
{
    if (on)
        errorCodes.insert(code);
    else
        errorCodes.remove(code);
}

void RadioUnit::setIgnoreWriteForCode(char code, bool on)
{
    if (on)
        ignoredCodes.insert(code);
    else
        ignoredCodes.remove(code);
}

void RadioUnit::setErrorForRecord(int record, bool on)
{
    if (on)
        errorRecords.insert(record);
    else
        errorRecords.remove(record);
}

void RadioUnit::setStopAfter(int count)
{
    stopAfter = count;
}

void RadioUnit::setSilentTo(int request)
{
    silentTo = request;
}

void RadioUnit::clearLog()
{
    exchanges.clear();
    logBytes = 0;
    requests = 0;
}

QByteArray RadioUnit::answer(const QByteArray &request)
{
    ++requests;
    QByteArray reply;
    if ((stopAfter < 0 || requests <= stopAfter) && requests != silentTo)
        reply = respond(request, true);
    exchanges.append(Exchange{request, reply});
    logBytes += request.size() + reply.size();
    while (exchanges.size() > logLimit || (logBytes > logByteLimit && exchanges.size() > 1)) {
        logBytes -= exchanges.first().request.size() + exchanges.first().answer.size();
        exchanges.removeFirst();
    }
    return reply;
}

QByteArray RadioUnit::respond(const QByteArray &request, bool applyKnobs)
{
    if (request.size() < 2)
        return QByteArray();
    if (request.at(1) == Frames::Read)
        return readAnswer(request);
    if (request.at(1) == Frames::Write)
        return writeAnswer(request, applyKnobs);
    return QByteArray();
}

QByteArray RadioUnit::readAnswer(const QByteArray &request) const
{
    const QByteArray header = request.left(2);
    if (request.at(0) == Frames::HomeChannelCode) {
        if (request.size() != Parameters::homeChannels.readLength ||
            !validRecord(recordNumber(request)))
            return header;
        return request + records.at(recordNumber(request) - 1);
    }
    const Parameters::Row *row = rowOf(request);
    if (!row || request.size() != row->wire.readLength)
        return header;
    return request + values[int(row->parameter)];
}

QByteArray RadioUnit::writeAnswer(const QByteArray &request, bool applyKnobs)
{
    const char code = request.at(0);
    const int size = request.size();
    const QByteArray refused = statusAnswer(request, StatusError);
    if (applyKnobs && errorCodes.contains(code))
        return refused;
    const bool keep = !applyKnobs || !ignoredCodes.contains(code);
    if (code == Frames::HomeChannelCode) {
        if (size != Parameters::homeChannels.writeLength)
            return refused;
        const int record = recordNumber(request);
        if (!validRecord(record) || (applyKnobs && errorRecords.contains(record)))
            return refused;
        if (keep)
            records[record - 1] = request.mid(Parameters::homeChannels.readLength);
        return statusAnswer(request, StatusAccepted);
    }
    if (code == Frames::FactoryCode) {
        if (request != Frames::buildFactoryFrame())
            return refused;
        if (applyKnobs)
            ++factoryFrames;
        return statusAnswer(request, StatusAccepted);
    }
    const Parameters::Row *row = rowOf(request);
    if (!row)
        return refused;
    // The value follows the bytes a read request of the parameter has.
    const int value = row->wire.readLength;
    if (row->wire.writeLength ? size != row->wire.writeLength : size - value > MaxAddressLength)
        return refused;
    if (keep)
        values[int(row->parameter)] = request.mid(value);
    return statusAnswer(request, StatusAccepted);
}

void RadioUnit::loadConfig(const RadioConfig &config)
{
    qint32 recordCounter = 1;
    for (int index = 0; index < Frames::CommandCount; ++index)
        store(Frames::buildWriteFrame(index, config, recordCounter));
}

bool RadioUnit::store(const QByteArray &writeFrame)
{
    return writeFrame.size() >= 2 &&
           quint8(writeAnswer(writeFrame, false).back()) == StatusAccepted;
}

RadioConfig RadioUnit::toConfig() const
{
    ConfigModel read;
    qint32 recordCounter = 1;
    for (int index = 0; index < Frames::CommandCount; ++index)
        applyAnswer(parseAnswer(readAnswer(Frames::buildReadRequest(index, recordCounter))), read);
    return read.config;
}
