#include "model/cPollingCycle.h"

namespace {

std::int16_t NextRelay(std::int16_t& counter)
{
    counter = std::int16_t((counter & 15) + 1);
    return counter;
}

} // namespace

cPollingCycle::Step cPollingCycle::Tick(const Window& window)
{
    if (window.Minimised)
        return Step::Nothing;
    m_TickCounter = std::int16_t(m_TickCounter % 3 + 1);
    if (window.OnLine && m_TickCounter == 3)
        return RefreshStep(window);
    return Step::DeferredCommands;
}

bool cPollingCycle::MeasurementsAlongside(const Window& window) const
{
    return window.TrendsShown && !window.Minimised && window.OnLine && m_TickCounter == 3
           && window.CurrentTab != MeasurementsTab;
}

cPollingCycle::Step cPollingCycle::RefreshStep(const Window& window) const
{
    switch (window.CurrentTab) {
    case MeasurementsTab:
        return Step::RefreshMeasurements;
    case RelaysTab:
        return Step::RefreshRelayStatus;
    case EventsTab:
        return Step::RefreshEventLog;
    case SystemTab:
        return window.ClockDisplayed ? Step::MaintainTime : Step::Nothing;
    default:
        break;
    }
    const bool tripTab = window.CurrentTab >= FirstRelayTab && window.CurrentTab <= LastRelayTab;
    return tripTab && window.DisplayAlarms ? Step::RefreshRelayStatus : Step::Nothing;
}

cPollingCycle::MeasurementBlock cPollingCycle::NextMeasurementBlock()
{
    // Phases 1 to 4 carry the four groups; 12, 13 and 14 are the basics
    // between them.
    switch (m_MeasurementPhase) {
    case 1:
        m_MeasurementPhase = 2;
        return MeasurementBlock::Basics;
    case 2:
        m_MeasurementPhase = 12;
        return MeasurementBlock::Averages;
    case 12:
        m_MeasurementPhase = 3;
        return MeasurementBlock::Basics;
    case 3:
        m_MeasurementPhase = 13;
        return MeasurementBlock::Sums;
    case 13:
        m_MeasurementPhase = 4;
        return MeasurementBlock::Basics;
    case 4:
        m_MeasurementPhase = 14;
        return MeasurementBlock::BusGen;
    case 14:
        m_MeasurementPhase = 1;
        return MeasurementBlock::Basics;
    default:
        m_MeasurementPhase = 1;
        m_MeasurementRelay = 0;
        return MeasurementBlock::None;
    }
}

std::int16_t cPollingCycle::NextMeasurementRelay()
{
    return NextRelay(m_MeasurementRelay);
}

std::int16_t cPollingCycle::NextStatusRelay()
{
    return NextRelay(m_StatusRelay);
}

bool cPollingCycle::DrawToNewAlarm(std::uint16_t unacknowledgedRelays)
{
    const bool fresh = (unacknowledgedRelays & ~m_AlarmsShown) != 0;
    // An alarm acknowledged and raised again counts as new.
    m_AlarmsShown = unacknowledgedRelays;
    return fresh;
}
