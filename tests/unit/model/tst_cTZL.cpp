#include "FakeClock.h"
#include "RequestLog.h"
#include "SimulatedLink.h"
#include "model/cTZL.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <limits>

namespace {

QDateTime At(int y, int mo, int d, int h, int mi, int s)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();

// Whole configurations take hundreds of exchanges; the loopback delivers each
// answer in one piece, so a short silence ends it safely.
struct Fixture
{
    Fixture()
    {
        Link.SetTimeouts(SimulatedLink::TestResponseTimeoutMs, 1);
        Link.Relay().SetFirmwareVersion(3.25f);
        Link.Relay().SetPSCNumber(4711.0f);
        Link.Relay().SetPSCIssue(7.0f);
    }
    QStringList Titles()
    {
        QStringList titles;
        for (const auto& message : Link.UI().Messages())
            titles << message.Title;
        return titles;
    }
    // Writes that change the relay's configuration (the product selector only
    // asks a question).
    QStringList ConfigurationWrites()
    {
        QStringList writes;
        for (const RegisterAccess& access : Link.Relay().Writes())
            if (access.Start != SimulatedRelay::RegProductSelector)
                writes << QString::number(access.Start);
        return writes;
    }
    // A configuration file whose line `line` (from 0) holds `text`.
    QString EditedFile(int line, const QByteArray& text)
    {
        const QString path = Dir.filePath(QStringLiteral("edited.tcf"));
        QFile file(path);
        if (!Device.SaveConfigToFile(path) || !file.open(QIODevice::ReadWrite))
            return {};
        QList<QByteArray> lines = file.readAll().split('\n');
        lines[line] = text + '\r';
        file.resize(0);
        file.write(lines.join('\n'));
        return path;
    }
    std::int16_t Slave() const { return Link.SlaveID(); }
    SimulatedLink Link;
    FakeClock Clock;
    cTZL Device{Link.Modbus(), Link.UI(), Clock};
    QTemporaryDir Dir;
};

} // namespace

class tst_cTZL : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void ProductInfo_data();
    void ProductInfo();
    void GetRTC_data();
    void GetRTC();
    void SetRTC();
    void UploadConfigWithFailedSystemRead();
    void DownloadQuestions_data();
    void DownloadQuestions();
    void DownloadWithFailedSystemWriteStillSendsTrips();
    void Clearing();
    void ConfigFiles();
};

void tst_cTZL::ProductInfo_data()
{
    QTest::addColumn<int>("selector");
    QTest::addColumn<QList<float>>("pinned"); // value at 238, echo at 240; empty: the relay's own
    QTest::addColumn<int>("failingExchange"); // 1: the selector write fails
    QTest::addColumn<float>("result");
    QTest::addColumn<QString>("message");
    const QList<float> own;
    QTest::newRow("firmware") << 2 << own << 0 << 3.25f << QString();
    QTest::newRow("PSC number") << 4 << own << 0 << 4711.0f << QString();
    QTest::newRow("old firmware answers 0 and 0")
        << 2 << QList<float>{0, 0} << 0 << 2.44f << QString();
    QTest::newRow("PSC number 0 and 0") << 4 << QList<float>{0, 0} << 0 << 0.0f << QString();
    QTest::newRow("echo 3 to selector 2") << 2 << QList<float>{3.25f, 3} << 0 << 0.0f << QString();
    QTest::newRow("write fails") << 2 << own << 1 << 0.0f << QString();
    QTest::newRow("version not a number")
        << 2 << QList<float>{NaN, 2} << 0 << 0.0f
        << "Error in TZL Version - Check Word Order Setting|Version Format Error";
    QTest::newRow("PSC number echo beyond 16 bits")
        << 4 << QList<float>{4711, 40000} << 0 << 0.0f
        << "Error in TZL PSC Number - Check Word Order Setting|PSC Number Format Error";
    QTest::newRow("PSC issue echo not a number")
        << 5 << QList<float>{7, NaN} << 0 << 0.0f
        << "Error in TZL PSC Issue - Check Word Order Setting|PSC Issue Format Error";
}

