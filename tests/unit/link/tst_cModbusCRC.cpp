#include "link/ModbusFrames.h"
#include "link/cModbusCRC.h"

#include <QTest>
#include <stdexcept>

class tst_cModbusCRC : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void TablesMatchTheStandard()
    {
        const cModbusCRC crc;
        const auto bytes = [](const auto& table, int from) {
            QByteArray out;
            for (int i = from; i < from + 8; ++i)
                out.append(char(table[std::size_t(i)]));
            return out.toHex(' ').toUpper();
        };
        QCOMPARE(bytes(crc.HighByteTable(), 0), QByteArray("00 C1 81 40 01 C0 80 41"));
        QCOMPARE(bytes(crc.HighByteTable(), 248), QByteArray("01 C0 80 41 00 C1 81 40"));
        QCOMPARE(bytes(crc.LowByteTable(), 0), QByteArray("00 C0 C1 01 C3 03 02 C2"));
        QCOMPARE(bytes(crc.LowByteTable(), 248), QByteArray("82 42 43 83 41 81 80 40"));
    }

    void CheckBytes_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("check");
        // The request layouts' checks are in the frame tests.
        QTest::newRow("response 1.0")
            << QByteArray::fromHex("0103043F800000") << QByteArray::fromHex("F7CF");
        QTest::newRow("exception 2")
            << QByteArray::fromHex("018302") << QByteArray::fromHex("C0F1");
        QTest::newRow("check value") << QByteArray("123456789") << QByteArray::fromHex("374B");
    }

    void CheckBytes()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QByteArray, check);
        const cModbusCRC crc;
        QByteArray built = frame;
        ModbusFrames::AppendCRC(crc, built);
        QCOMPARE(built.right(2).toHex(), check.toHex());
        QVERIFY(crc.CompareCRC(built, std::int16_t(built.size())));
    }

    void CompareAcceptsBuiltFramesAndRejectsEveryBitFlip()
    {
        const cModbusCRC crc;
        QByteArray frame = QByteArray::fromHex("01100006000204432F0000");
        ModbusFrames::AppendCRC(crc, frame);
        for (int byte = 0; byte < frame.size(); ++byte) {
            for (int bit = 0; bit < 8; ++bit) {
                QByteArray flipped = frame;
                flipped[byte] = char(flipped[byte] ^ (1 << bit));
                QVERIFY2(!crc.CompareCRC(flipped, std::int16_t(flipped.size())),
                         qPrintable(QStringLiteral("byte %1 bit %2").arg(byte).arg(bit)));
            }
        }
    }

    void ShortFrames()
    {
        const cModbusCRC crc;
        QCOMPARE(crc.GenerateCRC(QByteArray(), 0), 65535);
        QVERIFY(crc.CompareCRC(QByteArray::fromHex("FFFF"), 2));
        QVERIFY(!crc.CompareCRC(QByteArray::fromHex("FFFE"), 2));
        QVERIFY(!crc.CompareCRC(QByteArray::fromHex("FF"), 1));
        QVERIFY(!crc.CompareCRC(QByteArray(), 0));
        // A length beyond the array never reads past it.
        QVERIFY(!crc.CompareCRC(QByteArray::fromHex("FFFF"), 40));
        QCOMPARE(crc.GenerateCRC(QByteArray::fromHex("010300000002"), 200),
                 crc.GenerateCRC(QByteArray::fromHex("010300000002"), 6));
    }

    void ByteHelpersRangeCheck()
    {
        QCOMPARE(cModbusCRC::GetHiByte(65535), std::uint8_t(255));
        QCOMPARE(cModbusCRC::GetLoByte(256), std::uint8_t(0));
        QCOMPARE(cModbusCRC::GetLoByte(0x0BC4), std::uint8_t(0xC4));
        QCOMPARE(cModbusCRC::GetHiByte(0x0BC4), std::uint8_t(0x0B));
        QVERIFY_THROWS_EXCEPTION(std::overflow_error, cModbusCRC::GetHiByte(65536));
        QVERIFY_THROWS_EXCEPTION(std::overflow_error, cModbusCRC::GetHiByte(-1));
        QVERIFY_THROWS_EXCEPTION(std::overflow_error, cModbusCRC::GetLoByte(-1));
    }
};

QTEST_GUILESS_MAIN(tst_cModbusCRC)
#include "tst_cModbusCRC.moc"
