#include "FocusHarness.h"
#include "Golden.h"
#include "SimulatedDevice.h"

#include "shell/fraSystem.h"
#include "shell/fraTrip.h"
#include "trips/cConfigFile.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <cmath>
#include <cstring>
#include <limits>
#include <tuple>
#include <utility>

namespace {

constexpr int UnUsed = 0;
constexpr int OverVolts = 1;
constexpr int SyncCheck = 16;
constexpr int SyncCheckDeadbus = 17;

// The trip editor in a window, on the device object of a simulated relay,
// with the main window's part played here: it counts the data-modified
// reports and redraws its current tab after each, commits open entries
// before it shows another tab, and redraws as the polling does.
struct Editor : SimulatedDevice
{
    fraTrip* Frame = new fraTrip(Device);
    FocusHarness Harness{Frame};
    std::int16_t CurrentTab = 3;
    int Modified = 0;

    Editor()
    {
        Frame->FillTripFunctionList();
        QObject::connect(Frame, &fraTrip::DataModified, [this] {
            ++Modified;
            Redraw();
        });
    }
    void Show(std::int16_t relay)
    {
        Frame->CommitPendingEdits();
        CurrentTab = relay;
        Frame->ShowTripDefinition(relay);
    }
    void Redraw() { Frame->ShowTripDefinition(CurrentTab); }
    template <typename T>
    T* Control(const QString& name) const
    {
        return Frame->findChild<T*>(name);
    }
    QLineEdit* Name() const { return Control<QLineEdit>(QStringLiteral("txtTripName")); }
    QComboBox* Function() const { return Control<QComboBox>(QStringLiteral("cboTripFn")); }
    QLineEdit* Parameter(int row) const
    {
        return Control<QLineEdit>(QStringLiteral("txtTripParameter%1").arg(row));
    }
    float Value(std::int16_t relay, int position) const
    {
        return Device.TripData.ParameterValue(relay, std::int16_t(position));
    }
    // A label's text, or "(hidden)".
    QString Seen(const QString& name) const
    {
        const auto* label = Control<QLabel>(name);
        return label->isVisibleTo(Frame) ? label->text() : QStringLiteral("(hidden)");
    }
    // The editor as the user and assistive technology see it: name,
    // function and ticked modes, then each parameter row with a shown box:
    // caption, value, unit, range tip and accessible name.
    QString Dump() const
    {
        QStringList lines{Name()->text() + QStringLiteral(" | ") + Function()->currentText()};
        for (const char* mode : {"chkInverted", "chkAlarm", "chkLatched", "chkLogged"})
            if (Control<QCheckBox>(QLatin1String(mode))->isChecked())
                lines[0] += QStringLiteral(" | ") + QLatin1String(mode);
        if (!Control<QGroupBox>(QStringLiteral("fraTripParameters"))->isVisibleTo(Frame))
            lines << QStringLiteral("  no parameters");
        for (int row = 0; row < 6; ++row) {
            if (!Parameter(row)->isVisibleTo(Frame))
                continue;
            lines << QStringLiteral("  %1 %2 = %3 %4 | %5 | %6")
                         .arg(row + 1)
                         .arg(Seen(QStringLiteral("lblTripParameter%1").arg(row)),
                              Parameter(row)->text(),
                              Seen(QStringLiteral("lblTripParamUnit%1").arg(row)),
                              Parameter(row)->toolTip(), Parameter(row)->accessibleName());
        }
        return lines.join(u'\n') + u'\n';
    }
};

// The System tab in a window, on the device object of a simulated relay; the
// main window's part is to count what the tab reports.
struct SystemTab : SimulatedDevice
{
    fraSystem* Frame = new fraSystem(Device);
    FocusHarness Harness{Frame};
    int Modified = 0;
    int GetTime = 0;
    int SendTime = 0;

