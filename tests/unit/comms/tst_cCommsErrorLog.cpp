#include "FakeClock.h"
#include "SimulatedLink.h"

#include "link/cCommsErrorLog.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray Contents(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The file's lines, after checking that every one ends in CR LF.
QStringList CrLfLines(const QByteArray& bytes)
{
    if (!bytes.endsWith("\r\n") || bytes.count('\n') != bytes.count("\r\n"))
        return {QStringLiteral("<line ends are not all CR LF>")};
    QStringList lines = QString::fromLocal8Bit(bytes).split(QStringLiteral("\r\n"));
    lines.removeLast();
    return lines;
}

} // namespace

class tst_cCommsErrorLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void FourStartsKeepThreeRuns();
    void TimeoutEntry_data();
    void TimeoutEntry();
    void FailedResponseEntries_data();
    void FailedResponseEntries();
    void UnwritableFolder_data();
    void UnwritableFolder();
    void UnwritableLogFailsTheTransaction();
};

void tst_cCommsErrorLog::FourStartsKeepThreeRuns()
{
    QTemporaryDir dir;
    FakeClock clock;
    auto startRun = [&](int day) {
        clock.Set(QDateTime(QDate(2024, 5, day), QTime(8, 0)));
        cCommsErrorLog log(dir.path(), clock);
        QVERIFY(log.StartCommsErrorLog());
        QString description, source;
        QVERIFY(log.LogCommsError(QStringLiteral("run %1").arg(day), QByteArray(1, '\1'),
                                  QByteArray(1, '\0'), description, source));
    };
    auto sessionDay = [&](const QString& name) {
        const QStringList lines = CrLfLines(Contents(dir.filePath(name)));
        return lines.size() == 4 && lines[0].startsWith(QStringLiteral("Session Started: 5/"))
                   ? lines[1].section(u' ', -1).toInt()
                   : -1;
    };

    startRun(1);
    startRun(2);
    startRun(3);
    QCOMPARE(sessionDay(cCommsErrorLog::CurrentName), 3);
    QCOMPARE(sessionDay(cCommsErrorLog::OldName), 2);
    QCOMPARE(sessionDay(cCommsErrorLog::OlderName), 1);
    startRun(4);
    QCOMPARE(sessionDay(cCommsErrorLog::CurrentName), 4);
    QCOMPARE(sessionDay(cCommsErrorLog::OldName), 3);
    QCOMPARE(sessionDay(cCommsErrorLog::OlderName), 2);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 3);
}

void tst_cCommsErrorLog::TimeoutEntry_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("dateAndTime");
    // The zone name that may follow the long time depends on the machine.
    QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates)
                           << "5/17/24 10:20:30 AM";
    QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany) << "17.05.24 10:20:30";
}

void tst_cCommsErrorLog::TimeoutEntry()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, dateAndTime);
    QLocale::setDefault(locale);
    QTemporaryDir dir;
    FakeClock clock;
    cCommsErrorLog log(dir.path(), clock);
    QVERIFY(log.StartCommsErrorLog());
    SimulatedLink link;
    link.Modbus().SetErrorLog(&log);
    link.Faults().Queue(SimFault::NoAnswer());

    std::vector<float> values;
    QVERIFY(!link.Modbus().ReadHoldingRegisters(1, 0, 2, values));

    const QStringList lines = CrLfLines(Contents(dir.filePath(QStringLiteral("CommsErr.log"))));
    QCOMPARE(lines.size(), 4);
    QVERIFY2(lines[0].startsWith(QStringLiteral("Session Started: ") + dateAndTime), qPrintable(lines[0]));
    QVERIFY2(lines[1].startsWith(dateAndTime), qPrintable(lines[1]));
    QVERIFY2(lines[1].endsWith(QStringLiteral(" Modbus Response Timeout")), qPrintable(lines[1]));
    QCOMPARE(lines[2], QStringLiteral("TX: 1 3 0 0 0 2 C4 B"));
    QCOMPARE(lines[3], QStringLiteral("RX: 0"));
}