void tst_cTZL::ProductInfo()
{
    QFETCH(int, selector);
    QFETCH(QList<float>, pinned);
    QFETCH(int, failingExchange);
    QFETCH(QString, message);
    Fixture f;
    if (!pinned.isEmpty()) {
        f.Link.Faults().SetRegisterValue(RegisterKind::Holding, 238, pinned[0]);
        f.Link.Faults().SetRegisterValue(RegisterKind::Holding, 240, pinned[1]);
    }
    if (failingExchange > 0)
        f.Link.Faults().ScheduleAt(failingExchange, SimFault::Exception(4));
    const float value = selector == 2   ? f.Device.GetFirmwareVersion(f.Slave())
                        : selector == 4 ? f.Device.GetPSCNumber(f.Slave())
                                        : f.Device.GetPSCIssue(f.Slave());
    QTEST(value, "result");
    QCOMPARE(RequestLog(f.Link.Port().WrittenFrames()),
             failingExchange == 1 ? QStringList{"w240"} : (QStringList{"w240", "h238"}));
    QCOMPARE(f.Link.Relay().ProductSelector(), failingExchange == 1 ? 0.0f : float(selector));
    QStringList shown;
    for (const auto& m : f.Link.UI().Messages())
        if (!m.Title.startsWith(QStringLiteral("Modbus Exception")))
            shown << m.Text + u'|' + m.Title;
    QCOMPARE(shown, message.isEmpty() ? QStringList() : QStringList{message});

}

void tst_cTZL::GetRTC_data()
{
    QTest::addColumn<QList<float>>("fields"); // empty: the read fails
    QTest::addColumn<QDateTime>("expected");
    QTest::addColumn<bool>("formatError");
    const QDateTime none = At(1900, 1, 1, 0, 0, 0);
    QTest::newRow("plain") << QList<float>{26, 3, 15, 13, 5, 9} << At(2026, 3, 15, 13, 5, 9)
                           << false;
    QTest::newRow("nearly whole, carried")
        << QList<float>{25.6f, 12.4f, 31, 23, 59, 59.6f} << At(2027, 1, 1, 0, 0, 0) << false;
    QTest::newRow("read fails") << QList<float>{} << none << false;
    QTest::newRow("40000") << QList<float>{26, 3, 15, 40000, 5, 9} << none << true;
    QTest::newRow("not a number") << QList<float>{26, 3, NaN, 13, 5, 9} << none << true;
    QTest::newRow("beyond 9999") << QList<float>{9999, 13, 1, 0, 0, 0} << none << true;
}

void tst_cTZL::GetRTC()
{
    QFETCH(QList<float>, fields);
    QFETCH(bool, formatError);
    Fixture f;
    if (fields.isEmpty())
        f.Link.Faults().Queue(SimFault::Exception(2));
    for (int i = 0; i < fields.size(); ++i)
        f.Link.Faults().SetRegisterValue(RegisterKind::Holding, 98 + 2 * i, fields[i]);
    QTEST(f.Device.GetRTC(f.Slave()), "expected");
    QCOMPARE(RequestLog(f.Link.Port().WrittenFrames()), QStringList{"h98"});
    // A failed read adds nothing to the link's own message.
    QCOMPARE(f.Titles(), formatError ? QStringList{"Date & Time Format Error"}
                         : fields.isEmpty() ? QStringList{"Modbus Exception 2"}
                                            : QStringList());
    if (formatError)
        QCOMPARE(f.Link.UI().Messages()[0].Text,
                 QStringLiteral("Error in TZL Date & Time Format - Check Word Order Setting"));
}

void tst_cTZL::SetRTC()
{
    Fixture f;
    QVERIFY(f.Device.SetRTC(f.Slave(), At(2009, 1, 5, 7, 8, 9)));
    QList<float> written;
    for (const RegisterAccess& access : f.Link.Relay().Writes())
        written << float(access.Start) << access.Values.at(0);
    QCOMPARE(written, (QList<float>{98, 9, 100, 1, 102, 5, 104, 7, 106, 8, 108, 9}));

    f.Link.Port().ClearWrittenFrames();
    f.Link.Faults().ScheduleAt(f.Link.Faults().Exchanges() + 4, SimFault::Exception(4));
    QVERIFY(!f.Device.SetRTC(f.Slave(), At(2026, 1, 5, 7, 8, 9)));
    QCOMPARE(RequestLog(f.Link.Port().WrittenFrames()),
             (QStringList{"w98", "w100", "w102", "w104"}));
}

