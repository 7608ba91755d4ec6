// The simulated relay. On raw frames: framing, answers, what the map refuses,
// faults, word orders, and the timing of the answer's bytes (late bounds
// generous on a shared machine, early ones strict, as sending early is the
// pacer's fault). As the Modbus master sees it: the trip-definition window and
// its commands, the product-information selector, the clock, the event log and
// the measurements. The simulator's command line and scenario files: what they
// set up in the relay and its faults, and that mistakes are refused with a
// reason. Random faults (--fault-rate): about the share asked for, only faults
// a master must count as failed, the same ones again from the same seed, and
// each one logged.
#include "BytePacer.h"
#include "FakeClock.h"
#include "Golden.h"
#include "RandomFaults.h"
#include "RequestFramer.h"
#include "ScenarioFile.h"
#include "SimCommandLine.h"
#include "SimulatedLink.h"
#include "link/ModbusFrames.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

using namespace std::chrono_literals;

namespace {

using Frames = QList<QByteArray>;

QByteArray WithCrc(const QByteArray& hexWithoutCrc)
{
    QByteArray frame = QByteArray::fromHex(hexWithoutCrc);
    ModbusFrames::AppendCRC(cModbusCRC(), frame);
    return frame;
}

bool CrcHolds(const QByteArray& frame)
{
    return cModbusCRC().CompareCRC(frame, std::int16_t(frame.size()));
}

struct FrameBench
{
    SimulatedRelay Relay;
    SimFaults Faults;
    RtuSlave Slave{Relay, Faults, 1};
    SlaveReply Send(const QByteArray& hexWithoutCrc)
    {
        return Slave.HandleRequest(WithCrc(hexWithoutCrc));
    }
};

const QByteArray Read = WithCrc("010300060006");
const QByteArray Write = WithCrc("01100006000204"
                                 "45000000");

// Collects up to `count` bytes or until `silenceMs` of silence; returns each
// batch's arrival in ms on `clock`, which the caller starts before sending
// (qWaitFor would sleep between passes and spoil them).
QList<qint64> Collect(BytePacer& pacer, QByteArray& got, qsizetype count,
                      const QElapsedTimer& clock, int silenceMs = 1000)
{
    QSignalSpy spy(&pacer, &BytePacer::BytesSent);
    QList<qint64> times;
    while (got.size() < count && (!spy.isEmpty() || spy.wait(silenceMs))) {
        got += spy.takeFirst().at(0).toByteArray();
        times.append(clock.elapsed());
    }
    return times;
}

constexpr float NoValue = -999.0f;
using Writes = QList<QPair<int, float>>; // register, value

struct MasterBench : SimulatedLink
{
    // Each exchange ends with its whole answer rather than a silence: the
    // runs of exchanges below take a fraction of the time.
    MasterBench() { Modbus().SetFastResponseDetection(true); }
    bool Write(int reg, float value)
    {
        return Modbus().WriteHoldingRegister(SlaveID(), std::int16_t(reg), value);
    }
    // The values read; empty when the read failed.
    std::vector<float> Read(bool holding, int start, int count)
    {
        std::vector<float> v;
        const auto s = std::int16_t(start), n = std::int16_t(count);
        const bool ok = holding ? Modbus().ReadHoldingRegisters(SlaveID(), s, n, v)
                                : Modbus().ReadInputRegisters(SlaveID(), s, n, v);
        return ok ? v : std::vector<float>{};
    }
    float Value(bool holding, int reg)
    {
        const std::vector<float> v = Read(holding, reg, 2);
        return v.empty() ? NoValue : v[0];
    }
};

QString WriteScenario(const QTemporaryDir& dir, const QString& text,
                      const QString& name = QStringLiteral("t.sim"))
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) != text.toUtf8().size())
        return {};
    return file.fileName();
}

constexpr int Exchanges = 10000;

QList<std::optional<SimFault>> DrawAll(RandomFaults& random)
{
    QList<std::optional<SimFault>> drawn;
    for (int exchange = 1; exchange <= Exchanges; ++exchange)
        drawn << random.Draw(exchange);
    return drawn;
}

