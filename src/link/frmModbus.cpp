#include "link/frmModbus.h"

#include "link/ICommsErrorLog.h"
#include "link/ICommsSettingsDialog.h"
#include "link/ICommsStatusWindow.h"
#include "link/ModbusFrames.h"
#include "link/ResponseFraming.h"
#include "platform/ISerialPort.h"
#include "platform/ISettingsStore.h"
#include "platform/IUserInterface.h"

#include <algorithm>
#include <cmath>

namespace {

const QString ModbusErrorTitle = QStringLiteral("Modbus Error");
const QString CommsErrorTitle = QStringLiteral("Comms Error");
const QString ResponseTimeoutText = QStringLiteral("Modbus Response Timeout");

// Marks a transaction as running for as long as the object lives, so every
// return path ends it.
class TransactionGuard
{
public:
    explicit TransactionGuard(bool& flag)
        : m_Flag(flag)
    {
        m_Flag = true;
    }
    ~TransactionGuard() { m_Flag = false; }
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;

private:
    bool& m_Flag;
};

QByteArray SingleZeroByte()
{
    return QByteArray(1, '\0');
}

const QString CommsSection = QStringLiteral("Comms");
const QString PortKey = QStringLiteral("Port");
const QString DeviceKey = QStringLiteral("Device");
const QString SettingsKey = QStringLiteral("Settings");
const QString ModbusSection = QStringLiteral("Modbus");
const QString WordOrderKey = QStringLiteral("WordOrder");
const QString FastResponseKey = QStringLiteral("FastResponse");

// COM1 is the first on-board UART, which Linux calls ttyS0.
QString NumberedPortDevice(std::int16_t port)
{
    return QStringLiteral("/dev/ttyS") + QString::number(port - 1);
}

} // namespace

frmModbus::frmModbus(ISerialPort& port, IUserInterface& ui, QObject* parent)
    : QObject(parent)
    , m_Port(port)
    , m_UI(&ui)
    , m_ExceptionTexts{QStringLiteral("Modbus Illegal Function Exception"),
                       QStringLiteral("Modbus Illegal Address Value Exception"),
                       QStringLiteral("Modbus Illegal Data Value Exception"),
                       QStringLiteral("Modbus Slave Device Failure Exception"),
                       QStringLiteral("Modbus Acknowledge Exception"),
                       QStringLiteral("Modbus Slave Device Busy Exception"),
                       QStringLiteral("Modbus Negative Acknowledge Exception"),
                       QStringLiteral("Modbus Memory Parity Error Exception")}
{
    tmrTimeout.setSingleShot(true);
    tmrTimeout.setTimerType(Qt::PreciseTimer);
    connect(&tmrTimeout, &QTimer::timeout, this, [this] { m_TimedOut = true; });
    m_TotalWait.setSingleShot(true);
    connect(&m_TotalWait, &QTimer::timeout, this, [this] { m_TotalWaitExpired = true; });
    m_IdleClose.setSingleShot(true);
    m_IdleClose.setInterval(IdleCloseMs);
    connect(&m_IdleClose, &QTimer::timeout, this, [this] {
        if (!m_InTransaction)
            ClosePort();
    });
    // A caller that named the device before handing the port over keeps it.
    if (m_Port.PortName().isEmpty())
        ApplyPortName();
}

frmModbus::~frmModbus()
{
    ClosePort();
}

bool frmModbus::ReadHoldingRegisters(std::int16_t slave, std::int16_t start, std::int16_t count,
                                     std::vector<float>& values)
{
    return ReadRegisters(ModbusFrames::FnReadHolding, slave, start, count, values);
}

bool frmModbus::ReadInputRegisters(std::int16_t slave, std::int16_t start, std::int16_t count,
                                   std::vector<float>& values)
{
    return ReadRegisters(ModbusFrames::FnReadInput, slave, start, count, values);
}

bool frmModbus::WriteHoldingRegister(std::int16_t slave, std::int16_t reg, float value)
{
    return WriteRequest(slave, reg, 2, {value});
}

bool frmModbus::WriteHoldingRegisters(std::int16_t slave, std::int16_t start, std::int16_t count,
                                      const std::vector<float>& values)
{
    // A count the byte-count field cannot carry is refused like a mismatched
    // array: nothing is sent.
    if (count < 0 || count > 127 || values.size() != std::size_t(count / 2))
        return false;
    return WriteRequest(slave, start, count, values);
}

