#include "platform/FloatText.h"
#include "platform/SerialLineSettings.h"
#include "platform/ValueConverter.h"

#include <QTest>
#include <bit>
#include <charconv>
#include <limits>

class tst_ValueConverter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void DecodesBothWordOrders_data()
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
        // Any word order but 0 is the swapped one.
        QTest::newRow("order 5 is 1") << QByteArray::fromHex("00003F80") << 5 << 1.0f;
        QTest::newRow("order -1 is 1") << QByteArray::fromHex("00003F80") << -1 << 1.0f;
    }

    void DecodesBothWordOrders()
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

    // Every bit pattern must survive the round trip in both directions and both
    // orders, NaN payloads and infinities included.
    void EncodeIsExactInverse_data()
    {
        QTest::addColumn<std::uint32_t>("bits");
        const std::pair<const char*, std::uint32_t> patterns[] = {
            {"zero", 0u},
            {"negative zero", 0x80000000u},
            {"infinity", 0x7F800000u},
            {"negative infinity", 0xFF800000u},
            {"NaN with payload", 0x7FC00001u},
            {"all ones", 0xFFFFFFFFu},
            {"smallest denormal", 0x00000001u},
            {"largest denormal", 0x007FFFFFu},
            {"largest finite", 0x7F7FFFFFu},
            {"halves differ", 0x12345678u},
        };
        for (const auto& [name, bits] : patterns)
            QTest::newRow(name) << bits;
    }

    void EncodeIsExactInverse()
    {
        QFETCH(std::uint32_t, bits);
        for (int order = 0; order <= 1; ++order) {
            std::uint8_t b1, b2, b3, b4;
            fnFTB(std::bit_cast<float>(bits), b1, b2, b3, b4, order);
            QCOMPARE(std::bit_cast<std::uint32_t>(fnBTF(b1, b2, b3, b4, order)), bits);
        }
    }

    // Plain notation and just enough digits to read back the same bits.
    void FloatText_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("400000, not 4e+05") << 400000.0f << "400000";
        QTest::newRow("440000") << 440000.0f << "440000";
        QTest::newRow("0.2, not 0.200000003") << 0.2f << "0.2";
        QTest::newRow("1e-5") << 1e-5f << "0.00001";
        QTest::newRow("negative zero") << -0.0f << "-0";
        QTest::newRow("largest finite")
            << std::numeric_limits<float>::max() << "340282346638528859811704183484516925440";
        QTest::newRow("smallest denormal") << std::numeric_limits<float>::denorm_min()
                                           << "0.000000000000000000000000000000000000000000001";
    }

    void FloatText()
    {
        QFETCH(float, value);
        QFETCH(QString, text);
        QCOMPARE(ShortestFloatText(value), text);
        float back = 0;
        const QByteArray digits = text.toLatin1();
        std::from_chars(digits.cbegin(), digits.cend(), back);
        QCOMPARE(std::bit_cast<std::uint32_t>(back), std::bit_cast<std::uint32_t>(value));
    }

    void SettingsText_data()
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

    void SettingsText()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const auto parsed = SerialLineSettings::Parse(text);
        QCOMPARE(parsed.has_value(), valid);
        if (valid) {
            QTEST(parsed->ToString(), "normalised");
            QTEST(parsed->BitsPerCharacter(), "bits");
        }
    }
};

QTEST_GUILESS_MAIN(tst_ValueConverter)
#include "tst_ValueConverter.moc"
