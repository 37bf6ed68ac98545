#ifndef VELMORA_LINK_ACCEPTANCE_H
#define VELMORA_LINK_ACCEPTANCE_H

#include "link/radioconfig.h"

#include <QList>
#include <QString>

/// The rules by which the editor shows a value in red. Nothing is refused
/// for them: they warn, in the window and on the command line alike.
namespace Acceptance {

/// DTMF delay: 1 to 20.
bool dtmfDelay(const QString &text);
/// Minimum volume: at most 20.
bool minVolume(const QString &text);
/// Serial number and user description: at most 16 characters.
bool fixedText(const QString &text);
/// IP address, subnet mask and gateway: the host-address parser takes the
/// text, and it holds no blank.
bool address(const QString &text);
/// A channel number the unit can use.
bool channel(int channel);
/// A channel of the high band, whose RAN the table fills in as "01".
bool highBand(int channel);

/// The verdict on each cell of a home-channel row: a channel pair in
/// different bands is red in both, and the RAN limit follows the TX band.
struct RowVerdict
{
    bool tx = true;
    bool rx = true;
    bool ranTx = true;
    bool ranRx = true;
    bool label = true;
};
RowVerdict row(const HomeRow &texts);

/// A non-empty value the window shows in red.
struct Problem
{
    int field = 0; ///< the data file's zero-based field index
    QString text;
    QString rule; ///< what the value breaks, in a few words
};

/// Every red value of config, in data file order. Empty texts are left
/// out: the window shows nothing there.
QList<Problem> problems(const RadioConfig &config);

} // namespace Acceptance

#endif
