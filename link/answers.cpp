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
    switch (code) {
    case Frames::DtmfDelayCode:
    case Frames::MinVolumeCode:
        if (size == 3) {
            answer.kind = code == Frames::DtmfDelayCode ? Answer::DtmfDelay : Answer::MinVolume;
            answer.text = signedDecimal(bytes, 2);
        }
        break;
    case Frames::SerialNumberCode:
    case Frames::UserDescriptionCode:
        if (size == 18) {
            answer.kind =
                code == Frames::SerialNumberCode ? Answer::SerialNumber : Answer::UserDescription;
            answer.text = textUpToNul(bytes, 2, 18);
        }
        break;
    case Frames::AddressCode: {
        static const Answer::Kind kinds[] = {Answer::Ip, Answer::SubnetMask, Answer::Gateway};
        const int subCode = byteAt(bytes, 2);
        if (subCode >= 0 && subCode <= 2) {
            answer.kind = kinds[subCode];
            answer.text = textUpToNul(bytes, 3, size);
        }
        break;
    }
    case Frames::FeatureCode:
        if (size == 4) {
            answer.kind = Answer::Features;
            answer.features = quint16(byteAt(bytes, 2) << 8 | byteAt(bytes, 3));
        }
        break;
    case Frames::InternalRadioCode:
    case Frames::RailroadCode:
        if (size == 3) {
            answer.kind =
                code == Frames::InternalRadioCode ? Answer::InternalRadio : Answer::Railroad;
            answer.index = qint8(quint8(bytes.at(2)));
        }
        break;
    case Frames::HomeChannelCode:
        if (size == Frames::RecordLength)
            answer = homeChannel(bytes);
        break;
    default:
        break;
    }
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
        if (code == Frames::HomeChannelCode) {
            if (byteAt(bytes, 4) == 0x01)
                answer.kind = Answer::ChannelError;
        } else if (code == Frames::AddressCode) {
            if (byteAt(bytes, 3) == 0x01)
                answer.kind = Answer::AddressError;
        } else if (byteAt(bytes, 2) == 0x01) {
            answer.kind = Answer::ParameterError;
        }
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
