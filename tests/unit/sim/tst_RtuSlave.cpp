// The RTU slave on raw frames: what goes back on the line for each request,
// each injected fault and each word order.
#include "RtuSlave.h"
#include "SimulatedRelay.h"

#include "link/cModbusCRC.h"

#include <QTest>
#include <cmath>

namespace {

QByteArray WithCrc(const QByteArray& hexWithoutCrc)
{
    QByteArray frame = QByteArray::fromHex(hexWithoutCrc);
    const cModbusCRC crc;
    const std::int32_t c = crc.GenerateCRC(frame, std::int16_t(frame.size()));
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
    QByteArray Send(const QByteArray& hexWithoutCrc) { return Slave.HandleRequest(WithCrc(hexWithoutCrc)).Bytes; }
};

const QByteArray ReadVolts = "010300060002";            // holding 6, 2 registers
const QByteArray WriteVolts = "01100006000204" "3f800000"; // 1.0 to holding 6

} // namespace

class tst_RtuSlave : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void KnownFrames_data();
    void KnownFrames();
    void IgnoredFrames_data();
    void IgnoredFrames();
    void BroadcastWriteIsAppliedSilently();
    void Faults_data();
    void Faults();
    void FaultOrder();
    void FixedRegisterValues_data();
    void FixedRegisterValues();
    void FaultSpecs_data();
    void FaultSpecs();
};

void tst_RtuSlave::KnownFrames_data()
{
    QTest::addColumn<int>("wordOrder");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");

    // System volts hold 1.0, current 2.0, type 3.
    QTest::newRow("read, order 0") << 0 << ReadVolts << WithCrc("0103043f800000");
    QTest::newRow("read, order 1") << 1 << ReadVolts << WithCrc("01030400003f80");
    QTest::newRow("read second half of volts and first of current")
        << 0 << QByteArray("010300070002") << WithCrc("01030400004000");
    QTest::newRow("read input gap") << 1 << QByteArray("01040024000A") << WithCrc("018402");
    QTest::newRow("write echo") << 0 << WriteVolts << WithCrc("011000060002");
    QTest::newRow("unknown function 5") << 0 << QByteArray("01050006ff00") << WithCrc("018501");
    QTest::newRow("byte count disagrees") << 0 << QByteArray("01100006000208" "3f800000")
                                          << WithCrc("019003");
    QTest::newRow("read with trailing byte") << 0 << QByteArray("01030006000200") << WithCrc("018303");
    QTest::newRow("spec example, holding 0") << 0 << QByteArray("010300000002")
                                             << QByteArray::fromHex("018302C0F1");
}

void tst_RtuSlave::KnownFrames()
{
    QFETCH(int, wordOrder);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);

    Bench b;
    b.Relay.SetWordOrder(wordOrder);
    b.Relay.SetSystemVolts(1.0f);
    b.Relay.SetSystemCurrent(2.0f);
    QCOMPARE(b.Send(request).toHex(' '), answer.toHex(' '));
}

void tst_RtuSlave::IgnoredFrames_data()
{
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("bad CRC") << QByteArray::fromHex("010300060002FFFF");
    QTest::newRow("other slave") << WithCrc("020300060002");
    QTest::newRow("empty") << QByteArray();
}

// On a shared line a slave keeps quiet about what is not for it; such frames
// do not count as exchanges, so a queued fault waits for a real one.
void tst_RtuSlave::IgnoredFrames()
{
    QFETCH(QByteArray, frame);

    Bench b;
    b.Faults.Queue(SimFault::BadCrc());
    QVERIFY(b.Slave.HandleRequest(frame).IsSilent());
    QCOMPARE(b.Faults.Exchanges(), 0);
    QVERIFY(b.Relay.Accesses().empty());
    QVERIFY(!CrcHolds(b.Send(ReadVolts)));
}

void tst_RtuSlave::BroadcastWriteIsAppliedSilently()
{
    Bench b;
    QVERIFY(b.Slave.HandleRequest(WithCrc("00100006000204" "45000000")).IsSilent());
    QCOMPARE(b.Relay.SystemVolts(), 2048.0f);
    QVERIFY(b.Slave.HandleRequest(WithCrc("000300060002")).IsSilent());
    QCOMPARE(b.Faults.Exchanges(), 0);
}

