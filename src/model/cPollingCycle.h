#pragma once

#include <cstdint>

// The decisions of the one-second polling tick, without any window: what a
// tick does, which measurement block is next, and which relays' status come
// next. The main window carries them out.
class cPollingCycle
{
public:
    // Tab indices of the main window's tab strip.
    static constexpr int FirstRelayTab = 1;
    static constexpr int LastRelayTab = 16;
    static constexpr int EventsTab = 17;
    static constexpr int RelaysTab = 18;
    static constexpr int SystemTab = 19;
    static constexpr int MeasurementsTab = 20;

    enum class Step {
        Nothing,             // minimised, or a refresh tick with nothing to refresh
        DeferredCommands,    // run pending commands, then the alarm indicator and Reset Trips
        RefreshMeasurements, // one measurement block and one relay status
        RefreshRelayStatus,  // two relay statuses
        RefreshEventLog,     // the whole event log
        MaintainTime         // the relay clock
    };

    enum class MeasurementBlock { None, Basics, Averages, Sums, BusGen };

    struct Window
    {
        bool Minimised = false;
        bool OnLine = false;
        int CurrentTab = MeasurementsTab;
        bool DisplayAlarms = false;  // "Display When Alarm Detected"
        bool ClockDisplayed = false; // the System tab shows the relay clock
        bool TrendsShown = false;    // the Trends window is open
    };

    // Off-line every tick, and on-line two ticks out of three, run the
    // pending commands; the third on-line tick refreshes the visible tab.
    // Nothing at all runs while the window is minimised, and the count
    // stands still.
    Step Tick(const Window& window);
    // The Trends window plots the measurements whatever tab is shown: while
    // it is open, the refresh tick of any other tab also runs the
    // measurement rotation, after the tab's own refresh. Asked right after
    // Tick, with the same window.
    bool MeasurementsAlongside(const Window& window) const;

    // The rotation basics, averages, basics, sums, basics, bus/generator,
    // basics, ...: the basics every other cycle. The first call uploads
    // nothing and starts the rotation.
    MeasurementBlock NextMeasurementBlock();
    // The relay whose status comes with the next measurement block, 1 to 16.
    std::int16_t NextMeasurementRelay();
    // The next relay of the Relays tab's rotation, 1 to 16, independent of
    // the measurement relay.
    std::int16_t NextStatusRelay();

    std::int16_t TickCounter() const { return m_TickCounter; }
    // With "Display When Alarm Detected" ticked, whether the window goes to
    // the Measurements tab: once for each relay whose alarm newly stands
    // unacknowledged (bit r - 1 for relay r), not on every tick, so that the
    // engineer can go to the Relays tab and acknowledge it.
    bool DrawToNewAlarm(std::uint16_t unacknowledgedRelays);

private:
    Step RefreshStep(const Window& window) const;

    std::int16_t m_TickCounter = 0;
    std::int16_t m_MeasurementPhase = 0;
    std::int16_t m_MeasurementRelay = 0;
    std::int16_t m_StatusRelay = 0;
    std::uint16_t m_AlarmsShown = 0;
};
