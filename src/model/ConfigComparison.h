#pragma once

#include "trips/ConfigSnapshot.h"

#include <QList>
#include <QString>

// One setting that two configurations hold differently, in words: where it
// is ("Relay 3 Trip Point"), and its value on each side with its unit.
struct ConfigDifference
{
    QString Where;
    QString Old;
    QString New;

    bool operator==(const ConfigDifference&) const = default;
};

// The differences between two configurations, as a person checks them before
// overwriting a relay or after a download: system parameters, and for each
// relay its name, function, flags and parameters.
//
// Parameters are compared as the relay stores them: rounded to the relay's
// resolution on both sides, so that 0.2 and 0.2000001 s are the same delay.
// Limits are not applied: a value the relay cut down is a difference.
class ConfigComparison
{
public:
    // The relay never holds the names; they are compared only between two
    // configurations that both carry them (two files).
    enum class Names { Compared, Ignored };

    static QList<ConfigDifference> Compare(const ConfigSnapshot& old, const ConfigSnapshot& now,
                                           Names names);
    // One line per difference, "WHERE: OLD -> NEW", under a line naming the
    // two sides; or the single line `sameText`.
    static QString Report(const QList<ConfigDifference>& differences, const QString& oldSide,
                          const QString& newSide, const QString& sameText);
};