void tst_cCommsErrorLog::FailedResponseEntries_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("rx");
    QTest::newRow("bad crc") << "bad-crc" << "CRC Failure" << "RX: 1 3 4 ";
    QTest::newRow("exception 2") << "exception:2" << "Exception Response" << "RX: 1 83 2 C0 F1";
}

// The RX line holds the answer as received, not the zero byte the link keeps
// after rejecting it.
void tst_cCommsErrorLog::FailedResponseEntries()
{
    QFETCH(QString, fault);
    QFETCH(QString, entry);
    QFETCH(QString, rx);
    QTemporaryDir dir;
    FakeClock clock;
    cCommsErrorLog log(dir.path(), clock);
    QVERIFY(log.StartCommsErrorLog());
    SimulatedLink link;
    link.Modbus().SetErrorLog(&log);
    QString error;
    link.Faults().Queue(*SimFaults::ParseFault(fault, error));

    std::vector<float> values;
    QVERIFY(!link.Modbus().ReadHoldingRegisters(1, 6, 2, values));

    const QStringList lines = CrLfLines(Contents(dir.filePath(cCommsErrorLog::CurrentName)));
    QCOMPARE(lines.size(), 4);
    QVERIFY2(lines[1].endsWith(u' ' + entry), qPrintable(lines[1]));
    QCOMPARE(lines[2], QStringLiteral("TX: 1 3 0 6 0 2 24 A"));
    QVERIFY2(lines[3].startsWith(rx), qPrintable(lines[3]));
}

void tst_cCommsErrorLog::UnwritableFolder_data()
{
    QTest::addColumn<QString>("below");
    QTest::newRow("a file where the folder should be") << "";
    QTest::newRow("a folder below a file") << "/logs";
}

// Tests run as root, who may write anywhere; only a path that cannot exist
// makes the log unwritable.
void tst_cCommsErrorLog::UnwritableFolder()
{
    QFETCH(QString, below);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("plain-file"));
    QVERIFY(QFile(file).open(QIODevice::WriteOnly));
    FakeClock clock;
    cCommsErrorLog log(file + below, clock);

    QVERIFY(!log.StartCommsErrorLog());
    QString description, source;
    QVERIFY(!log.LogCommsError(QStringLiteral("CRC Failure"), QByteArray(1, '\1'),
                               QByteArray(1, '\0'), description, source));
    QVERIFY(!description.isEmpty());
    QVERIFY(source.endsWith(QStringLiteral("CommsErr.log")));
}

void tst_cCommsErrorLog::UnwritableLogFailsTheTransaction()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("plain-file"));
    QVERIFY(QFile(file).open(QIODevice::WriteOnly));
    FakeClock clock;
    cCommsErrorLog log(file, clock);
    QString expectedDescription, expectedSource;
    QVERIFY(!log.LogCommsError(QString(), {}, {}, expectedDescription, expectedSource));
    SimulatedLink link;
    link.Modbus().SetErrorLog(&log);

    link.Faults().Queue(SimFault::BadCrc());
    std::vector<float> values;
    QVERIFY(!link.Modbus().ReadHoldingRegisters(1, 6, 2, values));
    QVERIFY(!link.Port().IsOpen());
    const auto& messages = link.UI().Messages();
    QCOMPARE(messages.size(), 2);
    QCOMPARE(messages[0].Text, QStringLiteral("CRC Error in response"));
    QCOMPARE(messages[1].Text, expectedDescription);
    QCOMPARE(messages[1].Title, expectedSource);

    // The link is not left stuck: the next exchange goes through.
    QVERIFY(link.Modbus().ReadHoldingRegisters(1, 6, 2, values));
}

QTEST_GUILESS_MAIN(tst_cCommsErrorLog)
#include "tst_cCommsErrorLog.moc"