void tst_RtuSlave::Faults_data()
{
    QTest::addColumn<SimFault>("fault");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer"); // hex; "crc" when only the CRC may differ
    QTest::addColumn<bool>("applied");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<int>("gapMs");
    QTest::addColumn<bool>("babble");

    const QByteArray echo = WithCrc("011000060002").toHex();
    QTest::newRow("none") << SimFault::None() << WriteVolts << echo << true << 0 << 0 << false;
    QTest::newRow("no answer") << SimFault::NoAnswer() << WriteVolts << QByteArray() << false << 0 << 0 << false;
    QTest::newRow("short 1") << SimFault::ShortAnswer(1) << WriteVolts << QByteArray("01") << true << 0 << 0 << false;
    QTest::newRow("short 4") << SimFault::ShortAnswer(4) << WriteVolts << QByteArray("01100006") << true << 0 << 0 << false;
    QTest::newRow("bad crc") << SimFault::BadCrc() << WriteVolts << QByteArray("crc") << true << 0 << 0 << false;
    QTest::newRow("exception 6") << SimFault::Exception(6) << WriteVolts << WithCrc("019006").toHex() << false << 0 << 0 << false;
    QTest::newRow("exception on a read") << SimFault::Exception(4) << ReadVolts << WithCrc("018304").toHex() << false << 0 << 0 << false;
    QTest::newRow("bad echo names register 8") << SimFault::BadEcho() << WriteVolts << WithCrc("011000080002").toHex() << true << 0 << 0 << false;
    QTest::newRow("bad echo leaves a read") << SimFault::BadEcho() << ReadVolts << WithCrc("01030442dc0000").toHex() << true << 0 << 0 << false;
    QTest::newRow("delay") << SimFault::Delay(250) << WriteVolts << echo << true << 250 << 0 << false;
    QTest::newRow("trickle") << SimFault::Trickle(30) << WriteVolts << echo << true << 0 << 30 << false;
    QTest::newRow("babble") << SimFault::Babble(7) << WriteVolts << echo << true << 0 << 0 << true;
}

void tst_RtuSlave::Faults()
{
    QFETCH(SimFault, fault);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);
    QFETCH(bool, applied);
    QFETCH(int, delayMs);
    QFETCH(int, gapMs);
    QFETCH(bool, babble);

    Bench b;
    b.Relay.SetSystemVolts(110.0f);
    b.Faults.Queue(fault);
    const SlaveReply reply = b.Slave.HandleRequest(WithCrc(request));
    if (answer == "crc") {
        const QByteArray proper = WithCrc("011000060002");
        QCOMPARE(reply.Bytes.size(), proper.size());
        QCOMPARE(reply.Bytes.left(6), proper.left(6));
        QVERIFY(!CrcHolds(reply.Bytes));
    } else {
        QCOMPARE(reply.Bytes.toHex(), answer);
    }
    const bool isWrite = request == WriteVolts;
    QCOMPARE(b.Relay.SystemVolts(), isWrite && applied ? 1.0f : 110.0f);
    QCOMPARE(int(reply.Delay.count()), delayMs);
    QCOMPARE(int(reply.Gap.count()), gapMs);
    QCOMPARE(reply.Babble, babble);
    // The fault was for one exchange only.
    const QByteArray next = b.Send(ReadVolts);
    QCOMPARE(next.size(), 9);
    QVERIFY(CrcHolds(next));
}

void tst_RtuSlave::FaultOrder()
{
    Bench b;
    b.Faults.SetPersistent(SimFault::ShortAnswer(2));
    b.Faults.Queue(SimFault::BadEcho());
    QVERIFY(b.Faults.ScheduleAt(4, SimFault::NoAnswer()));
    QList<SimFault> seen;
    for (int i = 0; i < 5; ++i)
        seen.append(b.Faults.TakeNext());
    // Exchange 1 takes the queued fault, 2 and 3 the padding the schedule
    // left (a proper answer), 4 the scheduled one, then the persistent one.
    QCOMPARE(seen, (QList<SimFault>{SimFault::BadEcho(), SimFault::None(), SimFault::None(),
                                    SimFault::NoAnswer(), SimFault::ShortAnswer(2)}));
    QVERIFY(!b.Faults.ScheduleAt(5, SimFault::BadCrc()));
    QVERIFY(b.Faults.ScheduleAt(6, SimFault::BadCrc()));
    b.Faults.Clear();
    QCOMPARE(b.Faults.TakeNext(), SimFault::None());
    QCOMPARE(b.Faults.Exchanges(), 1);
}

