// The relay's side of the wire on raw frames: framing, answers, faults, word
// orders, and the timing of the answer's bytes (late bounds generous on a
// shared machine, early ones strict, as sending early is the pacer's fault).
#include "BytePacer.h"
#include "RequestFramer.h"
#include "RtuSlave.h"
#include "SimulatedRelay.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <cmath>

using namespace std::chrono_literals;

namespace {

using Frames = QList<QByteArray>;

QByteArray WithCrc(const QByteArray& hexWithoutCrc)
{
    QByteArray frame = QByteArray::fromHex(hexWithoutCrc);
    const std::int32_t c = cModbusCRC().GenerateCRC(frame, std::int16_t(frame.size()));
    frame.append(char(cModbusCRC::GetLoByte(c)));
    frame.append(char(cModbusCRC::GetHiByte(c)));
    return frame;
}

bool CrcHolds(const QByteArray& frame)
{
    return cModbusCRC().CompareCRC(frame, std::int16_t(frame.size()));
}

struct Bench
{
    SimulatedRelay Relay;
    SimFaults Faults;
    RtuSlave Slave{Relay, Faults, 1};
    SlaveReply Send(const QByteArray& hexWithoutCrc)
    {
        return Slave.HandleRequest(WithCrc(hexWithoutCrc));
    }
};

const QByteArray ReadVolts = "010300060002";             // holding 6, 2 registers
const QByteArray WriteVolts = "01100006000204 3f800000"; // 1.0 to holding 6
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

} // namespace

