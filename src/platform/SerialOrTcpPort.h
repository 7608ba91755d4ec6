#pragma once

#include "platform/ISerialPort.h"
#include "platform/QtSerialPort.h"
#include "platform/TcpSerialPort.h"

// The port the configurator and tzlctl talk through: its name chooses the
// transport. "tcp://HOST:PORT" goes through a serial device server, any other
// name is a serial device. Both keep the same line settings text, so moving
// between them loses nothing. The link closes the port before renaming it.
class SerialOrTcpPort : public ISerialPort
{
public:
    void SetPortName(const QString& name) override;
    QString PortName() const override { return Active().PortName(); }
    bool SetSettings(const QString& settings) override;
    QString Settings() const override { return Active().Settings(); }
    void SetOpenTimeout(int ms) override { m_Tcp.SetOpenTimeout(ms); }
    bool Open() override { return Active().Open(); }
    void Close() override { Active().Close(); }
    bool IsOpen() const override { return Active().IsOpen(); }
    bool Write(const QByteArray& frame) override { return Active().Write(frame); }
    void DiscardInput() override { Active().DiscardInput(); }
    qint64 BytesWaiting() override { return Active().BytesWaiting(); }
    QByteArray PeekWaiting() override { return Active().PeekWaiting(); }
    QByteArray ReadAll() override { return Active().ReadAll(); }
    QString ErrorDescription() const override { return Active().ErrorDescription(); }
    QString ErrorSource() const override { return Active().ErrorSource(); }

private:
    ISerialPort& Active() { return m_UseTcp ? static_cast<ISerialPort&>(m_Tcp) : m_Serial; }
    const ISerialPort& Active() const
    {
        return m_UseTcp ? static_cast<const ISerialPort&>(m_Tcp) : m_Serial;
    }

    QtSerialPort m_Serial;
    TcpSerialPort m_Tcp;
    bool m_UseTcp = false;
};
