#include "model/NearestInt16.h"
#include "model/RelayDateTime.h"

#include <QTest>
#include <limits>

using OptionalInt = std::optional<std::int16_t>;
Q_DECLARE_METATYPE(OptionalInt)

class tst_RelayDateTime : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void NearestInt16Range_data();
    void NearestInt16Range();
    void Compose_data();
    void Compose();
};

void tst_RelayDateTime::NearestInt16Range_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<OptionalInt>("expected");
    QTest::newRow("rounds to top") << 32767.4f << OptionalInt(32767);
    QTest::newRow("rounds past top") << 32767.5f << OptionalInt();
    QTest::newRow("bottom") << -32768.0f << OptionalInt(-32768);
    QTest::newRow("40000") << 40000.0f << OptionalInt();
    QTest::newRow("half to even") << 2.5f << OptionalInt(2);
    QTest::newRow("NaN") << std::numeric_limits<float>::quiet_NaN() << OptionalInt();
}

void tst_RelayDateTime::NearestInt16Range()
{
    QFETCH(float, value);
    QTEST(NearestInt16(value), "expected");
}

void tst_RelayDateTime::Compose_data()
{
    QTest::addColumn<QList<int>>("fields"); // year, month, day, hour, minute, second
    QTest::addColumn<QDateTime>("expected");
    const auto at = [](int y, int mo, int d, int h, int mi, int s) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
    };
    QTest::newRow("plain") << QList<int>{26, 3, 15, 13, 5, 9} << at(2026, 3, 15, 13, 5, 9);
    QTest::newRow("year 29") << QList<int>{29, 6, 1, 0, 0, 0} << at(2029, 6, 1, 0, 0, 0);
    QTest::newRow("year 30") << QList<int>{30, 6, 1, 0, 0, 0} << at(1930, 6, 1, 0, 0, 0);
    QTest::newRow("year 100 as is") << QList<int>{100, 6, 1, 0, 0, 0} << at(100, 6, 1, 0, 0, 0);
    QTest::newRow("month 13") << QList<int>{26, 13, 1, 0, 0, 0} << at(2027, 1, 1, 0, 0, 0);
    QTest::newRow("day 0 of a leap March")
        << QList<int>{24, 3, 0, 0, 0, 0} << at(2024, 2, 29, 0, 0, 0);
    QTest::newRow("carry through new year")
        << QList<int>{25, 12, 31, 23, 59, 60} << at(2026, 1, 1, 0, 0, 0);
    QTest::newRow("negative minute")
        << QList<int>{26, 3, 15, 0, -1, 0} << at(2026, 3, 14, 23, 59, 0);
    QTest::newRow("cleared event record")
        << QList<int>{0, 0, 0, 0, 0, 0} << at(1999, 11, 30, 0, 0, 0);
    QTest::newRow("carried past 9999") << QList<int>{9999, 12, 31, 23, 59, 60} << QDateTime();
    QTest::newRow("month carried past 9999") << QList<int>{9999, 13, 1, 0, 0, 0} << QDateTime();
    QTest::newRow("carried before 100") << QList<int>{100, 1, 0, 0, 0, 0} << QDateTime();
    QTest::newRow("negative year, largest carries")
        << QList<int>{-32768, 32767, 32767, 32767, 32767, 32767} << QDateTime();
}

void tst_RelayDateTime::Compose()
{
    QFETCH(QList<int>, fields);
    const auto moment =
        ComposeRelayDateTime(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]);
    QTEST(moment.value_or(QDateTime()), "expected");
}

QTEST_APPLESS_MAIN(tst_RelayDateTime)
#include "tst_RelayDateTime.moc"
