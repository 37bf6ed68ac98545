// Feeds arbitrary bytes to the answer parser, as a unit (or anything else on
// the line) might send them. Aborts when a decoded value breaks the limits the
// tabs rely on; AddressSanitizer catches any read outside the answer.
#include "link/answers.h"
#include "link/frames.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A copy of exactly the input, so that one byte too far leaves the buffer.
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(qMin<size_t>(size, 4096)));
    const Answer answer = parseAnswer(bytes);
    if (answer.kind == Answer::HomeChannel &&
        (bytes.size() != Frames::RecordLength || answer.record < 1 || answer.record > 500 ||
         answer.row.tx.size() > 3 || answer.row.rx.size() > 3 || answer.row.ranTx.size() > 2 ||
         answer.row.ranRx.size() > 2 || answer.row.label.size() > 16))
        abort();
    if (!answer.isValue())
        return 0;
    switch (Parameters::row(answer.parameter()).format) {
    case Parameters::Format::ListIndex:
        if (answer.index < -128 || answer.index > 127)
            abort();
        break;
    case Parameters::Format::FixedText:
        if (bytes.size() != 18 || answer.text.size() > 16)
            abort();
        break;
    default:
        break;
    }
    return 0;
}
