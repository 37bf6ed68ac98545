#include "link/frames.h"

namespace Frames {

namespace {

QByteArray header(char code, char direction)
{
    QByteArray frame;
    frame.reserve(RecordLength);
    frame.append(code);
    frame.append(direction);
    return frame;
}

// The counter moves once per home-channel frame built, read or write.
quint16 takeRecordNumber(qint32 &recordCounter)
{
    const quint16 record = quint16(recordCounter & 0xFFFF);
    ++recordCounter;
    return record;
}

// Low 8 bits of a base-10 parse (non-numbers count as 0).
char valueByte(const QString &text)
{
    return char(toIntOrZero(text) & 0xFF);
}

char addressSubCode(int commandIndex)
{
    return char(commandIndex - 4);
}

} // namespace

char parameterCode(int commandIndex)
{
    static const char codes[GeneralCount] = {
        DtmfDelayCode, MinVolumeCode, SerialNumberCode, UserDescriptionCode, AddressCode,
        AddressCode,   AddressCode,   FeatureCode,      InternalRadioCode,   RailroadCode,
    };
    if (commandIndex >= 0 && commandIndex < GeneralCount)
        return codes[commandIndex];
    return HomeChannelCode;
}

QByteArray fixedText(const QString &text)
{
    QByteArray bytes = text.toUtf8().left(16);
    bytes.append(16 - bytes.size(), '\0');
    return bytes;
}

QByteArray buildReadRequest(int commandIndex, qint32 &recordCounter)
{
    QByteArray frame = header(parameterCode(commandIndex), Read);
    if (commandIndex >= 4 && commandIndex <= 6)
        frame.append(addressSubCode(commandIndex));
    else if (commandIndex >= GeneralCount) {
        const quint16 record = takeRecordNumber(recordCounter);
        frame.append(char(record >> 8));
        frame.append(char(record & 0xFF));
    }
    return frame;
}

QByteArray buildGeneralWriteFrame(int commandIndex, const GeneralSettings &settings)
{
    QByteArray frame = header(parameterCode(commandIndex), Write);
    switch (commandIndex) {
    case 0:
        frame.append(valueByte(settings.dtmfDelay));
        break;
    case 1:
        frame.append(valueByte(settings.minVolume));
        break;
    case 2:
        frame.append(fixedText(settings.serialNumber));
        break;
    case 3:
        frame.append(fixedText(settings.userDescription));
        break;
    case 4:
    case 5:
    case 6: {
        const QString &address = commandIndex == 4   ? settings.ip
                                 : commandIndex == 5 ? settings.subnetMask
                                                     : settings.gateway;
        frame.append(addressSubCode(commandIndex));
        frame.append(address.toUtf8());
        break;
    }
    case 7:
        frame.append(char(settings.features >> 8));
        frame.append(char(settings.features & 0xFF));
        break;
    case 8:
        frame.append(char(settings.internalRadio & 0xFF));
        break;
    case 9:
        frame.append(char(settings.railroad & 0xFF));
        break;
    default:
        break;
    }
    return frame;
}

QByteArray buildHomeRecord(quint16 recordNumber, const HomeRow &row)
{
    QByteArray frame(RecordLength, '\0');
    frame[0] = HomeChannelCode;
    frame[1] = Write;
    frame[2] = char(recordNumber >> 8);
    frame[3] = char(recordNumber & 0xFF);
    // Inserted, not overwritten: a text longer than its field pushes the
    // fields behind it back, and whatever passes offset 29 is cut off.
    frame.insert(4, row.tx.toUtf8());
    frame.insert(7, row.rx.toUtf8());
    frame.insert(10, row.ranTx.toUtf8());
    frame.insert(12, row.ranRx.toUtf8());
    frame.insert(14, row.label.toUtf8());
    frame.truncate(RecordLength);
    return frame;
}

QByteArray buildWriteFrame(int commandIndex, const RadioConfig &config, qint32 &recordCounter)
{
    if (commandIndex < 0 || commandIndex >= CommandCount)
        return QByteArray();
    if (commandIndex < GeneralCount)
        return buildGeneralWriteFrame(commandIndex, config.general);
    return buildHomeRecord(takeRecordNumber(recordCounter),
                           config.rows.value(commandIndex - GeneralCount));
}

QByteArray buildFactoryFrame()
{
    return QByteArray("\x35\x01\x05", 3);
}

} // namespace Frames
