#include "platform/SerialLineSettings.h"
#include "platform/ValueConverter.h"

#include <QRandomGenerator>
#include <QTest>
#include <bit>
#include <limits>

class tst_ValueConverter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void DecodesBothWordOrders_data();
    void DecodesBothWordOrders();
    void EncodeIsExactInverseForEveryPattern();
    void NonZeroWordOrderSelectsSwapped();
    void SettingsText_data();
    void SettingsText();
};

void tst_ValueConverter::DecodesBothWordOrders_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("wordOrder");
    QTest::addColumn<float>("value");
    QTest::newRow("1.0 order 0") << QByteArray::fromHex("3F800000") << 0 << 1.0f;
    QTest::newRow("1.0 order 1") << QByteArray::fromHex("00003F80") << 1 << 1.0f;
    QTest::newRow("-2.5 order 0") << QByteArray::fromHex("C0200000") << 0 << -2.5f;
    QTest::newRow("110 order 1") << QByteArray::fromHex("000042DC") << 1 << 110.0f;
    QTest::newRow("pi order 0") << QByteArray::fromHex("40490FDB") << 0 << 3.14159274f;
    QTest::newRow("pi order 1") << QByteArray::fromHex("0FDB4049") << 1 << 3.14159274f;
}

void tst_ValueConverter::DecodesBothWordOrders()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, wordOrder);
    QFETCH(float, value);
    const auto b = [&](int i) { return std::uint8_t(bytes[i]); };
    QCOMPARE(fnBTF(b(0), b(1), b(2), b(3), wordOrder), value);
    std::uint8_t b1, b2, b3, b4;
    fnFTB(value, b1, b2, b3, b4, wordOrder);
    const char encoded[] = {char(b1), char(b2), char(b3), char(b4)};
    QCOMPARE(QByteArray(encoded, 4), bytes);
}

void tst_ValueConverter::EncodeIsExactInverseForEveryPattern()
{
    // Every bit pattern, NaNs and infinities included, must survive the round
    // trip in both directions and both orders. A sample of random patterns
    // plus the special ones keeps this fast.
    QList<std::uint32_t> patterns{0u,          0x80000000u, 0x7F800000u, 0xFF800000u,
                                  0x7FC00001u, 0xFFFFFFFFu, 0x00000001u, 0x7F7FFFFFu};
    auto* random = QRandomGenerator::global();
    for (int i = 0; i < 200000; ++i)
        patterns.append(random->generate());
    for (int order = 0; order <= 1; ++order) {
        for (std::uint32_t bits : patterns) {
            std::uint8_t b1, b2, b3, b4;
            fnFTB(std::bit_cast<float>(bits), b1, b2, b3, b4, order);
            const float back = fnBTF(b1, b2, b3, b4, order);
            if (std::bit_cast<std::uint32_t>(back) != bits)
                QFAIL(
                    qPrintable(QStringLiteral("pattern %1 order %2").arg(bits, 8, 16).arg(order)));
        }
    }
    // The two orders really differ in which register carries the high half.
    std::uint8_t a[4], b[4];
    fnFTB(1.0f, a[0], a[1], a[2], a[3], 0);
    fnFTB(1.0f, b[0], b[1], b[2], b[3], 1);
    QCOMPARE(a[0], b[2]);
    QCOMPARE(a[1], b[3]);
    QVERIFY(a[0] != b[0]);
}

void tst_ValueConverter::NonZeroWordOrderSelectsSwapped()
{
    QCOMPARE(fnBTF(0x00, 0x00, 0x3F, 0x80, 5), 1.0f);
    QCOMPARE(fnBTF(0x00, 0x00, 0x3F, 0x80, -1), 1.0f);
}

void tst_ValueConverter::SettingsText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("normalised");
    QTest::addColumn<int>("bits");
    QTest::newRow("default") << "9600,N,8,1" << true << "9600,N,8,1" << 10;
    QTest::newRow("lower-case parity") << "9600,n,8,1" << true << "9600,N,8,1" << 10;
    QTest::newRow("even, two stops") << "19200,E,7,2" << true << "19200,E,7,2" << 11;
    QTest::newRow("too few fields") << "9600,N,8" << false << "" << 0;
    QTest::newRow("parity word") << "9600,NONE,8,1" << false << "" << 0;
    QTest::newRow("not a number") << "fast,N,8,1" << false << "" << 0;
    QTest::newRow("three stop bits") << "9600,N,8,3" << false << "" << 0;
    QTest::newRow("zero baud") << "0,N,8,1" << false << "" << 0;
}

void tst_ValueConverter::SettingsText()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QString, normalised);
    QFETCH(int, bits);
    const auto parsed = SerialLineSettings::Parse(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid) {
        QCOMPARE(parsed->ToString(), normalised);
        QCOMPARE(parsed->BitsPerCharacter(), bits);
    }
}

QTEST_GUILESS_MAIN(tst_ValueConverter)
#include "tst_ValueConverter.moc"
