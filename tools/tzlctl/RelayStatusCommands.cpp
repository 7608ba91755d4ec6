// The live state of the 16 output relays: reading it, resetting latches and
// acknowledging alarms.

#include "CommandTable.h"

#include "link/frmModbus.h"
#include "platform/ConsoleUserInterface.h"
#include "trips/cTZLTrips.h"

#include <QTextStream>

namespace {

QString YesNo(bool on)
{
    return on ? QStringLiteral("yes") : QStringLiteral("no ");
}

void PrintStatus(QTextStream& out, const cTZLTrips& trips, std::int16_t relay)
{
    out << QStringLiteral("Relay %1: tripped %2  latched %3  in alarm %4  acknowledged %5")
               .arg(relay, 2)
               .arg(YesNo(trips.state(relay)), YesNo(trips.IsActive(relay)),
                    YesNo(trips.IsInAlarm(relay)), YesNo(trips.IsAcknowledged(relay)))
               .trimmed()
        << '\n';
}

// The relay named on the command line, or 0 for all of them.
std::int16_t RelayArgument(const QStringList& args)
{
    RequireArgumentCount(args, 0, 1);
    return args.isEmpty() ? std::int16_t(0)
                          : std::int16_t(ParseIntArgument(args[0], QStringLiteral("RELAY"), 1,
                                                          cTripCatalogue::RelayCount));
}

int Status(CommandContext& context, const QStringList& args)
{
    RequireArgumentCount(args, 0, 0);
    cTZLTrips trips(context.Modbus, context.UI, context.Clock);
    if (!trips.UploadAllStatus(context.Slave))
        return ExitRelayFailed;
    for (std::int16_t relay = 1; relay <= cTripCatalogue::RelayCount; ++relay)
        PrintStatus(context.Out, trips, relay);
    return ExitOk;
}

// A fresh process knows nothing of the relays, and the commands act only on
// what the status shows: read it first, then act as the configurator does.
template <typename One, typename All>
int ActOnRelays(CommandContext& context, const QStringList& args, One actOnOne, All actOnAll)
{
    const std::int16_t relay = RelayArgument(args);
    cTZLTrips trips(context.Modbus, context.UI, context.Clock);
    const bool read = relay == 0 ? trips.UploadAllStatus(context.Slave)
                                 : trips.UploadStatus(context.Slave, relay);
    if (!read)
        return ExitRelayFailed;
    const bool done =
        relay == 0 ? (trips.*actOnAll)(context.Slave) : (trips.*actOnOne)(context.Slave, relay);
    for (std::int16_t r = 1; r <= cTripCatalogue::RelayCount; ++r) {
        if (relay == 0 || r == relay)
            PrintStatus(context.Out, trips, r);
    }
    return done ? ExitOk : ExitRelayFailed;
}

} // namespace

void AddRelayStatusCommands(CommandTable& table)
{
    table.Add({QStringLiteral("status"), QString(),
               QStringLiteral("read the status of the 16 relays: tripped, latched, in alarm, "
                              "acknowledged"),
               Status});
    table.Add({QStringLiteral("reset-trips"), QStringLiteral("[RELAY]"),
               QStringLiteral("reset the latched trips of all relays, or of RELAY (1-16)"),
               [](CommandContext& c, const QStringList& a) {
                   return ActOnRelays(c, a, &cTZLTrips::ResetTrip, &cTZLTrips::ResetTrips);
               }});
    table.Add({QStringLiteral("ack-alarms"), QStringLiteral("[RELAY]"),
               QStringLiteral("acknowledge the alarms of all relays, or of RELAY (1-16)"),
               [](CommandContext& c, const QStringList& a) {
                   return ActOnRelays(c, a, &cTZLTrips::AcknowledgeAlarm,
                                      &cTZLTrips::AcknowledgeAlarms);
               }});
}
