#include "model/RelayScan.h"

#include "link/ModbusFrames.h"
#include "link/frmModbus.h"
#include "platform/ISerialPort.h"
#include "platform/IUserInterface.h"
#include "platform/TcpAddress.h"

#include <QElapsedTimer>
#include <QSet>

using std::chrono::milliseconds;

namespace {

constexpr int BaudRates[] = {2400, 4800, 9600, 19200, 38400, 57600, 115200};
constexpr char Parities[] = {'N', 'E', 'O'};
constexpr int CommonSlaves = 10;

// Volts, current, type: holding registers 6 to 11.
constexpr std::int16_t ProbeStart = 6;
constexpr std::int16_t ProbeCount = 6;
constexpr int RequestBytes = 8;
constexpr int AnswerBytes = 5 + 2 * ProbeCount;
constexpr std::int16_t ProductSelector = 240;
constexpr std::int16_t ProductInfo = 238;
constexpr float FirmwareItem = 2.0f;

// Failures are the rule in a scan: nobody is shown them, and the counters of
// the scan's own link tell them apart.
class QuietUserInterface : public IUserInterface
{
public:
    explicit QuietUserInterface(IUserInterface& ui)
        : m_UI(ui)
    {}
    MsgResult MsgBox(const QString&, const QString&, MsgButtons, MsgIcon) override
    {
        return MsgResult::OK;
    }
    void ProcessPendingEvents() override { m_UI.ProcessPendingEvents(); }

private:
    IUserInterface& m_UI;
};

bool Plausible(const std::vector<float>& v)
{
    return v.size() == 3 && v[0] >= 1.0f && v[0] <= 400000.0f && v[1] >= 1.0f && v[1] <= 10000.0f
           && (v[2] == 2.0f || v[2] == 3.0f);
}

// Restores the port's line settings however the scan ends.
class SettingsKeeper
{
public:
    explicit SettingsKeeper(ISerialPort& port)
        : m_Port(port)
        , m_Settings(port.Settings())
    {}
    ~SettingsKeeper() { m_Port.SetSettings(m_Settings); }
    SettingsKeeper(const SettingsKeeper&) = delete;
    SettingsKeeper& operator=(const SettingsKeeper&) = delete;

private:
    ISerialPort& m_Port;
    QString m_Settings;
};

} // namespace

namespace {

QList<SerialLineSettings> EveryLineSetting()
{
    QList<SerialLineSettings> lines;
    for (int baud : BaudRates)
        for (char parity : Parities)
            lines.append({baud, QChar(parity), 8, 1});
    return lines;
}

} // namespace

ScanPlan::ScanPlan(int firstSlave, int lastSlave, milliseconds responseTimeout)
    : ScanPlan(firstSlave, lastSlave, responseTimeout, EveryLineSetting())
{}

ScanPlan ScanPlan::ForPort(const QString& portName, int firstSlave, int lastSlave,
                           milliseconds responseTimeout)
{
    if (!TcpAddress::IsTcpName(portName))
        return ScanPlan(firstSlave, lastSlave, responseTimeout);
    ScanPlan plan(firstSlave, lastSlave, responseTimeout, {SerialLineSettings{}});
    plan.m_TriesLineSettings = false;
    return plan;
}

ScanPlan::ScanPlan(int firstSlave, int lastSlave, milliseconds responseTimeout,
                   const QList<SerialLineSettings>& lines)
    : m_ResponseTimeout(responseTimeout)
{
    const auto addPass = [&](int from, int to) {
        for (const SerialLineSettings& line : lines)
            for (int slave = from; slave <= to; ++slave)
                m_Probes.append({line, slave});
    };
    addPass(firstSlave, std::min(lastSlave, CommonSlaves));
    addPass(std::max(firstSlave, CommonSlaves + 1), lastSlave);
}

milliseconds ScanPlan::ProbeAllowance(const SerialLineSettings& line) const
{
    const auto onLine = line.CharacterTime() * (RequestBytes + AnswerBytes);
    return m_ResponseTimeout + SilenceAfterAnswer + std::chrono::ceil<milliseconds>(onLine);
}

milliseconds ScanPlan::Bound() const
{
    milliseconds total{};
    for (const ScanProbe& probe : m_Probes)
        total += ProbeAllowance(probe.Line);
    // A find is confirmed with a write and a read at the slowest rate.
    return total + 2 * ProbeAllowance({BaudRates[0], u'N', 8, 1});
}

