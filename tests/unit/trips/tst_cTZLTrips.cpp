#include "FakeClock.h"
#include "SimulatedLink.h"
#include "trips/cTZLTrips.h"

#include <QTest>
#include <cmath>
#include <limits>
#include <map>

namespace {

using Catalogue = cTripCatalogue;
constexpr int Tripped = RelayStatusBit::Tripped;
constexpr int Latched = RelayStatusBit::Latched;
constexpr int Acknowledged = RelayStatusBit::Acknowledged;
constexpr int InAlarm = RelayStatusBit::InAlarm;

struct Fixture
{
    // The loopback delivers each answer in one piece: a short silence ends it.
    Fixture() { Link.SetTimeouts(SimulatedLink::TestResponseTimeoutMs, 1); }
    std::int16_t Slave() const { return Link.SlaveID(); }
    // Sets the relay's statuses and lets the records learn them.
    bool LearnStatuses(const std::map<int, int>& statuses)
    {
        for (const auto& [relay, status] : statuses)
            Link.Relay().SetRelayStatus(relay, status);
        const bool read = Trips.UploadAllStatus(Slave());
        Link.Relay().ClearAccesses();
        return read;
    }
    void Pin(int reg, float value)
    {
        Link.Faults().SetRegisterValue(RegisterKind::Holding, reg, value);
    }
    QStringList Shown() // text and title of every message
    {
        QStringList shown;
        for (const auto& message : Link.UI().Messages())
            shown << message.Text << message.Title;
        return shown;
    }
    SimulatedLink Link;
    FakeClock Clock; // 10:20:30.250
    cTZLTrips Trips{Link.Modbus(), Link.UI(), Clock};
};

} // namespace

