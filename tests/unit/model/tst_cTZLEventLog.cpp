#include "Golden.h"
#include "RelayBench.h"
#include "model/cTZLEventLog.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

namespace {

QDateTime At(int y, int mo, int d, int h, int mi, int s)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

struct Fixture : RelayBench
{
    bool Upload(const std::vector<RelayEvent>& events)
    {
        Link.Relay().SetEvents(events);
        Link.Port().ClearWrittenFrames();
        return Log.Upload(Link.SlaveID());
    }
    // The saved file, each line ended by CR LF, or the failure.
    QString Saved()
    {
        const QString path = Dir.filePath(QStringLiteral("log.tef"));
        QFile file(path);
        if (!Log.SaveToFile(path) || !file.open(QIODevice::ReadOnly))
            return QStringLiteral("not saved\n");
        const QString text = QString::fromUtf8(file.readAll());
        return text.count(u'\n') == text.count(QStringLiteral("\r\n"))
                   ? QString(text).remove(u'\r')
                   : QStringLiteral("a line without CR LF\n");
    }
    cTZLEventLog Log{Link.Modbus(), Link.UI(), Clock}; // saved at 17/05/2024 10:20:30
    QTemporaryDir Dir;
};

} // namespace

class tst_cTZLEventLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); }

    // Events are stored by their number, whatever order they come in; a log
    // ended by the relay's marker is saved with its events, and event 1 names
    // no relay and stays out of the file. The golden holds the three files.
    void EventsAreStoredByNumberAndSaved()
    {
        Fixture f;
        QVERIFY(f.Upload({{3, 7, At(2026, 3, 15, 13, 5, 9)},
                          {1, 0, At(2026, 3, 15, 13, 0, 0)},
                          {2, 12, At(1999, 12, 31, 23, 59, 58)}}));
        QCOMPARE(f.Link.Port().WrittenFrames().size(), 4); // three events and the end marker
        QCOMPARE(f.Log.Count(), 3);
        QList<int> relays;
        for (std::int16_t n = 1; n <= 4; ++n)
            relays << f.Log.EvtRelay(n);
        QCOMPARE(relays, (QList<int>{0, 12, 7, -1}));
        QCOMPARE(f.Log.EvtYear(3), 26);
        QCOMPARE(f.Log.EvtDateTime(3), At(2026, 3, 15, 13, 5, 9));
        QCOMPARE(f.Log.EvtDateTime(2), At(1999, 12, 31, 23, 59, 58));
        QString produced = QStringLiteral("# three events\n") + f.Saved();
        QVERIFY(f.Upload({}));
        produced += QStringLiteral("# empty\n") + f.Saved();
        std::vector<RelayEvent> events;
        for (int n = 50; n >= 1; --n)
            events.push_back({n, 16, At(2024, 2, 1, 0, 0, 0).addDays(n - 1)});
        QVERIFY(f.Upload(events));
        QCOMPARE(f.Link.Port().WrittenFrames().size(), 50); // no read for an end marker
        QCOMPARE(f.Log.Count(), 50);
        produced += QStringLiteral("# fifty events, the log full\n") + f.Saved();
        TZL_COMPARE_GOLDEN(QStringLiteral("event-log-files.txt"), produced);
        QVERIFY(f.Link.UI().Messages().isEmpty());
    }

    // A failed upload stops at once and leaves nothing, not even the good
    // first event. The golden holds the last message of each case.
    void FailedUploads()
    {
        const std::tuple<const char*, int, int, bool> cases[] = {
            // the second event's number and relay; its read fails
            {"read fails", 2, 1, true},
            {"number 51", 51, 1, false},
            {"number -1", -1, 1, false},
            {"number beyond 16 bits", 40000, 1, false},
            {"relay beyond 16 bits", 2, 32768, false}};
        QString produced;
        for (const auto& [name, number, relay, readFails] : cases) {
            Fixture f;
            if (readFails)
                f.Link.Faults().ScheduleAt(2, SimFault::Exception(4));
            QVERIFY(!f.Upload(
                {{1, 4, At(2026, 3, 15, 13, 5, 9)}, {number, relay, At(2026, 3, 15, 13, 5, 10)}}));
            QCOMPARE(f.Link.Port().WrittenFrames().size(), 2); // nothing read after the failure
            QCOMPARE(f.Link.UI().Messages().size(), readFails ? 2 : 1);
            produced +=
                QStringLiteral("%1: %2\n")
                    .arg(name, f.Shown().mid(f.Shown().size() - 2).join(QStringLiteral(" / ")));
            QCOMPARE(f.Log.Count(), 0);
            QCOMPARE(f.Log.EvtRelay(1), -1);
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("event-log-failures.txt"), produced);
    }

    void OutsideTheLog()
    {
        Fixture f;
        QCOMPARE(
            (QList<int>{f.Log.EvtHour(0), f.Log.EvtHour(51), f.Log.EvtRelay(-1), f.Log.EvtHour(1)}),
            (QList<int>{-1, -1, -1, 0}));
        QCOMPARE(f.Log.EvtDateTime(0), At(2002, 2, 2, 20, 2, 2));
        QVERIFY(!f.Log.SaveToFile(f.Dir.filePath(QStringLiteral("missing/log.tef"))));
        QCOMPARE(f.Link.UI().Messages().last().Title, QStringLiteral("Filesystem Error"));
    }
};

QTEST_GUILESS_MAIN(tst_cTZLEventLog)
#include "tst_cTZLEventLog.moc"
