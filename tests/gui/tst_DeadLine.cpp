#include "ConfiguratorFixture.h"

#include "link/cCommsErrorLog.h"
#include "platform/LocaleDateText.h"

#include <QFile>
#include <QLabel>
#include <QTest>

namespace {

const QString Timeout = QStringLiteral("Modbus Response Timeout|Comms Error");

int LogEntries(const ConfiguratorFixture& c)
{
    QFile log(QDir(c.LogFolder.path()).filePath(cCommsErrorLog::CurrentName));
    if (!log.open(QIODevice::ReadOnly))
        return 0;
    return int(log.readAll().count("Modbus Response Timeout"));
}

QString LinkNotice(frmMain& w)
{
    return w.findChild<QLabel*>(QStringLiteral("link"))->text();
}

} // namespace

// The relay stops answering while the window is on-line on the Measurements
// tab: the tick must report it once, count and log every failed transfer, say
// since when in the status bar, and leave Off-Line and Exit one click away.
class tst_DeadLine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void PulledCableIsReportedOnce()
    {
        ConfiguratorFixture c;
        frmMain& w = c.Start();
        w.SetOnLine(true);
        c.Tick(3); // the first refresh only starts the rotation
        c.Link.Faults().SetPersistent(SimFault::NoAnswer());
        c.Tick(9); // three refreshes, a block and a relay status each
        QCOMPARE(c.Messages(), QStringList{Timeout});
        QCOMPARE(w.Link().Statistics().Timeouts(), qint64(6));
        QCOMPARE(LogEntries(c), 6);
        const QString since = LongTimeText(c.Clock.Now().time());
        QCOMPARE(LinkNotice(w),
                 QStringLiteral("TZL not answering since %1 - failed transfers: 6").arg(since));

        // A command the user asked for still says why it failed.
        c.Link.UI().ClearMessages();
        w.Menus().mnuitmRequestConfig->trigger();
        c.Tick();
        QVERIFY(c.Messages().contains(Timeout));

        // The relay answers again: the notice says so, with no box.
        c.Link.UI().ClearMessages();
        c.Link.Faults().SetPersistent(SimFault{});
        c.Tick(3);
        QCOMPARE(c.Messages(), QStringList());
        QCOMPARE(LinkNotice(w), QStringLiteral("TZL answering again since %1").arg(since));

        // Dead again: one box for the new episode. Off-Line ends it quietly,
        // and Exit then asks its question at once.
        c.Link.Faults().SetPersistent(SimFault::NoAnswer());
        c.Tick(6);
        QCOMPARE(c.Messages(), QStringList{Timeout});
        w.Menus().mnuitmCommsConnect->trigger();
        QVERIFY(!w.OnLine());
        QCOMPARE(LinkNotice(w), QString());
        c.Link.UI().ClearMessages();
        c.Link.UI().QueueAnswer(MsgResult::No);
        w.Menus().mnuitmExit->trigger();
        QCOMPARE(c.Messages(),
                 QStringList{QStringLiteral("Do you really want to Exit?|TZL Configurator")});
    }
};

QTEST_MAIN(tst_DeadLine)
#include "tst_DeadLine.moc"