// The trip catalogue, the records, their transfer and the relays' status.
class tst_cTZLTrips : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void CatalogueTexts_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("position");
        QTest::addColumn<QStringList>("texts"); // function, parameter, unit, tip
        const QString unknown = QStringLiteral("(Unknown)");
        const QStringList none{unknown, unknown, "Unknown)"};
        QTest::newRow("index -1") << -1 << 1 << (QStringList{unknown} << none);
        QTest::newRow("unused") << 0 << 1 << (QStringList{"(UnUsed)"} << none);
        QTest::newRow("past count") << 1 << 4 << (QStringList{"Over Volts (ANSI 59)"} << none);
        QTest::newRow("index 28") << 28 << 1 << (QStringList{unknown} << none);
        QTest::newRow("VAr") << 10 << 1
                             << QStringList{"Reverse VAr (ANSI 40Q)", "Trip Point", "VAr",
                                            "The point around which the trip is activated"};
        QTest::newRow("plain unit")
            << 13 << 3
            << QStringList{"Time Overcurrent with Voltage Restraint (ANSI 51V)", "Time Curve", "  ",
                           "Time Current characteristic (1=Standard Inverse, 2= Very Inverse, "
                           "3= Extremely Inverse)"};
    }
    void CatalogueTexts()
    {
        QFETCH(int, index);
        QFETCH(int, position);
        const auto i = std::int16_t(index);
        const auto p = std::int16_t(position);
        QTEST((QStringList{Catalogue::FunctionName(i), Catalogue::ParameterName(i, p),
                           Catalogue::ParameterUnitName(i, p),
                           Catalogue::ParameterFunctionTip(i, p)}),
              "texts");
    }

    void CatalogueCounts()
    {
        QList<int> counts; // -1 to 28
        for (int index = -1; index <= 28; ++index)
            counts << Catalogue::NumberOfParameters(std::int16_t(index));
        QCOMPARE(counts, (QList<int>{0, 0, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 4,
                                     3, 2, 5, 6, 1, 5, 5, 5, 5, 5, 5, 5, 1, 1, 0}));
        // Every code 0 to 27 belongs to one function; unknown codes mean unused.
        for (int i = 0; i < Catalogue::FunctionCount; ++i) {
            QVERIFY(Catalogue::FunctionCode(i) >= 0 && Catalogue::FunctionCode(i) <= 27);
            QCOMPARE(Catalogue::FunctionIndexOfCode(Catalogue::FunctionCode(i)), i);
        }
        for (const auto& [code, index] : {std::pair{5, 8}, std::pair{28, 0}, std::pair{99, 0}})
            QCOMPARE(Catalogue::FunctionIndexOfCode(code), index);
    }

    void FirmwareBands_data()
    {
        QTest::addColumn<float>("version");
        QTest::addColumn<int>("highest");
        QTest::newRow("zero") << 0.0F << -1;
        QTest::newRow("smallest positive") << std::numeric_limits<float>::denorm_min() << 21;
        QTest::newRow("just below 3") << std::nextafter(3.0F, 0.0F) << 21;
        QTest::newRow("3.0") << 3.0F << 27;
        QTest::newRow("just below 4") << std::nextafter(4.0F, 0.0F) << 27;
        QTest::newRow("4.0") << 4.0F << -1;
        QTest::newRow("NaN") << std::numeric_limits<float>::quiet_NaN() << -1;
    }
    void FirmwareBands()
    {
        QFETCH(float, version);
        QTEST(Catalogue::HighestCodeAccepted(version), "highest");
    }

    void FirmwareCompatibility()
    {
        Fixture f;
        QCOMPARE(f.Trips.HightestTripCodeUsed(), 0);
        QVERIFY(f.Trips.CompatibleWithFirmware(2.9F));
        QVERIFY(!f.Trips.CompatibleWithFirmware(4.0F) && !f.Trips.CompatibleWithFirmware(0.0F));
        f.Trips.InitialiseTripRecord(16, 12); // Unbalanced Current, code 27
        QCOMPARE(f.Trips.HightestTripCodeUsed(), 27);
        QVERIFY(!f.Trips.CompatibleWithFirmware(2.9F) && f.Trips.CompatibleWithFirmware(3.0F));
    }

    void Records()
    {
        Fixture f;
        for (const std::int16_t relay : {0, 17}) { // ignored, and read as nothing
            f.Trips.SetName(relay, QStringLiteral("x"));
            f.Trips.SetParameterValue(relay, 1, 5.0F);
            QCOMPARE(f.Trips.TripName(relay), QStringLiteral("(Unknown)"));
            QCOMPARE(f.Trips.ParameterValue(relay, 1), -1.0F);
            QVERIFY(!f.Trips.state(relay) && !f.Trips.IsInAlarm(relay));
        }
        TripRecord record;
        record.Name = QStringLiteral("Relay Trip 16");
        QCOMPARE(f.Trips.TripDefinition(16), record);

        record.FunctionIndex = 16;
        record.Flags = 0x8E;
        record.ParameterValues.fill(7.0F);
        f.Trips.SetTripDefinition(16, record);
        f.Trips.InitialiseTripRecord(16, 16); // the same function changes nothing
        QCOMPARE(f.Trips.TripDefinition(16), record);
        QCOMPARE(f.Trips.ParameterValue(16, 6), 0.0F); // beyond its five parameters
        f.Trips.InitialiseTripRecord(16, 1);           // sets fail safe, keeps the other flags
        QCOMPARE(f.Trips.TripDefinition(16).Flags, 0x8F);
        QCOMPARE(f.Trips.TripDefinition(16).ParameterValues, (std::array<float, 6>{}));
        f.Trips.InitialiseTripRecord(16, 40); // invalid: as unused, which clears the flags
        QCOMPARE(f.Trips.FunctionNumber(16) + f.Trips.TripDefinition(16).Flags, 0);
    }

    void SetName_data()
    {
        QTest::addColumn<QVariant>("name");
        QTest::addColumn<QString>("stored");
        QTest::newRow("padded") << QVariant("  Feeder, A  ") << "Feeder, A";
        QTest::newRow("digits") << QVariant("12") << "Relay 3";
        QTest::newRow("number value") << QVariant(1.5) << "Relay 3";
        QTest::newRow("blanks") << QVariant("    ") << "Relay 3";
        QTest::newRow("tab") << QVariant("Pump\t2") << "Relay 3";
        QTest::newRow("digits and text") << QVariant("12 kV") << "12 kV";
        // A double quote would end the name early in a configuration file.
        QTest::newRow("double quotes") << QVariant("The \"big\" one") << "The 'big' one";
    }
    void SetName()
    {
        QFETCH(QVariant, name);
        Fixture f;
        f.Trips.SetName(3, name);
        QTEST(f.Trips.TripName(3), "stored");
    }

    void UploadAllPausesToWholeSeconds()
    {
        Fixture f;
        for (int relay = 1; relay <= 16; ++relay) {
            const int code = relay == 1 ? 5 : relay == 2 ? 99 : relay + 9; // 5 is index 8
            const std::array<float, 6> values{float(relay), -0.1F, 1e-7F, 3.4e38F, 1 / 3.0F, -0.0F};
            f.Link.Relay().SetTripDefinition(relay, {code, 0xF0 | relay, values});
            f.Link.Relay().SetRelayStatus(relay, relay % 16);
        }
        f.Trips.SetName(4, QStringLiteral("Kept"));
        QVERIFY(f.Trips.UploadAllTripDefs(f.Slave()));
        for (std::int16_t relay = 1; relay <= 16; ++relay) {
            const TripRecord record = f.Trips.TripDefinition(relay);
            const TripDefinition sent = f.Link.Relay().GetTripDefinition(relay);
            QCOMPARE(int(record.FunctionIndex), Catalogue::FunctionIndexOfCode(sent.FunctionCode));
            QCOMPARE((QList<int>{record.Flags, record.Status}),
                     (QList<int>{sent.Flags, relay % 16}));
            QCOMPARE(record.ParameterValues, sent.Parameters);
        }
        QVERIFY(f.Trips.FunctionNumber(1) == 8 && f.Trips.FunctionNumber(2) == 0);
        QCOMPARE(f.Trips.TripName(4), QStringLiteral("Kept"));
        // From 10:20:30.250: 750 ms to the first whole second, then one second
        // per relay, the last one included.
        QCOMPARE(f.Clock.Waits(), 16);
        QCOMPARE(f.Clock.TotalWaitMs(), 750 + 15 * 1000);
        QVERIFY(f.Link.UI().Messages().isEmpty());
        // Starting in the last second of the year, the pauses still end on time.
        f.Clock.Set(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59, 900)));
        QVERIFY(f.Trips.UploadAllTripDefs(f.Slave()));
        QCOMPARE(f.Clock.Now(), QDateTime(QDate(2025, 1, 1), QTime(0, 0, 15)));
        // Flags and status are bytes; just inside the range is a byte like any other.
        f.Pin(62, 255.4F);
        f.Pin(64, 255.4F);
        QVERIFY(f.Trips.UploadTripDef(f.Slave(), 1));
        QCOMPARE((QList<int>{f.Trips.TripDefinition(1).Flags, f.Trips.TripDefinition(1).Status}),
                 (QList<int>{255, 255}));
    }

    // A failed read is reported once, stops there and leaves the records of
    // relays 1 and 5 as they were.
    void ReadFailures_data()
    {
        QTest::addColumn<int>("operation"); // 0 UploadStatus, 1 UploadTripDef, 2 UploadAllTripDefs
        QTest::addColumn<int>("relay");
        QTest::addColumn<int>("failing");         // refused exchange, 0: none
        QTest::addColumn<QList<float>>("pinned"); // register, value
        QTest::addColumn<int>("exchanges");
        QTest::addColumn<QStringList>("shown"); // the last message: text, title
        const QString status = QStringLiteral("Relay Status Update Error");
        const QString upload = QStringLiteral("Upload Trip Definition Error");
        const QString outside =
            QStringLiteral("Flags or status of Relay 5 read from TZL outside 0 to 255");
        const auto row = [](const char* name, int operation, int relay, int failing,
                            QList<float> pinned, int exchanges, QStringList shown) {
            QTest::newRow(name) << operation << relay << failing << pinned << exchanges << shown;
        };
        row("status of relay 0", 0, 0, 0, {}, 0, {"Invalid Relay Number!", status});
        // This title has always carried a leading blank.
        row("status, select fails", 0, 5, 1, {}, 1,
            {"Modbus Write Request Failed", " Relay Status Update Error"});
        row("status, read fails", 0, 5, 2, {}, 2, {"Modbus Read Request Failed", status});
        row("status, echo of another relay", 0, 5, 0, {58, 6}, 2,
            {"Relay number mismatch - check Word Order Setting", status});
        row("status beyond a byte", 0, 5, 0, {64, 300}, 2, {outside, status});
        row("definition, flags 256", 1, 5, 0, {62, 256}, 2, {outside, upload});
        row("definition, status 255.5", 1, 5, 0, {64, 255.5F}, 2, {outside, upload});
        row("all definitions, echo of another relay", 2, 5, 0, {58, 3}, 2,
            {"Relay Number mismatch - Check Word Order Setting", upload});
    }
    void ReadFailures()
    {
        QFETCH(int, operation);
        QFETCH(int, relay);
        QFETCH(int, failing);
        QFETCH(QList<float>, pinned);
        Fixture f;
        for (const int defined : {1, 5}) {
            f.Link.Relay().SetTripDefinition(defined, {1, 3, {5.0F}});
            f.Link.Relay().SetRelayStatus(defined, Tripped);
        }
        if (failing > 0)
            f.Link.Faults().ScheduleAt(failing, SimFault::Exception(4));
        if (!pinned.isEmpty())
            f.Pin(int(pinned[0]), pinned[1]);
        const auto r = std::int16_t(relay);
        QVERIFY(!(operation == 0   ? f.Trips.UploadStatus(f.Slave(), r)
                  : operation == 1 ? f.Trips.UploadTripDef(f.Slave(), r)
                                   : f.Trips.UploadAllTripDefs(f.Slave())));
        QTEST(f.Shown().mid(f.Shown().size() - 2), "shown");
        QTEST(f.Link.Faults().Exchanges(), "exchanges");
        QCOMPARE(f.Clock.Waits(), 0);
        QVERIFY(f.Trips.FunctionNumber(1) + f.Trips.FunctionNumber(5) == 0);
        QVERIFY(!f.Trips.state(1) && !f.Trips.state(5));
    }

    void DownloadWritesWindowAndDeselects()
    {
        Fixture f;
        f.Trips.InitialiseTripRecord(1, 5); // code 22
        f.Trips.SetAlarmFlag(1, true);
        for (std::int16_t p = 1; p <= 6; ++p)
            f.Trips.SetParameterValue(1, p, float(p) * 1.1F);
        f.Link.Relay().SetRelayStatus(1, InAlarm);
        QVERIFY(f.Trips.Download(f.Slave()));
        const TripDefinition relay1 = f.Link.Relay().GetTripDefinition(1);
        QCOMPARE((QList<int>{relay1.FunctionCode, relay1.Flags}), (QList<int>{22, 3}));
        QCOMPARE(relay1.Parameters, f.Trips.TripDefinition(1).ParameterValues);
        QVERIFY(f.Trips.IsInAlarm(1)); // the status read back is kept
        // Per relay: selector, function, flags, status 0, six parameters, each a
        // float on its own; the last write deselects.
        const auto writes = f.Link.Relay().Writes();
        QCOMPARE(writes.size(), std::size_t(16 * 10 + 1));
        QList<float> first;
        for (std::size_t i = 0; i < 4; ++i)
            first << writes[i].Start << writes[i].Count << writes[i].Values.at(0);
        QCOMPARE(first, (QList<float>{58, 2, 1, 60, 2, 22, 62, 2, 3, 64, 2, 0}));
        QCOMPARE(writes.back().Start, 58);
        QCOMPARE(writes.back().Values, std::vector<float>{0.0F});
        QCOMPARE(f.Link.Relay().SelectedRelay(), 0);
    }

    // A download stops at the first failure: nothing more is written, the
    // window is not deselected, and the relay that failed keeps its record.
    void DownloadFailures_data()
    {
        QTest::addColumn<int>("failing");         // refused exchange, 0: none
        QTest::addColumn<QList<float>>("pinned"); // register, value
        QTest::addColumn<int>("exchanges");
        QTest::addColumn<QStringList>("shown"); // text, title
        QTest::addColumn<int>("selected");      // afterwards
        const QStringList refused{"Modbus Slave Device Failure Exception", "Modbus Exception 4"};
        // Each relay: 10 writes, then the read-back; the deselect is number 177.
        QTest::newRow("relay 1, write 5") << 5 << QList<float>{} << 5 << refused << 1;
        QTest::newRow("relay 2, write 3") << 14 << QList<float>{} << 14 << refused << 2;
        QTest::newRow("relay 16, read-back") << 176 << QList<float>{} << 176 << refused << 16;
        QTest::newRow("deselect") << 177 << QList<float>{} << 177 << refused << 16;
        QTest::newRow("read-back of another relay")
            << 0 << QList<float>{58, 2} << 11 << QStringList{} << 1;
        QTest::newRow("read-back flags 256")
            << 0 << QList<float>{62, 256} << 11
            << QStringList{"Flags or status of Relay 1 read from TZL outside 0 to 255",
                           "Download Trip Definition Error"}
            << 1;
    }
    void DownloadFailures()
    {
        QFETCH(int, failing);
        QFETCH(QList<float>, pinned);
        Fixture f;
        f.Link.Relay().SetRelayStatus(1, InAlarm);
        f.Link.Relay().SetRelayStatus(2, InAlarm);
        if (failing > 0)
            f.Link.Faults().ScheduleAt(failing, SimFault::Exception(4));
        if (!pinned.isEmpty())
            f.Pin(int(pinned[0]), pinned[1]);
        QVERIFY(!f.Trips.Download(f.Slave()));
        QTEST(f.Link.Faults().Exchanges(), "exchanges");
        QTEST(f.Shown(), "shown");
        QTEST(f.Link.Relay().SelectedRelay(), "selected");
        // Relay 1 keeps the status read back only once its download is through.
        QCOMPARE(int(f.Trips.TripDefinition(1).Status), failing > 11 ? InAlarm : 0);
        QCOMPARE(int(f.Trips.TripDefinition(2).Status), failing > 22 ? InAlarm : 0);
    }

    void CountsWithEveryRelayAcknowledged()
    {
        Fixture f;
        std::map<int, int> statuses;
        for (int relay = 1; relay <= 16; ++relay)
            statuses[relay] = InAlarm | Acknowledged | (relay % 7 == 3 ? Latched : 0);
        QVERIFY(f.LearnStatuses(statuses));
        QCOMPARE(f.Trips.UnackedAlarmCount(), 0);
        QCOMPARE(f.Trips.LatchedCount(), 2); // relays 3 and 10
        // Nothing to acknowledge, and no latch on relay 1: no traffic at all.
        QVERIFY(f.Trips.AcknowledgeAlarms(f.Slave()));
        QVERIFY(f.Trips.ResetTrip(f.Slave(), 1));
        QVERIFY(f.Link.Relay().Accesses().empty());
        QVERIFY(f.LearnStatuses({{16, InAlarm}}));
        QCOMPARE(f.Trips.UnackedAlarmCount(), 1);
    }

    // The relay applies the command (16 resets a latch, 4 acknowledges an
    // alarm) and the status is read back. A status read for another relay
    // (here relay 4, tripped) must not land in relay 3's record, and the
    // all-relay commands stop there.
    void Commands_data()
    {
        QTest::addColumn<bool>("reset");
        QTest::addColumn<bool>("otherRelay");
        QTest::addColumn<int>("after");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("reset") << true << false << InAlarm << QStringList{};
        QTest::newRow("acknowledge")
            << false << false << (Latched | InAlarm | Acknowledged) << QStringList{};
        QTest::newRow("reset, other relay")
            << true << true << (Latched | InAlarm)
            << QStringList{"Reset of latch for Relay 3 failed", "Reset Trip Error"};
        QTest::newRow("acknowledge, other relay")
            << false << true << (Latched | InAlarm)
            << QStringList{"Acknowledgement of alarm on Relay 3 failed", "Acknowledge Alarm Error"};
    }
    void Commands()
    {
        QFETCH(bool, reset);
        QFETCH(bool, otherRelay);
        Fixture f;
        QVERIFY(f.LearnStatuses({{3, Latched | InAlarm}, {5, Latched | InAlarm}}));
        if (otherRelay) {
            f.Pin(58, 4.0F);
            f.Pin(64, float(Tripped));
        }
        QCOMPARE(reset ? f.Trips.ResetTrips(f.Slave()) : f.Trips.AcknowledgeAlarms(f.Slave()),
                 !otherRelay);
        QTEST(f.Shown(), "shown");
        QTEST(int(f.Trips.TripDefinition(3).Status), "after");
        // Per relay: select, read the window, then command and read back, or stop.
        QCOMPARE(f.Link.Relay().Accesses().size(), std::size_t(otherRelay ? 2 : 2 * 4));
    }

    void ResetWithLatchAlreadyReleased()
    {
        Fixture f;
        QVERIFY(f.LearnStatuses({{7, Latched}}));
        f.Link.Relay().SetRelayStatus(7, Tripped); // the relay let go on its own
        QVERIFY(f.Trips.ResetTrip(f.Slave(), 7));
        QCOMPARE(f.Link.Relay().Writes().size(), std::size_t(1)); // the selector, no command
        QCOMPARE(int(f.Trips.TripDefinition(7).Status), Tripped);
        QVERIFY(f.Link.UI().Messages().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_cTZLTrips)
#include "tst_cTZLTrips.moc"
