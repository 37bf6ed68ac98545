#include "unit/radiounit.h"

#include "link/answers.h"
#include "link/configtarget.h"
#include "link/frames.h"

namespace {

// Where a write answer carries its status: behind the record number, behind
// the address sub-code, or right behind the header.
int statusOffset(char code)
{
    if (code == Frames::HomeChannelCode)
        return 4;
    if (code == Frames::AddressCode)
        return 3;
    return 2;
}

QByteArray statusAnswer(const QByteArray &request, char status)
{
    QByteArray answer = request.left(statusOffset(request.at(0)));
    answer.append(statusOffset(request.at(0)) - answer.size(), '\0');
    answer.append(status);
    return answer;
}

int recordNumber(const QByteArray &frame)
{
    return quint8(frame.at(2)) * 256 + quint8(frame.at(3));
}

bool validRecord(int record)
{
    return record >= 1 && record <= RadioUnit::RecordCount;
}

} // namespace

RadioUnit::RadioUnit()
{
    // Something recognisable to read from a unit nobody has configured yet.
    dtmfDelay = 7;
    minVolume = 2;
    serialNumber = Frames::fixedText(QStringLiteral("SIM-0001"));
    userDescription = Frames::fixedText(QStringLiteral("Emulated unit"));
    addresses[0] = "10.10.9.13";
    addresses[1] = "255.255.255.0";
    addresses[2] = "10.10.9.254";
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
    const char code = request.at(0);
    const QByteArray header = request.left(2);
    QByteArray answer = header;
    switch (code) {
    case Frames::DtmfDelayCode:
    case Frames::MinVolumeCode:
    case Frames::InternalRadioCode:
    case Frames::RailroadCode:
        if (request.size() != 2)
            return header;
        answer.append(code == Frames::DtmfDelayCode       ? dtmfDelay
                      : code == Frames::MinVolumeCode     ? minVolume
                      : code == Frames::InternalRadioCode ? internalRadio
                                                          : railroad);
        return answer;
    case Frames::SerialNumberCode:
    case Frames::UserDescriptionCode:
        if (request.size() != 2)
            return header;
        return answer + (code == Frames::SerialNumberCode ? serialNumber : userDescription);
    case Frames::FeatureCode:
        if (request.size() != 2)
            return header;
        answer.append(char(features >> 8));
        answer.append(char(features & 0xFF));
        return answer;
    case Frames::AddressCode: {
        const int subCode = request.size() == 3 ? quint8(request.at(2)) : -1;
        if (subCode < 0 || subCode > 2)
            return header;
        answer.append(char(subCode));
        return answer + addresses[subCode];
    }
    case Frames::HomeChannelCode: {
        if (request.size() != 4 || !validRecord(recordNumber(request)))
            return header;
        return request + records.at(recordNumber(request) - 1);
    }
    default:
        return header;
    }
}

QByteArray RadioUnit::writeAnswer(const QByteArray &request, bool applyKnobs)
{
    const char code = request.at(0);
    const int size = request.size();
    const QByteArray refused = statusAnswer(request, StatusError);
    if (applyKnobs && errorCodes.contains(code))
        return refused;
    switch (code) {
    case Frames::DtmfDelayCode:
    case Frames::MinVolumeCode:
    case Frames::InternalRadioCode:
    case Frames::RailroadCode: {
        if (size != 3)
            return refused;
        char &value = code == Frames::DtmfDelayCode       ? dtmfDelay
                      : code == Frames::MinVolumeCode     ? minVolume
                      : code == Frames::InternalRadioCode ? internalRadio
                                                          : railroad;
        value = request.at(2);
        break;
    }
    case Frames::SerialNumberCode:
    case Frames::UserDescriptionCode:
        if (size != 18)
            return refused;
        (code == Frames::SerialNumberCode ? serialNumber : userDescription) = request.mid(2);
        break;
    case Frames::FeatureCode:
        if (size != 4)
            return refused;
        features = quint16(quint8(request.at(2)) << 8 | quint8(request.at(3)));
        break;
    case Frames::AddressCode: {
        const int subCode = size >= 3 ? quint8(request.at(2)) : -1;
        if (subCode < 0 || subCode > 2 || size - 3 > MaxAddressLength)
            return refused;
        addresses[subCode] = request.mid(3);
        break;
    }
    case Frames::HomeChannelCode: {
        if (size != Frames::RecordLength)
            return refused;
        const int record = recordNumber(request);
        if (!validRecord(record) || (applyKnobs && errorRecords.contains(record)))
            return refused;
        records[record - 1] = request.mid(4);
        break;
    }
    case Frames::FactoryCode:
        if (request != Frames::buildFactoryFrame())
            return refused;
        if (applyKnobs)
            ++factoryFrames;
        break;
    default:
        return refused;
    }
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
