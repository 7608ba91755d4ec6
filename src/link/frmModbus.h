#pragma once

#include "link/cCommsStatistics.h"
#include "link/ModbusFrames.h"
#include "link/cModbusCRC.h"
#include "platform/SerialLineSettings.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <vector>

class ICommsErrorLog;
class ICommsSettingsDialog;
class ICommsStatusWindow;
class ISerialPort;
class ISettingsStore;
class IUserInterface;

// The Modbus RTU master: the program's only path to the relay. Each
// transaction opens the port, sends one request, waits for the answer while
// the user interface keeps running, closes the port and checks the answer.
// With fast response detection on, a port that has just answered well stays
// open for a moment, so that a run of transactions pays for opening it once.
// Failures are shown to the user here; callers only see true or false.
class frmModbus : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultResponseTimeoutMs = 3000;
    static constexpr int DefaultCharacterTimeoutMs = 50;
    // A line that never falls silent is given up after this many response
    // time-outs in all.
    static constexpr int TotalWaitInResponseTimeouts = 10;
    // The longest time-out the timers can take, that bound included (about
    // 60 hours).
    static constexpr int MaximumTimeoutMs = INT32_MAX / TotalWaitInResponseTimeouts;

    // With fast response detection, how long the port stays open after a
    // good answer for the next request of a run to find it open.
    static constexpr int IdleCloseMs = 100;

    static constexpr std::int16_t DefaultPort = 1;
    static inline const QString DefaultSettings = QStringLiteral("9600,n,8,1");

    frmModbus(ISerialPort& port, IUserInterface& ui, QObject* parent = nullptr);
    ~frmModbus() override;

    bool ReadHoldingRegisters(std::int16_t slave, std::int16_t start, std::int16_t count,
                              std::vector<float>& values);
    bool ReadInputRegisters(std::int16_t slave, std::int16_t start, std::int16_t count,
                            std::vector<float>& values);
    // A value that is not a finite number is refused with a message before
    // anything is sent.
    bool WriteHoldingRegister(std::int16_t slave, std::int16_t reg, float value);
    bool WriteHoldingRegisters(std::int16_t slave, std::int16_t start, std::int16_t count,
                               const std::vector<float>& values);

    void SetWordOrder(std::int16_t flag);
    std::int16_t GetWordOrder() const;

    const QByteArray& LastRequest() const { return m_LastRequest; }
    const QByteArray& LastResponse() const { return m_LastResponse; }

    // True from the moment a request is sent until its answer is dealt with.
    bool TransactionInProgress() const { return m_InTransaction; }

    // From now on every request is refused before it is sent, quietly, as
    // one started during another transaction is; the one under way finishes.
    // A program that is asked to stop lets the operation it is in run down
    // without a word on the line after the current exchange.
    void RefuseNewTransactions() { m_Refusing = true; }

    // Any time-out from 1 ms to MaximumTimeoutMs; others are clamped into
    // that range.
    void SetResponseTimeout(int ms);
    void SetCharacterTimeout(int ms);
    int ResponseTimeout() const { return m_ResponseTimeoutMs; }
    int CharacterTimeout() const { return m_CharacterTimeoutMs; }

    // When on, the wait for a response ends as soon as the bytes in form the
    // whole answer to the request, CRC included, instead of at the silence
    // after them. Whatever is not such an answer still waits for the silence.
    // Off by default.
    void SetFastResponseDetection(bool on);
    bool FastResponseDetection() const { return m_FastResponseDetection; }

    // The numbered port COM1..COM4 (or any number a stored setting names).
    std::int16_t Port() const { return m_CommPort; }
    // A device path used instead of the numbered port; empty when none is.
    const QString& Device() const { return m_Device; }
    // Talks to this device (e.g. /dev/ttyUSB0) from the next transaction on;
    // an empty path returns to the numbered port.
    void SetDevice(const QString& device);
    QString Settings() const;
    // Line settings found or chosen elsewhere, such as by a scan of the line;
    // false, and nothing changed, when the port cannot take them.
    bool SetLineSettings(const SerialLineSettings& line);

    // Shows the settings dialog over the owner and applies the user's choice.
    // Changes are refused while a transaction holds the port.
    void EditCommsSettings(QObject* owner, bool allowChange);
    void ShowCommsStatistics(QObject* owner);
    void SaveSettings(ISettingsStore& store, const QString& application) const;
    // Values that are missing, not numbers, or that the port cannot take fall
    // back to their defaults one by one.
    void RestoreSettings(const ISettingsStore& store, const QString& application);

    // The windows are owned by the caller and must outlive their use here.
    void SetSettingsDialog(ICommsSettingsDialog* dialog) { m_SettingsDialog = dialog; }
    void SetStatusWindow(ICommsStatusWindow* window) { m_StatusWindow = window; }

    cCommsStatistics& Statistics() { return m_Statistics; }
    // The log that records each failed exchange; none by default.
    void SetErrorLog(ICommsErrorLog* log) { m_ErrorLog = log; }
    const ISerialPort& SerialPort() const { return m_Port; }
    // The port, closed, for a caller that drives the line itself (a scan).
    ISerialPort& ClosedPort();
    IUserInterface& UserInterface() { return *m_UI; }
    // Where the link's messages go from now on; a caller that reports the
    // failures in its own words (a report of what the relay holds) puts
    // itself in between for the time it reads.
    void SetUserInterface(IUserInterface& ui) { m_UI = &ui; }