QString ScanResult::Options() const
{
    const QString settings =
        LineSettingsTried ? QStringLiteral("--settings %1 ").arg(Where.Line.ToString()) : QString();
    return settings + QStringLiteral("--slave %1 --word-order %2").arg(Where.Slave).arg(WordOrder);
}

RelayScan::RelayScan(ISerialPort& port, IUserInterface& ui)
    : m_Port(port)
    , m_UI(ui)
{}

ScanResult RelayScan::Run(const ScanPlan& plan)
{
    QuietUserInterface quiet(m_UI);
    frmModbus link(m_Port, quiet);
    link.SetResponseTimeout(int(plan.ResponseTimeout().count()));
    link.SetCharacterTimeout(int(ScanPlan::SilenceAfterAnswer.count()));
    const SettingsKeeper keeper(m_Port);
    const auto note = [this](const QString& text) {
        if (Note)
            Note(text);
    };
    QSet<QString> garbledLines;
    QElapsedTimer elapsed;
    elapsed.start();
    const qint64 boundMs = plan.Bound().count();

    ScanResult result;
    result.LineSettingsTried = plan.TriesLineSettings();
    for (const ScanProbe& probe : plan.Probes()) {
        if (Cancelled && Cancelled()) {
            result.Result = ScanResult::Outcome::Cancelled;
            return result;
        }
        if (elapsed.elapsed() >= boundMs) {
            result.Result = ScanResult::Outcome::BoundReached;
            return result;
        }
        if (Progress)
            Progress(result.ProbesTried, probe);
        ++result.ProbesTried;
        if (plan.TriesLineSettings())
            m_Port.SetSettings(probe.Line.ToString());
        const QString slave = QStringLiteral("slave %1").arg(probe.Slave);
        const QString where =
            plan.TriesLineSettings() ? probe.Line.ToString() + u' ' + slave : slave;
        const cCommsStatistics& counters = link.Statistics();
        const qint64 crcFailures = counters.CRCFailures();
        const qint64 exceptions = counters.Exceptions();
        std::vector<float> ignored;
        if (!link.ReadHoldingRegisters(std::int16_t(probe.Slave), ProbeStart, ProbeCount,
                                       ignored)) {
            if (counters.CRCFailures() > crcFailures) {
                if (!garbledLines.contains(probe.Line.ToString()))
                    note(plan.TriesLineSettings()
                             ? QStringLiteral("%1: an answer with a bad CRC - likely a wrong "
                                              "baud rate or parity")
                                   .arg(probe.Line.ToString())
                             : QStringLiteral("an answer with a bad CRC - likely the device "
                                              "server's serial side is at another baud rate "
                                              "or parity than the relay"));
                garbledLines.insert(probe.Line.ToString());
            } else if (counters.Exceptions() > exceptions) {
                note(QStringLiteral("%1: an exception reply - right line settings and slave "
                                    "ID, but the device refuses the TZL's registers")
                         .arg(where));
            }
            continue;
        }
        const QByteArray answer = link.LastResponse();
        const auto inOrder0 = ModbusFrames::DecodeReadValues(answer, ProbeCount, 0);
        const auto inOrder1 = ModbusFrames::DecodeReadValues(answer, ProbeCount, 1);
        const bool plausible0 = inOrder0 && Plausible(*inOrder0);
        const bool plausible1 = inOrder1 && Plausible(*inOrder1);
        if (!plausible0 && !plausible1) {
            note(QStringLiteral("%1: answers, but its values make sense in neither word order")
                     .arg(where));
            continue;
        }
        const int wordOrder = plausible0 ? 0 : 1;
        link.SetWordOrder(std::int16_t(wordOrder));
        std::vector<float> product;
        const bool echoed =
            link.WriteHoldingRegister(std::int16_t(probe.Slave), ProductSelector, FirmwareItem)
            && link.ReadHoldingRegisters(std::int16_t(probe.Slave), ProductInfo, 4, product)
            && product.size() == 2 && product[1] == FirmwareItem;
        if (!echoed) {
            note(QStringLiteral("%1: answers like a TZL, but does not echo the "
                                "product-information selector")
                     .arg(where));
            continue;
        }
        result.Result = ScanResult::Outcome::Found;
        result.Where = probe;
        result.WordOrder = wordOrder;
        result.OnlyInThisWordOrder = !(plausible0 && plausible1);
        return result;
    }
    return result;
}
