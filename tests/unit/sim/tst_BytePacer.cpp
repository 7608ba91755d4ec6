// Answer timing. Late bounds are generous (shared machine); early ones
// strict, as sending early is the pacer's fault. Slow answers through the
// link are rows of the link fault table.
#include "BytePacer.h"

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
};

QTEST_GUILESS_MAIN(tst_BytePacer)
#include "tst_BytePacer.moc"
