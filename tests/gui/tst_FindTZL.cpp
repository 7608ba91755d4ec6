// "Find TZL...": refused on-line; what a scan found is applied to the link
// and the Node box only when the user says so.

#include "ConfiguratorFixture.h"

#include "shell/MainMenus.h"
#include "shell/frmMain.h"

#include <QAction>
#include <QProgressDialog>
#include <QTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

struct Configurator : ConfiguratorFixture
{
    explicit Configurator(std::int16_t relaySlave = 1)
        : ConfiguratorFixture(relaySlave)
    {
        Start();
    }
    void UseScriptedScan()
    {
        Window->SetRelayFinder([this] {
            ++Scans;
            return Found;
        });
    }
    QStringList Find()
    {
        Link.UI().ClearMessages();
        Window->Menus().mnuitmFindTZL->trigger();
        return Messages();
    }

    ScanResult Found;
    int Scans = 0;
};

ScanResult FoundAt(const QString& line, int slave, int wordOrder)
{
    ScanResult found;
    found.Result = ScanResult::Outcome::Found;
    found.Where = {*SerialLineSettings::Parse(line), slave};
    found.WordOrder = wordOrder;
    return found;
}

} // namespace

class tst_FindTZL : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void AppliesWhatWasFoundOnYes_data()
    {
        QTest::addColumn<MsgResult>("answer");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<int>("slave");
        QTest::addColumn<int>("wordOrder");
        QTest::newRow("yes") << MsgResult::Yes << "19200,E,8,1" << 7 << 1;
        QTest::newRow("no") << MsgResult::No << "9600,N,8,1" << 1 << 0;
    }
    void AppliesWhatWasFoundOnYes()
    {
        QFETCH(MsgResult, answer);
        QFETCH(QString, settings);
        QFETCH(int, slave);
        QFETCH(int, wordOrder);
        Configurator c;
        frmMain& w = *c.Window;
        c.UseScriptedScan();
        c.Found = FoundAt(QStringLiteral("19200,E,8,1"), 7, 1);
        c.Link.UI().QueueAnswer(answer);
        QCOMPARE(c.Find(), QStringList{"Found a TZL at 19200,E,8,1, slave 7, word order 1. Use "
                                       "these settings?|TZL Configurator"});
        QCOMPARE(SerialLineSettings::Parse(w.Link().Settings())->ToString(), settings);
        QCOMPARE(w.SlaveID(), slave);
        QCOMPARE(w.findChild<QLineEdit*>("txtSlaveID")->text(), QString::number(slave));
        QCOMPARE(w.Link().GetWordOrder(), wordOrder);
        QCOMPARE(w.Menus().mnuitmRevWordOrder->isChecked(), wordOrder != 0);
        QVERIFY(w.Menus().mnuitmFindTZL->isEnabled());
    }

    void RefusedOnLineAndSaysWhenNothingAnswers()
    {
        Configurator c;
        c.UseScriptedScan();
        c.Window->SetOnLine(true);
        QCOMPARE(c.Find(), QStringList{"Please switch to off-line mode before searching for the "
                                       "TZL|TZL Configurator"});
        QCOMPARE(c.Scans, 0);

        c.Window->SetOnLine(false);
        c.Found.ProbesTried = 42;
        QCOMPARE(c.Find(), QStringList{"No TZL answered in 42 combinations of line settings "
                                       "and slave ID|TZL Configurator"});
        QCOMPARE(c.Scans, 1);
        c.Found.Result = ScanResult::Outcome::Cancelled;
        QCOMPARE(c.Find(), QStringList{});
    }

    // The scan itself over the simulated relay, which answers at any line
    // settings: found on the first probe, or stopped by Cancel.
    void ScansBehindAProgressDialog()
    {
        Configurator c;
        c.Link.UI().QueueAnswer(MsgResult::No);
        QCOMPARE(c.Find(), QStringList{"Found a TZL at 2400,N,8,1, slave 1, word order 0. Use "
                                       "these settings?|TZL Configurator"});
        QCOMPARE(c.Window->Link().Settings(), QStringLiteral("9600,n,8,1"));

        Configurator far(200);
        bool cancelled = false;
        QTimer::singleShot(150, [&] {
            if (auto* progress = far.Window->findChild<QProgressDialog*>()) {
                progress->cancel();
                cancelled = true;
            }
        });
        QCOMPARE(far.Find(), QStringList{});
        QVERIFY(cancelled);
        QVERIFY(far.Link.Port().WrittenFrames().size() < 10);
    }
};

QTEST_MAIN(tst_FindTZL)
#include "tst_FindTZL.moc"
