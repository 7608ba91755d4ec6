#pragma once

#include "platform/ISerialPort.h"
#include "platform/TcpAddress.h"

#include <QTcpSocket>
#include <QTimer>

// A relay behind a serial device server, which passes RTU frames through a
// TCP connection unchanged: the port name is "tcp://HOST:PORT". The
// connection is made in the background when a request is written, so the
// link's wait for the answer keeps the window alive while it is made; if it
// is not made within the open time-out, or is refused, or is closed under an
// answer, the bytes waiting read as a failed line whose description names the
// address. Line settings are kept for the settings text but change nothing:
// the device server's own serial side has them.
class TcpSerialPort : public ISerialPort
{
public:
    TcpSerialPort();

    void SetPortName(const QString& name) override;
    QString PortName() const override;
    bool SetSettings(const QString& settings) override;
    QString Settings() const override;
    void SetOpenTimeout(int ms) override;
    bool Open() override;
    void Close() override;
    bool IsOpen() const override;
    bool Write(const QByteArray& frame) override;
    void DiscardInput() override;
    qint64 BytesWaiting() override;
    QByteArray PeekWaiting() override;
    QByteArray ReadAll() override;
    QString ErrorDescription() const override;
    QString ErrorSource() const override;

private:
    void Connect();
    void SocketFailed(QAbstractSocket::SocketError error);
    void ConnectTimedOut();
    void Fail(const QString& description, const QString& action);

    QTcpSocket m_Socket;
    QTimer m_ConnectTimeout;
    QString m_Name;
    TcpAddress m_Address;
    QString m_SettingsText;
    bool m_Open = false;
    bool m_Failed = false;
    QString m_ErrorDescription;
    QString m_ErrorSource;
};
