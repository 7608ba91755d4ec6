#include "FakeClock.h"
#include "SimulatedLink.h"
#include "model/RelayScan.h"
#include "model/cTZL.h"

#include <QTemporaryDir>
#include <QTest>
#include <limits>

namespace {

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
constexpr float Slip2Degrees = 2.0f / 0.03f / 180.0f; // about 0.37
constexpr MsgResult Yes = MsgResult::Yes;
constexpr MsgResult No = MsgResult::No;

// Whole configurations take hundreds of exchanges; the loopback delivers each
// answer in one piece, so a short silence ends it safely.
struct Fixture
{
    Fixture()
    {
        Link.SetTimeouts(SimulatedLink::TestResponseTimeoutMs, 1);
        Link.Relay().SetFirmwareVersion(3.25f);
    }
    std::int16_t Slave() const { return Link.SlaveID(); }
    void Pin(int reg, float value)
    {
        Link.Faults().SetRegisterValue(RegisterKind::Holding, reg, value);
    }
    QStringList Shown(bool withText = false) // the title, and perhaps the text, of each message
    {
        QStringList shown;
        for (const auto& message : Link.UI().Messages())
            shown << (withText ? QStringList{message.Text, message.Title}
                               : QStringList{message.Title});
        return shown;
    }
    // Registers written that change the relay's configuration.
    QStringList ConfigurationWrites()
    {
        QStringList writes;
        for (const RegisterAccess& access : Link.Relay().Writes())
            if (access.Start != SimulatedRelay::RegProductSelector)
                writes << QString::number(access.Start);
        return writes;
    }
    // Sets a relay's function, then its slots directly, past rounding and limits.
    void Preset(std::int16_t relay, std::int16_t function, const QList<float>& values)
    {
        Device.SetTripFunction(relay, function);
        for (int p = 0; p < values.size(); ++p)
            Device.TripData.SetParameterValue(relay, std::int16_t(p + 1), values[p]);
    }
    QList<float> Parameters(std::int16_t relay) const
    {
        const auto values = Device.TripData.TripDefinition(relay).ParameterValues;
        return QList<float>(values.begin(), values.end());
    }
    QList<float> System() const
    {
        return {Device.SystemVolts(), Device.SystemCurrent(), Device.SystemType()};
    }
    SimulatedLink Link;
    FakeClock Clock;
    cTZL Device{Link.Modbus(), Link.UI(), Clock};
};

} // namespace

