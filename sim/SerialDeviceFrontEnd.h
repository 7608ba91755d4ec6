#pragma once

#include <QObject>
#include <QSerialPort>
#include <QString>

class SlaveSession;
struct SerialLineSettings;

// Serves the relay on an existing serial device (a USB adapter wired to the
// PC that runs the configurator, or one end of a null-modem pair).
class SerialDeviceFrontEnd : public QObject
{
    Q_OBJECT
public:
    explicit SerialDeviceFrontEnd(SlaveSession& session, QObject* parent = nullptr);

    // False with a reason when the device cannot be opened.
    bool Open(const QString& device, const SerialLineSettings& line, QString& error);

Q_SIGNALS:
    // The device has gone (unplugged adapter); serving cannot go on.
    void Lost(const QString& reason);

private:
    SlaveSession& m_Session;
    QSerialPort m_Port;
};