void frmModbus::SetFastResponseDetection(bool on)
{
    if (!m_InTransaction)
        ClosePort();
    m_FastResponseDetection = on;
}

ISerialPort& frmModbus::ClosedPort()
{
    if (!m_InTransaction)
        ClosePort();
    return m_Port;
}

void frmModbus::SetDevice(const QString& device)
{
    // A port kept open from the last answer must not outlive its name.
    if (!m_InTransaction)
        ClosePort();
    m_Device = device;
    ApplyPortName();
}

QString frmModbus::Settings() const
{
    return m_Port.Settings();
}

void frmModbus::EditCommsSettings(QObject* owner, bool allowChange)
{
    if (m_SettingsDialog == nullptr)
        return;
    ICommsSettingsDialog& dialog = *m_SettingsDialog;
    dialog.SetFastResponseDetection(m_FastResponseDetection);
    dialog.DisplaySettingsString(m_CommPort, m_Device, m_Port.Settings(), owner, allowChange);
    // OK is disabled when changes are not allowed; whatever the dialog does,
    // such a display never changes anything.
    if (dialog.Cancelled() || !allowChange)
        return;
    // The dialog ran while events were being processed, perhaps inside a
    // transaction's wait: the port must not change under it.
    if (m_InTransaction) {
        m_UI->MsgBox(QStringLiteral("Please switch to off-line mode before changing the comms "
                                    "settings!"),
                     QStringLiteral("TZL Configurator"), MsgButtons::OK, MsgIcon::None);
        return;
    }
    ClosePort();
    m_Device = dialog.GetDevice();
    if (m_Device.isEmpty())
        m_CommPort = dialog.GetPort();
    ApplyPortName();
    m_Port.SetSettings(QStringLiteral("%1,%2,%3,%4")
                           .arg(dialog.GetBaudrate())
                           .arg(dialog.GetParity())
                           .arg(dialog.GetDataBits())
                           .arg(dialog.GetStopBits()));
    m_FastResponseDetection = dialog.GetFastResponseDetection();
    ReportSettingsChanged();
}

bool frmModbus::SetLineSettings(const SerialLineSettings& line)
{
    // The port takes new settings when it opens.
    if (m_InTransaction)
        return false;
    ClosePort();
    if (!m_Port.SetSettings(line.ToString()))
        return false;
    ReportSettingsChanged();
    return true;
}

void frmModbus::ReportSettingsChanged()
{
    if (m_StatusWindow != nullptr && m_StatusWindow->IsShowing()) {
        m_StatusWindow->CommsSettingsChanged(m_Port.Settings());
        m_StatusWindow->CommsPortChanged(m_CommPort, m_Device);
    }
}

void frmModbus::ShowCommsStatistics(QObject* owner)
{
    if (m_StatusWindow != nullptr)
        m_StatusWindow->DisplayStatistics(m_CommPort, m_Device, QStringLiteral("Modbus RTU"),
                                          m_Port.Settings(), owner);
}

void frmModbus::SaveSettings(ISettingsStore& store, const QString& application) const
{
    if (m_SettingsDialog != nullptr)
        m_SettingsDialog->SaveSettings(store, application);
    store.SaveSetting(application, CommsSection, PortKey, QString::number(m_CommPort));
    store.SaveSetting(application, CommsSection, DeviceKey, m_Device);
    store.SaveSetting(application, CommsSection, SettingsKey, m_Port.Settings());
    store.SaveSetting(application, CommsSection, FastResponseKey,
                      m_FastResponseDetection ? QStringLiteral("1") : QStringLiteral("0"));
    store.SaveSetting(application, ModbusSection, WordOrderKey, QString::number(m_WordOrder));
}

void frmModbus::RestoreSettings(const ISettingsStore& store, const QString& application)
{
    if (m_SettingsDialog != nullptr)
        m_SettingsDialog->RestoreSettings(store, application);
    if (!m_InTransaction)
        ClosePort();

    bool ok = false;
    const std::int16_t port =
        store.GetSetting(application, CommsSection, PortKey, QString::number(DefaultPort))
            .trimmed()
            .toShort(&ok);
    m_CommPort = ok && port > 0 ? port : DefaultPort;
    m_Device = store.GetSetting(application, CommsSection, DeviceKey, QString()).trimmed();
    ApplyPortName();

    const QString settings =
        store.GetSetting(application, CommsSection, SettingsKey, DefaultSettings);
    if (!m_Port.SetSettings(settings))
        m_Port.SetSettings(DefaultSettings);
    m_FastResponseDetection =
        store.GetSetting(application, CommsSection, FastResponseKey, QStringLiteral("0")).trimmed()
        == QStringLiteral("1");

    // Any number other than 0 selects the swapped order, as SetWordOrder does;
    // a word order that is not a number is the default.
    const int wordOrder =
        store.GetSetting(application, ModbusSection, WordOrderKey, QStringLiteral("0"))
            .trimmed()
            .toInt(&ok);
    SetWordOrder(ok && wordOrder != 0 ? 1 : 0);
}