void tst_cTZL::UploadConfigWithFailedSystemRead()
{
    Fixture f;
    TripDefinition overVolts{1, 2, {12100.0f, 110.0f, 0.5f, 0, 0, 0}};
    f.Link.Relay().SetTripDefinition(4, overVolts);
    f.Link.Faults().Queue(SimFault::Exception(4));
    QVERIFY(!f.Device.UploadConfig(f.Slave()));
    const QStringList requests = RequestLog(f.Link.Port().WrittenFrames());
    QCOMPARE(requests.mid(0, 7),
             (QStringList{"h6", "w240", "h238", "w240", "h238", "w240", "h238"}));
    QCOMPARE(requests.count("h58"), 16);
    QCOMPARE(f.Device.PSCNumber(), 4711.0f);
    QCOMPARE(f.Device.TripData.ParameterValue(4, 1), 12100.0f);

    f.Link.Relay().SetSystemVolts(11000.0f);
    QVERIFY(f.Device.UploadConfig(f.Slave()));
    QCOMPARE(f.Device.SystemVolts(), 11000.0f);
    QCOMPARE(f.Device.TripData.ParameterValue(4, 2), 110.0f); // uploads never rescale
}

void tst_cTZL::DownloadQuestions_data()
{
    QTest::addColumn<float>("relayType");
    QTest::addColumn<float>("firmware"); // negative: the firmware query fails
    QTest::addColumn<QList<MsgResult>>("answers");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<bool>("written");
    const QString type = QStringLiteral("System Type Mismatch");
    const QString version = QStringLiteral("Version Compatibility");
    using A = QList<MsgResult>;
    // The configuration is 4-wire and uses a function that needs firmware 3.
    QTest::newRow("match, compatible") << 3.0f << 3.0f << A{} << QStringList{} << true;
    QTest::newRow("mismatch yes") << 2.0f << 3.5f << A{MsgResult::Yes} << QStringList{type} << true;
    QTest::newRow("mismatch no") << 2.0f << 3.0f << A{MsgResult::No} << QStringList{type} << false;
    QTest::newRow("mismatch yes, incompatible no")
        << 2.0f << 2.9f << A{MsgResult::Yes, MsgResult::No} << QStringList{type, version} << false;
    QTest::newRow("incompatible yes")
        << 3.0f << 2.9f << A{MsgResult::Yes} << QStringList{version} << true;
    QTest::newRow("firmware query fails, no")
        << 3.0f << -1.0f << A{MsgResult::No} << QStringList{"Modbus Exception 4", version} << false;
}

void tst_cTZL::DownloadQuestions()
{
    QFETCH(float, relayType);
    QFETCH(float, firmware);
    QFETCH(QList<MsgResult>, answers);
    QFETCH(bool, written);
    Fixture f;
    f.Link.Relay().SetSystemType(relayType);
    f.Link.Relay().SetFirmwareVersion(firmware);
    if (firmware < 0)
        f.Link.Faults().ScheduleAt(2, SimFault::Exception(4)); // the selector write
    f.Device.SetTripFunction(1, 12); // Unbalanced Current, code 27
    for (MsgResult answer : answers)
        f.Link.UI().QueueAnswer(answer);

    QCOMPARE(f.Device.DownloadConfig(f.Slave()), written);
    QTEST(f.Titles(), "titles");
    for (const auto& message : f.Link.UI().Messages()) {
        if (message.Buttons != MsgButtons::YesNo)
            continue;
        QCOMPARE(message.Icon, MsgIcon::None);
        QCOMPARE(message.Text, message.Title == QStringLiteral("System Type Mismatch")
            ? QStringLiteral("Configuration & TZL SystemType mismatch - downloaded anyway?")
            : QStringLiteral("Trip configuration contains settings that may not be supported by "
                             "the target unit - downloaded anyway?"));
    }
    const QStringList writes = f.ConfigurationWrites();
    QCOMPARE(writes.isEmpty(), !written);
    if (written) {
        QCOMPARE(writes.mid(0, 2), (QStringList{"6", "8"}));
        QCOMPARE(writes.count("58"), 17); // each relay selected, then deselected
        QCOMPARE(f.Link.Relay().GetTripDefinition(1).FunctionCode, 27);
    }
}

