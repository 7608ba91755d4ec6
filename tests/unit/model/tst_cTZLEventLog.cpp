#include "FakeClock.h"
#include "SimulatedLink.h"
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

struct Fixture
{
    Fixture() { Link.SetTimeouts(SimulatedLink::TestResponseTimeoutMs, 1); }
    bool Upload() { return Log.Upload(Link.SlaveID()); }
    QStringList SavedLines()
    {
        const QString path = Dir.filePath(QStringLiteral("log.tef"));
        QFile file(path);
        if (!Log.SaveToFile(path) || !file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    }
    SimulatedLink Link;
    FakeClock Clock{At(2024, 5, 17, 10, 20, 30)};
    cTZLEventLog Log{Link.Modbus(), Link.UI(), Clock};
    QTemporaryDir Dir;
};

} // namespace

class tst_cTZLEventLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); }

    void EventsAreStoredByNumberAndSaved()
    {
        Fixture f;
        f.Link.Relay().SetEvents({{3, 7, At(2026, 3, 15, 13, 5, 9)},
                                  {1, 0, At(2026, 3, 15, 13, 0, 0)},
                                  {2, 12, At(1999, 12, 31, 23, 59, 58)}});
        QVERIFY(f.Upload());
        QCOMPARE(f.Link.Port().WrittenFrames().size(), 4); // three events and the end marker
        QCOMPARE(f.Log.Count(), 3);
        QList<int> relays;
        for (std::int16_t n = 1; n <= 4; ++n)
            relays << f.Log.EvtRelay(n);
        QCOMPARE(relays, (QList<int>{0, 12, 7, -1}));
        QCOMPARE(f.Log.EvtYear(3), 26);
        QCOMPARE(f.Log.EvtDateTime(3), At(2026, 3, 15, 13, 5, 9));
        QCOMPARE(f.Log.EvtDateTime(2), At(1999, 12, 31, 23, 59, 58));
        // A log ended by the relay's marker is saved with its events; event 1
        // names no relay and stays out of the file.
        QCOMPARE(f.SavedLines(),
                 (QStringList{"\"TZL_EVENT_LOG_FILE\"", "1", "\"Saved: 17/05/2024 10:20:30\"",
                              "\"Event No. , Time , Date , Relay No.\"",
                              "\"2 , 23:59:58 , Friday, 31 December 1999 , 12\"",
                              "\"3 , 13:05:09 , Sunday, 15 March 2026 , 7\"", ""}));
        QVERIFY(f.Link.UI().Messages().isEmpty());
    }

    void EmptyAndFullLogs()
    {
        Fixture f;
        QVERIFY(f.Upload());
        QCOMPARE(f.SavedLines(),
                 (QStringList{"\"TZL_EVENT_LOG_FILE\"", "1", "\"**** Event Log Empty ****\"", ""}));

        std::vector<RelayEvent> events;
        for (int n = 50; n >= 1; --n)
            events.push_back({n, 16, At(2024, 2, 1, 0, 0, 0).addDays(n - 1)});
        f.Link.Relay().SetEvents(events);
        f.Link.Port().ClearWrittenFrames();
        QVERIFY(f.Upload());
        QCOMPARE(f.Link.Port().WrittenFrames().size(), 50); // no read for an end marker
        QCOMPARE(f.Log.Count(), 50);
        const QStringList lines = f.SavedLines();
        QCOMPARE(lines.size(), 4 + 50 + 1);
        QCOMPARE(lines[4], QStringLiteral("\"1 , 00:00:00 , Thursday, 1 February 2024 , 16\""));
        QCOMPARE(lines[53], QStringLiteral("\"50 , 00:00:00 , Thursday, 21 March 2024 , 16\""));
    }

    void FailedUploads_data()
    {
        QTest::addColumn<int>("number"); // of the second event
        QTest::addColumn<int>("relay");
        QTest::addColumn<bool>("readFails");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        const QString update = QStringLiteral("Event Log Update Error");
        const QString data = QStringLiteral("Data Format Error");
        const QString format =
            QStringLiteral("Error in Format of Event log data - check the Word Order Setting");
        const QString range = QStringLiteral(
            "TZL Returned Out of Range Event Number (%1) - check Word Order Setting");
        QTest::newRow("read fails") << 2 << 1 << true << "Modbus Request Failed" << update;
        QTest::newRow("number 51") << 51 << 1 << false << range.arg(51) << update;
        QTest::newRow("number -1") << -1 << 1 << false << range.arg(-1) << update;
        QTest::newRow("number beyond 16 bits") << 40000 << 1 << false << format << data;
        QTest::newRow("relay beyond 16 bits") << 2 << 32768 << false << format << data;
    }
    void FailedUploads()
    {
        QFETCH(int, number);
        QFETCH(int, relay);
        QFETCH(bool, readFails);
        Fixture f;
        f.Link.Relay().SetEvents(
            {{1, 4, At(2026, 3, 15, 13, 5, 9)}, {number, relay, At(2026, 3, 15, 13, 5, 10)}});
        if (readFails)
            f.Link.Faults().ScheduleAt(2, SimFault::Exception(4));
        QVERIFY(!f.Upload());
        QCOMPARE(f.Link.Port().WrittenFrames().size(), 2); // nothing read after the failure
        QCOMPARE(f.Link.UI().Messages().size(), readFails ? 2 : 1);
        QTEST(f.Link.UI().Messages().last().Text, "text");
        QTEST(f.Link.UI().Messages().last().Title, "title");
        QCOMPARE(f.Log.Count(), 0);
        QCOMPARE(f.Log.EvtRelay(1), -1); // the good first event is gone too
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
