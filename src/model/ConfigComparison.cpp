#include "model/ConfigComparison.h"

#include "model/SystemTypeText.h"
#include "model/TripParameterRounding.h"
#include "platform/FloatText.h"

#include <algorithm>

namespace {

struct FlagName
{
    std::uint8_t Bit;
    const char* Name;
};

constexpr FlagName Flags[] = {{TripFlag::Inverted, "Fail Safe"},
                              {TripFlag::Alarm, "Alarm"},
                              {TripFlag::Latched, "Latched"},
                              {TripFlag::Logged, "Logged"}};

QString WithUnit(float value, const QString& unit)
{
    return (ShortestFloatText(value) + u' ' + unit).trimmed();
}

// Adds a difference unless the values are equal; NaN never equals anything,
// so a relay answering NaN always shows.
void AddIfDifferent(QList<ConfigDifference>& list, const QString& where, float old, float now,
                    const QString& unit)
{
    if (!(old == now))
        list.append({where, WithUnit(old, unit), WithUnit(now, unit)});
}

// A parameter position the function does not have reads "(none)".
struct ParameterSide
{
    bool Exists;
    float Value;
    QString Unit;
};

ParameterSide Parameter(const TripRecord& record, std::int16_t position)
{
    const auto function = std::int16_t(record.FunctionIndex);
    if (position > cTripCatalogue::NumberOfParameters(function))
        return {false, 0.0f, {}};
    return {true, RoundAsRelayStores(function, position, record.ParameterValues[position - 1]),
            cTripCatalogue::ParameterUnitName(function, position).trimmed()};
}

QString ParameterText(const ParameterSide& side)
{
    return side.Exists ? WithUnit(side.Value, side.Unit) : QStringLiteral("(none)");
}

void CompareParameters(QList<ConfigDifference>& list, const QString& relay, const TripRecord& old,
                       const TripRecord& now)
{
    const auto oldFunction = std::int16_t(old.FunctionIndex);
    const auto newFunction = std::int16_t(now.FunctionIndex);
    const int positions = std::max(cTripCatalogue::NumberOfParameters(oldFunction),
                                   cTripCatalogue::NumberOfParameters(newFunction));
    for (std::int16_t p = 1; p <= positions; ++p) {
        const ParameterSide a = Parameter(old, p);
        const ParameterSide b = Parameter(now, p);
        if (a.Exists == b.Exists && a.Value == b.Value && a.Unit == b.Unit)
            continue;
        // Named after the new function, which the reader is about to have.
        const QString name = b.Exists ? cTripCatalogue::ParameterName(newFunction, p)
                                      : cTripCatalogue::ParameterName(oldFunction, p);
        list.append({relay + u' ' + name.trimmed(), ParameterText(a), ParameterText(b)});
    }
}

QString YesNo(bool on)
{
    return on ? QStringLiteral("yes") : QStringLiteral("no");
}

} // namespace

QList<ConfigDifference> ConfigComparison::Compare(const ConfigSnapshot& old,
                                                  const ConfigSnapshot& now, Names names)
{
    QList<ConfigDifference> list;
    if (!(old.SystemType == now.SystemType))
        list.append({QStringLiteral("System type"),
                     SystemTypeText(old.SystemType) + QStringLiteral(" (")
                         + ShortestFloatText(old.SystemType) + u')',
                     SystemTypeText(now.SystemType) + QStringLiteral(" (")
                         + ShortestFloatText(now.SystemType) + u')'});
    AddIfDifferent(list, QStringLiteral("Primary VT value"), old.SystemVolts, now.SystemVolts,
                   QStringLiteral("V"));
    AddIfDifferent(list, QStringLiteral("Primary CT value"), old.SystemCurrent, now.SystemCurrent,
                   QStringLiteral("A"));

    for (int r = 1; r <= cTripCatalogue::RelayCount; ++r) {
        const TripRecord& a = old.Trips[std::size_t(r - 1)];
        const TripRecord& b = now.Trips[std::size_t(r - 1)];
        const QString relay = QStringLiteral("Relay %1").arg(r);
        if (names == Names::Compared && a.Name != b.Name)
            list.append(
                {relay + QStringLiteral(" name"), u'"' + a.Name + u'"', u'"' + b.Name + u'"'});
        if (a.FunctionIndex != b.FunctionIndex)
            list.append({relay + QStringLiteral(" function"),
                         cTripCatalogue::FunctionName(a.FunctionIndex),
                         cTripCatalogue::FunctionName(b.FunctionIndex)});
        for (const FlagName& flag : Flags) {
            const bool oldOn = (a.Flags & flag.Bit) != 0;
            const bool newOn = (b.Flags & flag.Bit) != 0;
            if (oldOn != newOn)
                list.append({relay + u' ' + QLatin1String(flag.Name), YesNo(oldOn), YesNo(newOn)});
        }
        CompareParameters(list, relay, a, b);
    }
    return list;
}

QString ConfigComparison::Report(const QList<ConfigDifference>& differences, const QString& oldSide,
                                 const QString& newSide, const QString& sameText)
{
    if (differences.isEmpty())
        return sameText + u'\n';
    QString text =
        QStringLiteral("%1 difference%2 (%3 -> %4):\n")
            .arg(differences.size())
            .arg(differences.size() == 1 ? QString() : QStringLiteral("s"), oldSide, newSide);
    for (const ConfigDifference& d : differences)
        text += QStringLiteral("%1: %2 -> %3\n").arg(d.Where, d.Old, d.New);
    return text;
}
