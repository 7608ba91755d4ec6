// Random faults: about the share asked for, only faults a master must count
// as failed, the same ones again from the same seed, and each one logged.
#include "RandomFaults.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

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

class tst_RandomFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void Share_data()
    {
        QTest::addColumn<double>("percent");
        QTest::addColumn<int>("least");
        QTest::addColumn<int>("most");
        QTest::newRow("0 %") << 0.0 << 0 << 0;
        QTest::newRow("0.5 %") << 0.5 << 30 << 70;
        QTest::newRow("5 %") << 5.0 << 400 << 600;
        QTest::newRow("100 %") << 100.0 << Exchanges << Exchanges;
    }
    void Share()
    {
        QFETCH(double, percent);
        QFETCH(int, least);
        QFETCH(int, most);
        RandomFaults random(percent, 42);
        const auto drawn = DrawAll(random);
        const int injected = int(std::count_if(drawn.cbegin(), drawn.cend(),
                                               [](const auto& f) { return f.has_value(); }));
        QCOMPARE(random.Injected(), injected);
        QVERIFY2(injected >= least && injected <= most, qPrintable(QString::number(injected)));
    }

    void OnlyFailuresEachKindAndRepeatable()
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
    void SourceOfTheSimulatorsFaults()
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
};

QTEST_GUILESS_MAIN(tst_RandomFaults)
#include "tst_RandomFaults.moc"
