#include "link/ModbusFrames.h"

#include <QTest>
#include <cmath>

using namespace ModbusFrames;

Q_DECLARE_METATYPE(ModbusFrames::ResponseFit)

class tst_ModbusFrames : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void ReadRequests_data()
    {
        QTest::addColumn<int>("slave");
        QTest::addColumn<int>("function");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("count");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("holding 0 x2")
            << 1 << 3 << 0 << 2 << QByteArray::fromHex("010300000002C40B");
        QTest::newRow("input 0 x2") << 1 << 4 << 0 << 2 << QByteArray::fromHex("01040000000271CB");
        QTest::newRow("holding 238 x4")
            << 1 << 3 << 238 << 4 << QByteArray::fromHex("010300EE0004243C");
        QTest::newRow("input 798 x18 slave 247")
            << 247 << 4 << 798 << 18 << QByteArray::fromHex("F704031E001204D3");
        QTest::newRow("high register")
            << 1 << 3 << 32767 << 2 << QByteArray::fromHex("01037FFF0002EDEF");
    }

    void ReadRequests()
    {
        QFETCH(int, slave);
        QFETCH(int, function);
        QFETCH(int, start);
        QFETCH(int, count);
        QFETCH(QByteArray, frame);
        QCOMPARE(BuildReadRequest(m_CRC, std::uint8_t(slave), std::uint8_t(function),
                                  std::int16_t(start), std::int16_t(count))
                     .toHex(' '),
                 frame.toHex(' '));
    }

    void WriteRequests_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<float>>("values");
        QTest::addColumn<int>("wordOrder");
        QTest::addColumn<QByteArray>("frame"); // without the CRC
        QTest::newRow("one zero") << 0 << 2 << QList<float>{0.0f} << 0
                                  << QByteArray::fromHex("01100000000204"
                                                         "00000000");
        QTest::newRow("selector 2 at 240") << 240 << 2 << QList<float>{2.0f} << 0
                                           << QByteArray::fromHex("011000F0000204"
                                                                  "40000000");
        QTest::newRow("two values order 1") << 6 << 4 << QList<float>{110.0f, 5.0f} << 1
                                            << QByteArray::fromHex("01100006000408"
                                                                   "000042DC"
                                                                   "000040A0");
        // The byte count must not promise more data than follow.
        QTest::newRow("odd count padded") << 6 << 3 << QList<float>{1.0f} << 0
                                          << QByteArray::fromHex("01100006000306"
                                                                 "3F800000"
                                                                 "0000");
    }

    void WriteRequests()
    {
        QFETCH(int, start);
        QFETCH(int, count);
        QFETCH(QList<float>, values);
        QFETCH(int, wordOrder);
        QFETCH(QByteArray, frame);
        const std::vector<float> v(values.begin(), values.end());
        const QByteArray built =
            BuildWriteRequest(m_CRC, 1, std::int16_t(start), std::int16_t(count), v, wordOrder);
        QCOMPARE(built.size(), qsizetype(2 * count + 9));
        QCOMPARE(built.left(built.size() - 2).toHex(' '), frame.toHex(' '));
        QVERIFY(m_CRC.CompareCRC(built, std::int16_t(built.size())));
    }

    void OverflowPairsBecomeTheOverflowValue()
    {
        QByteArray response = QByteArray::fromHex("01030C"
                                                  "7FC00000"
                                                  "7F800000"
                                                  "41200000");
        ModbusFrames::AppendCRC(m_CRC, response);
        // An odd count carries count / 2 values.
        const auto values = DecodeReadValues(response, 7, 0);
        QCOMPARE(*values, (std::vector<float>{1234567.875f, 1234567.875f, 10.0f}));
    }

    // The decoder's own guard, apart from the link's checks: a frame one byte
    // short of the values asked for decodes nothing; one byte long decodes them.
    void DecodeNeedsEveryDataByte()
    {
        const QByteArray exact = QByteArray::fromHex("0103083F80000040000000AABB");
        for (const int count : {4, 5}) {
            QCOMPARE(DecodeReadValues(exact, std::int16_t(count), 0),
                     (std::optional<std::vector<float>>{{1.0f, 2.0f}}));
            QCOMPARE(DecodeReadValues(exact + char(0), std::int16_t(count), 0),
                     (std::optional<std::vector<float>>{{1.0f, 2.0f}}));
            QVERIFY(!DecodeReadValues(exact.chopped(1), std::int16_t(count), 0));
        }
        QCOMPARE(DecodeReadValues(exact.left(9), 2, 0),
                 (std::optional<std::vector<float>>{{1.0f}}));
        QVERIFY(!DecodeReadValues(exact.left(8), 2, 0));
        QCOMPARE(DecodeReadValues(exact.left(5), 0, 0), std::optional(std::vector<float>{}));
        QVERIFY(!DecodeReadValues(exact, -2, 0));
    }

    void WriteEcho()
    {
        const QByteArray request = QByteArray::fromHex("011000F00002044000000000AABB");
        QVERIFY(WriteEchoMatches(request, QByteArray::fromHex("011000F000020000")));
        QVERIFY(!WriteEchoMatches(request, QByteArray::fromHex("011000F200020000")));
        QVERIFY(!WriteEchoMatches(request, QByteArray::fromHex("011000F000040000")));
        QVERIFY(!WriteEchoMatches(request, QByteArray::fromHex("0110")));
    }

    void ResponseFitsItsRead_data()
    {
        QTest::addColumn<int>("count");       // registers asked for at 6, from slave 1
        QTest::addColumn<QByteArray>("head"); // slave, function, byte count
        QTest::addColumn<int>("dataBytes");
        QTest::addColumn<ResponseFit>("fit");
        const auto head = [](int slave, int function, int byteCount) {
            QByteArray bytes;
            bytes.append(char(slave)).append(char(function)).append(char(byteCount));
            return bytes;
        };
        QTest::newRow("2 registers") << 2 << head(1, 3, 4) << 4 << ResponseFit::Fits;
        QTest::newRow("one register of 2")
            << 2 << head(1, 3, 2) << 2 << ResponseFit::TooFewRegisters;
        QTest::newRow("4 registers for 2")
            << 2 << head(1, 3, 8) << 8 << ResponseFit::ByteCountWrong;
        QTest::newRow("count beyond the data")
            << 2 << head(1, 3, 6) << 4 << ResponseFit::ByteCountWrong;
        QTest::newRow("another slave") << 2 << head(2, 3, 4) << 4 << ResponseFit::OtherSlave;
        QTest::newRow("another function") << 2 << head(1, 4, 4) << 4 << ResponseFit::OtherFunction;
        // The third register of 3 is no part of a value: with or without it,
        // the one value asked for is there.
        QTest::newRow("3 registers, all") << 3 << head(1, 3, 6) << 6 << ResponseFit::Fits;
        QTest::newRow("3 registers, the value's") << 3 << head(1, 3, 4) << 4 << ResponseFit::Fits;
        QTest::newRow("3 registers, odd") << 3 << head(1, 3, 5) << 5 << ResponseFit::ByteCountWrong;
        QTest::newRow("3 registers, one")
            << 3 << head(1, 3, 2) << 2 << ResponseFit::TooFewRegisters;
    }

    void ResponseFitsItsRead()
    {
        QFETCH(int, count);
        QFETCH(QByteArray, head);
        QFETCH(int, dataBytes);
        const QByteArray request =
            BuildReadRequest(m_CRC, 1, FnReadHolding, 6, std::int16_t(count));
        QByteArray response = head + QByteArray(dataBytes, '\x11');
        AppendCRC(m_CRC, response);
        QTEST(CheckResponse(request, response), "fit");
    }

private:
    const cModbusCRC m_CRC;
};

QTEST_GUILESS_MAIN(tst_ModbusFrames)
#include "tst_ModbusFrames.moc"