void tst_cTZL::DownloadWithFailedSystemWriteStillSendsTrips()
{
    Fixture f;
    f.Link.Faults().ScheduleAt(4, SimFault::Exception(4)); // type, selector, version, volts
    QVERIFY(!f.Device.DownloadConfig(f.Slave()));
    QVERIFY(!f.ConfigurationWrites().contains("6"));
    QCOMPARE(f.ConfigurationWrites().count("58"), 17);

    // A system type that is no 16-bit number cannot match the relay's.
    const QString path = f.EditedFile(2, "1E+09");
    QVERIFY(f.Device.LoadConfigFromFile(path));
    QCOMPARE(f.Device.SystemType(), 1.0e9f);
    f.Link.UI().ClearMessages();
    f.Link.Relay().ClearAccesses();
    QVERIFY(!f.Device.DownloadConfig(f.Slave()));
    QCOMPARE(f.Titles(), QStringList{"System Type Mismatch"});
    QVERIFY(f.ConfigurationWrites().isEmpty());
}

void tst_cTZL::Clearing()
{
    Fixture f;
    f.Link.Relay().SetEvents({{1, 5, At(2026, 1, 1, 0, 0, 0)}});
    f.Link.Relay().SetMeasurement(0, 230.0f);
    f.Device.UploadProductInfo(f.Slave());
    const auto configure = [&f] {
        f.Device.SetSystemVolts(11000.0f);
        f.Device.SetTripFunction(2, 1);
        return f.Device.SystemVolts() == 11000.0f && f.Device.TripData.FunctionNumber(2) == 1;
    };
    const auto readLive = [&f] {
        return f.Device.EventLog.Upload(f.Slave()) && f.Device.Inputs.UpLoadBasics(f.Slave());
    };
    QVERIFY(configure() && readLive());
    f.Device.ConfigClear();
    QCOMPARE(
        (QList<float>{f.Device.SystemVolts(), f.Device.SystemCurrent(), f.Device.SystemType()}),
        (QList<float>{110, 5, 3}));
    QCOMPARE(f.Device.TripData.FunctionNumber(2), 0);
    QVERIFY(f.Device.EventLog.EvtRelay(1) == 5 && f.Device.Inputs.Volts1() == 230.0f);

    QVERIFY(configure() && readLive());
    f.Device.TransientDataClear();
    QVERIFY(f.Device.EventLog.EvtRelay(1) == -1 && f.Device.Inputs.Volts1() == 0.0f);
    QVERIFY(f.Device.SystemVolts() == 11000.0f && f.Device.TripData.FunctionNumber(2) == 1);
    QCOMPARE(f.Device.VersionNumber(), 3.25f); // neither touches the product information
}

void tst_cTZL::ConfigFiles()
{
    Fixture f;
    // A download's read-back leaves values the setters would never allow;
    // the file keeps them as they are.
    f.Link.Relay().SetSystemType(4.0f);
    f.Link.Faults().SetRegisterValue(RegisterKind::Holding, 6, 0.5f);
    f.Link.UI().QueueAnswer(MsgResult::Yes);
    QVERIFY(f.Device.DownloadConfig(f.Slave()));
    f.Link.UI().ClearMessages();
    f.Device.TripData.SetName(1, QStringLiteral("Generator, main"));
    f.Device.SetTripFunction(1, 17);
    float slip = 0.123456789f;
    f.Device.SetTripParameterValue(1, 6, slip);
    const TripRecord before = f.Device.TripData.TripDefinition(1);

    const QString path = f.Dir.filePath(QStringLiteral("relay.tcf"));
    QVERIFY(f.Device.SaveConfigToFile(path));
    f.Device.ConfigClear();
    QVERIFY(f.Device.LoadConfigFromFile(path));
    QCOMPARE(
        (QList<float>{f.Device.SystemVolts(), f.Device.SystemCurrent(), f.Device.SystemType()}),
        (QList<float>{0.5f, 5, 4}));
    QCOMPARE(f.Device.TripData.TripDefinition(1), before);
    QVERIFY(f.Link.UI().Messages().isEmpty());

    // A refused file leaves the model as it was.
    f.Device.SetTripFunction(3, 14);
    QVERIFY(!f.Device.LoadConfigFromFile(f.EditedFile(1, "2")));
    QCOMPARE(f.Titles(), QStringList{"Data Compatiblity Error"});
    QCOMPARE(f.Device.TripData.FunctionNumber(3), 14);
    QVERIFY(!f.Device.LoadConfigFromFile(f.Dir.filePath(QStringLiteral("missing.tcf"))));
    QCOMPARE(f.Link.UI().Messages().last().Text, QStringLiteral("The file can not be located"));
}

QTEST_GUILESS_MAIN(tst_cTZL)
#include "tst_cTZL.moc"
