#ifndef VELMORA_LINK_DIALOG_H
#define VELMORA_LINK_DIALOG_H

#include "link/linkdialog.h"
#include "link/masterthread.h"

class QComboBox;

/// The serial connection dialog: a port (chosen from the system's list or
/// typed as a device path), and Read, Write and Factory Mode over it, run by
/// its own worker thread.
class Dialog : public LinkDialog
{
    Q_OBJECT

public:
    /// window is the dialog's parent and the window whose tabs it reads and sets.
    explicit Dialog(MainWindow *window);

    QLabel *serialPortLabel = nullptr;
    QComboBox *serialPortComboBox = nullptr;
    MasterThread thread;

private slots:
    void transaction();
    void write();
    void factory();
    void processError(const QString &s);
    void processTimeout(const QString &s);
    void processCombo(int index);

protected:
    /// Also ends a running transaction at its next exchange.
    void closeEvent(QCloseEvent *event) override;

private:
    void start(const QString &requestType, QPushButton *button);
    void setReady(bool ready);

    /// Gets the keyboard focus back when the transaction it started ends.
    QPushButton *startedBy = nullptr;
};

#endif
