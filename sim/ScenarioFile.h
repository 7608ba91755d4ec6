#pragma once

#include <QString>

class SimFaults;
class SimulatedRelay;

// A scenario: the state a training relay starts in, as a small text file. One
// statement a line, words separated by blanks, '#' starts a comment:
//
//   volts 11000                        system volts
//   current 500                        system current
//   type 3                             system type (2 = 3-wire, 3 = 4-wire)
//   firmware 2.5                       firmware version
//   psc-number 1234                    PSC number
//   psc-issue 3                        PSC issue
//   clock 2026-03-15 13:05:09          relay clock
//   trip 3 1 7 121 1.1 0.2             relay, function code, flags, parameters 1..6
//                                      (missing parameters are 0)
//   status 3 tripped latched           relay and its status: tripped, latched,
//                                      alarm, acknowledged (or one number 0..255)
//   event 2 3 2026-03-14 08:00:05      event number, relay, date, time; events
//                                      are delivered in the order of the file
//   measurement 0 231.5                pins the input register pair at 0
//   fault short:3@2                    as the --fault option
//   store-limit 66 150                 a value written to holding pair 66 is
//                                      stored at most 150
//   store-step 70 0.5                  ... is stored to the nearest 0.5
class ScenarioFile
{
public:
    // Applies every statement of the file to the relay and the faults.
    // Returns false with "FILE:LINE: reason" at the first statement that
    // cannot be understood (statements before it have been applied).
    static bool Load(const QString& path, SimulatedRelay& relay, SimFaults& faults, QString& error);
    // As Load, for text already read; `origin` names it in errors.
    static bool Apply(const QString& text, const QString& origin, SimulatedRelay& relay,
                      SimFaults& faults, QString& error);
    // Status bits from words ("tripped", "latched", "alarm", "acknowledged")
    // or from one number; -1 when not understood.
    static int ParseStatus(const QStringList& words);
    // "store-limit" or "store-step" for the holding pair `reg` with `value`;
    // false with the reason when either does not fit.
    static bool ApplyStoreRule(const QString& rule, const QString& reg, const QString& value,
                               SimulatedRelay& relay, QString& error);
};
