#include "model/RelayReadingsReader.h"

#include "link/frmModbus.h"
#include "model/cTZL.h"
#include "model/cTZLHoldingRegisters.h"
#include "platform/IClock.h"
#include "platform/ISerialPort.h"
#include "platform/IUserInterface.h"

#include <QStringList>

namespace {

using Quantity = cTZLInputRegisters::Quantity;

// Stands in for the user while the pass runs: keeps what the link and the
// model would have shown, so that a failed section carries its reason, and
// keeps the interface live through the real one.
class MessageRecorder : public IUserInterface
{
public:
    explicit MessageRecorder(IUserInterface& live)
        : m_Live(live)
    {}

    MsgResult MsgBox(const QString& text, const QString& title, MsgButtons buttons,
                     MsgIcon) override
    {
        m_Messages << title.trimmed() + QStringLiteral(": ") + text;
        // Reading asks nothing; should a question come, it is declined.
        switch (buttons) {
        case MsgButtons::OK:
            return MsgResult::OK;
        case MsgButtons::YesNo:
            return MsgResult::No;
        case MsgButtons::OKCancel:
        case MsgButtons::YesNoCancel:
            break;
        }
        return MsgResult::Cancel;
    }
    void ProcessPendingEvents() override { m_Live.ProcessPendingEvents(); }

    qsizetype Count() const { return m_Messages.size(); }
    // The first message since `before`: the cause, where the model's own
    // messages follow the link's.
    QString FirstSince(qsizetype before) const
    {
        return before < m_Messages.size() ? m_Messages.at(before) : QString();
    }

private:
    IUserInterface& m_Live;
    QStringList m_Messages;
};

// Sends the link's messages to the recorder for as long as it lives.
class LinkMessagesTo
{
public:
    LinkMessagesTo(frmModbus& link, IUserInterface& ui)
        : m_Link(link)
        , m_Previous(link.UserInterface())
    {
        m_Link.SetUserInterface(ui);
    }
    ~LinkMessagesTo() { m_Link.SetUserInterface(m_Previous); }
    LinkMessagesTo(const LinkMessagesTo&) = delete;
    LinkMessagesTo& operator=(const LinkMessagesTo&) = delete;

private:
    frmModbus& m_Link;
    IUserInterface& m_Previous;
};

// For a failure nobody put into words: the link refused the exchange, or the
// relay answered something the model could not use without a message.
const QString NoMessage = QStringLiteral("the relay's answer could not be used");

QString LineText(const frmModbus& link)
{
    return link.SerialPort().PortName() + u' ' + link.Settings();
}

} // namespace

RelayReadingsReader::RelayReadingsReader(frmModbus& link, IClock& clock)
    : m_Link(link)
    , m_Clock(clock)
{}

std::optional<RelayReadings> RelayReadingsReader::Read(std::int16_t slave, const Progress& progress)
{
    RelayReadings readings;
    readings.ReadAt = m_Clock.Now();
    readings.Line = LineText(m_Link);
    readings.Slave = slave;
    readings.WordOrder = m_Link.GetWordOrder();

    MessageRecorder recorder(m_Link.UserInterface());
    const LinkMessagesTo redirect(m_Link, recorder);
    cTZL device(m_Link, recorder, m_Clock);
    cTZLHoldingRegisters system(m_Link);

    int done = 0;
    const auto step = [&](const QString& text) {
        return !progress || progress(text, done++, StepCount);
    };
    // Marks the section failed unless it succeeded, with the first message
    // shown since `before`, else `fallback`.
    const auto conclude = [&](ReadingSection section, qsizetype before, bool succeeded,
                              const QString& fallback = NoMessage) {
        if (succeeded)
            return;
        const QString reason = recorder.FirstSince(before);
        readings.Failures.insert(section, reason.isEmpty() ? fallback : reason);
    };

    if (!step(QStringLiteral("Reading the product information and clock")))
        return std::nullopt;
    qsizetype before = recorder.Count();
    const bool product = device.UploadProductInfo(slave);
    readings.FirmwareVersion = device.VersionNumber();
    readings.PSCNumber = device.PSCNumber();
    readings.PSCIssue = device.PSCIssue();
    const qsizetype beforeClock = recorder.Count();
    const QDateTime asked = m_Clock.Now();
    readings.RelayClock = device.GetRTC(slave);
    // The relay counts whole seconds, so its reading stands for the middle of
    // its second; the PC's for the middle of the exchange.
    const qint64 pcMs = asked.toMSecsSinceEpoch() + asked.msecsTo(m_Clock.Now()) / 2;
    readings.ClockOffsetSeconds =
        qRound64(double(readings.RelayClock.toMSecsSinceEpoch() + 500 - pcMs) / 1000.0);
    const bool clock =
        recorder.Count() == beforeClock && readings.RelayClock != cTZL::NoClockReading();
    conclude(ReadingSection::Identity, before, product && clock,
             product ? NoMessage
                     : QStringLiteral("the relay answered for another product-information item "
                                      "than asked for - check the word order"));

    if (!step(QStringLiteral("Reading the system parameters")))
        return std::nullopt;
    before = recorder.Count();
    conclude(ReadingSection::SystemParameters, before, system.Upload(slave));

    const auto tripStep = [&](int relay) {
        return step(QStringLiteral("Reading the trip settings: relay %1 of %2")
                        .arg(relay)
                        .arg(cTripCatalogue::RelayCount));
    };
    if (!tripStep(1))
        return std::nullopt;
    bool cancelled = false;
    before = recorder.Count();
    const bool trips = device.TripData.UploadAllTripDefs(slave, [&](std::int16_t relay) {
        cancelled = relay < cTripCatalogue::RelayCount && !tripStep(relay + 1);
        return !cancelled;
    });
    if (cancelled)
        return std::nullopt;
    conclude(ReadingSection::TripSettings, before, trips);

    if (!step(QStringLiteral("Reading the relay states")))
        return std::nullopt;
    before = recorder.Count();
    conclude(ReadingSection::RelayStates, before, device.TripData.UploadAllStatus(slave));

    if (!step(QStringLiteral("Reading the measurements")))
        return std::nullopt;
    before = recorder.Count();
    conclude(ReadingSection::Measurements, before, device.Inputs.Upload(slave));
    for (std::size_t q = 0; q < readings.Measurements.size(); ++q)
        readings.Measurements[q] = device.Inputs.Value(Quantity(q));

    if (!step(QStringLiteral("Reading the event log")))
        return std::nullopt;
    before = recorder.Count();
    conclude(ReadingSection::EventLog, before, device.EventLog.Upload(slave));
    for (std::int16_t n = 1; n <= cTZLEventLog::Capacity; ++n)
        if (device.EventLog.EvtRelay(n) != -1)
            readings.Events.append(
                {n, device.EventLog.EvtRelay(n), device.EventLog.EvtDateTime(n)});

    readings.Settings = device.Snapshot();
    readings.Settings.SystemType = system.SystemType();
    readings.Settings.SystemVolts = system.SystemVolts();
    readings.Settings.SystemCurrent = system.SystemCurrent();
    readings.Statistics = m_Link.Statistics().Counts();
    return readings;
}
