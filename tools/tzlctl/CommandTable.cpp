#include "CommandTable.h"

#include <cmath>

const Command* CommandTable::Find(const QString& name) const
{
    for (const Command& command : m_Commands)
        if (command.Name == name)
            return &command;
    return nullptr;
}

int ParseIntArgument(const QString& text, const QString& what, int minimum, int maximum)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < minimum || value > maximum)
        throw UsageError(QStringLiteral("%1 must be a whole number from %2 to %3, not \"%4\"")
                             .arg(what)
                             .arg(minimum)
                             .arg(maximum)
                             .arg(text)
                             .toStdString());
    return value;
}

float ParseFloatArgument(const QString& text, const QString& what)
{
    bool ok = false;
    const float value = text.toFloat(&ok);
    // "nan" and "inf" convert, but a relay must never be sent them.
    if (!ok || !std::isfinite(value))
        throw UsageError(
            QStringLiteral("%1 must be a number, not \"%2\"").arg(what, text).toStdString());
    return value;
}

void RequireArgumentCount(const QStringList& args, int minimum, int maximum)
{
    if (args.size() < minimum)
        throw UsageError("missing argument");
    if (maximum >= 0 && args.size() > maximum)
        throw UsageError(
            QStringLiteral("unexpected argument \"%1\"").arg(args[maximum]).toStdString());
}

QString TakeOptionValue(QStringList& args, const QString& option, const QString& valueName)
{
    const qsizetype at = args.indexOf(option);
    if (at < 0)
        return {};
    if (at + 1 >= args.size())
        throw UsageError(QStringLiteral("%1 needs %2").arg(option, valueName).toStdString());
    const QString value = args.at(at + 1);
    args.remove(at, 2);
    return value;
}
