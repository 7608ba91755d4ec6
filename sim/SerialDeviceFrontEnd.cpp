#include "SerialDeviceFrontEnd.h"

#include "platform/SerialLineSettings.h"
#include "SlaveSession.h"

SerialDeviceFrontEnd::SerialDeviceFrontEnd(SlaveSession& session, QObject* parent)
    : QObject(parent)
    , m_Session(session)
{
    connect(&m_Port, &QSerialPort::readyRead, this,
            [this] { m_Session.BytesReceived(m_Port.readAll()); });
    connect(&m_Session, &SlaveSession::Transmit, this, [this](const QByteArray& bytes) {
        if (m_Port.isOpen())
            m_Port.write(bytes);
    });
    connect(&m_Port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        if (e == QSerialPort::ResourceError && m_Port.isOpen()) {
            const QString reason = m_Port.portName() + QStringLiteral(": ") + m_Port.errorString();
            m_Port.close();
            Q_EMIT Lost(reason);
        }
    });
}

bool SerialDeviceFrontEnd::Open(const QString& device, const SerialLineSettings& line,
                                QString& error)
{
    m_Port.setPortName(device);
    m_Port.setBaudRate(line.BaudRate);
    m_Port.setParity(line.Parity == u'E'   ? QSerialPort::EvenParity
                     : line.Parity == u'O' ? QSerialPort::OddParity
                                           : QSerialPort::NoParity);
    m_Port.setDataBits(QSerialPort::DataBits(line.DataBits));
    m_Port.setStopBits(line.StopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    m_Port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_Port.open(QIODevice::ReadWrite)) {
        error = QStringLiteral("cannot open %1: %2").arg(device, m_Port.errorString());
        return false;
    }
    return true;
}
