#ifndef VELMORA_LINK_PARAMETERS_H
#define VELMORA_LINK_PARAMETERS_H

#include "link/radioconfig.h"

/// The unit's general parameters; each one's value is its command index.
enum class Parameter : int
{
    DtmfDelay,
    MinVolume,
    SerialNumber,
    UserDescription,
    Ip,
    SubnetMask,
    Gateway,
    Features,
    InternalRadio,
    Railroad,
};

/// The one table of the general parameters: everything the frames, the
/// answers, the emulated unit, the data file and the text form know of each.
namespace Parameters {

enum : int
{
    Count = 10,
    NoSubCode = -1,
};

/// How a value travels in frames and answers.
enum class Format
{
    Number,    ///< a text sent as the low byte of its base-10 value, read back signed
    FixedText, ///< a text in 16 bytes, cut and padded with 00
    Address,   ///< a text as long as it is, behind the sub-code
    Word,      ///< the feature word, high byte first
    ListIndex, ///< a list's index in one byte, read back signed
};

/// The frames of one parameter code, in bytes. A value follows the bytes of
/// the read request, in its answer and in its write frame alike.
struct Wire
{
    char code;
    int subCode;      ///< byte 2 of every frame, or NoSubCode
    int readLength;   ///< of the read request
    int answerLength; ///< of the value answer; 0 where the text sets it
    int writeLength;  ///< of the write frame; 0 where the text sets it
    int statusOffset; ///< of the status byte in the write answer
};

struct Row
{
    Parameter parameter;
    Wire wire;
    Format format;
    int field;         ///< the data file's zero-based field index
    const char *key;   ///< the text form's key, after "general."
    const char *fresh; ///< a fresh window's text; null for Word and ListIndex
    /// Where GeneralSettings holds the value: text for the text formats,
    /// index for ListIndex, word for Word; the others are null.
    QString GeneralSettings::*text;
    int GeneralSettings::*index;
    quint16 GeneralSettings::*word;
    int listCount; ///< ListIndex: the entries of its list
};

/// In command index order.
extern const Row rows[Count];

/// The home-channel records' frames, one code for all 500.
extern const Wire homeChannels;

inline const Row &row(Parameter parameter)
{
    return rows[int(parameter)];
}

/// The row of a command index; null outside 0 to 9.
const Row *atCommand(int commandIndex);

/// The row stored in a data file field; null for any other field.
const Row *atField(int field);

/// The row of a parameter code and, where the code takes one, the sub-code;
/// null when none matches.
const Row *find(int code, int subCode);

/// The frames of a parameter code, the home channels' too; null for a code
/// of no parameter.
const Wire *wireOf(int code);

/// Where the write answer to a frame of this code carries its status: right
/// behind the header for a code of no parameter.
int statusOffset(int code);

/// True when every value of the two is equal.
bool equal(const GeneralSettings &first, const GeneralSettings &second);

} // namespace Parameters

#endif