bool MasterCountsAsFailed(const SimFault& f)
{
    using K = SimFault::Kind;
    return f.Type == K::NoAnswer || f.Type == K::BadCrc
           || (f.Type == K::ShortAnswer && f.Value >= 1 && f.Value <= 4)
           || (f.Type == K::Exception && (f.Value == 4 || f.Value == 6));
}

} // namespace

class tst_SimulatedRelay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void Framing()
    {
        Frames byteByByte;
        for (char c : Write)
            byteByByte.append(QByteArray(1, c));
        const QByteArray diagnostic = WithCrc("010800000000"); // a function of unknown length
        // Chunks fed, frames taken, bytes left for the silence to end.
        const std::tuple<Frames, Frames, QByteArray> rows[] = {
            {byteByByte, {Write}, {}},
            {{Write + Read}, {Write, Read}, {}},
            {{QByteArray::fromHex("ff00") + Read}, {Read}, {}}, // noise before a read
            {{Read.left(5)}, {}, Read.left(5)},
            {{diagnostic}, {}, diagnostic},
        };
        for (const auto& [chunks, frames, pending] : rows) {
            RequestFramer framer;
            Frames got;
            for (const QByteArray& chunk : chunks)
                got += framer.Feed(chunk);
            QCOMPARE(got, frames);
            QCOMPARE(framer.Flush(), pending);
            // After the silence the next request frames normally.
            QCOMPARE(framer.Feed(Read), Frames{Read});
        }
    }

    // One request to the relay on raw frames, and what came of it: the answer
    // (or silence), system volts after it (1 before; the writes write 5),
    // whether it counted as an exchange, the answer's timing, and whether the
    // next read's answer is sound (a queued fault is for one exchange only, and
    // waits when there was none). System current holds 2; holding 238 is made
    // to read NaN, whatever the selector at 240 (0) chose. A row: faults
    // queued as the simulator names them, "swapped" for word order 1, "raw"
    // for a frame sent without check bytes added, then the frame in hex.
    void RawExchanges()
    {
        const char* const rows[] = {
            "010300060002",
            "swapped 010300060002",
            "010300070002",           // second half of volts, first of current
            "01050006ff00",           // function 5
            "011000060002083f800000", // byte count disagrees
            "01030006000200",         // a read with a byte too many
            "010300ee0004",
            "swapped 010300ee0004",
            // Reads outside the map: holding 0, holding 6..13 past the type,
            // the window 58..79, input 0..37 and 798..817, count 126.
            "010300000002",
            "010300060008",
            "0103003a0016",
            "010400000026",
            "0104031e0014",
            "0104031e007e",
            // Writes the relay refuses, and the boundaries it takes: system
            // type is read only, the second half of volts, outside the map,
            // volts NaN.
            "0110000a000204 40000000",
            "01100007000204 3f800000",
            "0110012c000204 3f800000",
            "01100006000204 7fc00000",
            // Selector 16 and 17; a function with no relay selected; select
            // 4, function 256; year 99 and 100.
            "0110003a000204 41800000",
            "0110003a000204 41880000",
            "0110003c000204 3f800000",
            "0110003a000408 40800000 43800000",
            "01100062000204 42c60000",
            "01100062000204 42c80000",
            // Not for this slave, or a broadcast (acted on, never answered).
            "bad-crc raw 010300060002ffff",
            "bad-crc 02100006000204 40a00000",
            "bad-crc 000300060002",
            "bad-crc 00100006000204 40a00000",
            // A write of 5 under each fault; an exception to a read is a row
            // of the link fault table.
            "01100006000204 40a00000",
            "no-answer 01100006000204 40a00000",
            "short:4 01100006000204 40a00000",
            "bad-crc 01100006000204 40a00000",
            "exception:6 01100006000204 40a00000",
            "bad-echo 01100006000204 40a00000", // applied, but the echo names 8
            "delay:250 01100006000204 40a00000",
            "trickle:30 01100006000204 40a00000",
            "babble:7 01100006000204 40a00000",
        };
        QString table;
        for (const char* row : rows) {
            FrameBench b;
            b.Relay.SetSystemVolts(1.0f);
            b.Relay.SetSystemCurrent(2.0f);
            b.Faults.SetRegisterNaN(RegisterKind::Holding, 238);
            b.Faults.SetRegisterValue(RegisterKind::Input, 240, 5.0f); // the other table: no effect
            QByteArray hex;
            bool raw = false;
            for (const QString& part : QString::fromLatin1(row).split(u' ')) {
                QString error;
                if (part == u"swapped")
                    b.Relay.SetWordOrder(1);
                else if (part == u"raw")
                    raw = true;
                else if (const auto fault = SimFaults::ParseFault(part, error))
                    b.Faults.Queue(*fault);
                else
                    hex += part.toLatin1();
            }
            const SlaveReply reply =
                b.Slave.HandleRequest(raw ? QByteArray::fromHex(hex) : WithCrc(hex));
            QStringList out{reply.IsSilent() ? QStringLiteral("silent")
                                             : QString::fromLatin1(reply.Bytes.toHex(' '))};
            if (!reply.IsSilent() && !CrcHolds(reply.Bytes))
                out.last() += QStringLiteral(" (check bytes wrong)");
            out << QStringLiteral("volts %1").arg(b.Relay.SystemVolts());
            out << QStringLiteral("exchanges %1").arg(b.Faults.Exchanges());
            if (reply.Delay.count() != 0)
                out << QStringLiteral("delay %1 ms").arg(reply.Delay.count());
            if (reply.Gap.count() != 0)
                out << QStringLiteral("gap %1 ms").arg(reply.Gap.count());
            if (reply.Babble)
                out << QStringLiteral("noise every %1 ms").arg(reply.BabbleGap.count());
            out << (CrcHolds(b.Send("010300060002").Bytes) ? QStringLiteral("next sound")
                                                           : QStringLiteral("next spoilt"));
            table += QLatin1String(row) + QStringLiteral(" -> ") + out.join(QStringLiteral(" | "))
                     + u'\n';
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("sim-raw-exchanges.txt"), table);
    }

    void PacedAtLineSpeed()
    {
        BytePacer pacer;
        pacer.SetCharacterTime(1042us); // 9600 baud
        pacer.SetLatency(2ms);
        SlaveReply reply;
        reply.Bytes = QByteArray(40, '\x5a');
        QElapsedTimer clock;
        clock.start();
        pacer.Send(reply);
        QByteArray got;
        const QList<qint64> times = Collect(pacer, got, 40, clock);
        QCOMPARE(got, reply.Bytes);
        // 2 ms turnaround and 40 characters of 1.042 ms: never sooner than 43 ms.
        QVERIFY(times.first() >= 3);
        QVERIFY2(times.last() >= 43 && times.last() < 300,
                 qPrintable(QString::number(times.last())));
        QVERIFY(times.size() >= 4); // spread out, not in one lump
        QVERIFY(!pacer.IsSending());
    }

    // Noise follows the answer until the next answer replaces it.
    void NoiseUntilTheNextAnswer()
    {
        BytePacer pacer;
        SlaveReply babble;
        babble.Bytes = QByteArray(8, '\x01');
        babble.Babble = true;
        babble.BabbleGap = 2ms;
        QElapsedTimer clock;
        clock.start();
        pacer.Send(babble);
        QByteArray got;
        const QList<qint64> times = Collect(pacer, got, 8 + 10, clock);
        QCOMPARE(got.left(8), babble.Bytes);
        QVERIFY(got.size() >= 18);
        // Never a silence anywhere near a master's character time-out.
        for (int i = 1; i < times.size(); ++i)
            QVERIFY(times[i] - times[i - 1] < 20);
        SlaveReply next;
        next.Bytes = QByteArray(5, '\x07');
        pacer.Send(next);
        got.clear();
        Collect(pacer, got, 6, clock, 40);
        QCOMPARE(got, next.Bytes);
    }

    void RefusedWriteChangesNothing()
    {
        MasterBench b;
        // The selector is fine, the function code is not: neither is taken.
        QVERIFY(!b.Modbus().WriteHoldingRegisters(b.SlaveID(), 58, 4, {5.0f, 300.0f}));
        QCOMPARE(b.Relay().SelectedRelay(), 0);
        // Selecting and writing in one go is fine: the selection counts for the rest.
        QVERIFY(b.Modbus().WriteHoldingRegisters(b.SlaveID(), 58, 4, {5.0f, 14.0f}));
        QCOMPARE(b.Relay().GetTripDefinition(5).FunctionCode, 14);
    }

    // Writes one value at a time, as the master does, then a second later
    // reads holding registers back. Relay 9 starts with the given status; the
    // relay clock with 31 December 2029 23:59:59.
    void WriteThenRead()
    {
        const Writes trip{{58, 9},    {60, 1},    {62, 13}, {64, 0}, {66, 121},
                          {68, 1.1f}, {70, 0.2f}, {72, 0},  {74, 0}, {76, 9.5f}};
        // Status, writes, start, count, values read.
        const std::tuple<int, Writes, int, int, std::vector<float>> rows[] = {
            // 0 written to the status is no command: the live status reads back.
            {3, trip, 58, 20, {9, 1, 13, 3, 121, 1.1f, 0.2f, 0, 0, 9.5f}},
            {3, trip + Writes{{58, 8}}, 58, 8, {8, 0, 0, 0}},                  // another relay
            {3, trip + Writes{{58, 0}}, 58, 20, std::vector<float>(10, 0.0f)}, // deselected
            // A status command: select, command, read the status back: reset
            // a latch, which keeps tripped; acknowledge an alarm; both; a
            // status bit is not writable.
            {2, {{58, 9}, {64, 16}}, 64, 2, {0}},
            {3, {{58, 9}, {64, 16}}, 64, 2, {1}},
            {8, {{58, 9}, {64, 4}}, 64, 2, {12}},
            {11, {{58, 9}, {64, 20}}, 64, 2, {13}},
            {0, {{58, 9}, {64, 11}}, 64, 2, {0}},
            // Product information: the item the selector chose (firmware, PSC
            // number, nothing at 3), and the selector.
            {0, {{240, 2}}, 238, 4, {2.44f, 2}},
            {0, {{240, 4}}, 238, 4, {5021, 4}},
            {0, {{240, 3}}, 238, 4, {0, 3}},
            // The clock keeps two-digit years, and is set field by field: on the
            // way to 15 February it holds 31 February, which must not carry into March.
            {0, {}, 98, 12, {30, 1, 1, 0, 0, 0}},
            {0, {{100, 2}, {102, 15}}, 98, 12, {29, 2, 16, 0, 0, 0}},
        };
        for (const auto& [status, writes, start, count, expected] : rows) {
            FakeClock pc(QDateTime(QDate(2029, 12, 31), QTime(23, 59, 59)));
            MasterBench b;
            b.UseClock(pc);
            b.Relay().SetClock(pc.Now());
            b.Relay().SetFirmwareVersion(2.44f);
            b.Relay().SetPSCNumber(5021.0f);
            b.Relay().SetRelayStatus(9, status);
            b.Relay().SetRelayStatus(10, status);
            for (const auto& [reg, value] : writes)
                QVERIFY(b.Write(reg, value));
            pc.Set(pc.Now().addSecs(1));
            QCOMPARE(b.Read(true, start, count), expected);
            QCOMPARE(b.Relay().RelayStatus(10), status);
        }
    }

    void EventLog()
    {
        MasterBench b;
        const QDateTime when(QDate(2026, 3, 14), QTime(8, 0, 5));
        b.Relay().SetEvents({{3, 12, when}, {1, 4, when.addDays(-40)}, {2, 16, when.addSecs(3)}});
        QCOMPARE(b.Read(false, 798, 18), (std::vector<float>{3, 12, 26, 3, 14, 8, 0, 5, 0}));
        QCOMPARE(b.Read(false, 798, 18), (std::vector<float>{1, 4, 26, 2, 2, 8, 0, 5, 0}));
        QCOMPARE(b.Value(false, 798), 2.0f);
        QCOMPARE(b.Read(false, 798, 18), std::vector<float>(9, 0.0f));
        QCOMPARE(b.Value(false, 798), 3.0f); // the next upload starts over
        b.Relay().ClearEvents();
        QCOMPARE(b.Value(false, 798), 0.0f);
    }

    // A master reads at most 50 records and so never reads the end marker of a
    // full log; the next upload must still get all 50.
    void FullEventLogStartsOver()
    {
        MasterBench b;
        const QDateTime when(QDate(2025, 6, 1), QTime(12, 0, 0));
        std::vector<RelayEvent> events;
        for (int n = 1; n <= 51; ++n)
            events.push_back({n, 1, when});
        b.Relay().SetEvents(events);
        QVERIFY(!b.Relay().AddEvent({52, 1, when}));
        for (int read = 0; read <= 50; ++read)
            QCOMPARE(b.Value(false, 798), float(1 + read % 50));
    }

    // The blocks of a measurement upload agree with each other and with the
    // system values, or the Measurements tab would look broken to a trainee.
    void Measurements()
    {
        // 4-wire 110 V 5 A and 3-wire 11 kV 500 A.
        for (const auto& [type, volts, current] :
             {std::tuple{3.0f, 110.0f, 5.0f}, std::tuple{2.0f, 11000.0f, 500.0f}})
            MeasurementsAgree(type, volts, current);
    }

    // Each command line, and what the parser made of it: served, or refused
    // with a reason. The scenario files are given with "--pty --scenario".
    void CommandLine()
    {
        const char* const lines[] = {
            "--pty", "--bogus --help", "--slave 3", "--pty --tcp 0", "--tcp 65536",
            "--pty --listen 0.0.0.0", "--tcp 0 --listen relay", "--pty --slave",
            "--pty --slave 247", "--pty --slave=0", "--pty --slave 248", "--pty --word-order 2",
            "--pty --settings 9600,X,8,1", "--pty --trip 3,17", "--pty --fault short:5",
            "--pty --fault bad-crc:3", "--pty --fault bad-crc@0",
            // A fault far ahead is kept without room for every exchange before it.
            "--pty --fault no-answer@2147483647", "--pty --fault flaky", "--pty --fault gap:6",
            "--pty --fault gap:0:49", "--pty --fault hang-up:4:1", "--pty --fault-rate 5 --seed 7",
            "--pty --fault-rate 100.5", "--pty --seed 7",
            // A value takes a register pair, which starts at an even register.
            "--pty --fault nan:i71", "--pty --fault value:239=2",
            "--pty --scenario /nonexistent/x.sim"};
        const QStringList scenarios{"volts 1\nvoltage 2\n", "event 1 2 2026-02-30 10:00:00\n",
                                    "\n\nfault babble:0\n",
                                    QStringLiteral("event 1 1 2026-01-01 00:00:00\n").repeated(51)};
        QTemporaryDir dir;
        QList<QStringList> given;
        for (const char* line : lines)
            given << QString::fromLatin1(line).split(u' ');
        for (const QString& scenario : scenarios)
            given << QStringList{
                "--pty", "--scenario",
                WriteScenario(dir, scenario, QStringLiteral("%1.sim").arg(given.size()))};
        QString table;
        for (const QStringList& arguments : given) {
            SimulatedRelay relay;
            SimFaults faults;
            SimCommandLine line;
            const auto outcome = line.Parse(arguments, relay, faults);
            table += arguments.join(u' ') + QStringLiteral(" -> ")
                     + (outcome == SimCommandLine::Outcome::Serve        ? QStringLiteral("serve")
                        : outcome == SimCommandLine::Outcome::UsageError ? QStringLiteral("refused")
                                                                         : QStringLiteral("?"))
                     + (line.Error().isEmpty() ? QString() : QStringLiteral(": ") + line.Error())
                     + u'\n';
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("sim-command-lines.txt"),
                           table.replace(dir.path(), QStringLiteral("<dir>")));
    }

    // The scenario is applied first, wherever it stands, so options override it.
    void ScenarioThenOptions()
    {
        QTemporaryDir dir;
        const QString scenario =
            WriteScenario(dir, QStringLiteral("# a training relay\nvolts 11000\ncurrent 500   # CT "
                                              "primary\ntype 2\nfirmware 2.1\n\n"
                                              "clock 2026-03-15 13:05:09\ntrip 3 1 7 121 1.1 "
                                              "0.2\nstatus 3 tripped latched\nstatus 6 9\n"
                                              "event 2 3 2026-03-14 08:00:05\nevent 1 5 2025-12-31 "
                                              "23:59:59\nmeasurement 70 49.5\n"
                                              "fault exception:6@1\n"));
        SimulatedRelay relay;
        SimFaults faults;
        SimCommandLine line;
        const QStringList arguments{
            "--scenario", scenario, "--port",       "/dev/ttyS1", "--settings", "19200,E,8,1",
            "--slave",    "7",      "--word-order", "1",          "--firmware", "2.44",
            "--fault",    "babble", "--fault",      "gap:6:49@3", "--fault",    "nan:i70",
            "--latch",    "4",      "--alarm",      "5",          "--ack",      "6",
            "--verbose"};
        QCOMPARE(line.Parse(arguments, relay, faults), SimCommandLine::Outcome::Serve);
        QCOMPARE(line.Front(), SimCommandLine::FrontEnd::SerialDevice);
        QCOMPARE(line.Device(), QStringLiteral("/dev/ttyS1"));
        QCOMPARE(int(line.Line().CharacterTime().count()), 573); // 11 bits with the parity bit
        QCOMPARE(line.SlaveID(), 7);
        QVERIFY(line.Verbose());
        QCOMPARE(relay.WordOrder(), 1);
        // The firmware option overrides the scenario.
        QCOMPARE((std::array{relay.SystemVolts(), relay.SystemCurrent(), relay.SystemType(),
                             relay.FirmwareVersion()}),
                 (std::array{11000.0f, 500.0f, 2.0f, 2.44f}));
        QCOMPARE(relay.ClockFields(), (std::array<int, 6>{26, 3, 15, 13, 5, 9}));
        QCOMPARE(relay.GetTripDefinition(3), (TripDefinition{1, 7, {121, 1.1f, 0.2f, 0, 0, 0}}));
        // Relay 3 tripped and latched, 4 latched, 5 in alarm, 6 tripped in an acknowledged alarm.
        QCOMPARE((std::array{relay.RelayStatus(3), relay.RelayStatus(4), relay.RelayStatus(5),
                             relay.RelayStatus(6)}),
                 (std::array{3, 2, 8, 13}));
        const std::vector<RelayEvent> events{
            {2, 3, QDateTime(QDate(2026, 3, 14), QTime(8, 0, 5))},
            {1, 5, QDateTime(QDate(2025, 12, 31), QTime(23, 59, 59))}};
        QCOMPARE(relay.Events(), events);
        QCOMPARE(relay.Measurement(70), std::optional<float>(49.5f));
        QVERIFY(std::isnan(faults.RegisterValue(RegisterKind::Input, 70).value_or(0.0f)));
        // Exchanges 1 and 3 as scheduled; the persistent fault for every other.
        const SimFault babble = SimFault::Babble(SimFaults::DefaultBabbleGapMs);
        QList<SimFault> next;
        for (int exchange = 1; exchange <= 4; ++exchange)
            next.append(faults.TakeNext());
        QCOMPARE(next,
                 (QList<SimFault>{SimFault::Exception(6), babble, SimFault::Gap(6, 49), babble}));
        // A fault queued later takes the first exchange without one of its own.
        faults.ScheduleAt(7, SimFault::NoAnswer());
        faults.Queue(SimFault::Delay(5));
        next.clear();
        for (int exchange = 5; exchange <= 8; ++exchange)
            next.append(faults.TakeNext());
        QCOMPARE(next, (QList<SimFault>{SimFault::Delay(5), babble, SimFault::NoAnswer(), babble}));
    }

    void RandomShare()
    {
        // Percent, and the least and most faults in 10000 exchanges.
        const std::tuple<double, int, int> rows[] = {
            {0.0, 0, 0}, {0.5, 30, 70}, {5.0, 400, 600}, {100.0, Exchanges, Exchanges}};
        for (const auto& [percent, least, most] : rows) {
            RandomFaults random(percent, 42);
            const auto drawn = DrawAll(random);
            const int injected = int(std::count_if(drawn.cbegin(), drawn.cend(),
                                                   [](const auto& f) { return f.has_value(); }));
            QCOMPARE(random.Injected(), injected);
            QVERIFY2(injected >= least && injected <= most,
                     qPrintable(QStringLiteral("%1 %: %2").arg(percent).arg(injected)));
        }
    }

    void RandomOnlyFailuresEachKindAndRepeatable()
    {
        RandomFaults first(100.0, 7);
        RandomFaults again(100.0, 7);
        RandomFaults other(100.0, 8);
        const auto drawn = DrawAll(first);
        QVERIFY(DrawAll(again) == drawn);
        QVERIFY(DrawAll(other) != drawn);
        QSet<int> kinds;
        for (const auto& fault : drawn) {
            QVERIFY2(MasterCountsAsFailed(*fault), qPrintable(fault->ToString()));
            kinds << int(fault->Type);
        }
        QCOMPARE(kinds.size(), 4);
    }

    // Queued and scheduled faults come first; the random source fills in the
    // rest, with the exchange's number, and its log names each fault.
    void RandomSourceFillsIn()
    {
        QTemporaryDir dir;
        const QString logPath = dir.filePath(QStringLiteral("faults.log"));
        RandomFaults random(100.0, 3);
        QString error;
        QVERIFY(random.SetLog(logPath, error));
        SimFaults faults;
        faults.SetFaultSource([&random](int exchange) { return random.Draw(exchange); });
        faults.ScheduleAt(2, SimFault::Delay(5));
        QList<SimFault> taken;
        for (int i = 0; i < 3; ++i)
            taken << faults.TakeNext();
        QCOMPARE(taken[1], SimFault::Delay(5));
        QCOMPARE(random.Injected(), 2);

        QFile log(logPath);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(log.readAll()),
                 QStringLiteral("exchange 1: %1\nexchange 3: %2\n")
                     .arg(taken[0].ToString(), taken[2].ToString()));
    }