class tst_RtuSlave : public QObject
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

    void Answers()
    {
        // Word order, request and answer, both without the CRC. System volts
        // hold 1.0, current 2.0.
        const std::tuple<int, QByteArray, QByteArray> rows[] = {
            {0, ReadVolts, "0103043f800000"},
            {1, ReadVolts, "01030400003f80"},
            {0, "010300070002", "01030400004000"}, // second half of volts, first of current
            {0, WriteVolts, "011000060002"},
            {0, "01050006ff00", "018501"},           // function 5
            {0, "011000060002083f800000", "019003"}, // byte count disagrees
            {0, "01030006000200", "018303"},         // a read with a byte too many
            // Holding 238 is made to read NaN, whatever the selector at 240 (0) chose.
            {0, "010300ee0004", "0103087fc0000000000000"},
            {1, "010300ee0004", "01030800007fc000000000"},
            // Reads outside the map: holding 0, holding 6..13 past the type,
            // the window 58..79, input 0..37 and 798..817, count 126.
            {0, "010300000002", "018302"},
            {0, "010300060008", "018302"},
            {0, "0103003a0016", "018302"},
            {0, "010400000026", "018402"},
            {0, "0104031e0014", "018402"},
            {0, "0104031e007e", "018403"},
            // Writes the relay refuses, and the boundaries it takes (header,
            // then value; blanks are skipped): system type is read only, the
            // second half of volts, outside the map, volts NaN.
            {0, "0110000a000204 40000000", "019002"},
            {0, "01100007000204 3f800000", "019002"},
            {0, "0110012c000204 3f800000", "019002"},
            {0, "01100006000204 7fc00000", "019003"},
            // Selector 16 and 17; a function with no relay selected; select
            // 4, function 256; year 99 and 100.
            {0, "0110003a000204 41800000", "0110003a0002"},
            {0, "0110003a000204 41880000", "019003"},
            {0, "0110003c000204 3f800000", "019003"},
            {0, "0110003a000408 40800000 43800000", "019003"},
            {0, "01100062000204 42c60000", "011000620002"},
            {0, "01100062000204 42c80000", "019003"},
        };
        for (const auto& [wordOrder, request, answer] : rows) {
            Bench b;
            b.Relay.SetWordOrder(wordOrder);
            b.Relay.SetSystemVolts(1.0f);
            b.Relay.SetSystemCurrent(2.0f);
            b.Faults.SetRegisterNaN(RegisterKind::Holding, 238);
            b.Faults.SetRegisterValue(RegisterKind::Input, 240, 5.0f); // the other table: no effect
            QCOMPARE(request + " -> " + b.Send(request).Bytes.toHex(),
                     request + " -> " + WithCrc(answer).toHex());
        }
    }

    // Not for this slave, or a broadcast (acted on, never answered): no exchange,
    // so a queued fault waits for a real one.
    void Unanswered()
    {
        // The frame and system volts (110 before) after it.
        const std::pair<QByteArray, float> rows[] = {
            {QByteArray::fromHex("010300060002FFFF"), 110.0f}, // bad CRC
            {WithCrc("021000060002043f800000"), 110.0f},       // other slave
            {WithCrc("000300060002"), 110.0f},                 // broadcast read
            {WithCrc("001000060002043f800000"), 1.0f},         // broadcast write
        };
        for (const auto& [frame, volts] : rows) {
            Bench b;
            b.Relay.SetSystemVolts(110.0f);
            b.Faults.Queue(SimFault::BadCrc());
            QVERIFY(b.Slave.HandleRequest(frame).IsSilent());
            QCOMPARE(b.Relay.SystemVolts(), volts);
            QCOMPARE(b.Faults.Exchanges(), 0);
            QVERIFY(!CrcHolds(b.Send(ReadVolts).Bytes));
        }
    }

    // The raw answer to a write of 1.0 (or a read) under each fault. An
    // exception to a read is a row of the link fault table.
    void Faults()
    {
        const QByteArray echo = WithCrc("011000060002").toHex();
        // Fault, request, answer ("crc" when only the CRC is spoilt), volts
        // after it (1.0 when the write was applied), timing in ms: delay,
        // gap between bytes, noise gap (-1: none).
        const std::tuple<SimFault, QByteArray, QByteArray, float, QList<int>> rows[] = {
            {SimFault::None(), WriteVolts, echo, 1.0f, {0, 0, -1}},
            {SimFault::NoAnswer(), WriteVolts, {}, 110.0f, {0, 0, -1}},
            {SimFault::ShortAnswer(4), WriteVolts, "01100006", 1.0f, {0, 0, -1}},
            {SimFault::BadCrc(), WriteVolts, "crc", 1.0f, {0, 0, -1}},
            {SimFault::Exception(6), WriteVolts, WithCrc("019006").toHex(), 110.0f, {0, 0, -1}},
            // The write is applied, but its echo names register 8.
            {SimFault::BadEcho(), WriteVolts, WithCrc("011000080002").toHex(), 1.0f, {0, 0, -1}},
            {SimFault::Delay(250), WriteVolts, echo, 1.0f, {250, 0, -1}},
            {SimFault::Trickle(30), WriteVolts, echo, 1.0f, {0, 30, -1}},
            {SimFault::Babble(7), WriteVolts, echo, 1.0f, {0, 0, 7}},
        };
        for (const auto& [fault, request, answer, volts, timing] : rows) {
            Bench b;
            b.Relay.SetSystemVolts(110.0f);
            b.Faults.Queue(fault);
            const SlaveReply reply = b.Send(request);
            if (answer == "crc") {
                QCOMPARE(reply.Bytes.size(), 8);
                QCOMPARE(reply.Bytes.left(6), WithCrc("011000060002").left(6));
                QVERIFY(!CrcHolds(reply.Bytes));
            } else {
                QCOMPARE(reply.Bytes.toHex(), answer);
            }
            QCOMPARE(b.Relay.SystemVolts(), volts);
            QCOMPARE((QList<int>{int(reply.Delay.count()), int(reply.Gap.count()),
                                 reply.Babble ? int(reply.BabbleGap.count()) : -1}),
                     timing);
            // The fault was for one exchange only.
            QVERIFY(CrcHolds(b.Send(ReadVolts).Bytes));
        }
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
};

QTEST_GUILESS_MAIN(tst_RtuSlave)
#include "tst_RtuSlave.moc"
