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
        // name; 0 UploadStatus, 1 UploadTripDef or 2 UploadAllTripDefs; the relay
        // asked for; the refused exchange, 0 none; a register pinned and its value
        const std::tuple<const char*, int, int, int, QList<float>> cases[] = {
            {"status of relay 0", 0, 0, 0, {}},
            {"status, select fails", 0, 5, 1, {}}, // its title has always had a leading blank
            {"status, read fails", 0, 5, 2, {}},
            {"status, echo of another relay", 0, 5, 0, {58, 6}},
            {"status beyond a byte", 0, 5, 0, {64, 300}},
            {"definition, flags 256", 1, 5, 0, {62, 256}},
            {"definition, status 255.5", 1, 5, 0, {64, 255.5F}},
            {"all definitions, echo of another relay", 2, 5, 0, {58, 3}}};
        QString produced;
        for (const auto& [name, operation, asked, failing, pinned] : cases) {
            Fixture f;
            for (const int defined : {1, 5}) {
                f.Link.Relay().SetTripDefinition(defined, {1, 3, {5.0F}});
                f.Link.Relay().SetRelayStatus(defined, Tripped);
            }
            if (failing > 0)
                f.Link.Faults().ScheduleAt(failing, SimFault::Exception(4));
            if (!pinned.isEmpty())
                f.Pin(int(pinned[0]), {pinned[1]});
            const auto relay = std::int16_t(asked);
            QVERIFY(!(operation == 0   ? f.Trips.UploadStatus(f.Slave(), relay)
                      : operation == 1 ? f.Trips.UploadTripDef(f.Slave(), relay)
                                       : f.Trips.UploadAllTripDefs(f.Slave())));
            produced += QStringLiteral("%1: %2 exchanges, %3\n")
                            .arg(name)
                            .arg(f.Link.Faults().Exchanges())
                            .arg(f.Shown().mid(f.Shown().size() - 2).join(QStringLiteral(" / ")));
            QCOMPARE(f.Clock.Waits(), 0);
            QVERIFY(f.Trips.FunctionNumber(1) + f.Trips.FunctionNumber(5) == 0);
            QVERIFY(!f.Trips.state(1) && !f.Trips.state(5));
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("trip-read-failures.txt"), produced);
    }

    // A download writes each relay's window (selector, function, flags, status
    // 0, six parameters, each a float of its own), reads it back and keeps the
    // status read, then deselects. It stops at the first failure: nothing more
    // is written, the window is not deselected, and the relay that failed
    // keeps its record. The golden holds the exchanges, the writes (the first
    // ten as start/registers=value, and the last), the relay selected
    // afterwards, the statuses kept for relays 1 and 2, and the messages.
    void Downloads()
    {
        // Each relay: 10 writes, then the read-back; the deselect is number 177.
        const std::tuple<const char*, int, QList<float>> cases[] = {
            {"through", 0, {}},
            {"relay 1, write 5", 5, {}},
            {"relay 2, write 3", 14, {}},
            {"relay 16, read-back", 176, {}},
            {"deselect", 177, {}},
            {"read-back of another relay", 0, {58, 2}},
            {"read-back flags 256", 0, {62, 256}}};
        QString produced;
        for (const auto& [name, failing, pinned] : cases) {
            Fixture f;
            f.Trips.InitialiseTripRecord(1, 5); // code 22
            f.Trips.SetAlarmFlag(1, true);
            for (std::int16_t p = 1; p <= 6; ++p)
                f.Trips.SetParameterValue(1, p, float(p) * 1.1F);
            f.Link.Relay().SetRelayStatus(1, InAlarm);
            f.Link.Relay().SetRelayStatus(2, InAlarm);
            if (failing > 0)
                f.Link.Faults().ScheduleAt(failing, SimFault::Exception(4));
            if (!pinned.isEmpty())
                f.Pin(int(pinned[0]), {pinned[1]});
            QCOMPARE(f.Trips.Download(f.Slave()), failing == 0 && pinned.isEmpty());
            const auto writes = f.Link.Relay().Writes();
            QStringList texts;
            for (const RegisterAccess& write : writes)
                texts << QStringLiteral("%1/%2=%3")
                             .arg(write.Start)
                             .arg(write.Count)
                             .arg(FloatsText(
                                 QList<float>(write.Values.begin(), write.Values.end())));
            produced += QStringLiteral("%1: %2 exchanges, relay %3 selected, statuses %4 %5 | %6\n"
                                       "  %7 writes: %8 ... %9\n")
                            .arg(name)
                            .arg(f.Link.Faults().Exchanges())
                            .arg(f.Link.Relay().SelectedRelay())
                            .arg(f.Trips.TripDefinition(1).Status)
                            .arg(f.Trips.TripDefinition(2).Status)
                            .arg(f.Shown().join(QStringLiteral(" / ")))
                            .arg(writes.size())
                            .arg(texts.mid(0, 10).join(u' '), texts.value(texts.size() - 1));
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("trip-downloads.txt"), produced);
    }

    // Reset (16) and acknowledge (4) go only to relays with a latch or an
    // unacknowledged alarm, and the status is read back; a latch the relay
    // already let go needs no command. A status read for another relay (relay
    // 4, tripped) must not land in relay 3's record, and the all-relay
    // commands stop there. The golden holds the result, the accesses, relay
    // 3's status, the counts of unacknowledged alarms and of latches, and the
    // messages.
    void Commands()
    {
        const int LatchedAlarm = Latched | InAlarm;
        const int Settled = InAlarm | Acknowledged;
        std::map<int, int> everyRelay; // nothing to acknowledge, latches on 2, 9 and 16
        for (int relay = 1; relay <= 16; ++relay)
            everyRelay[relay] = Settled | (relay % 7 == 2 ? Latched : 0);
        const std::tuple<const char*, std::map<int, int>, int, int, bool> cases[] = {
            // name; statuses learnt; 0 reset all, 1 acknowledge all, or reset this
            // relay; its status now; another relay's status answers
            {"reset all", {{3, LatchedAlarm}, {16, LatchedAlarm}}, 0, 0, false},
            {"acknowledge all", {{3, LatchedAlarm}, {16, LatchedAlarm}}, 1, 0, false},
            {"reset all, relay 4 answers", {{3, LatchedAlarm}, {5, LatchedAlarm}}, 0, 0, true},
            {"acknowledge all, relay 4 answers",
             {{3, LatchedAlarm}, {5, LatchedAlarm}},
             1,
             0,
             true},
            {"acknowledge, nothing to", everyRelay, 1, 0, false},
            {"reset relay 1, no latch", everyRelay, -1, 0, false},
            {"reset relay 3, latch let go", {{3, Latched}}, -3, Tripped, false}};
        QString produced;
        for (const auto& [name, statuses, command, changed, otherRelay] : cases) {
            Fixture f;
            QVERIFY(f.LearnStatuses(statuses));
            if (changed != 0)
                f.Link.Relay().SetRelayStatus(-command, changed);
            if (otherRelay) {
                f.Pin(58, {4.0F});
                f.Pin(64, {float(Tripped)});
            }
            const bool done = command == 0   ? f.Trips.ResetTrips(f.Slave())
                              : command == 1 ? f.Trips.AcknowledgeAlarms(f.Slave())
                                             : f.Trips.ResetTrip(f.Slave(), std::int16_t(-command));
            produced += QStringLiteral("%1: %2, %3 accesses (%4 writes), relay 3 status %5, "
                                       "%6 unacknowledged, %7 latched | %8\n")
                            .arg(name, done ? "done" : "failed")
                            .arg(f.Link.Relay().Accesses().size())
                            .arg(f.Link.Relay().Writes().size())
                            .arg(f.Trips.TripDefinition(3).Status)
                            .arg(f.Trips.UnackedAlarmCount())
                            .arg(f.Trips.LatchedCount())
                            .arg(f.Shown().join(QStringLiteral(" / ")));
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("trip-commands.txt"), produced);
    }
};

QTEST_GUILESS_MAIN(tst_cTZLTrips)
#include "tst_cTZLTrips.moc"
