// tzl-relay-sim: a TZL relay on a pseudo-terminal, a serial device or TCP.
#include "PtyFrontEnd.h"
#include "RandomFaults.h"
#include "RtuSlave.h"
#include "SerialDeviceFrontEnd.h"
#include "SimCommandLine.h"
#include "SimFaults.h"
#include "SimulatedRelay.h"
#include "SlaveSession.h"
#include "TcpFrontEnd.h"
#include "platform/StopSignals.h"

#include <QCoreApplication>
#include <cstdio>
#include <memory>
#include <random>

namespace {

constexpr int ExitOk = 0;
constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

void PrintLine(std::FILE* stream, const QString& text)
{
    std::fputs(qPrintable(text + u'\n'), stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    SimulatedRelay relay;
    SimFaults faults;
    SimCommandLine commandLine;
    switch (commandLine.Parse(app.arguments().mid(1), relay, faults)) {
    case SimCommandLine::Outcome::ShowHelp:
        std::fputs(qPrintable(SimCommandLine::HelpText()), stdout);
        return ExitOk;
    case SimCommandLine::Outcome::ShowVersion:
        PrintLine(stdout, SimCommandLine::VersionText());
        return ExitOk;
    case SimCommandLine::Outcome::UsageError:
        PrintLine(stderr, QStringLiteral("tzl-relay-sim: ") + commandLine.Error());
        PrintLine(stderr, QStringLiteral("Try 'tzl-relay-sim --help'."));
        return ExitUsage;
    case SimCommandLine::Outcome::Serve:
        break;
    }

    RtuSlave slave(relay, faults, commandLine.SlaveID());
    SlaveSession session(slave);
    session.SetCharacterTime(commandLine.Line().CharacterTime());
    if (commandLine.Verbose())
        session.SetLog([](const QString& line) { PrintLine(stderr, line); });

    // A relay that loses its power mid-answer: the line goes with it.
    QObject::connect(&session, &SlaveSession::HungUp, &app, [] { QCoreApplication::exit(ExitOk); });

    StopSignals stop;
    QObject::connect(&stop, &StopSignals::Requested, &app, [] { QCoreApplication::exit(ExitOk); });
    if (!stop.Install()) {
        PrintLine(stderr, QStringLiteral("tzl-relay-sim: cannot install signal handlers"));
        return ExitFailure;
    }
    // Only the front end asked for exists; each sends what the session transmits.
    std::unique_ptr<PtyFrontEnd> pty;
    std::unique_ptr<SerialDeviceFrontEnd> serial;
    std::unique_ptr<TcpFrontEnd> tcp;
    QString error;
    std::unique_ptr<RandomFaults> randomFaults;
    if (const auto rate = commandLine.FaultRate()) {
        const std::uint32_t seed = commandLine.FaultSeed().value_or(std::random_device()());
        // Without the seed a run that found something could not be repeated.
        if (!commandLine.FaultSeed())
            PrintLine(stderr, QStringLiteral("tzl-relay-sim: random fault seed %1").arg(seed));
        randomFaults = std::make_unique<RandomFaults>(*rate, seed);
        if (!commandLine.FaultLog().isEmpty()
            && !randomFaults->SetLog(commandLine.FaultLog(), error)) {
            PrintLine(stderr, QStringLiteral("tzl-relay-sim: ") + error);
            return ExitFailure;
        }
        faults.SetFaultSource(
            [&randomFaults](int exchange) { return randomFaults->Draw(exchange); });
    }
    if (commandLine.Front() == SimCommandLine::FrontEnd::Tcp) {
        tcp = std::make_unique<TcpFrontEnd>(session,
                                            [](const QString& line) { PrintLine(stderr, line); });
        tcp->SetVerbose(commandLine.Verbose());
        if (!tcp->Listen(commandLine.ListenAddress(), commandLine.TcpPort(), error)) {
            PrintLine(stderr, QStringLiteral("tzl-relay-sim: ") + error);
            return ExitFailure;
        }
        PrintLine(stdout, tcp->Address());
    } else if (commandLine.Front() == SimCommandLine::FrontEnd::Pty) {
        pty = std::make_unique<PtyFrontEnd>(session);
        if (!pty->Open(error)) {
            PrintLine(stderr, QStringLiteral("tzl-relay-sim: ") + error);
            return ExitFailure;
        }
        if (commandLine.StrictLine())
            pty->SetStrictLine(commandLine.Line());
        PrintLine(stdout, pty->DevicePath());
    } else {
        serial = std::make_unique<SerialDeviceFrontEnd>(session);
        if (!serial->Open(commandLine.Device(), commandLine.Line(), error)) {
            PrintLine(stderr, QStringLiteral("tzl-relay-sim: ") + error);
            return ExitFailure;
        }
        QObject::connect(serial.get(), &SerialDeviceFrontEnd::Lost, &app,
                         [](const QString& reason) {
                             PrintLine(stderr, QStringLiteral("tzl-relay-sim: lost ") + reason);
                             QCoreApplication::exit(ExitFailure);
                         });
    }
    const int result = app.exec();
    session.Stop();
    if (randomFaults)
        PrintLine(stderr, QStringLiteral("faults injected: %1").arg(randomFaults->Injected()));
    return result;
}
