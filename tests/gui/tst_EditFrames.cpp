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
    // What relays 3 and 5 hold, the box with the focus and its selection,
    // and the changes reported.
    QString Held() const
    {
        QString held;
        for (const std::int16_t relay : {3, 5}) {
            const TripRecord record = Device.TripData.TripDefinition(relay);
            QStringList values;
            for (const float value : record.ParameterValues)
                values << QString::number(double(value));
            held += QStringLiteral("  relay %1 holds %2 | function %3 | flags %4 | %5\n")
                        .arg(relay)
                        .arg(record.Name)
                        .arg(record.FunctionIndex)
                        .arg(record.Flags)
                        .arg(values.join(u' '));
        }
        const auto* box = qobject_cast<const QLineEdit*>(QApplication::focusWidget());
        return held
               + QStringLiteral("  relay %1 shown, focus in %2 (selected \"%3\"), %4 changes\n")
                     .arg(Frame->Relay())
                     .arg(box ? box->objectName() : QStringLiteral("-"),
                          box ? box->selectedText() : QString())
                     .arg(Modified);
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
    bool Shown(const char* control) const { return Control<QWidget>(control)->isVisibleTo(Frame); }
    bool ClockShown() const
    {
        return Shown("dtpDate") && Shown("dtpTime") && Shown("lblDate") && Shown("lblTime");
    }
    // What the tab shows and the model holds, and what the tab reported.
    QString Dump() const
    {
        const auto enabled = [this](const char* button) {
            return Control<QPushButton>(button)->isEnabled() ? "enabled" : "disabled";
        };
        return QStringLiteral("volts %1 (holds %2), current %3 (holds %4), power %5, clock %6")
                   .arg(Volts()->text())
                   .arg(Device.SystemVolts())
                   .arg(Current()->currentText())
                   .arg(Device.SystemCurrent())
                   .arg(Text("txtSystemPower") + u' ' + Control<QLabel>("lblSysPowerUnits")->text(),
                        ClockShown() ? Control<QDateEdit>("dtpDate")->text() + u' '
                                           + Control<QTimeEdit>("dtpTime")->text()
                                     : QStringLiteral("hidden"))
               + QStringLiteral(", get time %1, send time %2; reported %3 changes, %4 get, %5 "
                                "send\n")
                     .arg(QLatin1String(enabled("cmdGetTZLTime")),
                          QLatin1String(enabled("cmdSendPCTime")))
                     .arg(Modified)
                     .arg(GetTime)
                     .arg(SendTime);
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

    // The editor through a session on relays 3 (synchronising check with
    // dead bus, six rows) and 5 (over volts, three rows, a value kept in a
    // slot beyond them), its state after each step: what it shows, what the
    // two relays hold, the box with the focus and its selection, and the
    // changes reported.
    void TripEditorThroughASession()
    {
        Editor editor;
        QVERIFY(editor.Harness.Active);
        editor.Device.SetTripFunction(3, SyncCheckDeadbus);
        editor.Device.SetTripFunction(5, OverVolts);
        editor.Device.TripData.SetParameterValue(5, 6, 7.5f);
        editor.Show(3);
        QString dump;
        const auto step = [&dump, &editor](const QString& done) {
            dump += QStringLiteral("# ") + done + u'\n' + editor.Dump() + editor.Held();
        };
        // A narrower phase angle lowers the slip frequency; the redraw after
        // the commit shows it.
        for (const auto& [row, typed] : {std::pair{0, "20"}, {5, "0.9"}, {0, "2"}}) {
            FocusHarness::Type(editor.Parameter(row), QLatin1String(typed));
            FocusHarness::PressEnter(editor.Parameter(row));
            step(QStringLiteral("%1 entered in row %2").arg(QLatin1String(typed)).arg(row + 1));
        }
        // A redraw of the same relay, as the polling does, leaves the user's
        // typing alone.
        editor.Harness.Leave();
        FocusHarness::Type(editor.Parameter(0), QStringLiteral("1"));
        editor.Redraw();
        QTest::keyClicks(editor.Parameter(0), QStringLiteral("0"));
        FocusHarness::PressEnter(editor.Parameter(0));
        step(QStringLiteral("box left, 1 typed in row 1, redrawn, 0 typed and entered"));
        // The box the user is in disappears when the next relay's function
        // has fewer parameters; its text belongs to the relay before.
        FocusHarness::Enter(editor.Parameter(5));
        editor.Show(5);
        step(QStringLiteral("into row 6, relay 5 shown"));
        // The tab may change while the user is in a box: what he typed
        // belongs to the relay he typed it for, what he types next replaces
        // the next relay's value.
        FocusHarness::Type(editor.Parameter(0), QStringLiteral("100"));
        editor.Show(3);
        step(QStringLiteral("100 typed in row 1, relay 3 shown"));
        editor.Harness.Leave();
        FocusHarness::Type(editor.Name(), QStringLiteral("Feeder A"));
        editor.Show(5);
        step(QStringLiteral("box left, Feeder A typed as the name, relay 5 shown"));
        editor.Harness.Leave();
        // Each mode box shows its bit, and a click flips that bit only.
        for (const char* mode : {"chkInverted", "chkAlarm", "chkLatched", "chkLogged"}) {
            editor.Control<QCheckBox>(QLatin1String(mode))->click();
            step(QStringLiteral("%1 clicked").arg(QLatin1String(mode)));
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("fraTrip-session.txt"), dump);
    }

    // The volts box and the current list commit alike: on Enter and on
    // leaving, only a changed number, clamped to its limits; the power
    // follows, and nothing typed is added to the list. Stored before: 110 V,
    // 5 A.
    void SystemCommit()
    {
        const std::initializer_list<const char*> voltsTyped = {"230",   "230.5", "110",    "   ",
                                                               "1,000", "-",     "500000", "-5"};
        // 15 is not the start of a list entry; an exponent is refused.
        const std::initializer_list<const char*> currentTyped = {"50",   "15",  "10",
                                                                 " 60 ", "1e3", "20000"};
        QString dump;
        for (const bool volts : {true, false}) {
            for (const char* typed : volts ? voltsTyped : currentTyped) {
                for (const bool byEnter : {true, false}) {
                    SystemTab tab;
                    QVERIFY(tab.Harness.Active);
                    QWidget* box = volts ? static_cast<QWidget*>(tab.Volts()) : tab.Current();
                    FocusHarness::Enter(box);
                    if (!volts)
                        tab.Current()->lineEdit()->selectAll();
                    QTest::keyClicks(box, QLatin1String(typed));
                    if (byEnter)
                        FocusHarness::PressEnter(box);
                    else
                        tab.Harness.Leave();
                    QCOMPARE(tab.Current()->count(), 16);
                    dump += QStringLiteral("\"%1\" %2: ")
                                .arg(QLatin1String(typed), byEnter ? "entered" : "left")
                            + tab.Dump();
                }
            }
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("fraSystem-commits.txt"), dump);
    }

    // What the tab shows of the relay, on a frame never shown (as in a
    // minimised window): the system type as a configuration file gives it;
    // the product information once read from a relay, its frame only when
    // some item is above 0; the relay clock, read-only and with its century,
    // whose display is the polling's cue to keep the clock up to date, until
    // the configuration is shown again.
    void SystemRelayFactsShown()
    {
        SimulatedDevice sim;
        fraSystem frame(sim.Device);
        const auto text = [&frame](const char* box) {
            return frame.findChild<QLineEdit*>(QLatin1String(box))->text();
        };
        const auto shown = [&frame](const char* control) {
            return frame.findChild<QWidget*>(QLatin1String(control))->isVisibleTo(&frame);
        };
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("system.tcf"));
        QString dump;
        for (const float type : {2.0f, 3.0f, 2.5f}) {
            ConfigSnapshot data;
            data.SystemType = type;
            QVERIFY(cConfigFile(sim.Link.UI()).Save(path, data));
            QVERIFY(sim.Device.LoadConfigFromFile(path));
            frame.ShowSystemTab();
            dump += QStringLiteral("type %1: %2\n").arg(type).arg(text("txtSystemType"));
        }
        // Version, PSC number, PSC issue; none: never read.
        const QList<float> products[] = {{}, {3.25f, 1234, 7}, {0, 0, 0}, {0, 0, 2}, {-1, -2, 0}};
        for (const QList<float>& relay : products) {
            if (!relay.isEmpty()) {
                sim.Link.Relay().SetFirmwareVersion(relay[0]);
                sim.Link.Relay().SetPSCNumber(relay[1]);
                sim.Link.Relay().SetPSCIssue(relay[2]);
                QVERIFY(sim.Device.UploadProductInfo(sim.Link.SlaveID()));
            }
            frame.ShowSystemTab();
            dump +=
                QStringLiteral("relay %1: %2 | %3 | %4%5\n")
                    .arg(relay.isEmpty() ? QStringLiteral("never read") : QStringLiteral("read"),
                         text("txtFirmwareVersion"), text("txtPSCNumber"), text("txtIssueNumber"),
                         shown("fraProdInfo") ? "" : " (hidden)");
        }
        const auto* date = frame.findChild<QDateEdit*>(QStringLiteral("dtpDate"));
        const auto* time = frame.findChild<QTimeEdit*>(QStringLiteral("dtpTime"));
        const auto clock = [&] {
            return QStringLiteral("clock displayed %1: %2 %3%4%5\n")
                .arg(frame.ClockDisplayed())
                .arg(date->text(), time->text(),
                     date->isReadOnly() && time->isReadOnly() ? ", read-only" : "",
                     shown("dtpDate") && shown("dtpTime") ? "" : " (hidden)");
        };
        dump += clock();
        frame.DisplayDeviceTime(QDateTime(QDate(1900, 1, 1), QTime(23, 59, 58)));
        dump += clock();
        frame.DisplaySystemParameters();
        dump += clock();
        TZL_COMPARE_GOLDEN(QStringLiteral("fraSystem-relay-facts.txt"), dump);
    }

    // The tab through a session, its state after each step: a current
    // chosen from the list; clock buttons that ask once and wait for the main
    // window (only whose answer shows the clock); an entry under way that
    // survives a redraw and a trip to another program, and is stored whole
    // when the window commits it before another tab; a reset of the
    // configuration that replaces an entry; new volts that move the
    // voltage-based trip parameters with them.
    void SystemTabThroughASession()
    {
        SystemTab tab;
        QVERIFY(tab.Harness.Active);
        tab.Device.SetTripFunction(1, OverVolts); // trip point 121 V
        QString dump;
        const auto step = [&dump, &tab](const char* done) {
            dump += QLatin1String(done) + QStringLiteral(": ") + tab.Dump();
        };
        FocusHarness::Type(tab.Volts(), QStringLiteral("230"));
        tab.Frame->ShowSystemTab();
        step("230 typed, tab redrawn");
        tab.Harness.Elsewhere->setFocus(Qt::ActiveWindowFocusReason);
        step("off to another program");
        tab.Volts()->setCursorPosition(1);
        tab.Frame->CommitPendingEdits();
        step("caret moved, committed by the window");
        tab.Frame->DisplayDeviceTime(QDateTime(QDate(2024, 5, 17), QTime(10, 20, 30)));
        step("clock read");
        FocusHarness::Type(tab.Volts(), QStringLiteral("240"));
        tab.Frame->DisplaySystemParameters();
        tab.Harness.Leave();
        step("240 typed, configuration reset, box left");
        FocusHarness::Type(tab.Volts(), QStringLiteral("220"));
        FocusHarness::PressEnter(tab.Volts());
        step("220 entered");
        FocusHarness::Choose(tab.Current(), tab.Current()->findText(QStringLiteral("1500")));
        step("1500 chosen");
        auto* get = tab.Control<QPushButton>("cmdGetTZLTime");
        QTest::mouseClick(get, Qt::LeftButton);
        QTest::mouseClick(get, Qt::LeftButton);
        step("get time clicked twice");
        QTest::mouseClick(tab.Control<QPushButton>("cmdSendPCTime"), Qt::LeftButton);
        step("send time clicked");
        tab.Frame->SetGetTimeEnabled(true);
        tab.Frame->SetSendTimeEnabled(true);
        step("both enabled again");
        fraTrip editor(tab.Device);
        editor.FillTripFunctionList();
        editor.ShowTripDefinition(1);
        auto* tripPoint = editor.findChild<QLineEdit*>(QStringLiteral("txtTripParameter0"));
        dump += QStringLiteral("trip point %1, %2\n").arg(tripPoint->text(), tripPoint->toolTip());
        TZL_COMPARE_GOLDEN(QStringLiteral("fraSystem-session.txt"), dump);
    }
};

QTEST_MAIN(tst_EditFrames)
#include "tst_EditFrames.moc"
