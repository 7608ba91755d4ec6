// Cutting a byte stream into requests, as the simulator reads a serial line.
#include "RequestFramer.h"

#include <QTest>

namespace {

QByteArray WithCrc(const QByteArray& hexWithoutCrc)
{
    QByteArray frame = QByteArray::fromHex(hexWithoutCrc);
    const std::int32_t c = cModbusCRC().GenerateCRC(frame, std::int16_t(frame.size()));
    frame.append(char(cModbusCRC::GetLoByte(c)));
    frame.append(char(cModbusCRC::GetHiByte(c)));
    return frame;
}

const QByteArray Read = WithCrc("010300060006");
const QByteArray Write = WithCrc("01100006000204" "45000000");

} // namespace

class tst_RequestFramer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void Streams_data();
    void Streams();
    void UnknownFunctionWaitsForSilence();
};

void tst_RequestFramer::Streams_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QList<QByteArray>>("frames");
    QTest::addColumn<QByteArray>("pending");

    QTest::newRow("one read") << QList<QByteArray>{Read} << QList<QByteArray>{Read} << QByteArray();
    QTest::newRow("read in two pieces") << QList<QByteArray>{Read.left(3), Read.mid(3)}
                                        << QList<QByteArray>{Read} << QByteArray();
    QTest::newRow("write byte by byte") << [] {
        QList<QByteArray> bytes;
        for (char c : Write)
            bytes.append(QByteArray(1, c));
        return bytes;
    }() << QList<QByteArray>{Write} << QByteArray();
    QTest::newRow("write and read back to back") << QList<QByteArray>{Write + Read}
                                                 << QList<QByteArray>{Write, Read} << QByteArray();
    QTest::newRow("noise before a read") << QList<QByteArray>{QByteArray::fromHex("ff00") + Read}
                                         << QList<QByteArray>{Read} << QByteArray();
    QTest::newRow("half a read") << QList<QByteArray>{Read.left(5)} << QList<QByteArray>{}
                                 << Read.left(5);
    QTest::newRow("write header only") << QList<QByteArray>{Write.left(6)} << QList<QByteArray>{}
                                       << Write.left(6);
}

void tst_RequestFramer::Streams()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QList<QByteArray>, frames);
    QFETCH(QByteArray, pending);

    RequestFramer framer;
    QList<QByteArray> got;
    for (const QByteArray& chunk : chunks)
        got += framer.Feed(chunk);
    QCOMPARE(got, frames);
    QCOMPARE(framer.HasPending(), !pending.isEmpty());
    QCOMPARE(framer.Flush(), pending);
    QVERIFY(!framer.HasPending());
}

void tst_RequestFramer::UnknownFunctionWaitsForSilence()
{
    const QByteArray diagnostic = WithCrc("010800000000");
    RequestFramer framer;
    QVERIFY(framer.Feed(diagnostic).isEmpty());
    QCOMPARE(RequestFramer::ExpectedLength(diagnostic), -1);
    QCOMPARE(framer.Flush(), diagnostic);
    // After the silence the next request frames normally.
    QCOMPARE(framer.Feed(Read), QList<QByteArray>{Read});
}

QTEST_GUILESS_MAIN(tst_RequestFramer)
#include "tst_RequestFramer.moc"
