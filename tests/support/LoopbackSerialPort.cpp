#include "LoopbackSerialPort.h"

#include "RtuSlave.h"
#include "platform/SerialLineSettings.h"

LoopbackSerialPort::LoopbackSerialPort(RtuSlave& slave, QObject* parent)
    : QObject(parent)
    , m_Slave(slave)
{
    connect(&m_Pacer, &BytePacer::BytesSent, this, [this](const QByteArray& bytes) {
        // Bytes reaching a closed port are lost, as on a real line.
        if (m_Open)
            m_Input.append(bytes);
    });
}

bool LoopbackSerialPort::SetSettings(const QString& settings)
{
    if (!SerialLineSettings::Parse(settings))
        return false;
    m_Settings = settings;
    return true;
}

bool LoopbackSerialPort::Open()
{
    if (m_OpenFailure.Active)
        return Fail(m_OpenFailure);
    if (m_Open) {
        m_ErrorDescription = QStringLiteral("The port is already open");
        m_ErrorSource = QStringLiteral("Open ") + m_PortName;
        return false;
    }
    m_Open = true;
    ++m_OpenCount;
    m_Input.clear();
    return true;
}

void LoopbackSerialPort::Close()
{
    m_Open = false;
    m_Pacer.Stop();
    m_Input.clear();
}

bool LoopbackSerialPort::Write(const QByteArray& frame)
{
    if (m_WriteFailure.Active)
        return Fail(m_WriteFailure);
    if (!m_Open) {
        m_ErrorDescription = QStringLiteral("The port is not open");
        m_ErrorSource = QStringLiteral("Write ") + m_PortName;
        return false;
    }
    m_Written.append(frame);
    // A new request ends whatever the relay was still sending.
    m_Pacer.Send(m_Slave.HandleRequest(frame));
    return true;
}

QByteArray LoopbackSerialPort::ReadAll()
{
    if (m_ReadFailure.Active) {
        Fail(m_ReadFailure);
        return {};
    }
    return std::exchange(m_Input, {});
}

void LoopbackSerialPort::RefuseOpen(const QString& description, const QString& source)
{
    m_OpenFailure = {true, description, source};
}

void LoopbackSerialPort::FailWrite(const QString& description, const QString& source)
{
    m_WriteFailure = {true, description, source};
}

void LoopbackSerialPort::FailReadAll(const QString& description, const QString& source)
{
    m_ReadFailure = {true, description, source};
}

void LoopbackSerialPort::ClearFailures()
{
    m_OpenFailure = {};
    m_WriteFailure = {};
    m_ReadFailure = {};
}

bool LoopbackSerialPort::Fail(const Failure& failure)
{
    m_ErrorDescription = failure.Description;
    m_ErrorSource = failure.Source;
    return false;
}
