#pragma once

#include "trips/TripRecord.h"
#include "trips/cTripCatalogue.h"

#include <QString>
#include <QVariant>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class IClock;
class IUserInterface;
class frmModbus;

// The 16 trip definitions and the live status of the 16 output relays.
//
// The records are the program's copy of the relay's trip definitions; they
// move to and from the relay through the trip-definition window of holding
// registers (58 selects a relay, 60 function code, 62 flags, 64 status,
// 66-76 parameters 1 to 6). The catalogue properties (FunctionName,
// ParameterName, ...) come from cTripCatalogue.
//
// Relay numbers are 1 to 16 throughout. Getters given another number return
// the documented fall-back value; setters given one do nothing. Operations
// that talk to the relay take the slave ID first and return true on success;
// on false the user has already been told why (by the link or here).
class cTZLTrips : public cTripCatalogue
{
public:
    cTZLTrips(frmModbus& link, IUserInterface& ui, IClock& clock);

    // ---- Catalogue questions that depend on the records ----

    // The highest relay function code used by the 16 records.
    int HightestTripCodeUsed() const;
    // True when a relay with this firmware accepts every function in use.
    bool CompatibleWithFirmware(float firmwareVersion) const;

    // ---- Trip definitions on the relay ----

    // Reads relay r's definition into its record (not the name). A relay
    // number echo that differs shows "Relay Number mismatch - Check Word Order
    // Setting" and leaves the record as it was; so does flags or status that
    // is no byte (0 to 255 once rounded), with a message of its own.
    bool UploadTripDef(std::int16_t slave, std::int16_t relay);
    // UploadTripDef for relays 1 to 16, stopping at the first failure. After
    // each relay it waits for the next whole second of the clock, keeping the
    // interface live. `keepGoing`, when given, is asked after each relay
    // whether to go on (a reader the user can cancel); a no ends the upload
    // with false.
    bool UploadAllTripDefs(std::int16_t slave,
                           const std::function<bool(std::int16_t relay)>& keepGoing = {});
    // Writes relay r's definition (status as 0) and stores what the relay
    // reads back. A read-back for another relay fails without a message; one
    // whose flags or status is no byte fails with a message.
    bool DownloadTrip(std::int16_t slave, std::int16_t relay);
    // DownloadTrip for relays 1 to 16, stopping at the first failure; after
    // relay 16 deselects the window (0 to register 58), whose result it gives.
    bool Download(std::int16_t slave);

    // ---- Record accessors (no relay traffic) ----

    QString TripName(std::int16_t relay) const;   // "(Unknown)" for a bad relay
    int FunctionNumber(std::int16_t relay) const; // function index; 0 for a bad relay
    int AlarmFlag(std::int16_t relay) const;      // 1 set, 0 clear or bad relay
    int LoggedFlag(std::int16_t relay) const;
    int InvertedFlag(std::int16_t relay) const;
    int LatchedFlag(std::int16_t relay) const;
    // -1.0 for a bad relay; 0 for a position outside 1 to the function's
    // parameter count, whatever the slot holds.
    float ParameterValue(std::int16_t relay, std::int16_t position) const;

    // Stores the name trimmed of blanks. An empty name, one holding a tab, a
    // line break or one that reads as a number makes the name "Relay " and the
    // relay number. A double quote, which a configuration file cannot hold
    // inside a name, becomes an apostrophe.
    void SetName(std::int16_t relay, const QVariant& name);
    void SetAlarmFlag(std::int16_t relay, bool on);
    void SetLoggedFlag(std::int16_t relay, bool on);
    void SetInvertedFlag(std::int16_t relay, bool on);
    void SetLatchedFlag(std::int16_t relay, bool on);
    // Stores the value in slot 1 to 6 as it is: no rounding, no limits, and
    // whatever the function's parameter count.
    void SetParameterValue(std::int16_t relay, std::int16_t position, float value);

