#pragma once

#include <QObject>
#include <array>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

// The main window's menu bar and toolbar, with the items named as the rest of
// the shell knows them. Only builds and names; the window connects the
// handlers.
class MainMenus : public QObject
{
    Q_OBJECT
public:
    explicit MainMenus(QMainWindow& window);

    // File
    QAction* mnuitmNew;
    QAction* mnuitmOpen;
    QAction* MnuitmSave;
    QAction* MnuitmSaveAs;
    QAction* mnuitmPrint;
    QAction* mnuitmReport;
    std::array<QAction*, 5> mnuitmRUFile;
    QAction* mnuitmExitSep;
    QAction* mnuitmExit;
    // Communications
    QAction* mnuitmCommsConnect;
    QAction* mnuitmSettingsComms;
    QAction* mnuitmCommsStatistics;
    QAction* mnuitmTrends;
    QAction* mnuitmRevWordOrder;
    QAction* mnuitmRequestConfig;
    QAction* mnuitmSendConfig;
    QAction* mnuitmCompareConfig;
    QAction* mnuitmFindTZL;
    QAction* mnuitmVerifyDownload;
    // Help
    QAction* mnuitmHelpContents;
    QAction* mnuitmAbout;

    // Toolbar buttons by key: "new", "open", "save", "print", "online",
    // "offline", "upload", "download", "comms", "trends".
    QToolBar* Toolbar1;
    QAction* ToolbarButton(const QString& key) const;

private:
    QAction* AddItem(QMenu* menu, const QString& name, const QString& caption);
    void SetUpToolbar(QMainWindow& window);
};
