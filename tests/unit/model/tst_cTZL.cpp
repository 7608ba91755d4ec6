#include "Golden.h"
#include "RecordingPrinter.h"
#include "RelayBench.h"
#include "ScriptedUserInterface.h"
#include "model/MeasurementNames.h"
#include "model/PollingFailureReports.h"
#include "model/RelayScan.h"
#include "model/cTZL.h"
#include "trips/cConfigFile.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <limits>
#include <string_view>

namespace {

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
// The slip frequencies a phase-angle window of 2 and 4 degrees allows.
constexpr float Slip2 = 2.0f / 0.03f / 180.0f; // about 0.37
constexpr float Slip4 = 4.0f / 0.03f / 180.0f;
constexpr MsgResult Yes = MsgResult::Yes;
constexpr MsgResult No = MsgResult::No;
constexpr float ReadingStep = 1000.25f;

QDateTime At(int y, int mo, int d, int h, int mi, int s)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

// Over Volts: trip point (V), differential (V), time delay (Sec).
constexpr std::uint8_t OverVolts = 1;

std::vector<RelayEvent> FullLog()
{
    // Ten months of dates on every weekday, so long names of days and months
    // come up.
    std::vector<RelayEvent> events;
    for (int n = 50; n >= 1; --n)
        events.push_back(
            {n, (n % 16) + 1, At(2000, 1, 22, 0, 0, 0).addDays(n * 6).addSecs(n * 3599)});
    return events;
}

struct Fixture : RelayBench
{
    Fixture() { Link.Relay().SetFirmwareVersion(3.25f); }
    // A line of a transcript: what a call gave, then the messages it showed.
    QString Outcome(const char* name, const QString& result)
    {
        return QStringLiteral("%1: %2 | %3\n")
            .arg(name, result, Shown().join(QStringLiteral(" / ")));
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
    // Each input register of the relay's measurements holds a value no other
    // holds: the register's number plus a step per reading.
    void Measure(int reading)
    {
        for (int reg = 0; reg <= 232; reg += 2)
            Link.Relay().SetMeasurement(reg, float(reading) * ReadingStep + float(reg));
    }
    // Each quantity's register and reading, "0" when cleared, and whether it
    // holds a reading of its own.
    QString Held() const
    {
        QString held;
        for (const MeasurementName& name : MeasurementNames) {
            const float value = Device.Inputs.Value(name.Quantity);
            const int reading = int(value / ReadingStep);
            held += QStringLiteral("  %1: %2%3\n")
                        .arg(name.Name)
                        .arg(value == 0 ? QStringLiteral("0")
                                        : QStringLiteral("register %1, reading %2")
                                              .arg(FloatText(value - float(reading) * ReadingStep))
                                              .arg(reading))
                        .arg(Device.Inputs.HasReading(name.Quantity) ? "" : ", unread");
        }
        return held;
    }
    // Loads a configuration as a file brings it, system type and all.
    bool Load(const ConfigSnapshot& data)
    {
        const QString path = Dir.filePath(QStringLiteral("site.tcf"));
        return cConfigFile(Link.UI()).Save(path, data) && Device.LoadConfigFromFile(path);
    }
    bool UploadEvents(const std::vector<RelayEvent>& events)
    {
        Link.Relay().SetEvents(events);
        Link.Port().ClearWrittenFrames();
        return Device.EventLog.Upload(Link.SlaveID());
    }
    // The saved event log, each line ended by CR LF, or the failure.
    QString SavedEvents()
    {
        const QString path = Dir.filePath(QStringLiteral("log.tef"));
        QFile file(path);
        if (!Device.EventLog.SaveToFile(path) || !file.open(QIODevice::ReadOnly))
            return QStringLiteral("not saved\n");
        const QString text = QString::fromUtf8(file.readAll());
        return text.count(u'\n') == text.count(QStringLiteral("\r\n"))
                   ? QString(text).remove(u'\r')
                   : QStringLiteral("a line without CR LF\n");
    }
    cTZL Device{Link.Modbus(), Link.UI(), Clock}; // the clock stands at 17/05/2024 10:20:30
    QTemporaryDir Dir;
};

using Upload = bool (cTZLInputRegisters::*)(std::int16_t);

} // namespace

// The model's classes that talk to the relay: the device with its trips and
// system settings, its input registers and event log, the scan's judgement of
// an answer, and the boxes shown while the polling meets a dead line.
class tst_cTZL : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); }

    // Each item under its own selector (2 version, 4 PSC number, 5 PSC issue),
    // and the whole of it (0), which tells whether every item came back under
    // its own selector, so a caller can tell a 0 that means nothing. The golden
    // holds what each call gave, the selector left and the messages.
    void ProductInfo()
    {
        // Value at 238 and the echo of the selector at 240; none: the relay's own.
        const std::tuple<const char*, int, QList<float>> cases[] = {
            {"firmware", 2, {}},
            {"old firmware, 0 and 0", 2, {0, 0}},
            {"PSC number, 0 and 0", 4, {0, 0}},
            {"echo 3 to 2", 2, {3.25f, 3}},
            {"version NaN", 2, {NaN, 2}},
            {"PSC number echo 40000", 4, {4711, 40000}},
            {"PSC issue echo NaN", 5, {7, NaN}},
            {"whole, the relay's", 0, {}},
            {"whole, firmware 0 and 0", 0, {0, 0}}, // the PSC items echo 0 too
            {"whole, echo of another item", 0, {7, 3}}};
        QString produced;
        for (const auto& [name, selector, pinned] : cases) {
            Fixture f;
            f.Pin(238, pinned);
            const QString result =
                selector == 0   ? QString::number(f.Device.UploadProductInfo(f.Slave()))
                : selector == 2 ? FloatText(f.Device.GetFirmwareVersion(f.Slave()))
                : selector == 4 ? FloatText(f.Device.GetPSCNumber(f.Slave()))
                                : FloatText(f.Device.GetPSCIssue(f.Slave()));
            produced += f.Outcome(name, result + QStringLiteral(", selector ")
                                            + FloatText(f.Link.Relay().ProductSelector()));
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("cTZL-product-info.txt"), produced);
    }

    // The six fields of the relay's clock from register 98; none: the read
    // fails, and adds nothing to the link's own message. Then the setting of
    // it, a field a write, and stopping at a refused hour.
    void Clock()
    {
        const std::pair<const char*, QList<float>> cases[] = {
            {"nearly whole, carried", {25.6f, 12.4f, 31, 23, 59, 59.6f}},
            {"read fails", {}},
            {"40000", {26, 3, 15, 40000, 5, 9}},
            {"beyond 9999", {9999, 13, 1, 0, 0, 0}}};
        QString produced;
        for (const auto& [name, fields] : cases) {
            Fixture f;
            if (fields.isEmpty())
                f.Link.Faults().Queue(SimFault::Exception(2));
            f.Pin(98, fields);
            produced += f.Outcome(name, f.Device.GetRTC(f.Slave()).toString(Qt::ISODate));
        }
        for (const int refused : {0, 4}) {
            Fixture f;
            if (refused > 0)
                f.Link.Faults().ScheduleAt(refused, SimFault::Exception(4));
            const bool set =
                f.Device.SetRTC(f.Slave(), QDateTime(QDate(2009, 1, 5), QTime(7, 8, 9)));
            QStringList written;
            for (const RegisterAccess& access : f.Link.Relay().Writes())
                written << QStringLiteral("%1=%2").arg(access.Start).arg(access.Values.at(0));
            produced += f.Outcome(
                set ? "set" : "set, hour refused",
                written.join(u' ')
                    + QStringLiteral(", %1 frames").arg(f.Link.Port().WrittenFrames().size()));
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("cTZL-clock.txt"), produced);
    }

    void UploadConfig()
    {
        // The relay's volts, current and type, and what the model holds
        // afterwards; none: the system read fails and the model keeps its own.
        const std::pair<QList<float>, QList<float>> cases[] = {
            {{0, 20000, 2}, {1, 10000, 2}}, // clamped
            {{415, 5, 4}, {415, 5, 3}},
            {{415, 5, 2.5f}, {415, 5, 3}},
            {{11000, 400, 2}, {}}};
        for (const auto& [relay, held] : cases) {
            Fixture f;
            f.Link.Relay().SetSystemVolts(relay[0]);
            f.Link.Relay().SetSystemCurrent(relay[1]);
            f.Link.Relay().SetSystemType(relay[2]);
            f.Link.Relay().SetTripDefinition(4, {1, 2, {12100.0f, 110.0f, 0.5f}});
            if (held.isEmpty())
                f.Link.Faults().Queue(SimFault::Exception(4));
            QCOMPARE(f.Device.UploadConfig(f.Slave()), !held.isEmpty());
            QCOMPARE(f.System(), held.isEmpty() ? (QList<float>{110, 5, 3}) : held);
            // Product information and trips come whatever the system read did,
            // and uploads never rescale.
            QCOMPARE(f.Device.VersionNumber(), 3.25f);
            QCOMPARE(f.Parameters(4), (QList<float>{12100, 110, 0.5f, 0, 0, 0}));
        }
    }

    // No to either question stops the download before anything is written.
    // The configuration is 4-wire and uses a function that needs firmware 3.
    // The golden holds the first writes, the relays selected, relay 1's code
    // and every message with its text.
    void DownloadQuestions()
    {
        // name; the relay's type and firmware; the refused exchange (1 the type
        // read, 2 the selector write); the answers given
        const std::tuple<const char*, float, float, int, QList<MsgResult>> cases[] = {
            {"match, compatible", 3, 3, 0, {}},
            {"mismatch yes", 2, 3.5f, 0, {Yes}},
            {"not exactly 3", 3.0001f, 3, 0, {No}},
            {"mismatch yes, incompatible no", 2, 2.9f, 0, {Yes, No}},
            {"incompatible yes", 3, 2.9f, 0, {Yes}},
            {"type read fails, no", 3, 3, 1, {No}},
            {"firmware query fails, no", 3, 3, 2, {No}}};
        QString produced;
        for (const auto& [name, relayType, firmware, failing, answers] : cases) {
            Fixture f;
            f.Link.Relay().SetSystemType(relayType);
            f.Link.Relay().SetFirmwareVersion(firmware);
            if (failing > 0)
                f.Link.Faults().ScheduleAt(failing, SimFault::Exception(4));
            f.Device.SetTripFunction(1, 12); // Unbalanced Current, code 27
            for (MsgResult answer : answers)
                f.Link.UI().QueueAnswer(answer);
            const bool written = f.Device.DownloadConfig(f.Slave());
            QCOMPARE(written, answers.isEmpty() || answers.last() == Yes);
            const QStringList writes = f.ConfigurationWrites();
            QCOMPARE(writes.isEmpty(), !written);
            produced +=
                f.Outcome(name, QStringLiteral("writes %1..., %2 to the selector, relay 1 code %3")
                                    .arg(writes.mid(0, 2).join(u' '))
                                    .arg(writes.count("58"))
                                    .arg(f.Link.Relay().GetTripDefinition(1).FunctionCode));
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("cTZL-download-questions.txt"), produced);
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
        f.Pin(6, {0.5f});
        f.Link.UI().QueueAnswer(Yes);
        QVERIFY(f.Device.DownloadConfig(f.Slave()));
        f.Link.UI().ClearMessages();
        f.Device.TripData.SetName(1, QStringLiteral("Generator, main"));
        f.Preset(1, 17, {2, 11, 99, 11, 0, 0.123456789f});
        const TripRecord before = f.Device.TripData.TripDefinition(1);
        QVERIFY(f.Device.SaveConfigToFile(f.Dir.filePath(QStringLiteral("relay.tcf"))));
        f.Device.ConfigClear();
        QVERIFY(f.Device.LoadConfigFromFile(f.Dir.filePath(QStringLiteral("relay.tcf"))));
        QCOMPARE(f.System(), (QList<float>{0.5f, 5, 4}));
        QCOMPARE(f.Device.TripData.TripDefinition(1), before);
        QVERIFY(f.Link.UI().Messages().isEmpty());
        QVERIFY(!f.Device.LoadConfigFromFile(f.Dir.filePath(QStringLiteral("missing.tcf"))));
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
            QCOMPARE(f.Shown(), (QStringList{text, "TZL Configurator Error"}));
        }
        QCOMPARE(f.Device.TripData.FunctionNumber(1), 0);
    }

    // System 110 V, 5 A, 4-wire.
    void SetTripParameterValue()
    {
        // name; the function and its slots; the position and the value typed;
        // the slots afterwards, the rest 0
        using Case = std::tuple<const char*, int, QList<float>, int, float, QList<float>>;
        const Case cases[] = {
            {"typed half rounds up", 1, {121, 1.1f, 0.2f}, 3, 0.35f, {121, 1.1f, 0.4f}},
            {"trip point not rounded", 1, {121, 1.1f, 0.2f}, 1, 120.26f, {120.26f, 1.1f, 0.2f}},
            {"NaN gives minimum", 2, {99, 5, 0.2f}, 2, NaN, {99, 1.1f, 0.2f}},
            {"51 curve rounds down", 14, {5.5f, 1, 0.1f}, 2, 2.7f, {5.5f, 2, 0.1f}},
            {"51 curve floor, then minimum", 14, {5.5f, 2, 0.1f}, 2, 0.99f, {5.5f, 1, 0.1f}},
            {"dial rounds past maximum", 15, {5.5f, 0.1f}, 2, 9.96f, {5.5f, 9.9f}},
            {"logical input rounds down", 19, {0, 0, 0, 0, 0}, 1, 16.9f, {16}},
            // An instantaneous current trip below the system current needs a delay of 0.2.
            {"trip below I raises delay", 5, {5.5f, 0.05f, 0}, 1, 4, {4, 0.05f, 0.2f}},
            {"delay with trip at I", 7, {5, 0.05f, 1}, 3, 0.1f, {5, 0.05f, 0.2f}},
            {"delay with trip above I", 5, {5.5f, 0.05f, 1}, 3, 0.14f, {5.5f, 0.05f, 0.1f}},
            // The phase-angle window limits the slip frequency.
            {"slip within angle", 16, {2, 11, 99, 0, 0.37f}, 5, 0.9f, {2, 11, 99, 0, Slip2}},
            {"angle lowers slip", 16, {20, 11, 99, 0, 0.9f}, 1, 2, {2, 11, 99, 0, Slip2}},
            {"angle clamped first", 16, {20, 11, 99, 0, 0.9f}, 1, 1, {2, 11, 99, 0, Slip2}},
            {"limit not below maximum", 16, {20, 11, 99, 0, 5}, 1, 10.8f, {10.8f, 11, 99, 0, 5}},
            {"deadbus slip", 17, {20, 11, 99, 11, 0, 0.37f}, 6, 0.9f, {20, 11, 99, 11, 0, 0.9f}},
            {"deadbus angle", 17, {20, 11, 99, 11, 0, 0.9f}, 1, 4, {4, 11, 99, 11, 0, Slip4}}};
        for (const auto& [name, function, preset, position, entered, stored] : cases) {
            Fixture f;
            f.Preset(9, std::int16_t(function), preset);
            float value = entered;
            f.Device.SetTripParameterValue(9, std::int16_t(position), value);
            const QList<float> after = stored + QList<float>(6 - stored.size());
            QVERIFY2(f.Parameters(9) == after, name);
            QVERIFY2(value == after[position - 1], name); // the caller sees what was stored
        }
    }

    // Volts and current rescale what is set in their units; the golden holds
    // every relay's parameters after each step. Relay 5's code 22 and relay
    // 7's code 25 are not rescaled, and the 51 curve keeps its dial.
    void Rescaling()
    {
        Fixture f;
        const std::int16_t functions[] = {1, 13, 16, 17, 5, 8, 9, 11, 14, 15};
        for (std::int16_t relay = 1; relay <= 10; ++relay)
            f.Device.SetTripFunction(relay, functions[relay - 1]);
        QString produced;
        const auto step = [&f, &produced](const QString& name) {
            produced += name + u'\n';
            for (std::int16_t relay = 1; relay <= 10; ++relay)
                produced +=
                    QStringLiteral("  %1 %2: %3\n")
                        .arg(relay)
                        .arg(cTripCatalogue::FunctionName(f.Device.TripData.FunctionNumber(relay)),
                             FloatsText(f.Parameters(relay)));
        };
        f.Preset(1, 1, {500, 0, 0.2f});  // beyond its limits, as from a file
        f.Device.SetSystemVolts(110.0f); // unchanged: only what lies beyond its limits moves
        step(QStringLiteral("110 V, relay 1 from beyond its limits"));
        f.Device.SetSystemVolts(220.0f);
        step(QStringLiteral("220 V"));
        f.Device.SetSystemCurrent(1.0f);
        step(QStringLiteral("1 A"));
        f.Device.SetSystemCurrent(0.25f); // clamped to 1: nothing moves
        step(QStringLiteral("0.25 A, clamped to 1"));
        // A relay's read-back can leave 0 volts: there is nothing to scale from.
        f.Pin(6, {0.0f});
        QVERIFY(f.Device.DownloadConfig(f.Slave()));
        QCOMPARE(f.Device.SystemVolts(), 0.0f);
        f.Device.SetSystemVolts(110.0f);
        step(QStringLiteral("110 V after 0 V"));
        TZL_COMPARE_GOLDEN(QStringLiteral("cTZL-rescaling.txt"), produced);
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
    void ScanJudgesTheValues()
    {
        const std::pair<QList<float>, bool> cases[] = {
            // volts, current, type; found
            {{1, 1, 2}, true},       {{400000, 10000, 3}, true}, {{0.999f, 5, 3}, false},
            {{400032, 5, 3}, false}, {{110, 0.999f, 3}, false},  {{110, 10001, 3}, false},
            {{110, 5, 1}, false},    {{110, 5, 4}, false}};
        for (const auto& [relay, found] : cases) {
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
            QCOMPARE(result.Result == ScanResult::Outcome::Found ? result.Options()
                                                                 : notes.value(0),
                     found ? QStringLiteral("--settings 2400,N,8,1 --slave 1 --word-order 0")
                           : QStringLiteral("2400,N,8,1 slave 1: answers, but its values make "
                                            "sense in neither word order"));
            QVERIFY(link.UI().Messages().isEmpty());
        }
    }

    // As cleared, on pages of 1234 units; a 3-wire system with a parameter
    // value of each kind and each trip mode (three parameters of Over Volts'
    // three: the fourth slot is not its); the head of a type-4 file.
    void ConfigurationPrintouts()
    {
        Fixture f;
        f.Device.ConfigClear();
        RecordingPrinter cleared(1234.0);
        QVERIFY(f.Device.PrintConfig(cleared));
        QCOMPARE(cleared.EndDocCalls(), 1);

        ConfigSnapshot data;
        data.SystemType = 2.0f;
        data.SystemVolts = 11000.0f;
        data.SystemCurrent = 0.5f;
        const std::pair<float, int> rows[] = {
            {1234.5f, 1}, {0.05f, 2}, {0.0f, 4}, {123456.78f, 8}, {99.995f, 15}};
        for (int i = 0; i < 5; ++i)
            data.Trips[std::size_t(i)] = {"Bus over volts",
                                          OverVolts,
                                          std::uint8_t(rows[i].second),
                                          0,
                                          {rows[i].first, 0.05f, 2.0f, 7.0f}};
        QVERIFY(f.Load(data));
        RecordingPrinter loaded;
        QVERIFY(f.Device.PrintConfig(loaded));

        data.SystemType = 4.0f;
        QVERIFY(f.Load(data));
        RecordingPrinter fourWire;
        QVERIFY(f.Device.PrintConfig(fourWire));
        TZL_COMPARE_GOLDEN(QStringLiteral("config-printouts.txt"),
                           QStringLiteral("# cleared, pages of 1234\n") + cleared.Dump()
                               + QStringLiteral("# 3-wire, relays 1 to 5 over volts\n")
                               + loaded.Dump() + QStringLiteral("# type 4 from a file, head\n")
                               + fourWire.Dump().section(u'\n', 0, 10) + u'\n');
    }

    // Fonts 16 and 12: "WWW" is 48 wide and a line 32 high; each column
    // starts three blanks after the longest text of the one before it (the
    // longest date of the user's format), each event after an empty line.
    void EventLogPrintouts()
    {
        Fixture f;
        QVERIFY(f.UploadEvents({}));
        RecordingPrinter empty;
        QVERIFY(f.Device.EventLog.LogPrint(empty));
        QCOMPARE(empty.EndDocCalls(), 1);
        std::vector<RelayEvent> events = FullLog();
        events.back().Relay = 0; // event 1 names no relay and is listed all the same
        QVERIFY(f.UploadEvents(events));
        RecordingPrinter full(700.0);
        QVERIFY(f.Device.EventLog.LogPrint(full));
        TZL_COMPARE_GOLDEN(QStringLiteral("event-log-printouts.txt"),
                           QStringLiteral("# empty\n") + empty.Dump()
                               + QStringLiteral("# fifty events, pages of 700\n") + full.Dump());
    }

    // Every time and date column starts three blanks after the longest text
    // of the one before it, in the user's format: the golden holds the log
    // in a 12-hour clock and two other languages (British English above).
    void EventLogColumnsFitEveryLocale()
    {
        QString produced;
        for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates),
                                      QLocale(QLocale::German, QLocale::Germany),
                                      QLocale(QLocale::French, QLocale::France)}) {
            QLocale::setDefault(locale);
            Fixture f;
            QVERIFY(f.UploadEvents(FullLog()));
            RecordingPrinter printer;
            QVERIFY(f.Device.EventLog.LogPrint(printer));
            produced += QStringLiteral("# %1\n").arg(locale.name()) + printer.Dump();
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("event-log-printout-locales.txt"), produced);
    }

    // Where a page ends exactly, and lines or headings that do not fit; the
    // goldens above hold ordinary page breaks of both printouts. This golden
    // holds the first three breaks of each (the last line of a page and the
    // first of the next) and the number of pages.
    void PagesBreakOnlyBetweenLines()
    {
        const std::pair<bool, double> cases[] = {
            // event log, or configuration; page height
            {false, 990.0}, // at 9 points a configuration line is 18 high: 55 fit
            {false, 989.9}, // the 55th would cross the bottom
            {false, 10.0},  // lines taller than the page
            {true, 120.0}}; // the title (y 32) and headings (y 96) take 120 units
        QString produced;
        for (const auto& [eventLog, pageHeight] : cases) {
            Fixture f;
            QVERIFY(f.UploadEvents(FullLog()));
            RecordingPrinter unpaged;
            RecordingPrinter paged(pageHeight);
            for (RecordingPrinter* printer : {&unpaged, &paged})
                QVERIFY(eventLog ? f.Device.EventLog.LogPrint(*printer)
                                 : f.Device.PrintConfig(*printer));
            // Nothing lost, nothing twice, nothing reordered.
            QCOMPARE(paged.ColumnTexts(), unpaged.ColumnTexts());
            produced += QStringLiteral("# %1, pages of %2: %3 pages\n")
                            .arg(eventLog ? "event log" : "configuration")
                            .arg(pageHeight)
                            .arg(paged.Lines().last().Page);
            const QStringList lines = paged.Dump().split(u'\n');
            for (qsizetype i = 1, breaks = 0; i < lines.size() && breaks < 3; ++i) {
                if (paged.Lines()[i].Page != paged.Lines()[i - 1].Page) {
                    produced += lines[i - 1] + u'\n' + lines[i] + u'\n';
                    ++breaks;
                }
            }
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("page-breaks.txt"), produced);
    }

    // Which register fills each quantity, and what a failed read leaves: the
    // quantities read before it hold the new reading, the rest of the group
    // keeps the old one but counts as unread, and a whole upload clears
    // everything. The golden holds each quantity after each case.
    void InputRegisterUploads()
    {
        Fixture whole;
        whole.Measure(2);
        QVERIFY(whole.Device.Inputs.Upload(whole.Slave()));
        QString produced = QStringLiteral("# upload\n") + whole.Held();
        const std::tuple<const char*, Upload, int> cases[] = {
            // the group uploaded; its failing read, from 1
            {"basics", &cTZLInputRegisters::UpLoadBasics, 1},
            {"averages, second read", &cTZLInputRegisters::UpLoadAverages, 2},
            {"sums, last read", &cTZLInputRegisters::UpLoadSums, 4},
            {"bus/gen, bus block", &cTZLInputRegisters::UpLoadBusGen, 2},
            // and not on to the bus block
            {"upload, second read of the sums", &cTZLInputRegisters::Upload, 6}};
        for (const auto& [name, upload, failingRead] : cases) {
            Fixture f;
            f.Measure(1);
            QVERIFY(f.Device.Inputs.Upload(f.Slave()));
            f.Measure(2);
            f.Link.Port().ClearWrittenFrames();
            f.Link.Faults().Clear();
            f.Link.Faults().ScheduleAt(failingRead, SimFault::Exception(4));
            QVERIFY(!(f.Device.Inputs.*upload)(f.Slave()));
            QCOMPARE(f.Link.Port().WrittenFrames().size(), failingRead); // nothing read after it
            // The link's own message comes first.
            QCOMPARE(f.Shown().mid(2),
                     (QStringList{"Modbus Request Failed", "Measurement Update Error"}));
            produced += QStringLiteral("# %1\n").arg(name) + f.Held();
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("input-registers.txt"), produced);
    }

    // Events are stored by their number, whatever order they come in; a log
    // ended by the relay's marker is saved with its events, and event 1 names
    // no relay and stays out of the file. The golden holds the three files.
    void EventsAreStoredByNumberAndSaved()
    {
        Fixture f;
        QVERIFY(f.UploadEvents({{3, 7, At(2026, 3, 15, 13, 5, 9)},
                                {1, 0, At(2026, 3, 15, 13, 0, 0)},
                                {2, 12, At(1999, 12, 31, 23, 59, 58)}}));
        QCOMPARE(f.Link.Port().WrittenFrames().size(), 4); // three events and the end marker
        QCOMPARE(f.Device.EventLog.Count(), 3);
        QList<int> relays;
        for (std::int16_t n = 1; n <= 4; ++n)
            relays << f.Device.EventLog.EvtRelay(n);
        QCOMPARE(relays, (QList<int>{0, 12, 7, -1}));
        QString produced = QStringLiteral("# three events\n") + f.SavedEvents();
        QVERIFY(f.UploadEvents({}));
        produced += QStringLiteral("# empty\n") + f.SavedEvents();
        std::vector<RelayEvent> events;
        for (int n = 50; n >= 1; --n)
            events.push_back({n, 16, At(2024, 2, 1, 0, 0, 0).addDays(n - 1)});
        QVERIFY(f.UploadEvents(events));
        QCOMPARE(f.Link.Port().WrittenFrames().size(), 50); // no read for an end marker
        QCOMPARE(f.Device.EventLog.Count(), 50);
        produced += QStringLiteral("# fifty events, the log full\n") + f.SavedEvents();
        TZL_COMPARE_GOLDEN(QStringLiteral("event-log-files.txt"), produced);
        QVERIFY(f.Link.UI().Messages().isEmpty());
    }

    // A failed upload stops at once and leaves nothing, not even the good
    // first event. The golden holds the last message of each case.
    void FailedEventUploads()
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
            QVERIFY(!f.UploadEvents(
                {{1, 4, At(2026, 3, 15, 13, 5, 9)}, {number, relay, At(2026, 3, 15, 13, 5, 10)}}));
            QCOMPARE(f.Link.Port().WrittenFrames().size(), 2); // nothing read after the failure
            QCOMPARE(f.Link.UI().Messages().size(), readFails ? 2 : 1);
            produced +=
                QStringLiteral("%1: %2\n")
                    .arg(name, f.Shown().mid(f.Shown().size() - 2).join(QStringLiteral(" / ")));
            QCOMPARE(f.Device.EventLog.Count(), 0);
            QCOMPARE(f.Device.EventLog.EvtRelay(1), -1);
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("event-log-failures.txt"), produced);
    }

    void EventsOutsideTheLog()
    {
        Fixture f;
        QCOMPARE((QList<int>{f.Device.EventLog.EvtHour(0), f.Device.EventLog.EvtHour(51),
                             f.Device.EventLog.EvtRelay(-1), f.Device.EventLog.EvtHour(1)}),
                 (QList<int>{-1, -1, -1, 0}));
        QCOMPARE(f.Device.EventLog.EvtDateTime(0), At(2002, 2, 2, 20, 2, 2));
        QVERIFY(!f.Device.EventLog.SaveToFile(f.Dir.filePath(QStringLiteral("missing/log.tef"))));
        QCOMPARE(f.Link.UI().Messages().last().Title, QStringLiteral("Filesystem Error"));
    }

    // The boxes the engineer sees while the polling meets a dead line. Each row
    // plays a script of what the tick and the link do:
    //   [ ]  a refresh begins / ends
    //   b    a box (the link's or the model's)
    //   f s  a transaction fails / succeeds
    //   u    the user's own box, from an event handled while a transfer waits
    //   o    the user goes off-line (or on-line)
    // and gives the boxes shown, the failed transfers counted and the notice.
    void PollingFailuresOneReportPerEpisode()
    {
        const char* scripts[] = {// Measurement block and relay status, each with the link's box and
                                 // the model's, three refreshes in a row.
                                 "[bfbbfb][bfbbfb][bfbbfb]",
                                 "[bfbs][bfb]",   // answering again, then failing again
                                 "bfbbfb",        // commands report every failure
                                 "[bfb]s",        // a command's success ends the episode
                                 "[bfb]bfb[bfb]", // a command fails during an episode
                                 "[bfuu]",        // the user's box during a refresh
                                 "[bfobfb]",      // off-line quiets the rest of the refresh
                                 "[bfb]o[bfb]"};  // on-line again reports anew
        QString produced;
        for (const char* script : scripts) {
            ScriptedUserInterface ui;
            FakeClock clock; // at 10:20:30, which the notices give in the user's long time
            PollingFailureReports reports(ui, clock);
            QString notice;
            reports.SetNoticeChanged([&notice](const QString& text) { notice = text; });
            ui.OnProcessEvents = [&] {
                reports.MsgBox(QStringLiteral("Please switch to off-line mode before exiting"),
                               QStringLiteral("TZL Configurator"), MsgButtons::OK, MsgIcon::None);
            };
            for (const char step : std::string_view(script)) {
                switch (step) {
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
                    reports.TransactionFinished(step == 's');
                    break;
                case 'u':
                    // Something for the wait to wake up to.
                    QCoreApplication::postEvent(QCoreApplication::instance(),
                                                new QEvent(QEvent::User));
                    reports.ProcessPendingEvents();
                    break;
                case 'o':
                    reports.Reset();
                    break;
                }
            }
            produced += QStringLiteral("%1: %2 boxes, %3 failures counted | %4\n")
                            .arg(script)
                            .arg(ui.Messages().size())
                            .arg(reports.Failures())
                            .arg(notice);
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("polling-failure-reports.txt"), produced);
    }
};

QTEST_GUILESS_MAIN(tst_cTZL)
#include "tst_cTZL.moc"
