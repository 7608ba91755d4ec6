#pragma once

#include "platform/ISerialPort.h"
#include "platform/SerialLineSettings.h"

#include <QSerialPort>

// The real serial line, through Qt Serial Port. Bytes arrive through the event
// loop, which the link keeps running while it waits.
class QtSerialPort : public ISerialPort
{
public:
    QtSerialPort();

    void SetPortName(const QString& device) override;
    QString PortName() const override;
    bool SetSettings(const QString& settings) override;
    QString Settings() const override;
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
    void RecordError(const QString& source);

    QSerialPort m_Port;
    QString m_Device;
    QString m_SettingsText;
    SerialLineSettings m_Line;
    QString m_ErrorDescription;
    QString m_ErrorSource;
};
