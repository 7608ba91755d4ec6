#pragma once

#include <cstdint>

class frmModbus;

// The three system parameters of the installation (system type, primary VT
// volts, primary CT amps) and their transfer to and from holding registers
// 6 to 11 of the relay.
class cTZLHoldingRegisters
{
public:
    static constexpr float MinimumVolts = 1.0f;
    static constexpr float MaximumVolts = 400000.0f;
    static constexpr float MinimumCurrent = 1.0f;
    static constexpr float MaximumCurrent = 10000.0f;

    explicit cTZLHoldingRegisters(frmModbus& link);

    // 2 = 3-phase 3-wire, 3 = 3-phase 4-wire.
    float SystemType() const { return m_SystemType; }
    float SystemVolts() const { return m_SystemVolts; }
    float SystemCurrent() const { return m_SystemCurrent; }
    // Clamp silently into 1 to 400000 V and 1 to 10000 A.
    void SetSystemVolts(float volts);
    void SetSystemCurrent(float current);

    // Takes the values exactly as given: what a relay reads back or a
    // configuration file holds is shown as it is, within the limits or not.
    void SetStoredValues(float systemType, float volts, float current);
    // Takes the values as an upload does: volts and current clamped, a
    // system type other than exactly 2 or 3 taken as 3.
    void SetUploadedValues(float systemType, float volts, float current);

    // True when the relay's own system type (register 10) reads back as
    // exactly `type`; a failed read is a mismatch.
    bool SystemTypeMatches(std::int16_t slave, std::int16_t type);
    bool Upload(std::int16_t slave);
    // Reads the three values as the relay holds them, unclamped; a failed
    // read leaves the values as they were.
    bool ReadBack(std::int16_t slave);
    // Writes volts, then current; then reads all three back, unclamped, so
    // the program shows what the relay now holds. The result is that of the
    // writes.
    bool Download(std::int16_t slave);
    void Clear();

private:
    frmModbus& m_Link;
    float m_SystemType = 3.0f;
    float m_SystemVolts = 110.0f;
    float m_SystemCurrent = 5.0f;
};
