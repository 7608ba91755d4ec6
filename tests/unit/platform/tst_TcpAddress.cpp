#include "platform/TcpAddress.h"

#include <QTest>

class tst_TcpAddress : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void Parse_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("result"); // the address written back, or the reason refused
        const auto row = [](const char* name, const char* result) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(result);
        };
        row("tcp://192.168.1.50:4001", "tcp://192.168.1.50:4001");
        row(" TCP://relay-panel.local:1 ", "tcp://relay-panel.local:1");
        row("tcp://[fe80::1]:65535", "tcp://[fe80::1]:65535");
        row("tcp://10.0.0.5:+80", "the port must be a number from 1 to 65535");
        row("tcp://10.0.0.5", "the port is missing");
        row("tcp://[fe80::1:502", "the IPv6 address has no closing bracket");
        row("tcp://[10.0.0.5]:502", "\"10.0.0.5\" is not an IPv6 address");
        row("tcp://192.168.1.300:502",
            "\"192.168.1.300\" is neither an IPv4 address nor a host name");
        row("tcp://panel 3:502", "\"panel 3\" is neither an IPv4 address nor a host name");
    }

    void Parse()
    {
        QFETCH(QString, name);
        QFETCH(QString, result);
        QString error;
        const auto address = TcpAddress::Parse(name, &error);
        QCOMPARE(address ? address->ToString() : error, result);
    }
};

QTEST_GUILESS_MAIN(tst_TcpAddress)
#include "tst_TcpAddress.moc"