    // Sets the function; a different (or invalid, taken as 0) function clears
    // the six parameters and then, for function 0, all flags, otherwise sets
    // the fail-safe flag and keeps the others. The same function changes
    // nothing.
    void InitialiseTripRecord(std::int16_t relay, std::int16_t functionIndex);
    // Every record back to "Relay Trip <r>", function 0, flags 0, parameters
    // 0. The status bytes are left alone.
    void Clear();

    // The whole record of a relay (a default record for a bad relay number),
    // and its replacement as a configuration file delivers it: name, function,
    // flags and parameters taken as they are; the live status is kept.
    TripRecord TripDefinition(std::int16_t relay) const;
    void SetTripDefinition(std::int16_t relay, const TripRecord& record);
    // Every relay's definition and status as another object holds them: an
    // upload read into one of its own is taken over only once it is whole.
    void TakeRecords(const cTZLTrips& other) { m_Records = other.m_Records; }

    // The name as a configuration file can hold it: double quotes become
    // apostrophes and line breaks blanks.
    static QString StorableName(const QString& name);

    // ---- Relay status ----

    // Reads relay r's status byte. Reports its own failures ("Invalid Relay
    // Number!", "Modbus Write Request Failed", "Modbus Read Request Failed",
    // "Relay number mismatch - check Word Order Setting").
    bool UploadStatus(std::int16_t slave, std::int16_t relay);
    // UploadStatus for relays 1 to 16, stopping at the first failure.
    bool UploadAllStatus(std::int16_t slave);
    // Resets relay r's latch (command 16.0) if the record shows it latched and
    // the relay still has it; stores the status read back. Without a latch in
    // the record it succeeds at once without traffic. A window that answers
    // for another relay stores nothing and fails, like any other failure with
    // "Reset of latch for Relay <r> failed".
    bool ResetTrip(std::int16_t slave, std::int16_t relay);
    // ResetTrip for relays 1 to 16, stopping at the first failure; true when
    // all succeeded.
    bool ResetTrips(std::int16_t slave);
    // Acknowledges relay r's alarm (command 4.0) if the record shows it in
    // alarm and unacknowledged and the relay agrees; stores the status read
    // back.
    bool AcknowledgeAlarm(std::int16_t slave, std::int16_t relay);
    bool AcknowledgeAlarms(std::int16_t slave);

    // The status bits; false for a bad relay number.
    bool state(std::int16_t relay) const;    // tripped
    bool IsActive(std::int16_t relay) const; // latched
    bool IsAcknowledged(std::int16_t relay) const;
    bool IsInAlarm(std::int16_t relay) const;
    // Relays latched; relays in alarm and not acknowledged. No relay traffic.
    int LatchedCount() const;
    int UnackedAlarmCount() const;
    // Bit r - 1 set for each relay r in alarm and not acknowledged.
    std::uint16_t UnackedAlarmRelays() const;
    // Every status byte to 0.
    void InitialiseRelayStatus();

private:
    bool ForEveryRelay(std::int16_t slave, bool (cTZLTrips::*action)(std::int16_t, std::int16_t));
    struct StatusCommand;

    TripRecord* Record(std::int16_t relay);
    const TripRecord* Record(std::int16_t relay) const;
    bool FlagSet(std::int16_t relay, std::uint8_t bit) const;
    void SetFlag(std::int16_t relay, std::uint8_t bit, bool on);
    bool StatusSet(std::int16_t relay, std::uint8_t bit) const;

    bool SelectRelay(std::int16_t slave, std::int16_t relay);
    bool ReadWindow(std::int16_t slave, int values, std::vector<float>& window);
    bool StoreWindow(std::int16_t relay, const std::vector<float>& window,
                     const QString& errorTitle);
    void ShowOutOfRange(std::int16_t relay, const QString& title);
    void PauseToNextSecond();
    bool RunStatusCommand(std::int16_t slave, std::int16_t relay, const StatusCommand& command);
    bool SendStatusCommand(std::int16_t slave, std::int16_t relay, const StatusCommand& command);

    frmModbus& m_Link;
    IUserInterface& m_UI;
    IClock& m_Clock;
    std::array<TripRecord, RelayCount> m_Records;
};
