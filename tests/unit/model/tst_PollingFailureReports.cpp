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
    void OneReportPerEpisode()
    {
        // The fake clock stands at 10:20:30, written in the user's long time.
        const QString time = LongTimeText(QTime(10, 20, 30));
        const QString failing =
            QStringLiteral("TZL not answering since %1 - failed transfers: ").arg(time)
            + QStringLiteral("%1");
        const QString again = QStringLiteral("TZL answering again since %1").arg(time);
        const std::tuple<const char*, int, int, QString> cases[] = {
            // script; boxes shown, failures counted, notice
            // Measurement block and relay status, each with the link's box and
            // the model's, three refreshes in a row.
            {"[bfbbfb][bfbbfb][bfbbfb]", 1, 6, failing.arg(6)},
            {"[bfbs][bfb]", 2, 1, failing.arg(1)},   // answering again, then failing again
            {"bfbbfb", 4, 0, QString()},             // commands report every failure
            {"[bfb]s", 1, 0, again},                 // a command's success ends the episode
            {"[bfb]bfb[bfb]", 3, 2, failing.arg(2)}, // a command fails during an episode
            {"[bfuu]", 3, 1, failing.arg(1)},        // the user's box during a refresh
            {"[bfobfb]", 1, 0, QString()},           // off-line quiets the rest of the refresh
            {"[bfb]o[bfb]", 2, 1, failing.arg(1)}};  // on-line again reports anew
        for (const auto& [script, shown, failures, notice] : cases)
            Play(QString::fromLatin1(script), shown, failures, notice);
    }

private:
    static void Play(const QString& script, int shown, int failures, const QString& notice)
    {
        ScriptedUserInterface ui;
        FakeClock clock;
        PollingFailureReports reports(ui, clock);
        QString shownNotice;
        reports.SetNoticeChanged([&shownNotice](const QString& text) { shownNotice = text; });
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
        QVERIFY2(ui.Messages().size() == shown, qPrintable(script));
        QCOMPARE(reports.Failures(), failures);
        QCOMPARE(shownNotice, notice);
    }
};

QTEST_GUILESS_MAIN(tst_PollingFailureReports)
#include "tst_PollingFailureReports.moc"