void frmModbus::SetWordOrder(std::int16_t flag)
{
    m_WordOrder = flag != 0 ? 1 : 0;
}

std::int16_t frmModbus::GetWordOrder() const
{
    return std::int16_t(m_WordOrder);
}

bool frmModbus::ReadRegisters(std::uint8_t function, std::int16_t slave, std::int16_t start,
                              std::int16_t count, std::vector<float>& values)
{
    // A transaction started from an event handled while another one waits
    // would open and close the port under it: refuse it before it touches
    // anything.
    if (!MayStartTransaction() || start < 0 || count < 0)
        return false;
    if (!ValidSlaveID(slave))
        return false;
    TransactionGuard guard(m_InTransaction);
    QByteArray buffer =
        ModbusFrames::BuildReadRequest(m_CRC, std::uint8_t(slave), function, start, count);
    const bool succeeded = ReadExchange(buffer, count, values);
    Q_EMIT TransactionFinished(succeeded);
    return succeeded;
}

bool frmModbus::ReadExchange(QByteArray& buffer, std::int16_t count, std::vector<float>& values)
{
    if (!SendRequest(buffer))
        return false;
    if (!ReceiveResponse(buffer))
        return false;
    // The answer has been checked against the request, so it holds every
    // value asked for; the decoder still never reads past its end.
    auto decoded = ModbusFrames::DecodeReadValues(buffer, count, m_WordOrder);
    if (!decoded)
        return false;
    values = std::move(*decoded);
    return true;
}

bool frmModbus::WriteRequest(std::int16_t slave, std::int16_t start, std::int16_t count,
                             const std::vector<float>& values)
{
    if (!MayStartTransaction() || start < 0)
        return false;
    if (!ValidSlaveID(slave))
        return false;
    // A NaN trip point would leave the relay without its protection.
    if (!std::all_of(values.cbegin(), values.cend(), [](float v) { return std::isfinite(v); })) {
        m_UI->MsgBox(QStringLiteral("Invalid Value - a value that is not a number can't be sent to "
                                    "the TZL"),
                     ModbusErrorTitle, MsgButtons::OK, MsgIcon::None);
        return false;
    }
    TransactionGuard guard(m_InTransaction);
    QByteArray buffer = ModbusFrames::BuildWriteRequest(m_CRC, std::uint8_t(slave), start, count,
                                                        values, m_WordOrder);
    const bool succeeded = WriteExchange(buffer);
    Q_EMIT TransactionFinished(succeeded);
    return succeeded;
}

bool frmModbus::WriteExchange(QByteArray& buffer)
{
    const QByteArray request = buffer;
    if (!SendRequest(buffer))
        return false;
    if (!ReceiveResponse(buffer))
        return false;
    return ModbusFrames::WriteEchoMatches(request, buffer);
}

bool frmModbus::ValidSlaveID(std::int16_t slave)
{
    if (slave >= 1 && slave <= 247)
        return true;
    m_UI->MsgBox(QStringLiteral("Invalid Slave ID"), ModbusErrorTitle, MsgButtons::OK,
                 MsgIcon::None);
    return false;
}

bool frmModbus::SendRequest(const QByteArray& frame)
{
    m_IdleClose.stop();
    m_Port.SetOpenTimeout(m_ResponseTimeoutMs);
    if (!(m_Port.IsOpen() || m_Port.Open()) || !m_Port.Write(frame)) {
        const QString description = m_Port.ErrorDescription();
        const QString source = m_Port.ErrorSource();
        ClosePort();
        m_UI->MsgBox(description, source, MsgButtons::OK, MsgIcon::None);
        return false;
    }
    m_Port.DiscardInput();
    m_Statistics.AddCharactersTx(frame.size());
    m_Statistics.AddRequests(1);
    m_LastRequest = frame;
    return true;
}

