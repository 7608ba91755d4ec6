#include "SimulatedLink.h"

#include "shell/frmCommsStatus.h"

#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTest>

namespace {

const char* const CountLabels[] = {"lblNumCharsTx",   "lblNumRequests",    "lblNumCharsRx",
                                   "lblNumResponses", "lblNumTimeouts",    "lblNumCRCFailures",
                                   "lblNumExceptions"};

QString Shown(const QWidget& window, const char* label)
{
    return window.findChild<QLabel*>(QLatin1String(label))->text();
}

QStringList ShownCounts(const QWidget& window)
{
    QStringList counts;
    for (const char* label : CountLabels)
        counts.append(Shown(window, label));
    return counts;
}

const QStringList Zeros{"0", "0", "0", "0", "0", "0", "0"};

// The statistics window watching a link to the simulated relay.
struct Watched
{
    SimulatedLink Link;
    frmCommsStatus Window{Link.Modbus().Statistics()};

    Watched() { Link.Modbus().SetStatusWindow(&Window); }
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

} // namespace

class tst_frmCommsStatus : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void CountsFollowTransactions_data();
    void CountsFollowTransactions();
    void ThousandsSeparatorOfTheUser_data();
    void ThousandsSeparatorOfTheUser();
    void DisplayShowsTheConnection();
    void ClearKeepsTheConnection();
    void CloseKeepsCountsCloseBoxDiscardsThem();
};

void tst_frmCommsStatus::CountsFollowTransactions_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QStringList>("counts");
    QTest::newRow("success") << "none" << QStringList{"8", "1", "9", "1", "0", "0", "0"};
    QTest::newRow("time-out") << "no-answer" << QStringList{"8", "1", "0", "0", "1", "0", "0"};
    QTest::newRow("CRC failure") << "bad-crc" << QStringList{"8", "1", "9", "1", "0", "1", "0"};
    QTest::newRow("exception") << "exception:2" << QStringList{"8", "1", "5", "1", "0", "0", "1"};
}

void tst_frmCommsStatus::CountsFollowTransactions()
{
    QFETCH(QString, fault);
    QFETCH(QStringList, counts);
    Watched w;
    w.Link.Modbus().ShowCommsStatistics(nullptr);
    QCOMPARE(ShownCounts(w.Window), Zeros);
    QString error;
    w.Link.Faults().Queue(*SimFaults::ParseFault(fault, error));

    QCOMPARE(w.Read(), fault == QLatin1String("none"));
    QCOMPARE(ShownCounts(w.Window), counts);
}

void tst_frmCommsStatus::ThousandsSeparatorOfTheUser_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<qint64>("count");
    QTest::addColumn<QString>("shown");
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("999") << us << qint64(999) << "999";
    QTest::newRow("1,234") << us << qint64(1234) << "1,234";
    QTest::newRow("beyond 16 bits") << us << qint64(1234567) << "1,234,567";
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << qint64(1234) << "1.234";
    // The C locale leaves the separator out unless asked for it.
    QTest::newRow("C") << QLocale::c() << qint64(1234) << "1,234";
}

void tst_frmCommsStatus::ThousandsSeparatorOfTheUser()
{
    QFETCH(QLocale, locale);
    QFETCH(qint64, count);
    QFETCH(QString, shown);
    QLocale::setDefault(locale);
    Watched w;
    w.Link.Modbus().Statistics().AddCharactersTx(count);
    w.Link.Modbus().Statistics().AddCRCFailures(count);
    QCOMPARE(Shown(w.Window, "lblNumCharsTx"), shown);
    QCOMPARE(Shown(w.Window, "lblNumCRCFailures"), shown);
}

void tst_frmCommsStatus::DisplayShowsTheConnection()
{
    Watched w;
    QVERIFY(!w.Window.isVisible());
    w.Link.Modbus().ShowCommsStatistics(nullptr);
    QVERIFY(w.Window.isVisible());
    QVERIFY(!w.Window.isModal());
    QCOMPARE(w.Window.windowTitle(), QStringLiteral("Communications Status"));
    QCOMPARE(Shown(w.Window, "lblPortNum"), QStringLiteral("02"));
    QCOMPARE(Shown(w.Window, "lblCommsSettingsStr"), QStringLiteral("9600,N,8,1"));
    QCOMPARE(Shown(w.Window, "lblProtocolStr"), QStringLiteral("Modbus RTU"));

    w.Window.SetErrorLogFolder(QStringLiteral("/home/engineer/.local/share/VI_TZLConfigurator"));
    QCOMPARE(Shown(w.Window, "lblErrorLogFolder"),
             QStringLiteral("/home/engineer/.local/share/VI_TZLConfigurator"));
}

void tst_frmCommsStatus::ClearKeepsTheConnection()
{
    Watched w;
    w.Link.Modbus().ShowCommsStatistics(nullptr);
    QVERIFY(w.Read());
    w.Link.Faults().Queue(SimFault::NoAnswer());
    QVERIFY(!w.Read());
    w.Click("cmdClear");
    QCOMPARE(ShownCounts(w.Window), Zeros);
    QCOMPARE(Shown(w.Window, "lblPortNum"), QStringLiteral("02"));
    QCOMPARE(Shown(w.Window, "lblProtocolStr"), QStringLiteral("Modbus RTU"));
    QVERIFY(w.Window.isVisible());
}

void tst_frmCommsStatus::CloseKeepsCountsCloseBoxDiscardsThem()
{
    Watched w;
    w.Link.Modbus().ShowCommsStatistics(nullptr);
    QVERIFY(w.Read());
    w.Click("cmdClose");
    QVERIFY(!w.Window.isVisible());
    QVERIFY(w.Read()); // counted while hidden
    w.Link.Modbus().ShowCommsStatistics(nullptr);
    QCOMPARE(ShownCounts(w.Window), QStringList({"16", "2", "18", "2", "0", "0", "0"}));

    QVERIFY(w.Window.close());
    QVERIFY(!w.Window.isVisible());
    QCOMPARE(w.Link.Modbus().Statistics().CharactersTx(), 0);
    w.Link.Modbus().ShowCommsStatistics(nullptr);
    QCOMPARE(ShownCounts(w.Window), Zeros);
}

QTEST_MAIN(tst_frmCommsStatus)
#include "tst_frmCommsStatus.moc"
