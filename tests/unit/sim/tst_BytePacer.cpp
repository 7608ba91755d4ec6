// Answer timing, alone and through the loopback port. Late bounds are generous
// (shared machine); early ones strict, as sending early is the pacer's fault.
#include "BytePacer.h"
#include "SimulatedLink.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {

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

class tst_BytePacer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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

    void SlowAnswers_data()
    {
        QTest::addColumn<SimFault>("fault");
        QTest::addColumn<QString>("message"); // empty: the read succeeds
        QTest::addColumn<int>("atLeastMs");

        // Response time-out 60 ms, character time-out 15 ms.
        QTest::newRow("delay beyond the time-out")
            << SimFault::Delay(120) << "Modbus Response Timeout" << 60;
        QTest::newRow("trickle within the character time-out") << SimFault::Trickle(5) << "" << 40;
        // The first byte, then a silence: one byte is no response.
        QTest::newRow("trickle beyond the character time-out")
            << SimFault::Trickle(40) << "Modbus Response Timeout" << 15;
    }

    void SlowAnswers()
    {
        QFETCH(SimFault, fault);
        QFETCH(QString, message);
        QFETCH(int, atLeastMs);

        SimulatedLink link;
        link.SetTimeouts(60, 15);
        link.Relay().SetSystemVolts(230.0f);
        link.Faults().Queue(fault);
        std::vector<float> v;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 2, v), message.isEmpty());
        QVERIFY2(clock.elapsed() >= atLeastMs && clock.elapsed() < atLeastMs + 1500,
                 qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(v, message.isEmpty() ? std::vector<float>{230.0f} : std::vector<float>{});
        QCOMPARE(link.UI().Messages().isEmpty() ? QString() : link.UI().Messages().last().Text,
                 message);
        // The master has closed the port; what the relay still sends is lost
        // and must not be taken for the next answer.
        QTest::qWait(130);
        QVERIFY(link.Modbus().ReadHoldingRegisters(link.SlaveID(), 10, 2, v));
        QCOMPARE(v, std::vector<float>{3.0f});
        QCOMPARE(link.Modbus().LastResponse().size(), 9);
    }
};

QTEST_GUILESS_MAIN(tst_BytePacer)
#include "tst_BytePacer.moc"
