#include "FakeClock.h"
#include "ScriptedUserInterface.h"
#include "model/PollingFailureReports.h"
#include "platform/LocaleDateText.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTest>

// The boxes the engineer sees while the polling meets a dead line. Each row
// plays a script of what the tick and the link do:
//   [ ]  a refresh begins / ends
//   b    a box (the link's or the model's)
//   f s  a transaction fails / succeeds
//   u    the user's own box, from an event handled while a transfer waits
//   o    the user goes off-line (or on-line)
// and gives the boxes shown, the failed transfers counted and the notice.
class tst_PollingFailureReports : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void OneReportPerEpisode_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("failures");
        QTest::addColumn<QString>("notice");
        // The fake clock stands at 10:20:30, written in the user's long time.
        const QString time = LongTimeText(QTime(10, 20, 30));
        const QString failing =
            QStringLiteral("TZL not answering since %1 - failed transfers: ").arg(time)
            + QStringLiteral("%1");
        const QString again = QStringLiteral("TZL answering again since %1").arg(time);
        const auto row = [](const char* name, const char* script, int shown, int failures,
                            const QString& notice) {
            QTest::newRow(name) << QString::fromLatin1(script) << shown << failures << notice;
        };
        // Measurement block and relay status, each with the link's box and
        // the model's, three refreshes in a row.
        row("dead line, three refreshes", "[bfbbfb][bfbbfb][bfbbfb]", 1, 6, failing.arg(6));
        row("answering again, then failing again", "[bfbs][bfb]", 2, 1, failing.arg(1));
        row("commands report every failure", "bfbbfb", 4, 0, QString());
        row("a command's success ends the episode", "[bfb]s", 1, 0, again);
        row("a command fails during an episode", "[bfb]bfb[bfb]", 3, 2, failing.arg(2));
        row("the user's box during a refresh", "[bfuu]", 3, 1, failing.arg(1));
        row("off-line quiets the rest of the refresh", "[bfobfb]", 1, 0, QString());
        row("on-line again reports anew", "[bfb]o[bfb]", 2, 1, failing.arg(1));
    }

    void OneReportPerEpisode()
    {
        QFETCH(QString, script);
        ScriptedUserInterface ui;
        FakeClock clock;
        PollingFailureReports reports(ui, clock);
        QString shownNotice;
        reports.SetNoticeChanged([&shownNotice](const QString& notice) { shownNotice = notice; });
        ui.OnProcessEvents = [&] {
            reports.MsgBox(QStringLiteral("Please switch to off-line mode before exiting"),
                           QStringLiteral("TZL Configurator"), MsgButtons::OK, MsgIcon::None);
        };
        for (const QChar step : script) {
            switch (step.toLatin1()) {
            case '[':
                reports.BeginRefresh();
                break;
            case ']':
                reports.EndRefresh();
                break;
            case 'b':
                QCOMPARE(reports.MsgBox(QStringLiteral("Modbus Response Timeout"),
                                        QStringLiteral("Comms Error"), MsgButtons::OK,
                                        MsgIcon::None),
                         MsgResult::OK);
                break;
            case 'f':
            case 's':
                reports.TransactionFinished(step == u's');
                break;
            case 'u':
                // Something for the wait to wake up to.
                QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::User));
                reports.ProcessPendingEvents();
                break;
            case 'o':
                reports.Reset();
                break;
            }
        }
        QTEST(int(ui.Messages().size()), "shown");
        QTEST(reports.Failures(), "failures");
        QTEST(shownNotice, "notice");
    }
};

QTEST_GUILESS_MAIN(tst_PollingFailureReports)
#include "tst_PollingFailureReports.moc"
