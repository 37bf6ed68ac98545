#ifndef VELMORA_LINK_LINKDIALOG_H
#define VELMORA_LINK_LINKDIALOG_H

#include <QByteArray>
#include <QDialog>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class MainWindow;

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

    /// Shows text in the status line, wrapped, and lets the dialog grow in
    /// height as far as the text needs.
    void setStatus(const QString &text);

public slots:
    /// Counts one answer, shows traffic and progress, reports a parameter
    /// error or writes the value it carries into the tabs. After the dialog
    /// was closed nothing reaches the tabs any more.
    void showResponse(QByteArray response);

protected:
    /// Lays the dialog out with label and field (port list or address) in
    /// the first row, and fixes its size.
    void layOut(QWidget *label, QWidget *field);
    /// Enables the main window's Connect actions again; the dialog is only
    /// hidden, and what its link still delivers is dropped.
    void closeEvent(QCloseEvent *event) override;
    /// Escape closes the dialog as its close button does, Connect actions and all.
    void reject() override;
    /// Fixes the traffic line at the size the layout gives it.
    void showEvent(QShowEvent *event) override;

    MainWindow *const mainWindow;
    bool closed = false;
};

#endif
