#pragma once

#include <QByteArray>
#include <QString>

// The serial line as the Modbus link sees it. The link opens the port for one
// transaction only, writes a whole request, then watches the count of bytes
// waiting (and, to end an answer early, the bytes themselves) until the line
// falls silent. Errors carry a description and a source, which the link
// shows to the user as text and title.
class ISerialPort
{
public:
    virtual ~ISerialPort() = default;

    // The device to open, e.g. "/dev/ttyUSB0". Takes effect at the next Open.
    virtual void SetPortName(const QString& device) = 0;
    virtual QString PortName() const = 0;

    // Line settings as text, "9600,N,8,1". Returns false when the text cannot
    // be parsed; the previous settings are kept then.
    virtual bool SetSettings(const QString& settings) = 0;
    virtual QString Settings() const = 0;

    // How long Open may take to complete where it completes in the background
    // (a network connection, made while the link waits for the answer); the
    // link gives it its response time-out. A device that opens at once has
    // no use for it.
    virtual void SetOpenTimeout(int ms) { (void)ms; }

    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    virtual bool Write(const QByteArray& frame) = 0;
    // Throws away whatever arrived before the request was written.
    virtual void DiscardInput() = 0;
    // -1 when the line has failed while open (the device has gone); the
    // error description and source then say why.
    virtual qint64 BytesWaiting() = 0;
    // The bytes waiting, left in place for ReadAll.
    virtual QByteArray PeekWaiting() = 0;
    virtual QByteArray ReadAll() = 0;

    // Description and source of the last failure of Open, Write, BytesWaiting
    // or ReadAll.
    virtual QString ErrorDescription() const = 0;
    virtual QString ErrorSource() const = 0;
};
