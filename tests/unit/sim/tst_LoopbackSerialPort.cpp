// The in-process line as the Modbus master meets it: port failures, answers
// that come late, slowly or never stop, and pacing by the line settings.
#include "SimulatedLink.h"

#include <QElapsedTimer>
#include <QTest>

using namespace std::chrono_literals;

class tst_LoopbackSerialPort : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void FailingReadIsShown();
    void LateAnswerDoesNotLeakIntoNextExchange();
    void SlowAnswers_data();
    void SlowAnswers();
    void PacedBySettings();
};

void tst_LoopbackSerialPort::FailingReadIsShown()
{
    SimulatedLink link;
    link.Port().FailReadAll(QStringLiteral("Resource temporarily unavailable"),
                            QStringLiteral("Read /dev/ttyUSB0"));
    std::vector<float> v;
    QVERIFY(!link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 2, v));
    QCOMPARE(link.UI().Messages().size(), 1);
    QCOMPARE(link.UI().Messages()[0].Text, QStringLiteral("Resource temporarily unavailable"));
    QCOMPARE(link.UI().Messages()[0].Title, QStringLiteral("Read /dev/ttyUSB0"));
    QVERIFY(!link.Port().IsOpen());
    QCOMPARE(link.Port().OpenCount(), 1);
}

// The master gives up before the relay answers and closes the port; the
// answer that then turns up must not be taken for the next one.
void tst_LoopbackSerialPort::LateAnswerDoesNotLeakIntoNextExchange()
{
    SimulatedLink link;
    link.SetTimeouts(40, 10);
    link.Relay().SetSystemVolts(230.0f);
    link.Faults().Queue(SimFault::Delay(80));
    std::vector<float> v;
    QVERIFY(!link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 2, v));
    QCOMPARE(link.UI().Messages().last().Text, QStringLiteral("Modbus Response Timeout"));
    QTest::qWait(80);
    QVERIFY(link.Modbus().ReadHoldingRegisters(link.SlaveID(), 10, 2, v));
    QCOMPARE(v, std::vector<float>{3.0f});
    QCOMPARE(link.Modbus().LastResponse().size(), 9);
}

void tst_LoopbackSerialPort::SlowAnswers_data()
{
    QTest::addColumn<SimFault>("fault");
    QTest::addColumn<QString>("message"); // empty: the read succeeds
    QTest::addColumn<int>("atLeastMs");

    // Response time-out 60 ms, character time-out 15 ms.
    QTest::newRow("delay within the time-out") << SimFault::Delay(30) << QString() << 30;
    QTest::newRow("delay beyond the time-out") << SimFault::Delay(120) << "Modbus Response Timeout" << 60;
    QTest::newRow("trickle within the character time-out") << SimFault::Trickle(5) << QString() << 40;
    // The first byte, then a silence: one byte is no response.
    QTest::newRow("trickle beyond the character time-out") << SimFault::Trickle(40) << "Modbus Response Timeout" << 15;
    // Never silent: the master gives up after ten response time-outs (its
    // coarse timer may end them a few per cent early).
    QTest::newRow("babble") << SimFault::Babble(2) << "Modbus Response Timeout" << 540;
}

void tst_LoopbackSerialPort::SlowAnswers()
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
    const qint64 took = clock.elapsed();
    QVERIFY2(took >= atLeastMs, qPrintable(QString::number(took)));
    QVERIFY2(took < atLeastMs + 1500, qPrintable(QString::number(took)));
    if (message.isEmpty()) {
        QCOMPARE(v, std::vector<float>{230.0f});
        QVERIFY(link.UI().Messages().isEmpty());
    } else {
        QCOMPARE(link.UI().Messages().size(), 1);
        QCOMPARE(link.UI().Messages()[0].Text, message);
    }
    QVERIFY(!link.Port().IsOpen());
}

void tst_LoopbackSerialPort::PacedBySettings()
{
    SimulatedLink link;
    link.Port().SetPacedBySettings(true);
    std::vector<float> v;
    const auto timeRead = [&] {
        QElapsedTimer clock;
        clock.start();
        return link.Modbus().ReadInputRegisters(link.SlaveID(), 0, 36, v) ? clock.elapsed() : -1;
    };
    QVERIFY(link.Port().SetSettings(QStringLiteral("9600,N,8,1")));
    const qint64 slow = timeRead();
    QVERIFY(link.Port().SetSettings(QStringLiteral("115200,N,8,1")));
    const qint64 fast = timeRead();
    // 77 bytes at 9600 baud take 80 ms on the wire, at 115200 under 7 ms
    // (each read also waits the 10 ms character time-out of the master).
    QVERIFY2(slow >= 80 + 10, qPrintable(QString::number(slow)));
    QVERIFY2(fast >= 0 && fast < slow - 40, qPrintable(QStringLiteral("%1 %2").arg(fast).arg(slow)));
}

QTEST_GUILESS_MAIN(tst_LoopbackSerialPort)
#include "tst_LoopbackSerialPort.moc"
