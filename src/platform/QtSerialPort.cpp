#include "platform/QtSerialPort.h"

#include "platform/SerialPortFailure.h"

#include <poll.h>
#include <termios.h>

namespace {

QSerialPort::Parity ToQtParity(QChar letter)
{
    if (letter == u'O')
        return QSerialPort::OddParity;
    if (letter == u'E')
        return QSerialPort::EvenParity;
    return QSerialPort::NoParity;
}

// Qt sets the parity bit for the line but leaves the check of received
// parity off, so an answer at another parity would pass unchecked. With the
// check on, bytes with a parity error are dropped (Qt ignores, not marks,
// them) and the link sees a broken frame instead of wrong data.
void CheckReceivedParity(int handle, QChar parity)
{
    termios t{};
    if (parity == u'N' || tcgetattr(handle, &t) != 0)
        return;
    t.c_iflag |= INPCK;
    tcsetattr(handle, TCSANOW, &t);
}

bool HungUp(int handle)
{
    pollfd line{handle, 0, 0};
    return ::poll(&line, 1, 0) == 1 && (line.revents & POLLHUP) != 0;
}

} // namespace

QtSerialPort::QtSerialPort()
    : m_SettingsText(QStringLiteral("9600,N,8,1"))
{}

void QtSerialPort::SetPortName(const QString& device)
{
    m_Device = device;
    m_Port.setPortName(device);
}

QString QtSerialPort::PortName() const
{
    return m_Device;
}

bool QtSerialPort::SetSettings(const QString& settings)
{
    const auto parsed = SerialLineSettings::Parse(settings);
    if (!parsed)
        return false;
    m_Line = *parsed;
    m_SettingsText = settings;
    return true;
}

QString QtSerialPort::Settings() const
{
    return m_SettingsText;
}

bool QtSerialPort::Open()
{
    m_Port.setBaudRate(m_Line.BaudRate);
    m_Port.setDataBits(QSerialPort::DataBits(m_Line.DataBits));
    m_Port.setParity(ToQtParity(m_Line.Parity));
    m_Port.setStopBits(m_Line.StopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    m_Port.setFlowControl(QSerialPort::NoFlowControl);
    // A read error left from the last time the port was open (the line went
    // after its answer was in) must not end this transaction's wait.
    m_Port.clearError();
    if (!m_Port.open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = m_Port.error();
        RecordError(QStringLiteral("Open ") + m_Device);
        m_ErrorDescription = SerialPortFailure::Text(
            SerialPortFailure::DiagnoseOpen(m_Device, error == QSerialPort::PermissionError),
            m_Device, m_ErrorDescription);
        return false;
    }
    CheckReceivedParity(int(m_Port.handle()), m_Line.Parity);
    return true;
}

void QtSerialPort::Close()
{
    if (m_Port.isOpen())
        m_Port.close();
}

bool QtSerialPort::IsOpen() const
{
    return m_Port.isOpen();
}

bool QtSerialPort::Write(const QByteArray& frame)
{
    if (m_Port.write(frame) != frame.size()) {
        RecordError(QStringLiteral("Write ") + m_Device);
        m_ErrorDescription = SerialPortFailure::Text(SerialPortFailure::Cause::WentAway, m_Device);
        return false;
    }
    return true;
}

void QtSerialPort::DiscardInput()
{
    m_Port.clear(QSerialPort::Input);
    m_Port.readAll();
}

qint64 QtSerialPort::BytesWaiting()
{
    // Bytes the kernel already holds count as well: a master that was kept
    // from running for a while would otherwise take its own delay for
    // silence on the line, and cut a healthy answer in two.
    m_Port.waitForReadyRead(0);
    // A device that has gone (an adapter pulled out, a terminal hung up)
    // shows as a read error; Qt then keeps reporting the line readable, so
    // the wait must end here rather than spin on it.
    const QSerialPort::SerialPortError error = m_Port.error();
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError) {
        // A hang-up reads as an end of file, which leaves Qt only a stale
        // error text to give.
        const bool gone = error == QSerialPort::ResourceError || HungUp(int(m_Port.handle()));
        RecordError(QStringLiteral("Read ") + m_Device);
        m_ErrorDescription =
            gone ? SerialPortFailure::Text(SerialPortFailure::Cause::WentAway, m_Device)
                 : SerialPortFailure::Text(SerialPortFailure::Cause::Other, m_Device,
                                           m_ErrorDescription);
        return -1;
    }
    return m_Port.bytesAvailable();
}

QByteArray QtSerialPort::PeekWaiting()
{
    return m_Port.peek(m_Port.bytesAvailable());
}

QByteArray QtSerialPort::ReadAll()
{
    return m_Port.readAll();
}

QString QtSerialPort::ErrorDescription() const
{
    return m_ErrorDescription;
}

QString QtSerialPort::ErrorSource() const
{
    return m_ErrorSource;
}

void QtSerialPort::RecordError(const QString& source)
{
    m_ErrorDescription = m_Port.errorString();
    m_ErrorSource = source;
    m_Port.clearError();
}
