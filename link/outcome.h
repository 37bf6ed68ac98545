#ifndef VELMORA_LINK_OUTCOME_H
#define VELMORA_LINK_OUTCOME_H

#include <QMetaType>
#include <QString>

/// How a link's walk ended, as a value: the dialogs turn it into the texts
/// they show, the command line into its results.
struct LinkOutcome
{
    enum Kind
    {
        Complete,
        Timeout,      ///< a request went unanswered
        WriteTimeout, ///< the serial port did not take a request in time
        CannotOpen,   ///< nothing was sent; reason says why
        Stopped,      ///< ended on request between two exchanges
    };

    Kind kind = Complete;
    QString reason; ///< the system's words, for CannotOpen
};
Q_DECLARE_METATYPE(LinkOutcome)

/// The requests of a "Read", "Write" or "Factory" walk in which every
/// request is answered: Home Bypass leaves the home channels out.
int walkLength(const QString &type, bool homeBypass);

#endif
