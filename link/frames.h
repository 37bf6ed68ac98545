#ifndef VELMORA_LINK_FRAMES_H
#define VELMORA_LINK_FRAMES_H

#include "link/parameters.h"
#include "link/radioconfig.h"

#include <QByteArray>

/// Request frames of the radio unit. Command indexes 0 to 9 are the general
/// parameters, 10 to 509 the home-channel records 1 to 500.
namespace Frames {

enum : int
{
    GeneralCount = Parameters::Count,
    CommandCount = GeneralCount + RadioConfig::HomeRowCount,
    LastBypassIndex = GeneralCount - 1,
    RecordLength = 30,
};

enum : char
{
    Write = 0x01,
    Read = 0x02,
};

/// Byte 0 of the frames that are no general parameter's (those are in
/// the parameter table).
enum : char
{
    HomeChannelCode = 0x33,
    FactoryCode = 0x35,
};

/// Parameter code of a command index (0x33 for every home-channel index).
char parameterCode(int commandIndex);

/// Read request of a command index; home-channel indexes take their record
/// number from recordCounter and advance it.
QByteArray buildReadRequest(int commandIndex, qint32 &recordCounter);

/// Write frame of a general parameter (index 0 to 9).
QByteArray buildGeneralWriteFrame(int commandIndex, const GeneralSettings &settings);

/// The 30-byte home-channel record: texts inserted at 4, 7, 10, 12 and 14,
/// each pushing what lies behind it back, then cut to 30 bytes.
QByteArray buildHomeRecord(quint16 recordNumber, const HomeRow &row);

/// Write frame of a command index, empty outside 0 to 509; home-channel
/// indexes send row index - 10 under the number recordCounter holds, and
/// advance the counter.
QByteArray buildWriteFrame(int commandIndex, const RadioConfig &config, qint32 &recordCounter);

/// The factory-mode frame 35 01 05.
QByteArray buildFactoryFrame();

/// UTF-8 bytes cut and padded with 00 to 16 bytes.
QByteArray fixedText(const QString &text);

} // namespace Frames

#endif
