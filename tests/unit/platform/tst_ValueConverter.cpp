// The wire's plain values: floats in two word orders, floats as shortest text,
// serial line settings and network addresses as typed.
#include "platform/FloatText.h"
#include "platform/SerialLineSettings.h"
#include "platform/TcpAddress.h"
#include "platform/ValueConverter.h"

#include <QTest>
#include <bit>
#include <charconv>
#include <limits>

class tst_ValueConverter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void DecodesBothWordOrders()
    {
        // The bytes as sent, the word order and the value they carry.
        const std::tuple<QByteArray, int, float> rows[] = {
            {"00003f80", 1, 1.0f},
            {"40490fdb", 0, 3.14159274f},
            {"0fdb4049", 1, 3.14159274f},
            // Any word order but 0 is the swapped one.
            {"00003f80", 5, 1.0f},
            {"00003f80", -1, 1.0f},
        };
        for (const auto& [hex, wordOrder, value] : rows) {
            const QByteArray bytes = QByteArray::fromHex(hex);
            const auto b = [&](int i) { return std::uint8_t(bytes[i]); };
            QCOMPARE(fnBTF(b(0), b(1), b(2), b(3), wordOrder), value);
            std::uint8_t b1, b2, b3, b4;
            fnFTB(value, b1, b2, b3, b4, wordOrder);
            const char encoded[] = {char(b1), char(b2), char(b3), char(b4)};
            QCOMPARE(QByteArray(encoded, 4).toHex(), hex);
        }
    }

    // Every bit pattern must survive the round trip in both directions and both
    // orders, NaN payloads and infinities included.
    void EncodeIsExactInverse()
    {
        // Zero and negative zero, the infinities, a NaN with a payload, all
        // ones, the smallest and largest denormal, the largest finite, halves
        // that differ.
        for (const std::uint32_t bits :
             {0u, 0x80000000u, 0x7F800000u, 0xFF800000u, 0x7FC00001u, 0xFFFFFFFFu, 0x00000001u,
              0x007FFFFFu, 0x7F7FFFFFu, 0x12345678u}) {
            for (int order = 0; order <= 1; ++order) {
                std::uint8_t b1, b2, b3, b4;
                fnFTB(std::bit_cast<float>(bits), b1, b2, b3, b4, order);
                QCOMPARE(std::bit_cast<std::uint32_t>(fnBTF(b1, b2, b3, b4, order)), bits);
            }
        }
    }

    // Plain notation and just enough digits to read back the same bits.
    void FloatText()
    {
        const std::pair<float, QString> rows[] = {
            {400000.0f, "400000"}, // not 4e+05
            {0.2f, "0.2"},         // not 0.200000003
            {1e-5f, "0.00001"},
            {-0.0f, "-0"},
            {std::numeric_limits<float>::max(), "340282346638528859811704183484516925440"},
            {std::numeric_limits<float>::denorm_min(),
             "0.000000000000000000000000000000000000000000001"},
        };
        for (const auto& [value, text] : rows) {
            QCOMPARE(ShortestFloatText(value), text);
            float back = 0;
            const QByteArray digits = text.toLatin1();
            std::from_chars(digits.cbegin(), digits.cend(), back);
            QCOMPARE(std::bit_cast<std::uint32_t>(back), std::bit_cast<std::uint32_t>(value));
        }
    }

    // The settings as written back and the bits a character takes; empty when
    // refused.
    void SettingsText()
    {
        const std::pair<QString, QString> rows[] = {
            {"9600,N,8,1", "9600,N,8,1 10"},
            {"9600,n,8,1", "9600,N,8,1 10"},
            {"19200,E,7,2", "19200,E,7,2 11"},
            {"9600,N,8", ""},
            {"9600,NONE,8,1", ""},
            {"fast,N,8,1", ""},
            {"9600,N,8,3", ""},
            {"0,N,8,1", ""},
        };
        for (const auto& [text, parsed] : rows) {
            const auto settings = SerialLineSettings::Parse(text);
            QCOMPARE(text + u' '
                         + (settings ? settings->ToString() + u' '
                                           + QString::number(settings->BitsPerCharacter())
                                     : QString()),
                     text + u' ' + parsed);
        }
    }

    // The address written back, or the reason it is refused.
    void TcpAddressText()
    {
        const std::pair<QString, QString> rows[] = {
            {"tcp://192.168.1.50:4001", "tcp://192.168.1.50:4001"},
            {" TCP://relay-panel.local:1 ", "tcp://relay-panel.local:1"},
            {"tcp://[fe80::1]:65535", "tcp://[fe80::1]:65535"},
            {"tcp://10.0.0.5:+80", "the port must be a number from 1 to 65535"},
            {"tcp://10.0.0.5", "the port is missing"},
            {"tcp://[fe80::1:502", "the IPv6 address has no closing bracket"},
            {"tcp://[10.0.0.5]:502", "\"10.0.0.5\" is not an IPv6 address"},
            {"tcp://192.168.1.300:502",
             "\"192.168.1.300\" is neither an IPv4 address nor a host name"},
            // A space: not a host name; all digits and dots: not a name either.
            {"tcp://panel 3:502", "\"panel 3\" is neither an IPv4 address nor a host name"},
        };
        for (const auto& [name, result] : rows) {
            QString error;
            const auto address = TcpAddress::Parse(name, &error);
            QCOMPARE(address ? address->ToString() : error, result);
        }
    }
};

QTEST_GUILESS_MAIN(tst_ValueConverter)
#include "tst_ValueConverter.moc"
