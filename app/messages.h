#ifndef VELMORA_APP_MESSAGES_H
#define VELMORA_APP_MESSAGES_H

#include <functional>

class QString;
class QWidget;

/// Every warning box of the program goes through here.
void showWarning(QWidget *parent, const QString &title, const QString &text);

/// Replaces the warning box, e.g. by a recorder in tests; an empty handler
/// brings the real box back.
using WarningHandler = std::function<void(QWidget *, const QString &, const QString &)>;
void setWarningHandler(WarningHandler handler);

#endif
