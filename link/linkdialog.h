#ifndef VELMORA_LINK_LINKDIALOG_H
#define VELMORA_LINK_LINKDIALOG_H

#include <QByteArray>
#include <QDialog>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class MainWindow;
struct Answer;

/// What the serial and the network dialog share: the buttons, the
/// transaction status they show, their layout, and the decoding of the
/// unit's answers into the editor tabs of the main window that opened them.
class LinkDialog : public QDialog
{
    Q_OBJECT

public:
    /// window is the dialog's parent and the window whose tabs it reads and sets.
    explicit LinkDialog(MainWindow *window);

    qint32 transactionCount = 0;
    qint32 parameterError = 0;
    QLabel *trafficLabel = nullptr;
    QLabel *statusLabel = nullptr;
    QPushButton *readButton = nullptr;
    QPushButton *writeButton = nullptr;
    QPushButton *factoryButton = nullptr;
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
    /// Lays the dialog out with label and field (port list or address) in
    /// the first row, and fixes its size.
    void layOut(QWidget *label, QWidget *field);
    /// Enables the main window's Connect actions again; the dialog is only hidden.
    void closeEvent(QCloseEvent *event) override;
    /// Escape closes the dialog as its close button does, Connect actions and all.
    void reject() override;
    /// Fixes the traffic line at the size the layout gives it.
    void showEvent(QShowEvent *event) override;

    MainWindow *const mainWindow;
};

#endif
