#include "model/ParameterCorrection.h"

#include "platform/FloatText.h"

namespace {

QString WithUnit(float value, const QString& unit)
{
    return (ShortestFloatText(value) + u' ' + unit).trimmed();
}

} // namespace

QString ParameterCorrectionsText(const QList<ParameterCorrection>& corrections)
{
    QStringList lines{QStringLiteral("These trip parameters were outside their limits and have "
                                     "been set to their defaults:")};
    for (const ParameterCorrection& c : corrections)
        lines << QStringLiteral("Relay %1 \"%2\" %3: %4 is outside %5 to %6, now %7")
                     .arg(c.Relay)
                     .arg(c.TripName, c.Parameter, WithUnit(c.Was, c.Unit),
                          ShortestFloatText(c.Minimum), WithUnit(c.Maximum, c.Unit),
                          WithUnit(c.Now, c.Unit));
    lines << QStringLiteral("Check them before you download the configuration.");
    return lines.join(u'\n');
}
