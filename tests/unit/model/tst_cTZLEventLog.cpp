#include "FakeClock.h"
#include "SimulatedLink.h"
#include "model/cTZLEventLog.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QDateTime At(int y, int mo, int d, int h, int mi, int s)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Locks a folder against new files, also for root (through the immutable
// attribute), or unlocks it; the result says whether new files are refused.
bool LockFolder(const QString& folder, bool locked)
{
    QProcess::execute(QStringLiteral("chattr"), {locked ? "+i" : "-i", folder});
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner |
                                      (locked ? QFile::Permissions() : QFile::WriteOwner));
    QFile probe(folder + QStringLiteral("/probe"));
    if (!probe.open(QIODevice::WriteOnly))
        return true;
    probe.remove();
    return false;
}

struct Fixture
{
    Fixture() { Link.SetTimeouts(SimulatedLink::TestResponseTimeoutMs, 1); }
    QString SavedText()
    {
        const QString path = Dir.filePath(QStringLiteral("log.tef"));
        return Log.SaveToFile(path) ? QString::fromUtf8(ReadFile(path)) : QString();
    }
    SimulatedLink Link;
    FakeClock Clock{At(2024, 5, 17, 10, 20, 30)};
    cTZLEventLog Log{Link.Modbus(), Link.UI(), Clock};
    QTemporaryDir Dir;
};

const QString Header = QStringLiteral("\"TZL_EVENT_LOG_FILE\"\r\n1\r\n");

} // namespace

class tst_cTZLEventLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); }
    void EventsAreStoredByNumberAndSaved();
    void EmptyAndFullLogs();
    void FailedUploads_data();
    void FailedUploads();
    void AccessorsOutsideTheLog();
    void FailedSaveKeepsTheOldFile();
};

void tst_cTZLEventLog::EventsAreStoredByNumberAndSaved()
{
    Fixture f;
    f.Link.Relay().SetEvents({{3, 7, At(2026, 3, 15, 13, 5, 9)},
                              {1, 0, At(2026, 3, 15, 13, 0, 0)},
                              {2, 12, At(1999, 12, 31, 23, 59, 58)}});
    QVERIFY(f.Log.Upload(f.Link.SlaveID()));
    QCOMPARE(f.Link.Port().WrittenFrames().size(), 4); // three events and the end marker
    QCOMPARE(f.Log.Count(), std::int16_t(3));
    QCOMPARE(
        (QList<int>{f.Log.EvtRelay(1), f.Log.EvtRelay(2), f.Log.EvtRelay(3), f.Log.EvtRelay(4)}),
        (QList<int>{0, 12, 7, -1}));
    QCOMPARE((QList<int>{f.Log.EvtYear(3), f.Log.EvtMonth(3), f.Log.EvtDay(3), f.Log.EvtHour(3),
                         f.Log.EvtMinute(3), f.Log.EvtSecond(3)}),
             (QList<int>{26, 3, 15, 13, 5, 9}));
    QCOMPARE(f.Log.EvtDateTime(2), At(1999, 12, 31, 23, 59, 58));
    // A log ended by the relay's marker is saved with its events; event 1
    // names no relay and stays out of the file.
    QCOMPARE(f.SavedText(), Header + "\"Saved: 17/05/2024 10:20:30\"\r\n"
                                     "\"Event No. , Time , Date , Relay No.\"\r\n"
                                     "\"2 , 23:59:58 , Friday, 31 December 1999 , 12\"\r\n"
                                     "\"3 , 13:05:09 , Sunday, 15 March 2026 , 7\"\r\n");
    QVERIFY(f.Link.UI().Messages().isEmpty());
}

void tst_cTZLEventLog::EmptyAndFullLogs()
{
    Fixture f;
    QVERIFY(f.Log.Upload(f.Link.SlaveID()));
    QCOMPARE(f.Log.EvtRelay(1), std::int16_t(-1));
    QCOMPARE(f.SavedText(), Header + "\"**** Event Log Empty ****\"\r\n");

    std::vector<RelayEvent> events;
    for (int n = 50; n >= 1; --n)
        events.push_back({n, 16, At(2024, 2, 1, 0, 0, 0).addDays(n - 1)});
    f.Link.Relay().SetEvents(events);
    f.Link.Port().ClearWrittenFrames();
    QVERIFY(f.Log.Upload(f.Link.SlaveID()));
    QCOMPARE(f.Link.Port().WrittenFrames().size(), 50); // no read for an end marker
    QCOMPARE(f.Log.Count(), std::int16_t(50));
    const QStringList lines = f.SavedText().split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 4 + 50 + 1);
    QCOMPARE(lines[4], QStringLiteral("\"1 , 00:00:00 , Thursday, 1 February 2024 , 16\""));
    QCOMPARE(lines[53], QStringLiteral("\"50 , 00:00:00 , Thursday, 21 March 2024 , 16\""));
}

