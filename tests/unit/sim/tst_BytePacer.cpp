// Timing of answers on the line: character pacing, turnaround, delays,
// trickles and noise. Bounds are generous on the slow side because the test
// machine is shared; the early side is strict, since sending early is the
// fault a pacer can have.
#include "BytePacer.h"
#include "SimLineSettings.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {

struct Arrival
{
    qint64 AtMs;
    QByteArray Bytes;
};

// Collects what the pacer sends, with the time since Start.
struct Receiver
{
    explicit Receiver(BytePacer& pacer)
    {
        QObject::connect(&pacer, &BytePacer::BytesSent, [this](const QByteArray& bytes) {
            Arrivals.append({Clock.elapsed(), bytes});
            All += bytes;
            if (All.size() >= Wanted)
                Loop.quit();
        });
        Clock.start();
    }
    // Runs the event loop itself: QTest::qWaitFor sleeps between passes,
    // which would delay the pacer's timers and spoil the timings.
    bool WaitForBytes(int count, int timeoutMs = 2000)
    {
        Wanted = count;
        if (All.size() < count) {
            QTimer::singleShot(timeoutMs, &Loop, &QEventLoop::quit);
            Loop.exec();
        }
        return All.size() >= count;
    }
    QElapsedTimer Clock;
    QEventLoop Loop;
    qsizetype Wanted = 0;
    QList<Arrival> Arrivals;
    QByteArray All;
};

SlaveReply Reply(int bytes)
{
    SlaveReply r;
    for (int i = 0; i < bytes; ++i)
        r.Bytes.append(char(i));
    return r;
}

} // namespace

class tst_BytePacer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void CharacterTimes_data();
    void CharacterTimes();
    void PacedAtLineSpeed();
    void TrickleSendsByteByByte();
    void BabbleGoesOnUntilStopped();
    void NewAnswerReplacesOld();
};

void tst_BytePacer::CharacterTimes_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<int>("microseconds"); // -1: refused

    QTest::newRow("9600,N,8,1") << "9600,N,8,1" << 1042;
    QTest::newRow("19200,O,7,2") << "19200,O,7,2" << 573;
    QTest::newRow("115200,N,8,1") << "115200,N,8,1" << 87;
    QTest::newRow("parity X") << "9600,X,8,1" << -1;
    QTest::newRow("data 9") << "9600,N,9,1" << -1;
}

void tst_BytePacer::CharacterTimes()
{
    QFETCH(QString, settings);
    QFETCH(int, microseconds);

    const auto line = SimLineSettings::Parse(settings);
    QCOMPARE(line.has_value(), microseconds >= 0);
    if (line)
        QCOMPARE(int(line->CharacterTime().count()), microseconds);
}

void tst_BytePacer::PacedAtLineSpeed()
{
    BytePacer pacer;
    pacer.SetCharacterTime(1042us); // 9600 baud
    pacer.SetLatency(2ms);
    Receiver rx(pacer);
    pacer.Send(Reply(40));
    QVERIFY(rx.WaitForBytes(40));
    QCOMPARE(rx.All, Reply(40).Bytes);
    // 2 ms turnaround and 40 characters of 1.042 ms: never sooner than 43 ms.
    QVERIFY2(rx.Arrivals.last().AtMs >= 43, qPrintable(QString::number(rx.Arrivals.last().AtMs)));
    QVERIFY2(rx.Arrivals.last().AtMs < 300, qPrintable(QString::number(rx.Arrivals.last().AtMs)));
    QVERIFY(rx.Arrivals.first().AtMs >= 3);
    QVERIFY(rx.Arrivals.size() >= 4); // spread out, not in one lump
    QVERIFY(!pacer.IsSending());
}

void tst_BytePacer::TrickleSendsByteByByte()
{
    BytePacer pacer;
    pacer.SetCharacterTime(87us);
    Receiver rx(pacer);
    SlaveReply r = Reply(6);
    r.Gap = 15ms;
    pacer.Send(r);
    QVERIFY(rx.WaitForBytes(6));
    QCOMPARE(rx.Arrivals.size(), 6);
    QVERIFY(rx.Arrivals.last().AtMs - rx.Arrivals.first().AtMs >= 5 * 15);
}

void tst_BytePacer::BabbleGoesOnUntilStopped()
{
    BytePacer pacer;
    Receiver rx(pacer);
    SlaveReply r = Reply(8);
    r.Babble = true;
    r.BabbleGap = 2ms;
    pacer.Send(r);
    QVERIFY(rx.WaitForBytes(8 + 10));
    QCOMPARE(rx.All.left(8), r.Bytes);
    QVERIFY(pacer.IsSending());
    // Never a silence anywhere near a master's character time-out.
    for (int i = 1; i < rx.Arrivals.size(); ++i)
        QVERIFY(rx.Arrivals[i].AtMs - rx.Arrivals[i - 1].AtMs < 20);
    pacer.Stop();
    const qsizetype stoppedAt = rx.All.size();
    QTest::qWait(30);
    QCOMPARE(rx.All.size(), stoppedAt);
}

void tst_BytePacer::NewAnswerReplacesOld()
{
    BytePacer pacer;
    Receiver rx(pacer);
    SlaveReply late = Reply(8);
    late.Delay = 20ms;
    pacer.Send(late);
    SlaveReply next;
    next.Bytes = QByteArray("\x07\x07\x07\x07\x07", 5);
    pacer.Send(next);
    QVERIFY(rx.WaitForBytes(5));
    QVERIFY(!rx.WaitForBytes(6, 40));
    QCOMPARE(rx.All, next.Bytes);
}

QTEST_GUILESS_MAIN(tst_BytePacer)
#include "tst_BytePacer.moc"
