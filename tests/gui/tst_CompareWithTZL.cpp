// "Compare with TZL": the relay read as a deferred command, its differences
// from the configuration in memory shown in a window that saves them as text.

#include "ConfiguratorFixture.h"

#include "shell/MainMenus.h"
#include "shell/frmCompareResult.h"
#include "shell/frmMain.h"

#include <QAction>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

const QString Holds = QStringLiteral("The TZL holds the configuration in memory.");

// The main window over the simulated relay, which holds what was downloaded
// to it: relay 2 an Over Volts trip at 121 V.
struct Configurator : ConfiguratorFixture
{
    Configurator()
    {
        Start();
        DownloadOverVoltsOnRelay2();
    }
    // Asks for the comparison and lets the tick run it; the window's text.
    QString Compare()
    {
        QAction* item = Window->Menus().mnuitmCompareConfig;
        item->trigger();
        const bool disabledWhilePending = !item->isEnabled();
        Window->Timer1_Timer();
        if (!disabledWhilePending || !item->isEnabled())
            return QStringLiteral("<item not disabled while pending>");
        return Result() ? Text()->toPlainText() : QStringLiteral("<no window>");
    }
    frmCompareResult* Result() const { return Window->findChild<frmCompareResult*>(); }
    QPlainTextEdit* Text() const { return Result()->findChild<QPlainTextEdit*>("txtDifferences"); }
};

} // namespace

class tst_CompareWithTZL : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void ShowsDifferencesWithoutTouchingMemory()
    {
        Configurator c;
        frmMain& w = *c.Window;
        // The relay holds no names: a name only in memory is no difference.
        w.Device().TripData.SetName(3, QStringLiteral("Bus tie"));
        QCOMPARE(c.Compare().trimmed(), Holds);
        QVERIFY(c.Result()->isVisible());
        QVERIFY(!c.Result()->isModal());
        QCOMPARE(c.Result()->windowTitle(), QStringLiteral("Compare with TZL"));
        QCOMPARE(c.Text()->accessibleName(), QStringLiteral("Differences"));
        QVERIFY(c.Text()->isReadOnly());

        float tripPoint = 130.0f;
        w.Device().SetTripParameterValue(2, 1, tripPoint);
        w.SetDataModified(true);
        c.Link.Relay().SetSystemVolts(240.0f);
        QCOMPARE(c.Compare(), QStringLiteral("2 differences (memory -> TZL):\n"
                                             "Primary VT value: 110 V -> 240 V\n"
                                             "Relay 2 Trip Point: 130 V -> 121 V\n"));
        QCOMPARE(w.StatusText(), QStringLiteral("Ready"));
        QCOMPARE(w.Device().TripData.ParameterValue(2, 1), 130.0f);
        QCOMPARE(w.Device().SystemVolts(), 110.0f);
        QCOMPARE(w.Device().TripData.TripName(3), QStringLiteral("Bus tie"));
        QVERIFY(w.IsDataModified());
        QVERIFY(c.Link.UI().Messages().isEmpty());
    }

    void SaveAsWritesTheReport()
    {
        Configurator c;
        c.Link.Relay().SetSystemVolts(240.0f);
        const QString report = c.Compare();
        QPushButton* save = c.Result()->findChild<QPushButton*>("cmdSaveAs");
        const QString path = c.LogFolder.filePath("compare.txt");
        c.Dialogs.QueueAnswer(path);
        save->click();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()), report);
        QCOMPARE(c.Dialogs.Requests().last().Request.Filters.last(),
                 QStringLiteral("Text Files (*.txt)"));

        c.Link.UI().ClearMessages();
        c.Dialogs.QueueAnswer(c.LogFolder.filePath("no such folder/compare.txt"));
        save->click();
        QCOMPARE(c.Link.UI().Messages().size(), 1);
        QCOMPARE(c.Link.UI().Messages().first().Title, QStringLiteral("Filesystem Error"));
    }
};

QTEST_MAIN(tst_CompareWithTZL)
#include "tst_CompareWithTZL.moc"
