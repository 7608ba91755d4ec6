#include "link/ResponseFraming.h"

#include <QTest>

namespace {

const QByteArray ReadTwo = QByteArray::fromHex("010300060002240A");
const QByteArray ReadFour = QByteArray::fromHex("010400EE000491FC");
const QByteArray WriteTwo = QByteArray::fromHex("0110000600020443CF800037FE");
const QByteArray AnswerTwo = QByteArray::fromHex("0103043F800000F7CF");

} // namespace

class tst_ResponseFraming : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void WholeAnswerEndsTheWait_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<bool>("complete");

        QTest::newRow("read, 1 value") << ReadTwo << AnswerTwo << true;
        QTest::newRow("input read, 2 values")
            << ReadFour << QByteArray::fromHex("010408000000010000000A99CA") << true;
        QTest::newRow("write echo") << WriteTwo << QByteArray::fromHex("011000060002A1C9") << true;
        QTest::newRow("exception") << ReadTwo << QByteArray::fromHex("018302C0F1") << true;

        QTest::newRow("nothing yet") << ReadTwo << QByteArray() << false;
        QTest::newRow("one byte short") << ReadTwo << AnswerTwo.chopped(1) << false;
        QTest::newRow("write echo one byte short")
            << WriteTwo << QByteArray::fromHex("011000060002A1") << false;
        QTest::newRow("bad crc") << ReadTwo << QByteArray::fromHex("0103043F800000F7CE") << false;
        QTest::newRow("trailing garbage") << ReadTwo << AnswerTwo + char(0x55) << false;
        // Its own CRC is right, but it carries one register where two were asked for.
        QTest::newRow("wrong byte count")
            << ReadTwo << QByteArray::fromHex("0103023F80A814") << false;
        // Two values asked for; a frame that would do for one is only the start.
        QTest::newRow("answer to a shorter read")
            << ReadFour << QByteArray::fromHex("0104043F800000F678") << false;
        QTest::newRow("another function's exception")
            << ReadTwo << QByteArray::fromHex("018402C2C1") << false;
        QTest::newRow("another slave") << ReadTwo << QByteArray::fromHex("02830230F1") << false;
    }

    void WholeAnswerEndsTheWait()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, received);
        const cModbusCRC crc;
        QTEST(ResponseFraming::IsComplete(crc, request, received), "complete");
    }
};

QTEST_GUILESS_MAIN(tst_ResponseFraming)
#include "tst_ResponseFraming.moc"
