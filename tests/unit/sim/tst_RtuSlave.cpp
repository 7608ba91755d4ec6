// The relay's side of the wire on raw frames: framing, answers, faults, word orders.
#include "RequestFramer.h"
#include "RtuSlave.h"
#include "SimulatedRelay.h"

#include <QTest>
#include <cmath>

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

} // namespace

class tst_RtuSlave : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void Framing_data()
    {
        QTest::addColumn<Frames>("chunks");
        QTest::addColumn<Frames>("frames");
        QTest::addColumn<QByteArray>("pending"); // left for the silence to end

        Frames byteByByte;
        for (char c : Write)
            byteByByte.append(QByteArray(1, c));
        const QByteArray diagnostic = WithCrc("010800000000"); // a function of unknown length
        QTest::newRow("write byte by byte") << byteByByte << Frames{Write} << QByteArray();
        QTest::newRow("back to back")
            << Frames{Write + Read} << Frames{Write, Read} << QByteArray();
        QTest::newRow("noise before a read")
            << Frames{QByteArray::fromHex("ff00") + Read} << Frames{Read} << QByteArray();
        QTest::newRow("half a read") << Frames{Read.left(5)} << Frames{} << Read.left(5);
        QTest::newRow("unknown function") << Frames{diagnostic} << Frames{} << diagnostic;
    }

    void Framing()
    {
        QFETCH(Frames, chunks);
        QFETCH(Frames, frames);

        RequestFramer framer;
        Frames got;
        for (const QByteArray& chunk : chunks)
            got += framer.Feed(chunk);
        QCOMPARE(got, frames);
        QTEST(framer.Flush(), "pending");
        // After the silence the next request frames normally.
        QCOMPARE(framer.Feed(Read), Frames{Read});
    }

    void Answers_data()
    {
        QTest::addColumn<int>("wordOrder");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer");

        const auto row = [](const char* name, int order, const QByteArray& request,
                            const char* answer) {
            QTest::newRow(name) << order << request << WithCrc(answer);
        };
        // System volts hold 1.0, current 2.0.
        row("read, order 0", 0, ReadVolts, "0103043f800000");
        row("read, order 1", 1, ReadVolts, "01030400003f80");
        row("second half of volts, first of current", 0, "010300070002", "01030400004000");
        row("write echo", 0, WriteVolts, "011000060002");
        row("function 5", 0, "01050006ff00", "018501");
        row("byte count disagrees", 0, "011000060002083f800000", "019003");
        row("read with a byte too many", 0, "01030006000200", "018303");
        // Holding 238 is made to read NaN, whatever the selector at 240 (0) chose.
        row("NaN pair, order 0", 0, "010300ee0004", "0103087fc0000000000000");
        row("NaN pair, order 1", 1, "010300ee0004", "01030800007fc000000000");
        // Reads outside the map.
        QTest::newRow("holding 0")
            << 0 << QByteArray("010300000002") << QByteArray::fromHex("018302C0F1");
        row("holding 6..13, past type", 0, "010300060008", "018302");
        row("window 58..79", 0, "0103003a0016", "018302");
        row("input 0..37", 0, "010400000026", "018402");
        row("input 798..817", 0, "0104031e0014", "018402");
        row("count 126", 0, "0104031e007e", "018403");
        // Writes the relay refuses, and the boundaries it takes (header, then value; blanks are
        // skipped).
        row("system type is read only", 0, "0110000a000204 40000000", "019002");
        row("second half of volts", 0, "01100007000204 3f800000", "019002");
        row("outside the map", 0, "0110012c000204 3f800000", "019002");
        row("volts NaN", 0, "01100006000204 7fc00000", "019003");
        row("selector 16", 0, "0110003a000204 41800000", "0110003a0002");
        row("selector 17", 0, "0110003a000204 41880000", "019003");
        row("function, none selected", 0, "0110003c000204 3f800000", "019003");
        row("select 4, function 256", 0, "0110003a000408 40800000 43800000", "019003");
        row("year 99", 0, "01100062000204 42c60000", "011000620002");
        row("year 100", 0, "01100062000204 42c80000", "019003");
    }

    void Answers()
    {
        QFETCH(int, wordOrder);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);

        Bench b;
        b.Relay.SetWordOrder(wordOrder);
        b.Relay.SetSystemVolts(1.0f);
        b.Relay.SetSystemCurrent(2.0f);
        b.Faults.SetRegisterNaN(RegisterKind::Holding, 238);
        b.Faults.SetRegisterValue(RegisterKind::Input, 240, 5.0f); // the other table: no effect
        QCOMPARE(b.Send(request).Bytes.toHex(' '), answer.toHex(' '));
    }

    void Unanswered_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<float>("volts"); // after the frame

        QTest::newRow("bad CRC") << QByteArray::fromHex("010300060002FFFF") << 110.0f;
        QTest::newRow("other slave") << WithCrc("021000060002043f800000") << 110.0f;
        QTest::newRow("broadcast read") << WithCrc("000300060002") << 110.0f;
        QTest::newRow("broadcast write") << WithCrc("001000060002043f800000") << 1.0f;
    }

    // Not for this slave, or a broadcast (acted on, never answered): no exchange,
    // so a queued fault waits for a real one.
    void Unanswered()
    {
        QFETCH(QByteArray, frame);

        Bench b;
        b.Relay.SetSystemVolts(110.0f);
        b.Faults.Queue(SimFault::BadCrc());
        QVERIFY(b.Slave.HandleRequest(frame).IsSilent());
        QTEST(b.Relay.SystemVolts(), "volts");
        QCOMPARE(b.Faults.Exchanges(), 0);
        QVERIFY(!CrcHolds(b.Send(ReadVolts).Bytes));
    }

    void Faults_data()
    {
        QTest::addColumn<SimFault>("fault");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer"); // hex; "crc" when only the CRC is spoilt
        QTest::addColumn<float>("volts");       // afterwards; 1.0 when the write was applied
        QTest::addColumn<QList<int>>(
            "timing"); // ms: delay, gap between bytes, noise gap (-1: none)

        const QByteArray echo = WithCrc("011000060002").toHex();
        const QList<int> paced{0, 0, -1};
        QTest::newRow("none") << SimFault::None() << WriteVolts << echo << 1.0f << paced;
        QTest::newRow("no answer")
            << SimFault::NoAnswer() << WriteVolts << QByteArray() << 110.0f << paced;
        QTest::newRow("short 4") << SimFault::ShortAnswer(4) << WriteVolts << QByteArray("01100006")
                                 << 1.0f << paced;
        QTest::newRow("bad crc") << SimFault::BadCrc() << WriteVolts << QByteArray("crc") << 1.0f
                                 << paced;
        QTest::newRow("exception 6")
            << SimFault::Exception(6) << WriteVolts << WithCrc("019006").toHex() << 110.0f << paced;
        QTest::newRow("exception 2 on a read")
            << SimFault::Exception(2) << ReadVolts << QByteArray("018302c0f1") << 110.0f << paced;
        QTest::newRow("bad echo names register 8")
            << SimFault::BadEcho() << WriteVolts << WithCrc("011000080002").toHex() << 1.0f
            << paced;
        QTest::newRow("delay") << SimFault::Delay(250) << WriteVolts << echo << 1.0f
                               << QList<int>{250, 0, -1};
        QTest::newRow("trickle") << SimFault::Trickle(30) << WriteVolts << echo << 1.0f
                                 << QList<int>{0, 30, -1};
        QTest::newRow("babble") << SimFault::Babble(7) << WriteVolts << echo << 1.0f
                                << QList<int>{0, 0, 7};
    }

    void Faults()
    {
        QFETCH(SimFault, fault);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);

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
        QTEST(b.Relay.SystemVolts(), "volts");
        QTEST((QList<int>{int(reply.Delay.count()), int(reply.Gap.count()),
                          reply.Babble ? int(reply.BabbleGap.count()) : -1}),
              "timing");
        // The fault was for one exchange only.
        QVERIFY(CrcHolds(b.Send(ReadVolts).Bytes));
    }
};

QTEST_GUILESS_MAIN(tst_RtuSlave)
#include "tst_RtuSlave.moc"