private:
    void MeasurementsAgree(float type, float volts, float current)
    {
        MasterBench b;
        b.Relay().SetSystemType(type);
        b.Relay().SetSystemVolts(volts);
        b.Relay().SetSystemCurrent(current);
        const std::vector<float> m = b.Read(false, 0, 36);
        QCOMPARE(int(m.size()), 18);
        const auto close = [](double a, double e) {
            return std::abs(a - e) <= 1e-4 * std::abs(e) + 1e-6;
        };
        double vs = 0, is = 0, ps = 0, vas = 0, qs = 0;
        for (int k = 0; k < 3; ++k) {
            const double v = m[k], i = m[3 + k], p = m[6 + k], va = m[9 + k], q = m[12 + k],
                         pf = m[15 + k];
            QVERIFY2(v > 0.98 * volts && v < 1.02 * volts, qPrintable(QString::number(v)));
            QVERIFY(i > 0.3 * current && i < current);
            QVERIFY(pf > 0.8 && pf < 1.0);
            QVERIFY(close(p, va * pf) && close(va * va, p * p + q * q));
            vs += v, is += i, ps += p, vas += va, qs += q;
        }
        // On a 3-wire system the three phases together carry sqrt(3) V I pf.
        const double phases = type == 2.0f ? std::sqrt(3.0) : 3.0;
        QVERIFY(vas > 0.5 * phases * volts * current && vas < phases * volts * current);
        const std::map<int, double> totals{{42, vs / 3}, {46, is / 3}, {48, is},      {52, ps},
                                           {56, vas},    {60, qs},     {62, ps / vas}};
        for (const auto& [reg, total] : totals)
            QVERIFY2(close(b.Value(false, reg), total), qPrintable(QString::number(reg)));
        QVERIFY(std::abs(b.Value(false, 70) - 50.0f) < 0.1f);

        const std::vector<float> bus = b.Read(false, 224, 10); // neutral, Hz, angle, volts, ground
        QCOMPARE(int(bus.size()), 5);
        QVERIFY(type == 2.0f ? bus[0] == 0.0f : bus[0] > 0.0f && bus[0] < 0.2f * current);
        QVERIFY(std::abs(bus[1] - 50.0f) < 0.1f && std::abs(bus[2]) <= 180.0f);
        QVERIFY(std::abs(bus[3] - volts) < 0.01f * volts);
        QVERIFY(bus[4] > 0.0f && bus[4] < 0.01f * current);
        b.Relay().SetMeasurement(46, 12.5f); // as a scenario pins it
        QCOMPARE(b.Value(false, 46), 12.5f);
    }
};

QTEST_GUILESS_MAIN(tst_SimulatedRelay)
#include "tst_SimulatedRelay.moc"