bool frmModbus::ReceiveResponse(QByteArray& buffer)
{
    if (!m_Port.IsOpen())
        return false;
    qint64 received = 0;
    WaitEnd end = WaitForResponse(received);
    // A line that goes (a connection the server closes) right behind a
    // whole answer has still delivered it.
    if (end == WaitEnd::PortFailed) {
        const QByteArray waiting = m_Port.PeekWaiting();
        if (ResponseFraming::IsComplete(m_CRC, m_LastRequest, waiting)) {
            end = WaitEnd::CompleteResponse;
            received = waiting.size();
        }
    }
    if (end == WaitEnd::PortFailed)
        return LineFailure(buffer);
    if (end == WaitEnd::Silence && received < ModbusFrames::MinimumResponseLength)
        return TimeoutFailure(buffer, QByteArray());
    buffer = m_Port.ReadAll();
    if (buffer.size() < received)
        return ReceiveFailure(buffer, m_Port.ErrorDescription(), m_Port.ErrorSource());
    if (end == WaitEnd::LineNeverSilent)
        return TimeoutFailure(buffer, QByteArray(buffer));
    // Anything that came in behind a whole answer is no part of it; it goes
    // the way of stale input.
    if (end == WaitEnd::CompleteResponse)
        buffer.truncate(received);
    m_LastResponse = buffer;
    m_Statistics.AddCharactersRx(buffer.size());
    m_Statistics.AddResponses(1);
    const bool valid = ValidateResponse(buffer);
    ReleasePort(valid);
    return valid;
}

// Waits for the first byte for up to the response time-out, then for the
// first silence of the character time-out, or, with fast response detection,
// until the bytes in are a whole answer. Sleeps between events. Ends as
// LineNeverSilent when neither came within the bound on the total wait, and
// at once as PortFailed when the device goes away; `received` is the number
// of bytes waiting at the end.
frmModbus::WaitEnd frmModbus::WaitForResponse(qint64& received)
{
    m_TotalWaitExpired = false;
    m_TotalWait.start(TotalWaitInResponseTimeouts * m_ResponseTimeoutMs);
    SetTimeoutInterval(m_ResponseTimeoutMs);
    StartTimeout();
    while (!m_TimedOut && !m_TotalWaitExpired) {
        m_UI->ProcessPendingEvents();
        const qint64 waiting = m_Port.BytesWaiting();
        if (waiting < 0) {
            StopTimeout();
            m_TotalWait.stop();
            return WaitEnd::PortFailed;
        }
        if (waiting > received) {
            StopTimeout();
            received = waiting;
            if (ResponseComplete()) {
                m_TotalWait.stop();
                return WaitEnd::CompleteResponse;
            }
            SetTimeoutInterval(m_CharacterTimeoutMs);
            StartTimeout();
        }
    }
    StopTimeout();
    m_TotalWait.stop();
    return m_TotalWaitExpired ? WaitEnd::LineNeverSilent : WaitEnd::Silence;
}

bool frmModbus::ResponseComplete()
{
    return m_FastResponseDetection
           && ResponseFraming::IsComplete(m_CRC, m_LastRequest, m_Port.PeekWaiting());
}

// No answer, too short an answer, or a line that never fell silent. The bytes
// of the last are counted and logged, so the log shows the engineer the
// noise; a missing answer is logged as the single byte 0.
bool frmModbus::TimeoutFailure(QByteArray& buffer, const QByteArray& noise)
{
    return NoAnswerFailure(buffer, noise, ResponseTimeoutText, CommsErrorTitle);
}

// The line itself failed while the answer was awaited: a device that went,
// a network connection refused, never made, or closed under the answer. No
// answer came, so it counts and is logged as a time-out is, under the port's
// own description, which names the device or address; whatever part of an
// answer came is logged with it.
bool frmModbus::LineFailure(QByteArray& buffer)
{
    const QString description = m_Port.ErrorDescription();
    const QString source = m_Port.ErrorSource();
    return NoAnswerFailure(buffer, m_Port.ReadAll(), description, source);
}

bool frmModbus::NoAnswerFailure(QByteArray& buffer, const QByteArray& received, const QString& text,
                                const QString& title)
{
    buffer = SingleZeroByte();
    m_LastResponse = received.isEmpty() ? buffer : received;
    m_Statistics.AddCharactersRx(received.size());
    ClosePort();
    m_UI->MsgBox(text, title, MsgButtons::OK, MsgIcon::None);
    if (!LogCommsError(text, buffer))
        return false;
    m_Statistics.AddTimeouts(1);
    return false;
}

