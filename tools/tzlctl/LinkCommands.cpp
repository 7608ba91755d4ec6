// Raw register access and the link benchmark.

#include "CommandTable.h"
#include "TransactionBenchmark.h"

#include "link/frmModbus.h"
#include "platform/ConsoleUserInterface.h"
#include "platform/FloatText.h"

#include <QTextStream>
#include <vector>

namespace {

constexpr int MaxReadRegisters = 124; // a read response must fit one RTU frame
constexpr int MaxWriteValues = 61;    // a request writes at most 123 registers

int ReadRegisters(CommandContext& context, const QStringList& args, bool inputRegisters)
{
    RequireArgumentCount(args, 2, 2);
    const int start = ParseIntArgument(args[0], QStringLiteral("START"), 0, 32767);
    const int count = ParseIntArgument(args[1], QStringLiteral("COUNT"), 2, MaxReadRegisters);
    if (count % 2 != 0)
        throw UsageError("COUNT must be even: every value takes two registers");
    std::vector<float> values;
    const bool ok = inputRegisters
                        ? context.Modbus.ReadInputRegisters(context.Slave, std::int16_t(start),
                                                            std::int16_t(count), values)
                        : context.Modbus.ReadHoldingRegisters(context.Slave, std::int16_t(start),
                                                              std::int16_t(count), values);
    if (!ok)
        return ExitRelayFailed;
    for (float value : values)
        context.Out << ShortestFloatText(value) << '\n';
    return ExitOk;
}

int WriteRegisters(CommandContext& context, const QStringList& args)
{
    RequireArgumentCount(args, 2, -1);
    if (args.size() - 1 > MaxWriteValues)
        throw UsageError(
            QStringLiteral("at most %1 values fit one request").arg(MaxWriteValues).toStdString());
    const int start = ParseIntArgument(args[0], QStringLiteral("START"), 0, 32767);
    std::vector<float> values;
    for (qsizetype i = 1; i < args.size(); ++i)
        values.push_back(ParseFloatArgument(args[i], QStringLiteral("VALUE")));
    const auto count = std::int16_t(2 * values.size());
    const int messagesBefore = context.UI.MessageCount();
    if (context.Modbus.WriteHoldingRegisters(context.Slave, std::int16_t(start), count, values))
        return ExitOk;
    // The link refuses a wrong write echo without a word; say why here.
    if (context.UI.MessageCount() == messagesBefore)
        context.Err << "tzlctl: the relay's answer did not confirm the write\n";
    return ExitRelayFailed;
}

int Bench(CommandContext& context, QStringList args)
{
    const bool compare = args.removeAll(QStringLiteral("--compare-framing")) > 0;
    int count = 100;
    if (!args.isEmpty()) {
        if (args.size() != 2 || args[0] != QStringLiteral("--count"))
            throw UsageError("expected: bench [--count N] [--compare-framing]");
        count = ParseIntArgument(args[1], QStringLiteral("N"), 1, 1000000);
    }
    TransactionBenchmark bench(context.Modbus, context.Slave);
    if (compare) {
        const auto comparison = bench.Compare(count);
        if (!comparison)
            return ExitRelayFailed;
        comparison->Print(context.Out);
        return ExitOk;
    }
    const auto result = bench.Run(count);
    if (!result)
        return ExitRelayFailed;
    result->Print(context.Out);
    return ExitOk;
}

} // namespace

void AddLinkCommands(CommandTable& table)
{
    table.Add({QStringLiteral("read-holding"), QStringLiteral("START COUNT"),
               QStringLiteral("read COUNT holding registers from START; prints COUNT/2 values"),
               [](CommandContext& c, const QStringList& a) { return ReadRegisters(c, a, false); }});
    table.Add({QStringLiteral("read-input"), QStringLiteral("START COUNT"),
               QStringLiteral("read COUNT input registers from START; prints COUNT/2 values"),
               [](CommandContext& c, const QStringList& a) { return ReadRegisters(c, a, true); }});
    table.Add({QStringLiteral("write"), QStringLiteral("START VALUE..."),
               QStringLiteral("write the values to holding registers from START in one request"),
               WriteRegisters});
    table.Add({QStringLiteral("bench"), QStringLiteral("[--count N] [--compare-framing]"),
               QStringLiteral("time N reads of 4 registers at 238 (default 100); "
                              "--compare-framing times N in each way of ending a response"),
               Bench});
}
