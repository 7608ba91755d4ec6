// The differences between two configurations, one kind of field at a time,
// and values the relay would store alike.

#include "Golden.h"
#include "model/ConfigComparison.h"

#include <QTest>
#include <functional>

namespace {

// Relay 2 as an Over Volts trip (index 1) and relay 5 as a Time Overcurrent
// (index 14), so that parameters have names and units.
ConfigSnapshot Base()
{
    ConfigSnapshot s;
    s.SystemVolts = 11000.0f;
    s.SystemCurrent = 500.0f;
    for (int r = 1; r <= cTripCatalogue::RelayCount; ++r)
        s.Trips[std::size_t(r - 1)].Name = QStringLiteral("Relay Trip %1").arg(r);
    TripRecord& overVolts = s.Trips[1];
    overVolts.FunctionIndex = 1;
    overVolts.Flags = TripFlag::Inverted | TripFlag::Logged;
    overVolts.ParameterValues = {12100.0f, 110.0f, 2.0f, 0, 0, 0};
    TripRecord& overcurrent = s.Trips[4];
    overcurrent.FunctionIndex = 14;
    overcurrent.ParameterValues = {550.0f, 2.0f, 1.3f, 0, 0, 0};
    return s;
}

} // namespace

class tst_ConfigComparison : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The golden holds the differences each change makes, none for those
    // that make none.
    void EachKindOfField()
    {
        using Names = ConfigComparison::Names;
        const std::tuple<const char*, Names, std::function<void(ConfigSnapshot&)>> cases[] = {
            {"system type", Names::Ignored, [](ConfigSnapshot& s) { s.SystemType = 2; }},
            {"volts", Names::Ignored, [](ConfigSnapshot& s) { s.SystemVolts = 415; }},
            {"current", Names::Ignored, [](ConfigSnapshot& s) { s.SystemCurrent = 250; }},
            {"name between files", Names::Compared,
             [](ConfigSnapshot& s) { s.Trips[1].Name = QStringLiteral("Bus over volts"); }},
            {"name against a relay, which holds none", Names::Ignored,
             [](ConfigSnapshot& s) { s.Trips[1].Name = QStringLiteral("Bus over volts"); }},
            {"each flag", Names::Ignored,
             [](ConfigSnapshot& s) { s.Trips[1].Flags = TripFlag::Alarm | TripFlag::Latched; }},
            {"flag bits with no meaning", Names::Ignored,
             [](ConfigSnapshot& s) { s.Trips[1].Flags |= 0x30; }},
            {"parameter with its unit", Names::Ignored,
             [](ConfigSnapshot& s) { s.Trips[1].ParameterValues[0] = 13200; }},
            {"parameter beyond the function's count", Names::Ignored,
             [](ConfigSnapshot& s) { s.Trips[1].ParameterValues[4] = 7; }},
            {"function, with the parameters it changes", Names::Ignored,
             [](ConfigSnapshot& s) {
                 s.Trips[15].FunctionIndex = 18; // Phase Order: a time delay
                 s.Trips[15].ParameterValues[0] = 0.2f;
             }},
            // Rounding alone: the relay keeps time delays in tenths and curves
            // in whole numbers, so the first two read back the same.
            {"delay that rounds to the same tenth", Names::Ignored,
             [](ConfigSnapshot& s) { s.Trips[1].ParameterValues[2] = 2.04f; }},
            {"curve that rounds down to the same number", Names::Ignored,
             [](ConfigSnapshot& s) { s.Trips[4].ParameterValues[1] = 2.7f; }},
            {"delay on the next tenth", Names::Ignored,
             [](ConfigSnapshot& s) { s.Trips[1].ParameterValues[2] = 2.05f; }},
            {"trip point is not rounded", Names::Ignored,
             [](ConfigSnapshot& s) { s.Trips[4].ParameterValues[0] = 550.01f; }}};
        QString produced;
        for (const auto& [name, names, change] : cases) {
            ConfigSnapshot changed = Base();
            change(changed);
            produced += QStringLiteral("%1:\n").arg(name);
            for (const ConfigDifference& d : ConfigComparison::Compare(Base(), changed, names))
                produced += QStringLiteral("  %1|%2|%3\n").arg(d.Where, d.Old, d.New);
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("config-comparison.txt"), produced);
    }

    void ReportListsEveryDifference()
    {
        ConfigSnapshot changed = Base();
        changed.SystemVolts = 415;
        changed.Trips[1].ParameterValues[0] = 13200;
        const auto differences =
            ConfigComparison::Compare(Base(), changed, ConfigComparison::Names::Ignored);
        QCOMPARE(ConfigComparison::Report(differences, "TZL", "site.tcf", "same"),
                 QStringLiteral("2 differences (TZL -> site.tcf):\n"
                                "Primary VT value: 11000 V -> 415 V\n"
                                "Relay 2 Trip Point: 12100 V -> 13200 V\n"));
        QCOMPARE(ConfigComparison::Report({}, "TZL", "site.tcf", "same"), QStringLiteral("same\n"));
    }
};

QTEST_GUILESS_MAIN(tst_ConfigComparison)
#include "tst_ConfigComparison.moc"