class tst_cTZL : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void ProductInfo_data()
    {
        QTest::addColumn<int>("selector");
        QTest::addColumn<QList<float>>("pinned"); // value at 238, echo at 240; none: the relay's
        QTest::addColumn<float>("result");
        QTest::addColumn<QStringList>("shown");
        const auto error = [](const QString& item) {
            return QStringList{"Error in TZL " + item + " - Check Word Order Setting",
                               item + " Format Error"};
        };
        QTest::newRow("firmware") << 2 << QList<float>{} << 3.25f << QStringList{};
        QTest::newRow("old firmware, 0 and 0") << 2 << QList<float>{0, 0} << 2.44f << QStringList{};
        QTest::newRow("PSC number, 0 and 0") << 4 << QList<float>{0, 0} << 0.0f << QStringList{};
        QTest::newRow("echo 3 to 2") << 2 << QList<float>{3.25f, 3} << 0.0f << QStringList{};
        QTest::newRow("version NaN") << 2 << QList<float>{NaN, 2} << 0.0f << error("Version");
        QTest::newRow("PSC number echo 40000")
            << 4 << QList<float>{4711, 40000} << 0.0f << error("PSC Number");
        QTest::newRow("PSC issue echo NaN")
            << 5 << QList<float>{7, NaN} << 0.0f << error("PSC Issue");
    }
    void ProductInfo()
    {
        QFETCH(int, selector);
        QFETCH(QList<float>, pinned);
        Fixture f;
        for (int i = 0; i < pinned.size(); ++i)
            f.Pin(238 + 2 * i, pinned[i]);
        QTEST(selector == 2   ? f.Device.GetFirmwareVersion(f.Slave())
              : selector == 4 ? f.Device.GetPSCNumber(f.Slave())
                              : f.Device.GetPSCIssue(f.Slave()),
              "result");
        QCOMPARE(f.Link.Relay().ProductSelector(), float(selector));
        QTEST(f.Shown(true), "shown");
    }

    // The whole product information tells whether every item came back under
    // its own selector, so a caller can tell a 0 that means nothing.
    void UploadProductInfo_data()
    {
        QTest::addColumn<QList<float>>("pinned"); // value at 238, echo at 240; none: the relay's
        QTest::addColumn<bool>("answered");
        QTest::newRow("the relay's") << QList<float>{} << true;
        QTest::newRow("firmware 0 and 0") << QList<float>{0, 0} << false; // PSC items echo 0 too
        QTest::newRow("echo of another item") << QList<float>{7, 3} << false;
    }
    void UploadProductInfo()
    {
        QFETCH(QList<float>, pinned);
        Fixture f;
        for (int i = 0; i < pinned.size(); ++i)
            f.Pin(238 + 2 * i, pinned[i]);
        QTEST(f.Device.UploadProductInfo(f.Slave()), "answered");
        QVERIFY(f.Link.UI().Messages().isEmpty());
    }

    void GetRTC_data()
    {
        QTest::addColumn<QList<float>>("fields"); // none: the read fails
        QTest::addColumn<QDateTime>("expected");
        QTest::addColumn<QStringList>("shown");
        const QDateTime none(QDate(1900, 1, 1), QTime(0, 0));
        const QStringList formatError{"Error in TZL Date & Time Format - Check Word Order Setting",
                                      "Date & Time Format Error"};
        QTest::newRow("nearly whole, carried")
            << QList<float>{25.6f, 12.4f, 31, 23, 59, 59.6f}
            << QDateTime(QDate(2027, 1, 1), QTime(0, 0)) << QStringList{};
        // A failed read adds nothing to the link's own message.
        QTest::newRow("read fails")
            << QList<float>{} << none
            << QStringList{"Modbus Illegal Address Value Exception", "Modbus Exception 2"};
        QTest::newRow("40000") << QList<float>{26, 3, 15, 40000, 5, 9} << none << formatError;
        QTest::newRow("beyond 9999") << QList<float>{9999, 13, 1, 0, 0, 0} << none << formatError;
    }
    void GetRTC()
    {
        QFETCH(QList<float>, fields);
        Fixture f;
        if (fields.isEmpty())
            f.Link.Faults().Queue(SimFault::Exception(2));
        for (int i = 0; i < fields.size(); ++i)
            f.Pin(98 + 2 * i, fields[i]);
        QTEST(f.Device.GetRTC(f.Slave()), "expected");
        QTEST(f.Shown(true), "shown");
    }

    void SetRTC()
    {
        Fixture f;
        QVERIFY(f.Device.SetRTC(f.Slave(), QDateTime(QDate(2009, 1, 5), QTime(7, 8, 9))));
        QList<float> written;
        for (const RegisterAccess& access : f.Link.Relay().Writes())
            written << float(access.Start) << access.Values.at(0);
        QCOMPARE(written, (QList<float>{98, 9, 100, 1, 102, 5, 104, 7, 106, 8, 108, 9}));
        // Minute and second are not written after a failed hour.
        f.Link.Port().ClearWrittenFrames();
        f.Link.Faults().ScheduleAt(f.Link.Faults().Exchanges() + 4, SimFault::Exception(4));
        QVERIFY(!f.Device.SetRTC(f.Slave(), QDateTime(QDate(2026, 1, 5), QTime(7, 8, 9))));
        QCOMPARE(f.Link.Port().WrittenFrames().size(), 4);
    }

    void UploadConfig_data()
    {
        QTest::addColumn<QList<float>>("relay"); // volts, current, type
        QTest::addColumn<QList<float>>("held");  // none: the system read fails
        QTest::newRow("3-wire, clamped") << QList<float>{0, 20000, 2} << QList<float>{1, 10000, 2};
        QTest::newRow("type 4 is 3") << QList<float>{415, 5, 4} << QList<float>{415, 5, 3};
        QTest::newRow("type 2.5 is 3") << QList<float>{415, 5, 2.5f} << QList<float>{415, 5, 3};
        QTest::newRow("system read fails") << QList<float>{11000, 400, 2} << QList<float>{};
    }
    void UploadConfig()
    {
        QFETCH(QList<float>, relay);
        QFETCH(QList<float>, held);
        Fixture f;
        f.Link.Relay().SetSystemVolts(relay[0]);
        f.Link.Relay().SetSystemCurrent(relay[1]);
        f.Link.Relay().SetSystemType(relay[2]);
        f.Link.Relay().SetTripDefinition(4, {1, 2, {12100.0f, 110.0f, 0.5f}});
        if (held.isEmpty())
            f.Link.Faults().Queue(SimFault::Exception(4));
        QCOMPARE(f.Device.UploadConfig(f.Slave()), !held.isEmpty());
        QCOMPARE(f.System(), held.isEmpty() ? (QList<float>{110, 5, 3}) : held);
        // Product information and trips come whatever the system read did, and
        // uploads never rescale.
        QCOMPARE(f.Device.VersionNumber(), 3.25f);
        QCOMPARE(f.Parameters(4), (QList<float>{12100, 110, 0.5f, 0, 0, 0}));
    }

    // No to either question stops the download before anything is written.
    void DownloadQuestions_data()
    {
        QTest::addColumn<float>("relayType");
        QTest::addColumn<float>("firmware");
        QTest::addColumn<int>("failing"); // refused exchange: 1 the type read, 2 the selector write
        QTest::addColumn<QList<MsgResult>>("answers");
        QTest::addColumn<QStringList>("titles");
        const QString type = QStringLiteral("System Type Mismatch");
        const QString version = QStringLiteral("Version Compatibility");
        const QString exception = QStringLiteral("Modbus Exception 4");
        const auto row = [](const char* name, float type, float firmware, int failing,
                            QList<MsgResult> answers, QStringList titles) {
            QTest::newRow(name) << type << firmware << failing << answers << titles;
        };
        // The configuration is 4-wire and uses a function that needs firmware 3.
        row("match, compatible", 3, 3, 0, {}, {});
        row("mismatch yes", 2, 3.5f, 0, {Yes}, {type});
        row("not exactly 3", 3.0001f, 3, 0, {No}, {type});
        row("mismatch yes, incompatible no", 2, 2.9f, 0, {Yes, No}, {type, version});
        row("incompatible yes", 3, 2.9f, 0, {Yes}, {version});
        row("type read fails, no", 3, 3, 1, {No}, {exception, type});
        row("firmware query fails, no", 3, 3, 2, {No}, {exception, version});
    }
    void DownloadQuestions()
    {
        QFETCH(float, relayType);
        QFETCH(float, firmware);
        QFETCH(int, failing);
        QFETCH(QList<MsgResult>, answers);
        Fixture f;
        f.Link.Relay().SetSystemType(relayType);
        f.Link.Relay().SetFirmwareVersion(firmware);
        if (failing > 0)
            f.Link.Faults().ScheduleAt(failing, SimFault::Exception(4));
        f.Device.SetTripFunction(1, 12); // Unbalanced Current, code 27
        for (MsgResult answer : answers)
            f.Link.UI().QueueAnswer(answer);
        const bool written = answers.isEmpty() || answers.last() == Yes;
        QCOMPARE(f.Device.DownloadConfig(f.Slave()), written);
        QTEST(f.Shown(), "titles");
        const QHash<QString, QString> questions{
            {"System Type Mismatch",
             "Configuration & TZL SystemType mismatch - downloaded anyway?"},
            {"Version Compatibility", "Trip configuration contains settings that may not be "
                                      "supported by the target unit - downloaded anyway?"}};
        for (const auto& message : f.Link.UI().Messages())
            if (message.Buttons == MsgButtons::YesNo)
                QCOMPARE(message.Text, questions.value(message.Title));
        const QStringList writes = f.ConfigurationWrites();
        QCOMPARE(writes.isEmpty(), !written);
        if (written) {
            QCOMPARE(writes.mid(0, 2), (QStringList{"6", "8"}));
            QCOMPARE(writes.count("58"), 17); // each relay selected, then deselected
            QCOMPARE(f.Link.Relay().GetTripDefinition(1).FunctionCode, 27);
        }
    }

    void DownloadWithFailedSystemWrite()
    {
        Fixture f;
        f.Device.SetSystemVolts(11000.0f);
        f.Link.Faults().ScheduleAt(4, SimFault::Exception(4)); // type, selector, version, volts
        QVERIFY(!f.Device.DownloadConfig(f.Slave()));
        // No current after the refused volts; the read-back and the trips still go.
        QVERIFY(!f.ConfigurationWrites().contains("8"));
        QCOMPARE(f.Device.SystemVolts(), 110.0f);
        QCOMPARE(f.ConfigurationWrites().count("58"), 17);
    }

    void ConfigFiles()
    {
        Fixture f;
        // A download's read-back leaves values the setters would never allow;
        // the file keeps them as they are.
        f.Link.Relay().SetSystemType(4.0f);
        f.Pin(6, 0.5f);
        f.Link.UI().QueueAnswer(Yes);
        QVERIFY(f.Device.DownloadConfig(f.Slave()));
        f.Link.UI().ClearMessages();
        f.Device.TripData.SetName(1, QStringLiteral("Generator, main"));
        f.Preset(1, 17, {2, 11, 99, 11, 0, 0.123456789f});
        const TripRecord before = f.Device.TripData.TripDefinition(1);
        QTemporaryDir dir;
        QVERIFY(f.Device.SaveConfigToFile(dir.filePath(QStringLiteral("relay.tcf"))));
        f.Device.ConfigClear();
        QVERIFY(f.Device.LoadConfigFromFile(dir.filePath(QStringLiteral("relay.tcf"))));
        QCOMPARE(f.System(), (QList<float>{0.5f, 5, 4}));
        QCOMPARE(f.Device.TripData.TripDefinition(1), before);
        QVERIFY(f.Link.UI().Messages().isEmpty());
        QVERIFY(!f.Device.LoadConfigFromFile(dir.filePath(QStringLiteral("missing.tcf"))));
        QCOMPARE(f.Link.UI().Messages().last().Text, QStringLiteral("The file can not be located"));
        QCOMPARE(f.Device.TripData.TripDefinition(1), before); // a refused file changes nothing
    }

    void SetTripFunction()
    {
        Fixture f;
        f.Preset(5, 1, {0, 0, 0, 0, 0, 9});
        f.Device.TripData.SetAlarmFlag(5, true);
        f.Device.SetTripFunction(5, 16);
        QVERIFY(f.Device.TripData.InvertedFlag(5) && f.Device.TripData.AlarmFlag(5));
        QCOMPARE(f.Parameters(5), (QList<float>{2, 11, 99, 0, 0.37f, 0}));
        f.Device.TripData.SetParameterValue(5, 1, 7.0f);
        f.Device.SetTripFunction(5, 16); // the same function changes nothing
        QCOMPARE(f.Device.TripData.ParameterValue(5, 1), 7.0f);
        const QString relay = QStringLiteral("Internal Error: invalid Trip Relay Number!");
        const QString function = QStringLiteral("Internal Error: invalid Trip Function Number!");
        const std::pair<QList<int>, QString> refused[] = {
            {{0, 1}, relay}, {{17, 28}, relay}, {{1, 28}, function}, {{1, -1}, function}};
        for (const auto& [call, text] : refused) {
            f.Link.UI().ClearMessages();
            f.Device.SetTripFunction(std::int16_t(call[0]), std::int16_t(call[1]));
            QCOMPARE(f.Shown(true), (QStringList{text, "TZL Configurator Error"}));
        }
        QCOMPARE(f.Device.TripData.FunctionNumber(1), 0);
    }

    // System 110 V, 5 A, 4-wire.
    void SetTripParameterValue_data()
    {
        QTest::addColumn<int>("function");
        QTest::addColumn<QList<float>>("preset");
        QTest::addColumn<int>("position");
        QTest::addColumn<float>("entered");
        QTest::addColumn<QList<float>>("after"); // the six slots
        const auto row = [](const char* name, int f, QList<float> preset, int p, float v,
                            QList<float> after) {
            after << QList<float>(6 - after.size());
            QTest::newRow(name) << f << preset << p << v << after;
        };
        row("typed half rounds up", 1, {121, 1.1f, 0.2f}, 3, 0.35f, {121, 1.1f, 0.4f});
        row("trip point not rounded", 1, {121, 1.1f, 0.2f}, 1, 120.26f, {120.26f, 1.1f, 0.2f});
        row("NaN gives minimum", 2, {99, 5, 0.2f}, 2, NaN, {99, 1.1f, 0.2f});
        row("51 curve rounds down", 14, {5.5f, 1, 0.1f}, 2, 2.7f, {5.5f, 2, 0.1f});
        row("51 curve floor, then minimum", 14, {5.5f, 2, 0.1f}, 2, 0.99f, {5.5f, 1, 0.1f});
        row("dial rounds past maximum", 15, {5.5f, 0.1f}, 2, 9.96f, {5.5f, 9.9f});
        row("logical input rounds down", 19, {0, 0, 0, 0, 0}, 1, 16.9f, {16});
        // An instantaneous current trip below the system current needs a delay of 0.2.
        row("trip below I raises delay", 5, {5.5f, 0.05f, 0}, 1, 4, {4, 0.05f, 0.2f});
        row("delay with trip at I", 7, {5, 0.05f, 1}, 3, 0.1f, {5, 0.05f, 0.2f});
        row("delay with trip above I", 5, {5.5f, 0.05f, 1}, 3, 0.14f, {5.5f, 0.05f, 0.1f});
        // The phase-angle window limits the slip frequency.
        row("slip within the angle", 16, {2, 11, 99, 0, 0.37f}, 5, 0.9f,
            {2, 11, 99, 0, Slip2Degrees});
        row("angle lowers the slip", 16, {20, 11, 99, 0, 0.9f}, 1, 2, {2, 11, 99, 0, Slip2Degrees});
        row("angle clamped first", 16, {20, 11, 99, 0, 0.9f}, 1, 1, {2, 11, 99, 0, Slip2Degrees});
        row("limit not below maximum", 16, {20, 11, 99, 0, 5}, 1, 10.8f, {10.8f, 11, 99, 0, 5});
        row("deadbus slip, wide angle", 17, {20, 11, 99, 11, 0, 0.37f}, 6, 0.9f,
            {20, 11, 99, 11, 0, 0.9f});
        row("deadbus angle", 17, {20, 11, 99, 11, 0, 0.9f}, 1, 4,
            {4, 11, 99, 11, 0, 4.0f / 0.03f / 180.0f});
    }
    void SetTripParameterValue()
    {
        QFETCH(int, function);
        QFETCH(QList<float>, preset);
        QFETCH(int, position);
        QFETCH(float, entered);
        QFETCH(QList<float>, after);
        Fixture f;
        f.Preset(9, std::int16_t(function), preset);
        float value = entered;
        f.Device.SetTripParameterValue(9, std::int16_t(position), value);
        QCOMPARE(f.Parameters(9), after);
        QVERIFY(value == after[position - 1]); // the caller sees what was stored
    }

    void Rescaling()
    {
        Fixture f;
        const std::int16_t functions[] = {1, 13, 16, 17, 5, 8, 9, 11, 14, 15};
        for (std::int16_t relay = 1; relay <= 10; ++relay)
            f.Device.SetTripFunction(relay, functions[relay - 1]);
        f.Preset(1, 1, {500, 0, 0.2f});  // beyond its limits, as from a file
        f.Device.SetSystemVolts(110.0f); // unchanged: only what lies beyond its limits moves
        QCOMPARE(f.Parameters(1), (QList<float>{132, 1.1f, 0.2f, 0, 0, 0}));

        f.Device.SetSystemVolts(220.0f);
        QCOMPARE(f.Parameters(1), (QList<float>{264, 2.2f, 0.2f, 0, 0, 0}));   // Over Volts
        QCOMPARE(f.Parameters(2), (QList<float>{5.5f, 220, 1, 0.1f, 0, 0}));   // 51V
        QCOMPARE(f.Parameters(3), (QList<float>{2, 22, 198, 0, 0.37f, 0}));    // Sync check
        QCOMPARE(f.Parameters(4), (QList<float>{2, 22, 198, 22, 0, 0.37f}));   // Deadbus
        QCOMPARE(f.Parameters(5), (QList<float>{5.5f, 0.05f, 0.2f, 0, 0, 0})); // code 22: not
        QCOMPARE(f.Parameters(6), (QList<float>{55, 11, 0.2f, 0, 0, 0}));      // Reverse Power
        QCOMPARE(f.Parameters(7), (QList<float>{27.5f, 5.5f, 0.2f, 0, 0, 0})); // code 25: not
        QCOMPARE(f.Parameters(8), (QList<float>{22, 2.2f, 0.2f, 0, 0, 0}));    // Unbalanced V

        f.Device.SetSystemCurrent(1.0f);
        QCOMPARE(f.Parameters(2), (QList<float>{1.1f, 220, 1, 0.1f, 0, 0}));
        QCOMPARE(f.Parameters(9), (QList<float>{1.1f, 1, 0.1f, 0, 0, 0}));  // 51: dial kept
        QCOMPARE(f.Parameters(10), (QList<float>{1.1f, 0.1f, 0, 0, 0, 0})); // Ground Fault
        QCOMPARE(f.Parameters(5), (QList<float>{5.5f, 0.05f, 0.2f, 0, 0, 0}));
        QCOMPARE(f.Parameters(6), (QList<float>{11, 2.2f, 0.2f, 0, 0, 0}));
        f.Device.SetSystemCurrent(0.25f); // clamped to 1: nothing moves
        QCOMPARE(f.Parameters(9), (QList<float>{1.1f, 1, 0.1f, 0, 0, 0}));

        // A relay's read-back can leave 0 volts: there is nothing to scale from.
        f.Pin(6, 0.0f);
        QVERIFY(f.Device.DownloadConfig(f.Slave()));
        QCOMPARE(f.Device.SystemVolts(), 0.0f);
        f.Device.SetSystemVolts(110.0f);
        QCOMPARE(f.Parameters(1), (QList<float>{264, 2.2f, 0.2f, 0, 0, 0}));
        f.Device.SetSystemVolts(NaN); // not at least the minimum, so the minimum
        QCOMPARE(f.Device.SystemVolts(), 1.0f);
    }

    // A system type other than 2 or 3 (from a relay's read-back or a file) has
    // no phase power: every power limit is 0, and the power settings must not
    // be clamped to it when the volts or current change.
    void PowerSettingsSurviveASystemTypeWithoutPower()
    {
        Fixture f;
        f.Link.Relay().SetSystemType(4.0f);
        f.Link.UI().QueueAnswer(Yes);
        QVERIFY(f.Device.DownloadConfig(f.Slave()));
        QCOMPARE(f.Device.PhasePower(), 0.0f);
        f.Preset(6, 8, {27.5f, 5.5f, 0.2f}); // Reverse Power
        f.Device.SetSystemVolts(220.0f);
        f.Device.SetSystemCurrent(10.0f);
        QCOMPARE(f.Parameters(6), (QList<float>{27.5f, 5.5f, 0.2f, 0, 0, 0}));
    }

    // A scan takes an answer only when its values are a TZL's in some word
    // order: volts 1 to 400000, current 1 to 10000, type 2 or 3.
    void ScanJudgesTheValues_data()
    {
        QTest::addColumn<QList<float>>("relay"); // volts, current, type
        QTest::addColumn<QString>("outcome");    // options, or the first note
        const QString found = QStringLiteral("--settings 2400,N,8,1 --slave 1 --word-order 0");
        const QString neither = QStringLiteral(
            "2400,N,8,1 slave 1: answers, but its values make sense in neither word order");
        QTest::newRow("lowest") << QList<float>{1, 1, 2} << found;
        QTest::newRow("highest") << QList<float>{400000, 10000, 3} << found;
        QTest::newRow("volts below 1") << QList<float>{0.999f, 5, 3} << neither;
        QTest::newRow("volts above") << QList<float>{400032, 5, 3} << neither;
        QTest::newRow("current below 1") << QList<float>{110, 0.999f, 3} << neither;
        QTest::newRow("current above") << QList<float>{110, 10001, 3} << neither;
        QTest::newRow("type 1") << QList<float>{110, 5, 1} << neither;
        QTest::newRow("type 4") << QList<float>{110, 5, 4} << neither;
    }
    void ScanJudgesTheValues()
    {
        QFETCH(QList<float>, relay);
        SimulatedLink link;
        link.Relay().SetSystemVolts(relay[0]);
        link.Relay().SetSystemCurrent(relay[1]);
        link.Relay().SetSystemType(relay[2]);
        RelayScan scan(link.Port(), link.UI());
        QStringList notes;
        scan.Note = [&](const QString& note) { notes << note; };
        int asked = 0; // one probe is enough: the loopback answers on any line
        scan.Cancelled = [&] { return asked++ > 0; };
        const ScanResult result = scan.Run(ScanPlan(1, 1, std::chrono::milliseconds(100)));
        QTEST(result.Result == ScanResult::Outcome::Found ? result.Options() : notes.value(0),
              "outcome");
        QVERIFY(link.UI().Messages().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_cTZL)
#include "tst_cTZL.moc"
