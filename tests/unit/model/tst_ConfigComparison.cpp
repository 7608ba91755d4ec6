// The differences between two configurations, one kind of field at a time,
// and values the relay would store alike.

#include "model/ConfigComparison.h"

#include <QTest>
#include <functional>

namespace {

using Change = std::function<void(ConfigSnapshot&)>;

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

Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(ConfigComparison::Names)

class tst_ConfigComparison : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void EachKindOfField_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<ConfigComparison::Names>("names");
        QTest::addColumn<QStringList>("expected"); // "WHERE|OLD|NEW"
        const auto compared = ConfigComparison::Names::Compared;
        const auto ignored = ConfigComparison::Names::Ignored;

        QTest::newRow("system type")
            << Change([](ConfigSnapshot& s) { s.SystemType = 2; }) << ignored
            << QStringList{"System type|3 Phase 4 Wire System (3)|3 Phase "
                           "3 Wire System (2)"};
        QTest::newRow("volts") << Change([](ConfigSnapshot& s) { s.SystemVolts = 415; }) << ignored
                               << QStringList{"Primary VT value|11000 V|415 V"};
        QTest::newRow("current") << Change([](ConfigSnapshot& s) { s.SystemCurrent = 250; })
                                 << ignored << QStringList{"Primary CT value|500 A|250 A"};
        QTest::newRow("name between files")
            << Change([](ConfigSnapshot& s) { s.Trips[1].Name = QStringLiteral("Bus over volts"); })
            << compared << QStringList{"Relay 2 name|\"Relay Trip 2\"|\"Bus over volts\""};
        QTest::newRow("name against a relay, which holds none")
            << Change([](ConfigSnapshot& s) { s.Trips[1].Name = QStringLiteral("Bus over volts"); })
            << ignored << QStringList{};
        QTest::newRow("each flag") << Change([](ConfigSnapshot& s) {
            s.Trips[1].Flags = TripFlag::Alarm | TripFlag::Latched;
        }) << ignored
                                   << QStringList{"Relay 2 Fail Safe|yes|no",
                                                  "Relay 2 Alarm|no|yes", "Relay 2 Latched|no|yes",
                                                  "Relay 2 Logged|yes|no"};
        QTest::newRow("flag bits with no meaning")
            << Change([](ConfigSnapshot& s) { s.Trips[1].Flags |= 0x30; }) << ignored
            << QStringList{};
        QTest::newRow("parameter with its unit")
            << Change([](ConfigSnapshot& s) { s.Trips[1].ParameterValues[0] = 13200; }) << ignored
            << QStringList{"Relay 2 Trip Point|12100 V|13200 V"};
        QTest::newRow("parameter beyond the function's count")
            << Change([](ConfigSnapshot& s) { s.Trips[1].ParameterValues[4] = 7; }) << ignored
            << QStringList{};
        QTest::newRow("function, with the parameters it changes")
            << Change([](ConfigSnapshot& s) {
                   s.Trips[15].FunctionIndex = 18; // Phase Order: a time delay
                   s.Trips[15].ParameterValues[0] = 0.2f;
               })
            << ignored
            << QStringList{"Relay 16 function|(UnUsed)|Phase Order (ANSI 47)",
                           "Relay 16 Time Delay|(none)|0.2 Sec"};
        // Rounding alone: the relay keeps time delays in tenths and curves in
        // whole numbers, so these read back the same.
        QTest::newRow("delay that rounds to the same tenth")
            << Change([](ConfigSnapshot& s) { s.Trips[1].ParameterValues[2] = 2.04f; }) << ignored
            << QStringList{};
        QTest::newRow("curve that rounds down to the same number")
            << Change([](ConfigSnapshot& s) { s.Trips[4].ParameterValues[1] = 2.7f; }) << ignored
            << QStringList{};
        QTest::newRow("delay on the next tenth")
            << Change([](ConfigSnapshot& s) { s.Trips[1].ParameterValues[2] = 2.05f; }) << ignored
            << QStringList{"Relay 2 Time Delay|2 Sec|2.1 Sec"};
        QTest::newRow("trip point is not rounded")
            << Change([](ConfigSnapshot& s) { s.Trips[4].ParameterValues[0] = 550.01f; }) << ignored
            << QStringList{"Relay 5 Trip Point|550 A|550.01 A"};
    }

    void EachKindOfField()
    {
        QFETCH(Change, change);
        QFETCH(ConfigComparison::Names, names);
        ConfigSnapshot changed = Base();
        change(changed);
        QStringList found;
        for (const ConfigDifference& d : ConfigComparison::Compare(Base(), changed, names))
            found << d.Where + u'|' + d.Old + u'|' + d.New;
        QTEST(found, "expected");
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
