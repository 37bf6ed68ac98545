#include "app/messages.h"

#include <QMessageBox>

namespace {
WarningHandler &handler()
{
    static WarningHandler instance;
    return instance;
}
} // namespace

void showWarning(QWidget *parent, const QString &title, const QString &text)
{
    if (handler()) {
        handler()(parent, title, text);
        return;
    }
    QMessageBox::warning(parent, title, text);
}

void setWarningHandler(WarningHandler newHandler)
{
    handler() = std::move(newHandler);
}
