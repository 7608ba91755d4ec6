#pragma once

#include "platform/ISerialPort.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <chrono>

#include "BytePacer.h"

class RtuSlave;

// A serial port wired straight to an in-process simulated relay. A request
// written to it is handed to the RTU slave at once; the answer comes back
// later through Qt timers (BytePacer), so the link's event wait wakes up for
// it just as for a real line. By default the whole answer arrives about 1 ms
// after the request; a test can pace it by a character time or by the baud
// rate of the settings text. Closing the port drops an answer still on its way.
// Open, Write and ReadAll can be made to fail, with a description and source.
class LoopbackSerialPort : public QObject, public ISerialPort
{
    Q_OBJECT
public:
    explicit LoopbackSerialPort(RtuSlave& slave, QObject* parent = nullptr);

    void SetPortName(const QString& device) override { m_PortName = device; }
    QString PortName() const override { return m_PortName; }
    bool SetSettings(const QString& settings) override;
    QString Settings() const override { return m_Settings; }
    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return m_Open; }
    bool Write(const QByteArray& frame) override;
    void DiscardInput() override { m_Input.clear(); }
    qint64 BytesWaiting() override { return m_Input.size(); }
    QByteArray PeekWaiting() override { return m_Input; }
    QByteArray ReadAll() override;
    QString ErrorDescription() const override { return m_ErrorDescription; }
    QString ErrorSource() const override { return m_ErrorSource; }

    // ---- pacing ----
    void SetResponseLatency(std::chrono::milliseconds latency) { m_Pacer.SetLatency(latency); }
    void SetCharacterTime(std::chrono::microseconds perCharacter)
    {
        m_Pacer.SetCharacterTime(perCharacter);
    }

    // ---- port failures (until cleared) ----
    void RefuseOpen(const QString& description, const QString& source);
    void FailWrite(const QString& description, const QString& source);
    // ReadAll then returns nothing although bytes are waiting.
    void FailReadAll(const QString& description, const QString& source);
    void ClearFailures();

    // ---- what the master did ----
    // Every frame written, in order, also those the relay did not answer.
    const QList<QByteArray>& WrittenFrames() const { return m_Written; }
    void ClearWrittenFrames() { m_Written.clear(); }
    int OpenCount() const { return m_OpenCount; }

private:
    struct Failure
    {
        bool Active = false;
        QString Description;
        QString Source;
    };

    bool Fail(const Failure& failure);

    RtuSlave& m_Slave;
    BytePacer m_Pacer;
    QString m_PortName = QStringLiteral("loopback");
    QString m_Settings = QStringLiteral("9600,N,8,1");
    bool m_Open = false;
    int m_OpenCount = 0;
    QByteArray m_Input;
    QList<QByteArray> m_Written;
    Failure m_OpenFailure;
    Failure m_WriteFailure;
    Failure m_ReadFailure;
    QString m_ErrorDescription;
    QString m_ErrorSource;
};
