#include "Golden.h"
#include "RelayBench.h"
#include "ScriptedUserInterface.h"
#include "trips/cConfigFile.h"
#include "trips/cTZLTrips.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <bit>
#include <cmath>
#include <csignal>
#include <limits>
#include <map>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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

// A cleared configuration's file, one value per line.
QStringList ClearedLines()
{
    QStringList lines{"\"TZL_CONFIG_FILE\"", "1", "3", "5", "110"};
    for (int relay = 1; relay <= 16; ++relay)
        lines << QStringLiteral("\"Relay Trip %1\"").arg(relay) << QStringList(8, "0");
    return lines;
}

QByteArray FileText(const QStringList& lines)
{
    return (lines.join("\r\n") + "\r\n").toLatin1();
}

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Any finite float: the values a configuration can hold.
float AnyFloat(QRandomGenerator& random)
{
    float value = NAN;
    while (!std::isfinite(value))
        value = std::bit_cast<float>(random.generate());
    return value;
}

QList<std::uint32_t> Bits(const ConfigSnapshot& data)
{
    QList<std::uint32_t> bits;
    for (const float value : {data.SystemType, data.SystemCurrent, data.SystemVolts})
        bits << std::bit_cast<std::uint32_t>(value);
    for (const TripRecord& trip : data.Trips) {
        bits << trip.FunctionIndex << trip.Flags;
        for (const float value : trip.ParameterValues)
            bits << std::bit_cast<std::uint32_t>(value);
    }
    return bits;
}

// Makes a folder refuse new files while it lives: read-only for an ordinary
// user, immutable for root (who ignores permissions).
class WriteProtectedFolder
{
public:
    explicit WriteProtectedFolder(const QString& path)
        : m_Path(QFile::encodeName(path))
    {
        ::chmod(m_Path.constData(), 0555);
        if (!Holds())
            SetImmutable(true);
    }
    ~WriteProtectedFolder()
    {
        SetImmutable(false);
        ::chmod(m_Path.constData(), 0700);
    }
    WriteProtectedFolder(const WriteProtectedFolder&) = delete;
    WriteProtectedFolder& operator=(const WriteProtectedFolder&) = delete;