void tst_cTZLEventLog::FailedUploads_data()
{
    QTest::addColumn<int>("number"); // of the second event
    QTest::addColumn<int>("relay");
    QTest::addColumn<bool>("readFails");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    const QString update = QStringLiteral("Event Log Update Error");
    const QString format =
        QStringLiteral("Error in Format of Event log data - check the Word Order Setting");
    const QString range =
        QStringLiteral("TZL Returned Out of Range Event Number (%1) - check Word Order Setting");
    QTest::newRow("read fails") << 2 << 1 << true << "Modbus Request Failed" << update;
    QTest::newRow("number 51") << 51 << 1 << false << range.arg(51) << update;
    QTest::newRow("number -1") << -1 << 1 << false << range.arg(-1) << update;
    QTest::newRow("number beyond 16 bits") << 40000 << 1 << false << format << "Data Format Error";
    QTest::newRow("relay beyond 16 bits") << 2 << 32768 << false << format << "Data Format Error";
}

void tst_cTZLEventLog::FailedUploads()
{
    QFETCH(int, number);
    QFETCH(int, relay);
    QFETCH(bool, readFails);
    Fixture f;
    f.Link.Relay().SetEvents(
        {{1, 4, At(2026, 3, 15, 13, 5, 9)}, {number, relay, At(2026, 3, 15, 13, 5, 10)}});
    if (readFails)
        f.Link.Faults().ScheduleAt(2, SimFault::Exception(4));
    QVERIFY(!f.Log.Upload(f.Link.SlaveID()));
    QCOMPARE(f.Link.Port().WrittenFrames().size(), 2); // nothing read after the failure
    QCOMPARE(f.Link.UI().Messages().size(), readFails ? 2 : 1);
    QTEST(f.Link.UI().Messages().last().Text, "text");
    QTEST(f.Link.UI().Messages().last().Title, "title");
    QCOMPARE(f.Log.Count(), std::int16_t(0));
    QCOMPARE(f.Log.EvtRelay(1), std::int16_t(-1)); // the good first event is gone too
}

void tst_cTZLEventLog::AccessorsOutsideTheLog()
{
    Fixture f;
    for (const std::int16_t n : {0, 51, -1}) {
        QCOMPARE(
            (QList<int>{f.Log.EvtRelay(n), f.Log.EvtYear(n), f.Log.EvtMonth(n), f.Log.EvtDay(n),
                        f.Log.EvtHour(n), f.Log.EvtMinute(n), f.Log.EvtSecond(n)}),
            QList<int>(7, -1));
        QCOMPARE(f.Log.EvtDateTime(n), At(2002, 2, 2, 20, 2, 2));
    }
    QCOMPARE(f.Log.EvtHour(1), std::int16_t(0));
}

void tst_cTZLEventLog::FailedSaveKeepsTheOldFile()
{
    Fixture f;
    const QString folder = f.Dir.filePath(QStringLiteral("locked"));
    const QString path = folder + QStringLiteral("/log.tef");
    QVERIFY(QDir().mkdir(folder));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("previous\r\n") == 10);
    old.close();
    if (!LockFolder(folder, true)) {
        LockFolder(folder, false);
        QSKIP("no way to make a folder unwritable here");
    }
    const bool saved = f.Log.SaveToFile(path);
    LockFolder(folder, false);
    QVERIFY(!saved);
    QCOMPARE(ReadFile(path), QByteArray("previous\r\n"));
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"log.tef"});
    QCOMPARE(f.Link.UI().Messages().size(), 1);
    QCOMPARE(f.Link.UI().Messages()[0].Text,
             QStringLiteral("File Access Error - the file/device may be write protected!"));
    QCOMPARE(f.Link.UI().Messages()[0].Title, QStringLiteral("Filesystem Error"));

    QVERIFY(!f.Log.SaveToFile(f.Dir.filePath(QStringLiteral("missing/log.tef"))));
    QCOMPARE(f.Link.UI().Messages().last().Text, QStringLiteral("That path doesn't exist."));
}

QTEST_GUILESS_MAIN(tst_cTZLEventLog)
#include "tst_cTZLEventLog.moc"
