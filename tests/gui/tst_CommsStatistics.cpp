#include "FakeClock.h"
#include "SimulatedLink.h"

#include "link/cCommsErrorLog.h"
#include "shell/frmCommsStatus.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QStringList Zeros(7, QStringLiteral("0"));
// Never restored: the loaded link's second port.
const QStringList Connection{"02", "9600,N,8,1", "Modbus RTU"};

// The statistics window, showing, over a link to the simulated relay.
struct Watched
{
    SimulatedLink Link;
    frmCommsStatus Window{Link.Modbus().Statistics()};

    Watched()
    {
        Link.Modbus().SetStatusWindow(&Window);
        Link.Modbus().ShowCommsStatistics(nullptr);
    }
    // The seven counts, then the connection.
    QStringList Shown() const
    {
        QStringList texts;
        for (const char* label :
             {"lblNumCharsTx", "lblNumRequests", "lblNumCharsRx", "lblNumResponses",
              "lblNumTimeouts", "lblNumCRCFailures", "lblNumExceptions", "lblPortNum",
              "lblCommsSettingsStr", "lblProtocolStr"})
            texts.append(Window.findChild<QLabel*>(QLatin1String(label))->text());
        return texts;
    }
    bool Read()
    {
        std::vector<float> values;
        return Link.Modbus().ReadHoldingRegisters(Link.SlaveID(), 6, 2, values);
    }
    void Click(const char* button)
    {
        Window.findChild<QPushButton*>(QLatin1String(button))->click();
    }
};

// The log's lines, after checking that every one ends in CR LF.
QStringList Lines(const QString& folder, const QString& name = cCommsErrorLog::CurrentName)
{
    QFile file(QDir(folder).filePath(name));
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (!bytes.endsWith("\r\n") || bytes.count('\n') != bytes.count("\r\n"))
        return {QStringLiteral("<missing, or line ends not all CR LF>")};
    QStringList lines = QString::fromLocal8Bit(bytes).split(QStringLiteral("\r\n"));
    lines.removeLast();
    return lines;
}

} // namespace

class tst_CommsStatistics : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Each label shows its own counter, with the thousands separator of the
    // locale (the C locale leaves it out unless asked for it). What the link
    // counts for each fault is tst_frmModbus::FaultTable's.
    void EachLabelShowsItsCounter()
    {
        for (const QLocale& locale :
             {QLocale(QLocale::English, QLocale::UnitedStates), QLocale::c()}) {
            QLocale::setDefault(locale);
            Watched w;
            cCommsStatistics& s = w.Link.Modbus().Statistics();
            s.AddCharactersTx(1234567); // beyond 16 bits
            s.AddRequests(2);
            s.AddCharactersRx(1234);
            s.AddResponses(4);
            s.AddTimeouts(5);
            s.AddCRCFailures(6);
            s.AddExceptions(7);
            QCOMPARE(w.Shown(),
                     QStringList({"1,234,567", "2", "1,234", "4", "5", "6", "7"}) + Connection);
        }
    }

    // Close hides the window and counting goes on; Clear zeroes the counts but
    // keeps the connection; the close box throws the counts away.
    void CloseClearAndCloseBox()
    {
        Watched w;
        QVERIFY(w.Read());
        w.Click("cmdClose");
        QVERIFY(!w.Window.isVisible());
        QVERIFY(w.Read());
        w.Link.Modbus().ShowCommsStatistics(nullptr);
        QCOMPARE(w.Shown(), QStringList({"16", "2", "18", "2", "0", "0", "0"}) + Connection);
        w.Click("cmdClear");
        QCOMPARE(w.Shown(), Zeros + Connection);

        QVERIFY(w.Read());
        QVERIFY(w.Window.close());
        QVERIFY(!w.Window.isVisible());
        w.Link.Modbus().ShowCommsStatistics(nullptr);
        QCOMPARE(w.Shown(), Zeros + Connection);
    }

    void FourStartsKeepThreeRuns()
    {
        QTemporaryDir dir;
        FakeClock clock;
        for (int run = 1; run <= 4; ++run) {
            cCommsErrorLog log(dir.path(), clock);
            QVERIFY(log.StartCommsErrorLog());
            QString description, source;
            QVERIFY(log.LogCommsError(QStringLiteral("run %1").arg(run), QByteArray(1, '\1'),
                                      QByteArray(1, '\0'), description, source));
        }
        QStringList runs;
        for (const QString& name :
             {cCommsErrorLog::CurrentName, cCommsErrorLog::OldName, cCommsErrorLog::OlderName}) {
            const QStringList lines = Lines(dir.path(), name);
            runs.append(lines.size() == 4
                                && lines[0].startsWith(QStringLiteral("Session Started: "))
                            ? lines[1].section(u' ', -1)
                            : lines.join(u'|'));
        }
        QCOMPARE(runs, QStringList({"4", "3", "2"}));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 3);
    }

    // A time-out's entry, its times in the locale's short format (a zone name
    // may follow, depending on the machine).
    void TimeoutEntry()
    {
        const std::pair<QLocale, QString> rows[] = {
            {QLocale(QLocale::English, QLocale::UnitedStates), "5/17/24 10:20:30 AM"},
            {QLocale(QLocale::German, QLocale::Germany), "17.05.24 10:20:30"}};
        for (const auto& [locale, when] : rows) {
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
            QCOMPARE(Lines(dir.path()),
                     QStringList({"Session Started: " + when, when + " Modbus Response Timeout",
                                  "TX: 1 3 0 0 0 2 C4 B", "RX: 0"}));
        }
    }

    // Root may write anywhere, but not below a plain file.
    void UnwritableLogFailsTheTransaction()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("plain-file"));
        QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        FakeClock clock;
        cCommsErrorLog log(file, clock);
        QVERIFY(!log.StartCommsErrorLog());
        SimulatedLink link;
        link.Modbus().SetErrorLog(&log);
        link.Faults().Queue(SimFault::BadCrc());

        std::vector<float> values;
        QVERIFY(!link.Modbus().ReadHoldingRegisters(1, 6, 2, values));
        QVERIFY(!link.Port().IsOpen());
        const auto& messages = link.UI().Messages();
        QCOMPARE(messages.size(), 2);
        QCOMPARE(messages[0].Text, QStringLiteral("CRC Error in response"));
        QCOMPARE(messages[1].Text, QStringLiteral("Not a directory"));
        QCOMPARE(messages[1].Title, file + QStringLiteral("/CommsErr.log"));
        // The link is not left stuck: the next exchange goes through.
        QVERIFY(link.Modbus().ReadHoldingRegisters(1, 6, 2, values));
    }
};

QTEST_MAIN(tst_CommsStatistics)
#include "tst_CommsStatistics.moc"
