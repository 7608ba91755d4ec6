#include "shell/MainMenus.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>

namespace {

struct ToolbarKey
{
    const char* Key;
    const char* ToolTip;
    const char* ThemeIcon;
    QStyle::StandardPixmap Fallback;
};

// Separators between the groups; icons from the desktop's theme, or Qt's own
// where the theme has none.
const ToolbarKey ToolbarKeys[] = {
    {"new", "New TZL Configuration", "document-new", QStyle::SP_FileIcon},
    {"open", "Open TZL Configuration File", "document-open", QStyle::SP_DialogOpenButton},
    {"save", "Save TZL Configuration File", "document-save", QStyle::SP_DialogSaveButton},
    {nullptr, nullptr, nullptr, QStyle::SP_CustomBase},
    {"print", "Print TZL Configuration", "document-print", QStyle::SP_FileDialogDetailedView},
    {nullptr, nullptr, nullptr, QStyle::SP_CustomBase},
    {"online", "Enter On-Line mode", "network-connect", QStyle::SP_MediaPlay},
    {"offline", "Enter Off-Line mode", "network-disconnect", QStyle::SP_MediaStop},
    {nullptr, nullptr, nullptr, QStyle::SP_CustomBase},
    {"upload", "Upload Configuration From TZL", "go-down", QStyle::SP_ArrowDown},
    {"download", "Download Configuration To TZL", "go-up", QStyle::SP_ArrowUp},
    {nullptr, nullptr, nullptr, QStyle::SP_CustomBase},
    {"comms", "Config PC Communication Settings", "preferences-system", QStyle::SP_ComputerIcon},
    {"trends", "Show Measurement Trends", "utilities-system-monitor",
     QStyle::SP_FileDialogContentsView},
};

} // namespace

MainMenus::MainMenus(QMainWindow& window)
    : QObject(&window)
{
    QMenuBar* bar = window.menuBar();

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnufile"));
    mnuitmNew = AddItem(file, QStringLiteral("mnuitmNew"), QStringLiteral("&New"));
    mnuitmOpen = AddItem(file, QStringLiteral("mnuitmOpen"), QStringLiteral("&Open"));
    file->addSeparator();
    MnuitmSave = AddItem(file, QStringLiteral("MnuitmSave"), QStringLiteral("&Save"));
    MnuitmSaveAs = AddItem(file, QStringLiteral("MnuitmSaveAs"), QStringLiteral("Save &As"));
    file->addSeparator();
    mnuitmPrint = AddItem(file, QStringLiteral("mnuitmPrint"), QStringLiteral("&Print"));
    mnuitmReport =
        AddItem(file, QStringLiteral("mnuitmReport"), QStringLiteral("Commissioning &Report..."));
    file->addSeparator();
    for (std::size_t i = 0; i < mnuitmRUFile.size(); ++i) {
        mnuitmRUFile[i] = AddItem(file, QStringLiteral("mnuitmRUFile%1").arg(i), QString());
        mnuitmRUFile[i]->setVisible(false);
    }
    mnuitmExitSep = file->addSeparator();
    mnuitmExitSep->setObjectName(QStringLiteral("mnuitmExitSep"));
    mnuitmExit = AddItem(file, QStringLiteral("mnuitmExit"), QStringLiteral("E&xit"));

    // The keys every desktop program has; they clash with nothing here.
    mnuitmOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    MnuitmSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuitmPrint->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    mnuitmExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* comms = bar->addMenu(QStringLiteral("&Communications"));
    comms->setObjectName(QStringLiteral("mnuCommunications"));
    mnuitmCommsConnect =
        AddItem(comms, QStringLiteral("mnuitmCommsConnect"), QStringLiteral("&On-Line"));
    comms->addSeparator();
    mnuitmSettingsComms =
        AddItem(comms, QStringLiteral("mnuitmSettingsComms"), QStringLiteral("&Settings"));
    mnuitmCommsStatistics =
        AddItem(comms, QStringLiteral("mnuitmCommsStatistics"), QStringLiteral("S&tatistics"));
    mnuitmTrends = AddItem(comms, QStringLiteral("mnuitmTrends"), QStringLiteral("T&rends..."));
    comms->addSeparator();
    // Kept for relays that answer in the other word order, but not offered:
    // the word order is chosen in the settings.
    mnuitmRevWordOrder = AddItem(comms, QStringLiteral("mnuitmRevWordOrder"),
                                 QStringLiteral("&Reverse Register Order"));
    mnuitmRevWordOrder->setCheckable(true);
    mnuitmRevWordOrder->setVisible(false);
    mnuitmRevWordOrder->setEnabled(false);
    comms->addSeparator();
    mnuitmRequestConfig = AddItem(comms, QStringLiteral("mnuitmRequestConfig"),
                                  QStringLiteral("&Upload Configuration"));
    mnuitmSendConfig = AddItem(comms, QStringLiteral("mnuitmSendConfig"),
                               QStringLiteral("&Download Configuration"));
    mnuitmVerifyDownload = AddItem(comms, QStringLiteral("mnuitmVerifyDownload"),
                                   QStringLiteral("Verify after Download"));
    mnuitmVerifyDownload->setCheckable(true);
    // The download's option stays beside it; these two only read the line.
    comms->addSeparator();
    mnuitmCompareConfig =
        AddItem(comms, QStringLiteral("mnuitmCompareConfig"), QStringLiteral("Co&mpare with TZL"));
    mnuitmFindTZL = AddItem(comms, QStringLiteral("mnuitmFindTZL"), QStringLiteral("&Find TZL..."));

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    mnuitmHelpContents =
        AddItem(help, QStringLiteral("mnuitmHelpContents"), QStringLiteral("&Contents"));
    mnuitmHelpContents->setShortcut(QKeySequence(Qt::Key_F1));
    mnuitmAbout = AddItem(help, QStringLiteral("mnuitmAbout"), QStringLiteral("&About"));

    SetUpToolbar(window);
}

QAction* MainMenus::AddItem(QMenu* menu, const QString& name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

void MainMenus::SetUpToolbar(QMainWindow& window)
{
    Toolbar1 = window.addToolBar(QStringLiteral("Toolbar"));
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    Toolbar1->addSeparator();
    const QStyle* style = QApplication::style();
    for (const ToolbarKey& key : ToolbarKeys) {
        if (key.Key == nullptr) {
            Toolbar1->addSeparator();
            continue;
        }
        const QString toolTip = QString::fromLatin1(key.ToolTip);
        QAction* button = Toolbar1->addAction(
            QIcon::fromTheme(QString::fromLatin1(key.ThemeIcon), style->standardIcon(key.Fallback)),
            toolTip);
        button->setObjectName(QString::fromLatin1(key.Key));
        button->setToolTip(toolTip);
    }
}

QAction* MainMenus::ToolbarButton(const QString& key) const
{
    for (QAction* action : Toolbar1->actions()) {
        if (action->objectName() == key)
            return action;
    }
    return nullptr;
}
