#include "platform/SerialOrTcpPort.h"

#include "platform/TcpAddress.h"

void SerialOrTcpPort::SetPortName(const QString& name)
{
    Active().Close();
    m_UseTcp = TcpAddress::IsTcpName(name);
    Active().SetPortName(name);
}

bool SerialOrTcpPort::SetSettings(const QString& settings)
{
    return m_Serial.SetSettings(settings) && m_Tcp.SetSettings(settings);
}
