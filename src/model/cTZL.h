#pragma once

#include "model/cTZLEventLog.h"
#include "model/cTZLHoldingRegisters.h"
#include "model/cTZLInputRegisters.h"
#include "model/TripParameterEditor.h"
#include "model/TripParameterRescaler.h"
#include "model/ParameterCorrection.h"
#include "trips/ConfigSnapshot.h"
#include "trips/cTZLTrips.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

class frmModbus;
class IClock;
class IPrinter;
class IUserInterface;

// The program's model of one TZL protection relay: its trip definitions,
// event log, measurements and system parameters, its product information and
// clock, and the operations on the whole configuration. Everything that
// touches the relay takes the slave ID and goes through the Modbus link; a
// false result means the user has already been told why.
class cTZL
{
public:
    cTZL(frmModbus& link, IUserInterface& ui, IClock& clock);

    // Created in this order and living as long as the device object.
    cTZLTrips TripData;
    cTZLEventLog EventLog;
    cTZLInputRegisters Inputs;

    // ---- product information ----

    // Each query selects its item (2, 4, 5) in register 240 and reads it back
    // from 238 with the selector's echo. 0 when the exchange fails or the echo
    // is another item; a relay too old to know the selector answers 0 and 0,
    // which means firmware 2.44.
    float GetFirmwareVersion(std::int16_t slave);
    float GetPSCNumber(std::int16_t slave);
    float GetPSCIssue(std::int16_t slave);
    // Stores the three queries' results (0 for a failed one); true when each
    // came back under its own selector.
    bool UploadProductInfo(std::int16_t slave);
    // As last uploaded; 0 before.
    float VersionNumber() const { return m_VersionNumber; }
    float PSCNumber() const { return m_PSCNumber; }
    float PSCIssue() const { return m_PSCIssue; }

    // ---- clock ----

    // 1 January 1900 00:00:00 when the read fails or the fields do not make
    // a date (after the user has been told to check the word order).
    QDateTime GetRTC(std::int16_t slave);
    // What GetRTC gives when it has no reading.
    static QDateTime NoClockReading();
    // Writes year (two digits), month, day, hour, minute, second in turn,
    // stopping at the first failed write.
    bool SetRTC(std::int16_t slave, const QDateTime& newDate);

    // ---- whole configuration ----

    // System parameters, product information and the 16 trip definitions;
    // true when the system parameters and the trips came across.
    bool UploadConfig(std::int16_t slave);
    // Asks before writing to a relay of another system type or firmware that
    // may not know every function in use; nothing is written on No.
    bool DownloadConfig(std::int16_t slave);
    // Trip definitions and system parameters back to their defaults.
    void ConfigClear();
    // Forgets what was read live: event log, measurements, relay status.
    void TransientDataClear();

    // True when the whole file was written or read; failures are shown.
    bool SaveConfigToFile(const QString& path);
    bool LoadConfigFromFile(const QString& path);
    // The configuration in memory, held apart from the device.
    ConfigSnapshot Snapshot() const;
    // Takes a configuration file's contents as the configuration in memory;
    // the live relay status is kept.
    void UseConfig(const ConfigSnapshot& data);
    // Takes over what another device object uploaded: system parameters,
    // product information, trip definitions and their status. A transfer
    // reads into an object of its own and hands it over once it succeeded,
    // so a failed one leaves this one as it was.
    void TakeUploadedConfig(const cTZL& uploaded);
    // Sets every trip parameter that lies outside its present limits (after
    // a load, an upload or a change of the system values) back to its
    // default, and says which.
    QList<ParameterCorrection> ResetParametersOutsideLimits();
    // Prints the configuration in memory as a report and ends the document;
    // false when the printer could not produce it.
    bool PrintConfig(IPrinter& printer) const;

    // ---- system parameters ----

    float SystemType() const { return m_System.SystemType(); }
    float SystemVolts() const { return m_System.SystemVolts(); }
    float SystemCurrent() const { return m_System.SystemCurrent(); }
    // Clamp the value, then rescale the trip parameters that depend on it in
    // proportion to the change.
    void SetSystemVolts(float volts);
    void SetSystemCurrent(float current);
    float PhasePower() const;
    float SystemPower() const;
    float PowerFactorAverage() const { return Inputs.PowerFactorAverage(); }

    // Range and default of a trip parameter for the present system values;
    // all 0 where the function has no such parameter.
    void ParamLimits(std::int16_t functionIndex, std::int16_t position, float& minimum,
                     float& maximum, float& defaultValue) const;

    // ---- trip parameters ----

    void AdjustCurrentBasedParameters(float ratio)
    {
        m_Rescaler.AdjustCurrentBasedParameters(ratio);
    }
    void AdjustVoltBasedParameters(float ratio) { m_Rescaler.AdjustVoltBasedParameters(ratio); }
    // Changes a relay's function and loads the new function's defaults.
    void SetTripFunction(std::int16_t relay, std::int16_t functionIndex)
    {
        m_Editor.SetTripFunction(relay, functionIndex);
    }
    // Rounds and limits the value, stores it and hands the stored value back.
    void SetTripParameterValue(std::int16_t relay, std::int16_t position, float& value)
    {
        m_Editor.SetTripParameterValue(relay, position, value);
    }

private:
    struct ProductItem;
    static const ProductItem FirmwareVersionItem;
    static const ProductItem PSCNumberItem;
    static const ProductItem PSCIssueItem;
    // Nothing when the exchange fails or the echo names another item.
    std::optional<float> QueryProductInfo(std::int16_t slave, const ProductItem& item);
    // The old and new value of a system parameter give the factor its trip
    // parameters move by; nothing moves when there is no old value to scale.
    static bool RescaleRatio(float oldValue, float newValue, float& ratio);

    frmModbus& m_Link;
    IUserInterface& m_UI;
    cTZLHoldingRegisters m_System;
    TripParameterRescaler m_Rescaler;
    TripParameterEditor m_Editor;
    float m_VersionNumber = 0.0f;
    float m_PSCNumber = 0.0f;
    float m_PSCIssue = 0.0f;
};
