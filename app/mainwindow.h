#ifndef VELMORA_APP_MAINWINDOW_H
#define VELMORA_APP_MAINWINDOW_H

#include <QMainWindow>

#include <functional>

class QAction;
class QMenu;
class QTabWidget;
class QToolBar;
class Dialog;
class DialogUDP;
class FeatureTab;
class HomeTab;
class NetworkTab;
class RadioTab;

/// The single fixed-size window: the four editor tabs, menus, tool bars and
/// the data file operations.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow();

    /// Writes the configuration to fileName; false (after a warning) on failure.
    bool saveFile(const QString &fileName);
    /// Reads fileName into the tabs; warns and changes nothing on refusal.
    void loadFile(const QString &fileName);

    QString fileIdentifier;
    NetworkTab *networkTab = nullptr;
    RadioTab *radioTab = nullptr;
    HomeTab *homeTab = nullptr;
    FeatureTab *featureTab = nullptr;
    Dialog *serialDialog = nullptr;
    DialogUDP *udpDialog = nullptr;
    QAction *serialAct = nullptr;
    QAction *networkAct = nullptr;
    QTabWidget *tabWidget = nullptr;
    QString curFile;
    QMenu *fileMenu = nullptr;
    QMenu *connectMenu = nullptr;
    QMenu *helpMenu = nullptr;
    QToolBar *fileToolBar = nullptr;
    QToolBar *connectToolBar = nullptr;
    QAction *openAct = nullptr;
    QAction *saveAct = nullptr;
    QAction *saveAsAct = nullptr;
    QAction *exitAct = nullptr;
    QAction *aboutAct = nullptr;

    /// Answers the file dialogs; tests replace them. An empty name means cancelled.
    std::function<QString(QWidget *)> askOpenFileName;
    std::function<QString(QWidget *)> askSaveFileName;

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void open();
    bool save();
    bool saveAs();
    bool connectRadio();
    bool connectRadioUDP();
    void about();

private:
    void createActions();
    void createMenus();
    void createToolBars();
    void setCurrentFile(const QString &fileName);
};

#endif
