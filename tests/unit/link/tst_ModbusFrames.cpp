// Modbus RTU frames on their own: the check bytes, the requests built, and how
// an answer, whole or in part, is judged against its request.
#include "link/ModbusFrames.h"
#include "link/ResponseFraming.h"
#include "link/cModbusCRC.h"

#include <QTest>
#include <stdexcept>

using namespace ModbusFrames;

class tst_ModbusFrames : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The standard's check value; the request layouts' check bytes are in the
    // request rows below, the answers' in the link fault table.
    void CheckValue()
    {
        QByteArray frame("123456789");
        AppendCRC(m_CRC, frame);
        QCOMPARE(frame.right(2).toHex(' '), QByteArray("37 4b"));
        QVERIFY(m_CRC.CompareCRC(frame, std::int16_t(frame.size())));
    }

    void EveryBitFlipIsCaught()
    {
        QByteArray frame = QByteArray::fromHex("01100006000204432F0000");
        AppendCRC(m_CRC, frame);
        QVERIFY(m_CRC.CompareCRC(frame, std::int16_t(frame.size())));
        for (int byte = 0; byte < frame.size(); ++byte) {
            for (int bit = 0; bit < 8; ++bit) {
                QByteArray flipped = frame;
                flipped[byte] = char(flipped[byte] ^ (1 << bit));
                QVERIFY2(!m_CRC.CompareCRC(flipped, std::int16_t(flipped.size())),
                         qPrintable(QStringLiteral("byte %1 bit %2").arg(byte).arg(bit)));
            }
        }
    }

    void ShortFrames()
    {
        QCOMPARE(m_CRC.GenerateCRC(QByteArray(), 0), 65535);
        QVERIFY(m_CRC.CompareCRC(QByteArray::fromHex("FFFF"), 2));
        QVERIFY(!m_CRC.CompareCRC(QByteArray::fromHex("FFFE"), 2));
        QVERIFY(!m_CRC.CompareCRC(QByteArray::fromHex("FF"), 1));
        QVERIFY(!m_CRC.CompareCRC(QByteArray(), 0));
        // A length beyond the array never reads past it.
        QVERIFY(!m_CRC.CompareCRC(QByteArray::fromHex("FFFF"), 40));
        QCOMPARE(m_CRC.GenerateCRC(QByteArray::fromHex("010300000002"), 200),
                 m_CRC.GenerateCRC(QByteArray::fromHex("010300000002"), 6));
    }

    void ByteHelpersRangeCheck()
    {
        QCOMPARE(cModbusCRC::GetHiByte(65535), std::uint8_t(255));
        QCOMPARE(cModbusCRC::GetLoByte(256), std::uint8_t(0));
        QVERIFY_THROWS_EXCEPTION(std::overflow_error, cModbusCRC::GetHiByte(65536));
        QVERIFY_THROWS_EXCEPTION(std::overflow_error, cModbusCRC::GetHiByte(-1));
        QVERIFY_THROWS_EXCEPTION(std::overflow_error, cModbusCRC::GetLoByte(-1));
    }

    void ReadRequests()
    {
        const std::tuple<int, std::uint8_t, int, int, QByteArray> rows[] = {
            {1, FnReadHolding, 0, 2, "01 03 00 00 00 02 c4 0b"},
            {247, FnReadInput, 798, 18, "f7 04 03 1e 00 12 04 d3"},
            {1, FnReadHolding, 32767, 2, "01 03 7f ff 00 02 ed ef"},
        };
        for (const auto& [slave, function, start, count, frame] : rows)
            QCOMPARE(BuildReadRequest(m_CRC, std::uint8_t(slave), function, std::int16_t(start),
                                      std::int16_t(count))
                         .toHex(' '),
                     frame);
    }

    void WriteRequests()
    {
        // Start, count, values, word order, the frame without its check bytes.
        const std::tuple<int, int, std::vector<float>, int, QByteArray> rows[] = {
            {0, 2, {0.0f}, 0, "01 10 00 00 00 02 04 00 00 00 00"},
            {240, 2, {2.0f}, 0, "01 10 00 f0 00 02 04 40 00 00 00"},
            {6, 4, {110.0f, 5.0f}, 1, "01 10 00 06 00 04 08 00 00 42 dc 00 00 40 a0"},
            // The byte count must not promise more data than follow.
            {6, 3, {1.0f}, 0, "01 10 00 06 00 03 06 3f 80 00 00 00 00"},
        };
        for (const auto& [start, count, values, wordOrder, frame] : rows) {
            const QByteArray built = BuildWriteRequest(m_CRC, 1, std::int16_t(start),
                                                       std::int16_t(count), values, wordOrder);
            QCOMPARE(built.chopped(2).toHex(' '), frame);
            QVERIFY(m_CRC.CompareCRC(built, std::int16_t(built.size())));
        }
    }

    void OverflowPairsBecomeTheOverflowValue()
    {
        QByteArray response = QByteArray::fromHex("01030C"
                                                  "7FC00000"
                                                  "7F800000"
                                                  "41200000");
        AppendCRC(m_CRC, response);
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

    // Another slave, another function and a byte count beyond the data are
    // rows of the link fault table.
    void ResponseFitsItsRead()
    {
        // Registers asked for at 6 from slave 1; the answer's byte count and
        // the data bytes it carries.
        const std::tuple<int, int, int, ResponseFit> rows[] = {
            {2, 4, 4, ResponseFit::Fits},
            {2, 2, 2, ResponseFit::TooFewRegisters},
            {2, 8, 8, ResponseFit::ByteCountWrong},
            // The byte count the read asks for, but not the data to go with it.
            {2, 4, 2, ResponseFit::ByteCountWrong},
            // The third register of 3 is no part of a value: with or without
            // it, the one value asked for is there.
            {3, 6, 6, ResponseFit::Fits},
            {3, 4, 4, ResponseFit::Fits},
            {3, 5, 5, ResponseFit::ByteCountWrong},
            {3, 2, 2, ResponseFit::TooFewRegisters},
        };
        for (const auto& [count, byteCount, dataBytes, fit] : rows) {
            const QByteArray request =
                BuildReadRequest(m_CRC, 1, FnReadHolding, 6, std::int16_t(count));
            QByteArray response = QByteArray::fromHex("0103") + char(byteCount);
            response += QByteArray(dataBytes, '\x11');
            AppendCRC(m_CRC, response);
            QVERIFY2(CheckResponse(request, response) == fit, response.toHex(' '));
        }
    }

    // With fast response detection the wait ends as soon as the bytes in are
    // a whole answer to the request, and not before.
    void WholeAnswerEndsTheWait()
    {
        const QByteArray readTwo = "01 03 00 06 00 02 24 0a";
        const QByteArray readFour = "01 04 00 ee 00 04 91 fc";
        const QByteArray writeTwo = "01 10 00 06 00 02 04 43 cf 80 00 37 fe";
        const QByteArray answerTwo = "01 03 04 3f 80 00 00 f7 cf";
        const std::tuple<QByteArray, QByteArray, bool> rows[] = {
            {readTwo, answerTwo, true},
            {readFour, "01 04 08 00 00 00 01 00 00 00 0a 99 ca", true},
            {writeTwo, "01 10 00 06 00 02 a1 c9", true},
            {readTwo, "01 83 02 c0 f1", true},
            {readTwo, "", false},
            {readTwo, answerTwo.chopped(3), false},
            {writeTwo, "01 10 00 06 00 02 a1", false},
            {readTwo, "01 03 04 3f 80 00 00 f7 ce", false},
            {readTwo, answerTwo + " 55", false},
            // Its own CRC is right, but it carries one register where two
            // were asked for.
            {readTwo, "01 03 02 3f 80 a8 14", false},
            // Two values asked for; a frame that would do for one is only the start.
            {readFour, "01 04 04 3f 80 00 00 f6 78", false},
            {readTwo, "01 84 02 c2 c1", false}, // another function's exception
            {readTwo, "02 83 02 30 f1", false}, // another slave
        };
        for (const auto& [request, received, complete] : rows)
            QVERIFY2(ResponseFraming::IsComplete(m_CRC, QByteArray::fromHex(request),
                                                 QByteArray::fromHex(received))
                         == complete,
                     received.constData());
    }

private:
    const cModbusCRC m_CRC;
};

QTEST_GUILESS_MAIN(tst_ModbusFrames)
#include "tst_ModbusFrames.moc"
