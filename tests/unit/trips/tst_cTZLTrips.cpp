#include "Golden.h"
#include "RelayBench.h"
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

struct Fixture : RelayBench
{
    // Sets the relay's statuses and lets the records learn them.
    bool LearnStatuses(const std::map<int, int>& statuses)
    {
        for (const auto& [relay, status] : statuses)
            Link.Relay().SetRelayStatus(relay, status);
        const bool read = Trips.UploadAllStatus(Slave());
        Link.Relay().ClearAccesses();
        return read;
    }
    cTZLTrips Trips{Link.Modbus(), Link.UI(), Clock}; // the clock stands at 10:20:30.250
};

} // namespace

// The trip catalogue, the records, their transfer and the relays' status.
class tst_cTZLTrips : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every function's name and parameters, with the fall-backs for indices
    // and positions outside the catalogue.
    void CatalogueTexts()
    {
        QString produced;
        for (int i = -1; i <= Catalogue::FunctionCount; ++i) {
            const auto index = std::int16_t(i);
            const int count = Catalogue::NumberOfParameters(index);
            produced += QStringLiteral("%1 %2, %3 parameters\n")
                            .arg(i)
                            .arg(Catalogue::FunctionName(index))
                            .arg(count);
            for (std::int16_t p = 0; p <= count + 1; ++p)
                produced += QStringLiteral("  %1 %2 [%3] %4\n")
                                .arg(p)
                                .arg(Catalogue::ParameterName(index, p),
                                     Catalogue::ParameterUnitName(index, p),
                                     Catalogue::ParameterFunctionTip(index, p));
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("trip-catalogue.txt"), produced);
        // Every code 0 to 27 belongs to one function; unknown codes mean unused.
        for (int i = 0; i < Catalogue::FunctionCount; ++i) {
            QVERIFY(Catalogue::FunctionCode(i) >= 0 && Catalogue::FunctionCode(i) <= 27);
            QCOMPARE(Catalogue::FunctionIndexOfCode(Catalogue::FunctionCode(i)), i);
        }
        for (const auto& [code, index] : {std::pair{5, 8}, std::pair{28, 0}, std::pair{99, 0}})
            QCOMPARE(Catalogue::FunctionIndexOfCode(code), index);
    }

    void FirmwareCompatibility()
    {
        // The highest function code each firmware accepts, at the band edges.
        const std::pair<float, int> bands[] = {{0.0F, -1},
                                               {std::numeric_limits<float>::denorm_min(), 21},
                                               {std::nextafter(3.0F, 0.0F), 21},
                                               {3.0F, 27},
                                               {std::nextafter(4.0F, 0.0F), 27},
                                               {4.0F, -1},
                                               {std::numeric_limits<float>::quiet_NaN(), -1}};
        for (const auto& [version, highest] : bands)
            QCOMPARE(Catalogue::HighestCodeAccepted(version), highest);
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

    void SetName()
    {
        const std::pair<QVariant, QString> names[] = {
            {"  Feeder, A  ", "Feeder, A"},
            {"12", "Relay 3"},
            {1.5, "Relay 3"},
            {"    ", "Relay 3"},
            {"Pump\t2", "Relay 3"},
            {"12 kV", "12 kV"},
            // A double quote would end the name early in a configuration file.
            {"The \"big\" one", "The 'big' one"}};
        for (const auto& [name, stored] : names) {
            Fixture f;
            f.Trips.SetName(3, name);
            QCOMPARE(f.Trips.TripName(3), stored);
        }
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
        f.Pin(62, {255.4F, 255.4F});
        QVERIFY(f.Trips.UploadTripDef(f.Slave(), 1));
        QCOMPARE((QList<int>{f.Trips.TripDefinition(1).Flags, f.Trips.TripDefinition(1).Status}),
                 (QList<int>{255, 255}));
    }

    // A failed read is reported once, stops there and leaves the records of
    // relays 1 and 5 as they were. The golden holds, for each case, the
    // exchanges made and the last message.
    void ReadFailures()
    {
        struct Case
        {
            const char* Name;
            int Operation;       // 0 UploadStatus, 1 UploadTripDef, 2 UploadAllTripDefs
            int Relay;           // the one asked for
            int Failing;         // refused exchange, 0: none
            QList<float> Pinned; // register, value
        };
        const Case cases[] = {
            {"status of relay 0", 0, 0, 0, {}},
            {"status, select fails", 0, 5, 1, {}}, // its title has always had a leading blank
            {"status, read fails", 0, 5, 2, {}},
            {"status, echo of another relay", 0, 5, 0, {58, 6}},
            {"status beyond a byte", 0, 5, 0, {64, 300}},
            {"definition, flags 256", 1, 5, 0, {62, 256}},
            {"definition, status 255.5", 1, 5, 0, {64, 255.5F}},
            {"all definitions, echo of another relay", 2, 5, 0, {58, 3}}};
        QString produced;
        for (const Case& c : cases) {
            Fixture f;
            for (const int defined : {1, 5}) {
                f.Link.Relay().SetTripDefinition(defined, {1, 3, {5.0F}});
                f.Link.Relay().SetRelayStatus(defined, Tripped);
            }
            if (c.Failing > 0)
                f.Link.Faults().ScheduleAt(c.Failing, SimFault::Exception(4));
            if (!c.Pinned.isEmpty())
                f.Pin(int(c.Pinned[0]), {c.Pinned[1]});
            const auto relay = std::int16_t(c.Relay);
            QVERIFY(!(c.Operation == 0   ? f.Trips.UploadStatus(f.Slave(), relay)
                      : c.Operation == 1 ? f.Trips.UploadTripDef(f.Slave(), relay)
                                         : f.Trips.UploadAllTripDefs(f.Slave())));
            produced += QStringLiteral("%1: %2 exchanges, %3\n")
                            .arg(c.Name)
                            .arg(f.Link.Faults().Exchanges())
                            .arg(f.Shown().mid(f.Shown().size() - 2).join(QStringLiteral(" / ")));
            QCOMPARE(f.Clock.Waits(), 0);
            QVERIFY(f.Trips.FunctionNumber(1) + f.Trips.FunctionNumber(5) == 0);
            QVERIFY(!f.Trips.state(1) && !f.Trips.state(5));
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("trip-read-failures.txt"), produced);
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
    // The golden holds the exchanges made, the messages and the relay selected
    // afterwards.
    void DownloadFailures()
    {
        // Each relay: 10 writes, then the read-back; the deselect is number 177.
        const std::tuple<const char*, int, QList<float>> cases[] = {
            {"relay 1, write 5", 5, {}},
            {"relay 2, write 3", 14, {}},
            {"relay 16, read-back", 176, {}},
            {"deselect", 177, {}},
            {"read-back of another relay", 0, {58, 2}},
            {"read-back flags 256", 0, {62, 256}}};
        QString produced;
        for (const auto& [name, failing, pinned] : cases) {
            Fixture f;
            f.Link.Relay().SetRelayStatus(1, InAlarm);
            f.Link.Relay().SetRelayStatus(2, InAlarm);
            if (failing > 0)
                f.Link.Faults().ScheduleAt(failing, SimFault::Exception(4));
            if (!pinned.isEmpty())
                f.Pin(int(pinned[0]), {pinned[1]});
            QVERIFY(!f.Trips.Download(f.Slave()));
            produced += QStringLiteral("%1: %2 exchanges, relay %3 selected, %4\n")
                            .arg(name)
                            .arg(f.Link.Faults().Exchanges())
                            .arg(f.Link.Relay().SelectedRelay())
                            .arg(f.Shown().join(QStringLiteral(" / ")));
            // Relay 1 keeps the status read back only once its download is through.
            QCOMPARE(int(f.Trips.TripDefinition(1).Status), failing > 11 ? InAlarm : 0);
            QCOMPARE(int(f.Trips.TripDefinition(2).Status), failing > 22 ? InAlarm : 0);
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("trip-download-failures.txt"), produced);
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
    void Commands()
    {
        const std::tuple<bool, bool, int, QStringList> cases[] = {
            // reset, or acknowledge; another relay's status; relay 3 after; messages
            {true, false, InAlarm, {}},
            {false, false, Latched | InAlarm | Acknowledged, {}},
            {true,
             true,
             Latched | InAlarm,
             {"Reset of latch for Relay 3 failed", "Reset Trip Error"}},
            {false,
             true,
             Latched | InAlarm,
             {"Acknowledgement of alarm on Relay 3 failed", "Acknowledge Alarm Error"}}};
        for (const auto& [reset, otherRelay, after, shown] : cases) {
            Fixture f;
            QVERIFY(f.LearnStatuses({{3, Latched | InAlarm}, {5, Latched | InAlarm}}));
            if (otherRelay) {
                f.Pin(58, {4.0F});
                f.Pin(64, {float(Tripped)});
            }
            QCOMPARE(reset ? f.Trips.ResetTrips(f.Slave()) : f.Trips.AcknowledgeAlarms(f.Slave()),
                     !otherRelay);
            QCOMPARE(f.Shown(), shown);
            QCOMPARE(int(f.Trips.TripDefinition(3).Status), after);
            // Per relay: select, read the window, then command and read back, or stop.
            QCOMPARE(f.Link.Relay().Accesses().size(), std::size_t(otherRelay ? 2 : 2 * 4));
        }
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