bool frmModbus::ValidateResponse(QByteArray& buffer)
{
    if (!m_CRC.CompareCRC(buffer, std::int16_t(std::min<qsizetype>(buffer.size(), INT16_MAX)))) {
        buffer = SingleZeroByte();
        ClosePort();
        m_UI->MsgBox(QStringLiteral("CRC Error in response"), ModbusErrorTitle, MsgButtons::OK,
                     MsgIcon::None);
        m_Statistics.AddCRCFailures(1);
        LogCommsError(QStringLiteral("CRC Failure"), buffer);
        return false;
    }
    if (ModbusFrames::IsExceptionResponse(buffer)) {
        const int code = std::uint8_t(buffer[2]);
        ClosePort();
        m_UI->MsgBox(GetExceptionText(code),
                     QStringLiteral("Modbus Exception ") + QString::number(code), MsgButtons::OK,
                     MsgIcon::None);
        m_Statistics.AddExceptions(1);
        LogCommsError(QStringLiteral("Exception Response"), buffer);
        buffer = SingleZeroByte();
        return false;
    }
    const ModbusFrames::ResponseFit fit = ModbusFrames::CheckResponse(m_LastRequest, buffer);
    if (fit != ModbusFrames::ResponseFit::Fits)
        return MismatchFailure(fit, buffer);
    return true;
}

// A frame with a good CRC that does not answer the request. It counts as a
// response received, as a frame of the wrong length does on a read.
bool frmModbus::MismatchFailure(ModbusFrames::ResponseFit fit, QByteArray& buffer)
{
    using ModbusFrames::ResponseFit;
    const bool tooShort = fit == ResponseFit::TooFewRegisters;
    const QString text =
        tooShort ? QStringLiteral("Modbus Response Too Short - fewer registers were returned "
                                  "than requested")
        : fit == ResponseFit::OtherSlave
            ? QStringLiteral("Modbus Response Mismatch - the answer came from another slave")
        : fit == ResponseFit::OtherFunction
            ? QStringLiteral("Modbus Response Mismatch - the answer is to another function")
            : QStringLiteral("Modbus Response Mismatch - its byte count does not fit the "
                             "registers asked for");
    buffer = SingleZeroByte();
    ClosePort();
    m_UI->MsgBox(text, ModbusErrorTitle, MsgButtons::OK, MsgIcon::None);
    LogCommsError(tooShort ? QStringLiteral("Short Response") : QStringLiteral("Response Mismatch"),
                  buffer);
    return false;
}

bool frmModbus::LogCommsError(const QString& text, QByteArray& buffer)
{
    if (m_ErrorLog == nullptr)
        return true;
    QString description;
    QString source;
    if (m_ErrorLog->LogCommsError(text, m_LastRequest, m_LastResponse, description, source))
        return true;
    return ReceiveFailure(buffer, description, source);
}

bool frmModbus::ReceiveFailure(QByteArray& buffer, const QString& description,
                               const QString& source)
{
    ClosePort();
    buffer = SingleZeroByte();
    m_UI->MsgBox(description, source, MsgButtons::OK, MsgIcon::None);
    return false;
}

void frmModbus::SetTimeoutInterval(int ms)
{
    tmrTimeout.setInterval(ms);
}

void frmModbus::SetResponseTimeout(int ms)
{
    m_ResponseTimeoutMs = std::clamp(ms, 1, MaximumTimeoutMs);
}

void frmModbus::SetCharacterTimeout(int ms)
{
    m_CharacterTimeoutMs = std::clamp(ms, 1, MaximumTimeoutMs);
}

void frmModbus::StartTimeout()
{
    m_TimedOut = false;
    tmrTimeout.start();
}

void frmModbus::StopTimeout()
{
    tmrTimeout.stop();
}

QString frmModbus::GetExceptionText(int code) const
{
    if (code >= 1 && code <= 8)
        return m_ExceptionTexts[code - 1];
    return QStringLiteral("Unknown error");
}

void frmModbus::ReleasePort(bool goodAnswer)
{
    if (goodAnswer && m_FastResponseDetection)
        m_IdleClose.start();
    else
        ClosePort();
}

void frmModbus::ClosePort()
{
    m_IdleClose.stop();
    if (m_Port.IsOpen())
        m_Port.Close();
}

void frmModbus::ApplyPortName()
{
    m_Port.SetPortName(m_Device.isEmpty() ? NumberedPortDevice(m_CommPort) : m_Device);
}
