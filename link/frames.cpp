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

} // namespace

char parameterCode(int commandIndex)
{
    const Parameters::Row *row = Parameters::atCommand(commandIndex);
    return row ? row->wire.code : char(HomeChannelCode);
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
    const Parameters::Row *row = Parameters::atCommand(commandIndex);
    if (row && row->wire.subCode != Parameters::NoSubCode)
        frame.append(char(row->wire.subCode));
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
    const Parameters::Row *row = Parameters::atCommand(commandIndex);
    if (!row)
        return frame;
    if (row->wire.subCode != Parameters::NoSubCode)
        frame.append(char(row->wire.subCode));
    switch (row->format) {
    case Parameters::Format::Number:
        frame.append(valueByte(settings.*row->text));
        break;
    case Parameters::Format::FixedText:
        frame.append(fixedText(settings.*row->text));
        break;
    case Parameters::Format::Address:
        frame.append((settings.*row->text).toUtf8());
        break;
    case Parameters::Format::Word:
        frame.append(char(settings.*row->word >> 8));
        frame.append(char(settings.*row->word & 0xFF));
        break;
    case Parameters::Format::ListIndex:
        frame.append(char(settings.*row->index & 0xFF));
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
