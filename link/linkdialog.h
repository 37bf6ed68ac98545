#ifndef VELMORA_LINK_LINKDIALOG_H
#define VELMORA_LINK_LINKDIALOG_H

#include <QByteArray>
#include <QDialog>

class QCheckBox;
class QLabel;
class QProgressBar;
class MainWindow;
struct Answer;

/// What the serial and the network dialog share: the transaction status they
/// show and the decoding of the unit's answers into the editor tabs.
class LinkDialog : public QDialog
{
    Q_OBJECT

public:
    explicit LinkDialog(QWidget *parent);

    qint32 transactionCount = 0;
    qint32 parameterError = 0;
    QLabel *trafficLabel = nullptr;
    QLabel *statusLabel = nullptr;
    QProgressBar *progressBar = nullptr;
    QCheckBox *homeBypassCheckBox = nullptr;

    /// Writes a decoded answer into the tabs of window; error kinds and
    /// answers without effect change nothing there.
    static void applyAnswer(const Answer &answer, MainWindow *window);

public slots:
    /// Counts one answer, shows traffic and progress, reports a parameter
    /// error or writes the value it carries into the tabs.
    void showResponse(QByteArray response);

protected:
    /// The main window this link reaches the tabs through.
    virtual MainWindow *linkWindow() const = 0;
};

#endif