void tst_RtuSlave::FixedRegisterValues_data()
{
    QTest::addColumn<int>("wordOrder");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("data");

    // Holding 238 reads NaN (7FC00000); the echo at 240 stays the relay's.
    QTest::newRow("order 0") << 0 << QByteArray("010300ee0004") << QByteArray("7fc0000040000000");
    QTest::newRow("order 1") << 1 << QByteArray("010300ee0004") << QByteArray("00007fc000004000");
    QTest::newRow("second half only") << 0 << QByteArray("010300ef0002") << QByteArray("00004000");
}

void tst_RtuSlave::FixedRegisterValues()
{
    QFETCH(int, wordOrder);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, data);

    Bench b;
    b.Relay.SetWordOrder(wordOrder);
    QCOMPARE(b.Relay.WriteRegisters(240, {0x4000, 0x0000}), ModbusException::None);
    if (wordOrder == 1)
        QCOMPARE(b.Relay.WriteRegisters(240, {0x0000, 0x4000}), ModbusException::None);
    b.Faults.SetRegisterNaN(RegisterKind::Holding, 238);
    b.Faults.SetRegisterValue(RegisterKind::Input, 240, 5.0f); // other table: no effect
    const QByteArray answer = b.Send(request);
    QCOMPARE(answer.mid(3, answer.size() - 5).toHex(), data);
}

void tst_RtuSlave::FaultSpecs_data()
{
    QTest::addColumn<QString>("spec");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("persistent");
    QTest::addColumn<int>("queued");

    QTest::newRow("none") << "none" << true << "none" << 0;
    QTest::newRow("short:1") << "short:1" << true << "short:1" << 0;
    QTest::newRow("short:0") << "short:0" << false << "none" << 0;
    QTest::newRow("short:5") << "short:5" << false << "none" << 0;
    QTest::newRow("bad-crc") << "bad-crc" << true << "bad-crc" << 0;
    QTest::newRow("bad-crc:3") << "bad-crc:3" << false << "none" << 0;
    QTest::newRow("exception:9") << "exception:9" << true << "exception:9" << 0;
    QTest::newRow("delay:4000") << "delay:4000" << true << "delay:4000" << 0;
    QTest::newRow("babble") << "babble" << true << "babble:5" << 0;
    QTest::newRow("bad-crc@3") << "bad-crc@3" << true << "none" << 3;
    QTest::newRow("bad-crc@0") << "bad-crc@0" << false << "none" << 0;
    QTest::newRow("unknown") << "flaky" << false << "none" << 0;
    QTest::newRow("nan:h238") << "nan:h238" << true << "none" << 0;
    QTest::newRow("value:i798=51") << "value:i798=51" << true << "none" << 0;
}

void tst_RtuSlave::FaultSpecs()
{
    QFETCH(QString, spec);
    QFETCH(bool, valid);
    QFETCH(QString, persistent);
    QFETCH(int, queued);

    SimFaults faults;
    QString error;
    QCOMPARE(faults.ApplySpec(spec, error), valid);
    QCOMPARE(error.isEmpty(), valid);
    QCOMPARE(faults.Persistent().ToString(), persistent);
    QCOMPARE(faults.QueuedCount(), queued);
    if (spec == u"nan:h238") {
        QVERIFY(std::isnan(*faults.RegisterValue(RegisterKind::Holding, 238)));
        QVERIFY(!faults.RegisterValue(RegisterKind::Input, 238));
    }
    if (spec == u"value:i798=51")
        QCOMPARE(faults.RegisterValue(RegisterKind::Input, 798), std::optional<float>(51.0f));
}

QTEST_GUILESS_MAIN(tst_RtuSlave)
#include "tst_RtuSlave.moc"