Q_SIGNALS:
    // Every transaction that got as far as opening the port ends with this:
    // whether its answer came back and checked out.
    void TransactionFinished(bool succeeded);

private:
    bool MayStartTransaction() const { return !m_InTransaction && !m_Refusing; }
    bool ReadRegisters(std::uint8_t function, std::int16_t slave, std::int16_t start,
                       std::int16_t count, std::vector<float>& values);
    bool WriteRequest(std::int16_t slave, std::int16_t start, std::int16_t count,
                      const std::vector<float>& values);
    bool ReadExchange(QByteArray& buffer, std::int16_t count, std::vector<float>& values);
    bool WriteExchange(QByteArray& buffer);
    bool ValidSlaveID(std::int16_t slave);
    bool SendRequest(const QByteArray& frame);
    bool ReceiveResponse(QByteArray& buffer);
    enum class WaitEnd { Silence, CompleteResponse, LineNeverSilent, PortFailed };
    WaitEnd WaitForResponse(qint64& received);
    bool ResponseComplete();
    bool TimeoutFailure(QByteArray& buffer, const QByteArray& noise);
    bool LineFailure(QByteArray& buffer);
    bool NoAnswerFailure(QByteArray& buffer, const QByteArray& received, const QString& text,
                         const QString& title);
    bool ValidateResponse(QByteArray& buffer);
    bool MismatchFailure(ModbusFrames::ResponseFit fit, QByteArray& buffer);
    bool LogCommsError(const QString& text, QByteArray& buffer);
    bool ReceiveFailure(QByteArray& buffer, const QString& description, const QString& source);
    void SetTimeoutInterval(int ms);
    void StartTimeout();
    void StopTimeout();
    QString GetExceptionText(int code) const;
    void ClosePort();
    // Ends a transaction's hold on the port: closes it, or after a good
    // answer with fast detection keeps it open for IdleCloseMs.
    void ReleasePort(bool goodAnswer);
    void ApplyPortName();
    void ReportSettingsChanged();

    ISerialPort& m_Port;
    IUserInterface* m_UI;
    ICommsErrorLog* m_ErrorLog = nullptr;
    ICommsSettingsDialog* m_SettingsDialog = nullptr;
    ICommsStatusWindow* m_StatusWindow = nullptr;
    // Until the stored settings are restored the link uses the second port.
    std::int16_t m_CommPort = 2;
    QString m_Device;
    cModbusCRC m_CRC;
    cCommsStatistics m_Statistics;
    QTimer tmrTimeout;
    QTimer m_TotalWait;
    QTimer m_IdleClose;
    bool m_TimedOut = false;
    bool m_TotalWaitExpired = false;
    bool m_InTransaction = false;
    bool m_Refusing = false;
    int m_ResponseTimeoutMs = DefaultResponseTimeoutMs;
    int m_CharacterTimeoutMs = DefaultCharacterTimeoutMs;
    int m_WordOrder = 0;
    bool m_FastResponseDetection = false;
    QByteArray m_LastRequest;
    QByteArray m_LastResponse;
    QStringList m_ExceptionTexts;
};