    SystemTab()
    {
        QObject::connect(Frame, &fraSystem::DataModified, [this] { ++Modified; });
        QObject::connect(Frame, &fraSystem::GetTimeRequested, [this] { ++GetTime; });
        QObject::connect(Frame, &fraSystem::SendTimeRequested, [this] { ++SendTime; });
        Frame->ShowSystemTab();
    }
    template <typename T>
    T* Control(const char* name) const
    {
        return Frame->findChild<T*>(QLatin1String(name));
    }
    QLineEdit* Volts() const { return Control<QLineEdit>("txtSystemVolts"); }
    QComboBox* Current() const { return Control<QComboBox>("cboSystemCurrent"); }
    QString Text(const char* box) const { return Control<QLineEdit>(box)->text(); }
    QStringList Power() const
    {
        return {Text("txtSystemPower"), Control<QLabel>("lblSysPowerUnits")->text()};
    }
    bool Shown(const char* control) const { return Control<QWidget>(control)->isVisibleTo(Frame); }
    bool ClockShown() const
    {
        return Shown("dtpDate") && Shown("dtpTime") && Shown("lblDate") && Shown("lblTime");
    }
};

} // namespace

// The two tabs the user types into, Trip 1-16 (fraTrip) and System
// (fraSystem): their wiring, focus and keyboard. How a typed trip parameter
// is read and a value shown is tst_ShellLogic::TripParameterTexts and
// CommittedTextByCause; names, limits, rounding and defaults are the model's
// (tst_cTZLTrips, tst_cTZL).
class tst_EditFrames : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // The name box shows what the model stored, caret at its end, and
    // reports a change only when the stored name changed.
    void TripNameCommit()
    {
        // Before, typed (nothing: the caret is moved instead), caret (-1: as
        // typing left it), characters selected back from it, stored, modified.
        const std::tuple<const char*, const char*, int, int, const char*, bool> rows[] = {
            {"Relay Trip 3", "12345", -1, 0, "Relay 3", true},
            {"Relay 3", "42", -1, 0, "Relay 3", false}, // the fall-back name already
            {"Feeder A", "feeder a", -1, 0, "feeder a", true},
            {"Generator Feeder", "", 10, 0, "Generator", true},
            {"Generator Feeder", "", 16, 6, "Generator Feeder", false},
        };
        for (const auto& [before, typed, caret, selected, stored, modified] : rows) {
            Editor editor;
            QVERIFY(editor.Harness.Active);
            editor.Device.TripData.SetName(3, QLatin1String(before));
            editor.Show(3);
            QLineEdit* box = editor.Name();
            FocusHarness::Type(box, QLatin1String(typed));
            if (caret >= 0)
                box->setCursorPosition(caret);
            box->cursorBackward(true, selected);
            FocusHarness::PressEnter(box);
            QCOMPARE(editor.Device.TripData.TripName(3), QLatin1String(stored));
            QCOMPARE(box->text(), QLatin1String(stored));
            QCOMPARE(box->cursorPosition(), int(strlen(stored)));
            QCOMPARE(editor.Modified, modified ? 1 : 0);
        }
    }

    // Over Volts at 110 V: trip point 5.5 to 132, default 121. The box shows
    // what the relay will hold, not what was typed. A box entered and left as
    // it is, or committed with Enter, stores nothing, so the digits it hides
    // are kept.
    void TripParameterCommit()
    {
        // Stored before (NaN: the default), typed (nothing: the box is only
        // entered), by Enter (otherwise by leaving), row, stored, shown,
        // modified.
        const float Default = std::numeric_limits<float>::quiet_NaN();
        const std::tuple<float, const char*, bool, int, float, const char*, bool> rows[] = {
            {Default, "abc", false, 0, 121.0f, "121.00", false},
            {Default, "121", true, 0, 121.0f, "121.00", false},
            {Default, "1e60", true, 0, 132.0f, "132.00", true},
            {Default, "1.26", false, 2, 1.3f, "1.30", true}, // a time delay to tenths
            {120.99998f, "", true, 0, 120.99998f, "121.00", false},
            {1.125f, "", false, 1, 1.125f, "1.13", false},
            {0.37f, "", true, 2, 0.37f, "0.40", false}, // a delay the relay keeps in tenths
        };
        for (const auto& [before, typed, byEnter, row, stored, shown, modified] : rows) {
            Editor editor;
            QVERIFY(editor.Harness.Active);
            editor.Device.SetTripFunction(3, OverVolts);
            if (!std::isnan(before))
                editor.Device.TripData.SetParameterValue(3, std::int16_t(row + 1), before);
            editor.Show(3);
            QLineEdit* box = editor.Parameter(row);
            const QString range = box->toolTip();
            FocusHarness::Type(box, QLatin1String(typed));
            if (byEnter)
                FocusHarness::PressEnter(box);
            editor.Harness.Leave();
            QCOMPARE(editor.Value(3, row + 1), stored);
            QCOMPARE(box->text(), QLatin1String(shown));
            QCOMPARE(editor.Modified, modified ? 1 : 0);
            QCOMPARE(box->toolTip(), range);
        }
    }

    // A narrower phase angle lowers the slip frequency; the redraw after the
    // commit shows it.
    void TripDependentParameterRedrawn()
    {
        Editor editor;
        QVERIFY(editor.Harness.Active);
        editor.Device.SetTripFunction(3, SyncCheck);
        editor.Show(3);
        for (const auto& [row, typed] : {std::pair{0, "20"}, {4, "0.9"}, {0, "2"}}) {
            FocusHarness::Type(editor.Parameter(row), QLatin1String(typed));
            FocusHarness::PressEnter(editor.Parameter(row));
        }
        QCOMPARE(editor.Value(3, 5), 2.0f / 0.03f / 180.0f);
        QCOMPARE(editor.Parameter(4)->text(), QStringLiteral("0.37"));
        QCOMPARE(editor.Modified, 3);
    }

    // Functions chosen from the list in turn, starting from Over Volts with a
    // trip point off its default: the same function again keeps it; rows come
    // and go with the function and are captioned by it.
    void TripFunctionChosenFromList()
    {
        Editor editor;
        QVERIFY(editor.Harness.Active);
        editor.Device.SetTripFunction(3, OverVolts);
        float tripPoint = 125.0f;
        editor.Device.SetTripParameterValue(3, 1, tripPoint);
        editor.Show(3);
        QString dump;
        for (const int function : {OverVolts, SyncCheckDeadbus, OverVolts, UnUsed, SyncCheck}) {
            FocusHarness::Choose(editor.Function(), function);
            QCOMPARE(editor.Device.TripData.FunctionNumber(3), function);
            dump +=
                QStringLiteral("# chose %1, modified %2 times\n").arg(function).arg(editor.Modified)
                + editor.Dump();
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("fraTrip-functions.txt"), dump);
    }

    void TripFlagClicks()
    {
        Editor editor;
        editor.Device.SetTripFunction(3, OverVolts); // sets fail safe
        editor.Show(3);
        const std::pair<const char*, int> boxes[] = {
            {"chkInverted", 1}, {"chkAlarm", 2}, {"chkLatched", 4}, {"chkLogged", 8}};
        for (const auto& [name, bit] : boxes) {
            auto* check = editor.Control<QCheckBox>(QLatin1String(name));
            const int flags = editor.Device.TripData.TripDefinition(3).Flags;
            QCOMPARE(check->isChecked(), (flags & bit) != 0);
            check->click();
            QCOMPARE(int(editor.Device.TripData.TripDefinition(3).Flags), flags ^ bit);
            QCOMPARE(check->isChecked(), (flags & bit) == 0);
            check->click();
            QCOMPARE(int(editor.Device.TripData.TripDefinition(3).Flags), flags);
        }
        QCOMPARE(editor.Modified, 8);
    }

    // The tab may change while the user is in a box: what he typed belongs to
    // the relay he typed it for.
    void TripCommitGoesToRelayWhereEditBegan()
    {
        for (const bool name : {false, true}) { // the first parameter, then the name
            Editor editor;
            QVERIFY(editor.Harness.Active);
            editor.Device.SetTripFunction(3, OverVolts);
            editor.Device.SetTripFunction(5, OverVolts);
            editor.Show(3);
            QLineEdit* box = name ? editor.Name() : editor.Parameter(0);
            FocusHarness::Type(box, name ? QStringLiteral("Feeder A") : QStringLiteral("100"));
            editor.Show(5);
            // What he types next replaces relay 5's value.
            QCOMPARE(box->selectedText(), box->text());
            editor.Harness.Leave(); // the focus leaves the box only now

            QCOMPARE(editor.Device.TripData.TripName(3),
                     name ? QStringLiteral("Feeder A") : QStringLiteral("Relay Trip 3"));
            QCOMPARE(editor.Value(3, 1), name ? 121.0f : 100.0f);
            QCOMPARE(editor.Device.TripData.TripName(5), QStringLiteral("Relay Trip 5"));
            QCOMPARE(editor.Value(5, 1), 121.0f);
            QCOMPARE(box->text(), name ? QStringLiteral("Relay Trip 5") : QStringLiteral("121.00"));
            QCOMPARE(editor.Modified, 1);
            QCOMPARE(editor.Frame->Relay(), std::int16_t(5));
        }
    }

    // The box the user is in disappears when the next relay's function has
    // fewer parameters; its text belongs to the relay before.
    void TripFocusedRowHiddenByRedraw()
    {
        Editor editor;
        QVERIFY(editor.Harness.Active);
        editor.Device.SetTripFunction(3, SyncCheckDeadbus);
        editor.Device.SetTripFunction(5, OverVolts);
        editor.Device.TripData.SetParameterValue(5, 6, 7.5f); // a slot beyond the three
        editor.Show(3);
        FocusHarness::Enter(editor.Parameter(5));
        editor.Show(5);
        QVERIFY(!editor.Parameter(5)->hasFocus());
        QCOMPARE(editor.Device.TripData.TripDefinition(5).ParameterValues[5], 7.5f);
        QCOMPARE(editor.Modified, 0);
    }

    // A redraw of the same relay, as the polling does, leaves the user's
    // typing alone.
    void TripRedrawOfSameRelayKeepsTyping()
    {
        Editor editor;
        QVERIFY(editor.Harness.Active);
        editor.Device.SetTripFunction(3, OverVolts);
        editor.Show(3);
        FocusHarness::Type(editor.Parameter(0), QStringLiteral("10"));
        editor.Redraw();
        QCOMPARE(editor.Parameter(0)->text(), QStringLiteral("10"));
        QTest::keyClicks(editor.Parameter(0), QStringLiteral("0"));
        FocusHarness::PressEnter(editor.Parameter(0));
        QCOMPARE(editor.Value(3, 1), 100.0f);
        QCOMPARE(editor.Modified, 1);
    }

    // The volts box and the current list commit alike: on Enter and on
    // leaving, only a changed number, clamped to its limits.
    void SystemCommit()
    {
        // Volts (otherwise the current), typed, by Enter (otherwise by
        // leaving), shown after, modified. Stored before: 110 V, 5 A.
        const std::tuple<bool, const char*, bool, const char*, bool> rows[] = {
            {true, "230", true, "230", true},
            {true, "230.5", false, "230.5", true},
            {true, "110", true, "110", false},
            {true, "abc", false, "110", false},
            {true, "   ", true, "110", false},
            {true, "1,000", true, "110", false},
            {true, "1e3", false, "110", false},
            {true, "-", true, "110", false},
            {true, "500000", true, "400000", true},
            {true, "-5", false, "1", true},
            {false, "50", true, "50", true},
            {false, "15", true, "15", true}, // not the start of a list entry
            {false, "10", false, "10", true},
            {false, " 60 ", true, "60", true},
            {false, "abc", false, "5", false},
            {false, "1,000", true, "5", false},
            {false, "20000", true, "10000", true},
        };
        for (const auto& [volts, typed, byEnter, shown, modified] : rows) {
            SystemTab tab;
            QVERIFY(tab.Harness.Active);
            const QStringList power = tab.Power();
            QWidget* box = volts ? static_cast<QWidget*>(tab.Volts()) : tab.Current();
            FocusHarness::Enter(box);
            if (!volts)
                tab.Current()->lineEdit()->selectAll();
            QTest::keyClicks(box, QLatin1String(typed));
            if (byEnter)
                FocusHarness::PressEnter(box);
            else
                tab.Harness.Leave();
            QCOMPARE(volts ? tab.Volts()->text() : tab.Current()->currentText(),
                     QLatin1String(shown));
            QCOMPARE(volts ? tab.Device.SystemVolts() : tab.Device.SystemCurrent(),
                     QString::fromLatin1(shown).toFloat());
            QCOMPARE(tab.Modified, modified ? 1 : 0);
            QCOMPARE(tab.Power() != power, modified);
            QCOMPARE(tab.Current()->count(), 16); // nothing typed was added
        }
    }

    void SystemCurrentChosenFromList()
    {
        SystemTab tab;
        QVERIFY(tab.Harness.Active);
        FocusHarness::Choose(tab.Current(), tab.Current()->findText(QStringLiteral("1500")));
        QCOMPARE(tab.Device.SystemCurrent(), 1500.0f);
        QCOMPARE(tab.Current()->currentText(), QStringLiteral("1500"));
        QCOMPARE(tab.Modified, 1);
        // 110 V and 1500 A on three phases, four wires.
        QCOMPARE(tab.Power(), (QStringList{"495.00", "kW"}));
    }

    // What the tab shows of the relay: the system type as a configuration
    // file gives it, and the product information once read from a relay,
    // its frame only when some item is above 0.
    void SystemRelayFactsShown()
    {
        QString dump;
        for (const float type : {2.0f, 3.0f, 1.0f, 2.5f}) {
            SystemTab tab;
            QTemporaryDir folder;
            const QString path = folder.filePath(QStringLiteral("system.tcf"));
            ConfigSnapshot data;
            data.SystemType = type;
            QVERIFY(cConfigFile(tab.Link.UI()).Save(path, data));
            QVERIFY(tab.Device.LoadConfigFromFile(path));
            tab.Frame->ShowSystemTab();
            dump += QStringLiteral("type %1: %2\n").arg(type).arg(tab.Text("txtSystemType"));
        }
        // Version, PSC number, PSC issue; none: never read.
        const QList<float> products[] = {{}, {3.25f, 1234, 7}, {0, 0, 0}, {0, 0, 2}, {-1, -2, 0}};
        for (const QList<float>& relay : products) {
            SystemTab tab;
            if (!relay.isEmpty()) {
                tab.Link.Relay().SetFirmwareVersion(relay[0]);
                tab.Link.Relay().SetPSCNumber(relay[1]);
                tab.Link.Relay().SetPSCIssue(relay[2]);
                QVERIFY(tab.Device.UploadProductInfo(tab.Link.SlaveID()));
            }
            tab.Frame->ShowSystemTab();
            dump +=
                QStringLiteral("relay %1: %2 | %3 | %4%5\n")
                    .arg(relay.isEmpty() ? QStringLiteral("never read") : QStringLiteral("read"),
                         tab.Text("txtFirmwareVersion"), tab.Text("txtPSCNumber"),
                         tab.Text("txtIssueNumber"), tab.Shown("fraProdInfo") ? "" : " (hidden)");
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("fraSystem-relay-facts.txt"), dump);
    }

    // The clock display is the polling's cue to keep the clock up to date, in
    // a minimised window too.
    void SystemClockDisplay()
    {
        SimulatedDevice sim;
        fraSystem frame(sim.Device); // never shown
        frame.ShowSystemTab();
        QVERIFY(!frame.ClockDisplayed());
        const QDateTime moment(QDate(1900, 1, 1), QTime(23, 59, 58));
        frame.DisplayDeviceTime(moment);
        QVERIFY(frame.ClockDisplayed());
        auto* date = frame.findChild<QDateEdit*>(QStringLiteral("dtpDate"));
        auto* time = frame.findChild<QTimeEdit*>(QStringLiteral("dtpTime"));
        QCOMPARE(date->date(), moment.date());
        QCOMPARE(time->time(), moment.time());
        QVERIFY(date->text().contains(QStringLiteral("1900")));
        QVERIFY(date->isReadOnly() && time->isReadOnly());
        QVERIFY(date->isVisibleTo(&frame) && time->isVisibleTo(&frame));
        frame.DisplaySystemParameters();
        QVERIFY(!frame.ClockDisplayed());
        QVERIFY(!date->isVisibleTo(&frame) && !time->isVisibleTo(&frame));
    }

    void SystemClockButtons()
    {
        SystemTab tab;
        QVERIFY(!tab.ClockShown());
        auto* get = tab.Control<QPushButton>("cmdGetTZLTime");
        auto* send = tab.Control<QPushButton>("cmdSendPCTime");
        QTest::mouseClick(get, Qt::LeftButton);
        QCOMPARE(tab.GetTime, 1);
        QVERIFY(!get->isEnabled());
        QTest::mouseClick(get, Qt::LeftButton); // disabled: no second request
        QCOMPARE(tab.GetTime, 1);
        QVERIFY(send->isEnabled());
        QTest::mouseClick(send, Qt::LeftButton);
        QCOMPARE(tab.SendTime, 1);
        QVERIFY(!send->isEnabled());
        tab.Frame->SetGetTimeEnabled(true);
        tab.Frame->SetSendTimeEnabled(true);
        QVERIFY(get->isEnabled() && send->isEnabled());
        QVERIFY(!tab.ClockShown()); // only the main window's answer shows it
    }

    // An entry under way survives a redraw and is stored, whole, when the
    // window commits it before another tab.
    void SystemPendingEntry()
    {
        SystemTab tab;
        QVERIFY(tab.Harness.Active);
        FocusHarness::Type(tab.Volts(), QStringLiteral("230"));
        tab.Frame->ShowSystemTab();
        QCOMPARE(tab.Volts()->text(), QStringLiteral("230"));
        QCOMPARE(tab.Device.SystemVolts(), 110.0f);
        tab.Harness.Elsewhere->setFocus(Qt::ActiveWindowFocusReason); // off to another program
        QCOMPARE(tab.Device.SystemVolts(), 110.0f);
        tab.Volts()->setCursorPosition(1);
        tab.Frame->CommitPendingEdits();
        QCOMPARE(tab.Device.SystemVolts(), 230.0f);
        QCOMPARE(tab.Modified, 1);
    }

    // A reset of the configuration replaces what the user was typing.
    void SystemResetReplacesEntry()
    {
        SystemTab tab;
        QVERIFY(tab.Harness.Active);
        tab.Frame->DisplayDeviceTime(QDateTime(QDate(2024, 5, 17), QTime(10, 20, 30)));
        FocusHarness::Type(tab.Volts(), QStringLiteral("230"));
        tab.Frame->DisplaySystemParameters();
        QCOMPARE(tab.Volts()->text(), QStringLiteral("110"));
        QVERIFY(!tab.ClockShown());
        tab.Harness.Leave();
        QCOMPARE(tab.Device.SystemVolts(), 110.0f);
        QCOMPARE(tab.Modified, 0);
    }

    // New volts move the voltage-based trip parameters with them.
    void SystemVoltsRescaleTripParameters()
    {
        SystemTab tab;
        QVERIFY(tab.Harness.Active);
        tab.Device.SetTripFunction(1, OverVolts); // trip point 121 V
        fraTrip editor(tab.Device);
        editor.FillTripFunctionList();
        FocusHarness::Type(tab.Volts(), QStringLiteral("220"));
        FocusHarness::PressEnter(tab.Volts());
        editor.ShowTripDefinition(1);
        auto* tripPoint = editor.findChild<QLineEdit*>(QStringLiteral("txtTripParameter0"));
        QCOMPARE(tripPoint->text(), QStringLiteral("242.00"));
        QCOMPARE(tripPoint->toolTip(), QStringLiteral("Range: 11.00 to 264.00"));
    }
};

QTEST_MAIN(tst_EditFrames)
#include "tst_EditFrames.moc"
