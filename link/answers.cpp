#include "link/answers.h"

#include "link/frames.h"

namespace {

// A byte the answer does not hold reads as -1, which matches no test.
int byteAt(const QByteArray &bytes, int offset)
{
    if (offset < 0 || offset >= bytes.size())
        return -1;
    return quint8(bytes.at(offset));
}

QString signedDecimal(const QByteArray &bytes, int offset)
{
    return QString::number(int(qint8(quint8(bytes.at(offset)))));
}

Answer homeChannel(const QByteArray &bytes)
{
    Answer answer;
    answer.kind = Answer::HomeChannel;
    answer.record = byteAt(bytes, 2) * 256 + byteAt(bytes, 3);
    const int end = Frames::RecordLength;
    HomeRow &row = answer.row;
    if (byteAt(bytes, 4) != 0xFF) {
        row.tx = textUpToNul(bytes, 4, end).left(3);
        row.rx = textUpToNul(bytes, 7, end).left(3);
        row.ranTx = textUpToNul(bytes, 10, end).left(2);
        row.ranRx = textUpToNul(bytes, 12, end).left(2);
        row.label = textUpToNul(bytes, 14, end);
        const QString unset = QStringLiteral("00");
        if (row.ranTx == unset)
            row.ranTx.clear();
        if (row.ranRx == unset)
            row.ranRx.clear();
        const int labelStart = byteAt(bytes, 14);
        if (labelStart == 0xFF || labelStart == 0x20)
            row.label.clear();
    }
    if (answer.record < 1 || answer.record > RadioConfig::HomeRowCount)
        answer.kind = Answer::NoEffect;
    return answer;
}

Answer readAnswer(const QByteArray &bytes)
{
    Answer answer;
    const int code = byteAt(bytes, 0);
    const int size = bytes.size();
    if (code == Frames::HomeChannelCode) {
        if (size == Frames::RecordLength)
            answer = homeChannel(bytes);
        return answer;
    }
    const Parameters::Row *row = Parameters::find(code, byteAt(bytes, 2));
    if (!row || (row->wire.answerLength && size != row->wire.answerLength))
        return answer;
    // The answer repeats the read request, then carries the value.
    const int value = row->wire.readLength;
    switch (row->format) {
    case Parameters::Format::Number:
        answer.text = signedDecimal(bytes, value);
        break;
    case Parameters::Format::FixedText:
        answer.text = textUpToNul(bytes, value, row->wire.answerLength);
        break;
    case Parameters::Format::Address:
        answer.text = textUpToNul(bytes, value, size);
        break;
    case Parameters::Format::Word:
        answer.features = quint16(byteAt(bytes, value) << 8 | byteAt(bytes, value + 1));
        break;
    case Parameters::Format::ListIndex:
        answer.index = qint8(quint8(bytes.at(value)));
        break;
    }
    answer.kind = Answer::kindOf(row->parameter);
    return answer;
}

} // namespace

QString textUpToNul(const QByteArray &bytes, int from, int to)
{
    to = qMin(to, bytes.size());
    if (from < 0 || from >= to)
        return QString::fromUtf8("");
    const int nul = bytes.indexOf('\0', from);
    const int end = (nul >= 0 && nul < to) ? nul : to;
    return QString::fromUtf8(bytes.constData() + from, end - from);
}

Answer parseAnswer(const QByteArray &bytes)
{
    Answer answer;
    const int code = byteAt(bytes, 0);
    const int direction = byteAt(bytes, 1);
    if (direction == Frames::Write) {
        // The status byte sits right behind the request's own addressing.
        if (byteAt(bytes, Parameters::statusOffset(code)) != 0x01)
            return answer;
        const int addressCode = quint8(Parameters::row(Parameter::Ip).wire.code);
        answer.kind = code == Frames::HomeChannelCode ? Answer::ChannelError
                      : code == addressCode           ? Answer::AddressError
                                                      : Answer::ParameterError;
        return answer;
    }
    if (direction == Frames::Read)
        return readAnswer(bytes);
    return answer;
}

const char *errorText(Answer::Kind kind)
{
    switch (kind) {
    case Answer::ChannelError:
        return QT_TRANSLATE_NOOP("LinkDialog", "Channel parameter error detected");
    case Answer::AddressError:
        return QT_TRANSLATE_NOOP("LinkDialog", "IP parameter error detected");
    case Answer::ParameterError:
        return QT_TRANSLATE_NOOP("LinkDialog", "Parameter error detected");
    default:
        return "";
    }
}