    bool Holds() const
    {
        QFile probe(QFile::decodeName(m_Path) + "/probe");
        return !probe.open(QIODevice::WriteOnly) || !probe.remove();
    }

private:
    void SetImmutable(bool on) const
    {
        const int fd = ::open(m_Path.constData(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        if (fd >= 0)
            ::close(fd);
    }

    QByteArray m_Path;
};

} // namespace

// The trip catalogue, the records, their transfer, the relays' status, and
// the configuration files.
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
            produced += QStringLiteral("%1 %2, code %3, %4 parameters\n")
                            .arg(i)
                            .arg(Catalogue::FunctionName(index))
                            .arg(Catalogue::FunctionCode(index))
                            .arg(count);
            for (std::int16_t p = 0; p <= count + 1; ++p)
                produced += QStringLiteral("  %1 %2 [%3] %4\n")
                                .arg(p)
                                .arg(Catalogue::ParameterName(index, p),
                                     Catalogue::ParameterUnitName(index, p),
                                     Catalogue::ParameterFunctionTip(index, p));
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("trip-catalogue.txt"), produced);
        // Each function's code (in the golden) leads back to it; unknown codes
        // mean unused.
        for (int i = 0; i < Catalogue::FunctionCount; ++i)
            QCOMPARE(Catalogue::FunctionIndexOfCode(Catalogue::FunctionCode(i)), i);
        QVERIFY(Catalogue::FunctionIndexOfCode(28) == 0 && Catalogue::FunctionIndexOfCode(99) == 0);
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
            {"12", "Relay 3"}, // numbers, also those not given as text
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

    void init() { m_UI.ClearMessages(); }

    // Plain notation, never 4e+05, and the shortest that reads back exactly;
    // the relay's code of a function; a name's quotes and line breaks made
    // harmless. Every line ends in CR LF.
    void SavedText()
    {
        ConfigSnapshot data;
        for (int relay = 1; relay <= 16; ++relay)
            data.Trips[std::size_t(relay - 1)].Name = QStringLiteral("Relay Trip %1").arg(relay);
        data.Trips[0].FunctionIndex = 8; // the file holds the relay's code, 5
        data.Trips[1].Name = QStringLiteral("The \"big\" one, \r\nsecond line");
        data.SystemVolts = 400000.0F;
        data.Trips[0].ParameterValues[0] = 1e-5F;
        data.Trips[0].ParameterValues[1] = 0.2F;
        const QString path = m_Dir.filePath("saved.tcf");
        QVERIFY(cConfigFile(m_UI).Save(path, data));
        const QByteArray saved = Read(path);
        QCOMPARE(saved.count("\r\n"), saved.count('\n'));
        TZL_COMPARE_GOLDEN(QStringLiteral("config-file.tcf"),
                           QString::fromLatin1(saved).remove(u'\r'));
        QVERIFY(m_UI.Messages().isEmpty());
    }

    void RoundTripIsBitExact()
    {
        QRandomGenerator random(20240517);
        const float special[] = {-0.0F,
                                 std::numeric_limits<float>::denorm_min(),
                                 std::numeric_limits<float>::max(),
                                 std::numeric_limits<float>::lowest(),
                                 0.1F,
                                 1e-5F};
        for (int round = 0; round < 20; ++round) {
            ConfigSnapshot data;
            data.SystemType = AnyFloat(random);
            data.SystemCurrent = AnyFloat(random);
            data.SystemVolts = round < 6 ? special[round] : AnyFloat(random);
            for (TripRecord& trip : data.Trips) {
                trip.Name = QStringLiteral("Gen %1, bus \u00e9\u20ac").arg(random.generate());
                trip.FunctionIndex = std::uint8_t(random.bounded(28));
                trip.Flags = std::uint8_t(random.bounded(256));
                for (float& value : trip.ParameterValues)
                    value = AnyFloat(random);
            }
            const QString path = m_Dir.filePath("round.tcf");
            QVERIFY(cConfigFile(m_UI).Save(path, data));
            const auto loaded = cConfigFile(m_UI).Load(path);
            QVERIFY2(loaded.has_value(), qPrintable(m_UI.Messages().value(0).Text));
            QCOMPARE(Bits(*loaded), Bits(data)); // -0 is not 0 here
            for (std::size_t i = 0; i < data.Trips.size(); ++i)
                QCOMPARE(loaded->Trips[i].Name, data.Trips[i].Name);
        }
    }

    // Forms other writers use are read; a refused file hands back nothing, also
    // not the relays read before the failure. The golden holds relay 16's last
    // parameter and relay 3's name, or the refusal, and the messages.
    void Load()
    {
        const QStringList lines = ClearedLines();
        const auto changed = [&lines](int line, const QString& text) {
            QStringList copy = lines;
            copy[line] = text;
            return FileText(copy);
        };
        // Relay 3's name as bytes.
        const auto named = [&lines](const QByteArray& name) {
            return FileText(lines).replace("Relay Trip 3\"", name + '"');
        };
        // Bare line feeds and no final line end are read too.
        const auto last = [&lines](const QString& text) {
            return (lines.mid(0, lines.size() - 1) << text).join('\n').toLatin1();
        };
        const std::pair<const char*, QByteArray> cases[] = {
            {"no leading zero", last("-.25")},
            {"positive exponent", last("+1E+07")},
            {"quoted number", last("\"7\"")},
            {"comma ends the value", last("9,1")},
            {"exponent as older files have it", last("4e+05")},
            {"marker case", changed(0, "\"tzl_config_file\"")},
            {"version 2", changed(1, "2")},
            {"version 0", changed(1, "0")},
            {"ends after relay 10", FileText(lines.mid(0, 5 + 10 * 9))},
            {"unreadable number", changed(5 + 9 * 4 + 5, "12..5")},
            {"flags beyond a byte", changed(7, "256")},
            // A relay must never be sent these, so no file may hand them over.
            {"trip point nan", changed(8, "nan")},
            {"volts infinity", changed(4, "infinity")},
            {"beyond a single", changed(4, "1e39")},
            {"hexadecimal", changed(4, "0x1p3")},
            // Names come through whether the file is our own UTF-8 or 8-bit
            // text edited on Windows.
            {"UTF-8 name",
             named(QStringLiteral("G\u00e9n\u00e9rateur \u20ac\u2013\u0160").toUtf8())},
            {"Windows-1252 name", named("G\xe9n\xe9rateur \x80\x96\x8a")}};
        QString produced;
        for (const auto& [name, content] : cases) {
            m_UI.ClearMessages();
            const auto loaded = cConfigFile(m_UI).Load(Write(content));
            QCOMPARE(loaded.has_value(), m_UI.Messages().isEmpty());
            QStringList messages;
            for (const auto& message : m_UI.Messages())
                messages << message.Text << message.Title;
            produced += QStringLiteral("%1: %2 | %3\n")
                            .arg(name,
                                 loaded ? FloatText(loaded->Trips[15].ParameterValues[5]) + u' '
                                              + loaded->Trips[2].Name
                                        : QStringLiteral("refused"),
                                 messages.join(QStringLiteral(" / ")));
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("config-file-loads.txt"), produced);
    }

    void FailedSaveKeepsOldFile()
    {
        QTemporaryDir dir; // of its own, to see that no temporary file stays behind
        const QString path = dir.filePath("kept.tcf");
        const QByteArray old = QByteArray("previous configuration\r\n").repeated(100);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
        file.close();
        // Files may grow to 100 bytes only, whatever the user's rights.
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 100;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool written = cConfigFile(m_UI).Save(path, ConfigSnapshot{});
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
        QVERIFY(!written);
        QCOMPARE(Read(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"kept.tcf"});
        QCOMPARE(m_UI.Messages().size(), 1);
        QCOMPARE(m_UI.Messages().first().Title, QStringLiteral("Filesystem Error"));
        QVERIFY(!cConfigFile(m_UI).Save(dir.filePath("missing/config.tcf"), ConfigSnapshot{}));
        QCOMPARE(m_UI.Messages().last().Text, QStringLiteral("That path doesn't exist."));
        // A value that is not finite is refused before the file is touched.
        ConfigSnapshot data;
        data.Trips[6].ParameterValues[2] = std::numeric_limits<float>::quiet_NaN();
        QVERIFY(!cConfigFile(m_UI).Save(path, data));
        QCOMPARE(Read(path), old);
        QCOMPARE(m_UI.Messages().last().Title, QStringLiteral("TZL Config File Save Error"));
    }

    // Chosen by mistake: refused before being read, so memory is never exhausted.
    void DevicesAndHugeFilesAreRefused()
    {
        QTemporaryDir dir;
        QFile huge(dir.filePath("huge.tcf"));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(1200) << 20)); // sparse
        huge.close();
        for (const QString& path : {QStringLiteral("/dev/zero"), huge.fileName()}) {
            m_UI.ClearMessages();
            QVERIFY(!cConfigFile(m_UI).Load(path).has_value());
            QCOMPARE(m_UI.Messages().size(), 1);
            QCOMPARE(m_UI.Messages().first().Text,
                     QStringLiteral("The File does not contain TZL Config Data"));
        }
    }

    // A file the user may write, in a folder where no file may be created: it
    // is written in place, as the safe replace cannot make its temporary file.
    void SavesInAWriteProtectedFolder()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("site.tcf");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("old\r\n") == 5);
        file.close();
        QVERIFY(file.setPermissions(QFileDevice::Permissions(0x7777)));
        const WriteProtectedFolder protectedFolder(dir.path());
        if (!protectedFolder.Holds())
            QSKIP("this user may create files in any folder");
        ConfigSnapshot data;
        data.SystemVolts = 11000.0F;
        QVERIFY2(cConfigFile(m_UI).Save(path, data), qPrintable(m_UI.Messages().value(0).Text));
        const auto loaded = cConfigFile(m_UI).Load(path);
        QVERIFY(loaded.has_value());
        QCOMPARE(loaded->SystemVolts, 11000.0F);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"site.tcf"});
    }

private:
    QString Write(const QByteArray& bytes)
    {
        const QString path = m_Dir.filePath("written.tcf");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    QTemporaryDir m_Dir;
    ScriptedUserInterface m_UI;
};

QTEST_GUILESS_MAIN(tst_cTZLTrips)
#include "tst_cTZLTrips.moc"
