#include "FocusHarness.h"
#include "Golden.h"
#include "SimulatedDevice.h"

#include "shell/fraTrip.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QTest>
#include <cstring>
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
    // The text of a control, or "(hidden)".
    QString Seen(const QString& name) const
    {
        const auto* control = Control<QWidget>(name);
        if (!control->isVisibleTo(Frame))
            return QStringLiteral("(hidden)");
        if (const auto* label = qobject_cast<const QLabel*>(control))
            return label->text();
        return qobject_cast<const QLineEdit*>(control)->text();
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

} // namespace

// The trip editor's wiring, focus and keyboard. How a typed text is read and
// a value shown is tst_ShellLogic::TripParameterTexts and CommittedTextByCause;
// names, limits, rounding and defaults are the model's (tst_cTZLTrips,
// tst_cTZL).
class tst_fraTrip : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // The name box shows what the model stored, caret at its end, and
    // reports a change only when the stored name changed.
    void NameCommit()
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
    // what the relay will hold, not what was typed.
    void ParameterCommit()
    {
        // Typed, by Enter (otherwise by leaving), row, stored, shown, modified.
        const std::tuple<const char*, bool, int, float, const char*, bool> rows[] = {
            {"abc", false, 0, 121.0f, "121.00", false},
            {"121", true, 0, 121.0f, "121.00", false},
            {"1e60", true, 0, 132.0f, "132.00", true},
            {"1.26", false, 2, 1.3f, "1.30", true}, // a time delay to tenths
        };
        for (const auto& [typed, byEnter, row, stored, shown, modified] : rows) {
            Editor editor;
            QVERIFY(editor.Harness.Active);
            editor.Device.SetTripFunction(3, OverVolts);
            editor.Show(3);
            QLineEdit* box = editor.Parameter(row);
            const QString range = box->toolTip();
            FocusHarness::Type(box, QLatin1String(typed));
            if (byEnter)
                FocusHarness::PressEnter(box);
            else
                editor.Harness.Leave();
            QCOMPARE(editor.Value(3, row + 1), stored);
            QCOMPARE(box->text(), QLatin1String(shown));
            QCOMPARE(editor.Modified, modified ? 1 : 0);
            QCOMPARE(box->toolTip(), range);
        }
    }

    // A narrower phase angle lowers the slip frequency; the redraw after the
    // commit shows it.
    void DependentParameterRedrawn()
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
    void FunctionChosenFromList()
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

    // A value is shown as the relay will hold it; a box entered and left as
    // it is, or committed with Enter, stores nothing, so the digits the box
    // hides are kept.
    void ShownValueLeftAloneStoresNothing()
    {
        // Over Volts: trip point, hysteresis, delay.
        const std::tuple<int, float, const char*, bool> rows[] = {
            {1, 120.99998f, "121.00", true},
            {2, 1.125f, "1.13", false},
            {3, 0.37f, "0.40", true}, // a delay the relay keeps in tenths
        };
        for (const auto& [position, stored, shown, byEnter] : rows) {
            Editor editor;
            QVERIFY(editor.Harness.Active);
            editor.Device.SetTripFunction(2, OverVolts);
            editor.Device.TripData.SetParameterValue(2, std::int16_t(position), stored);
            editor.Show(2);
            QLineEdit* box = editor.Parameter(position - 1);
            QCOMPARE(box->text(), QLatin1String(shown));
            FocusHarness::Enter(box);
            if (byEnter)
                FocusHarness::PressEnter(box);
            editor.Harness.Leave();
            QCOMPARE(editor.Value(2, position), stored);
            QCOMPARE(editor.Modified, 0);
        }
    }

    void FlagClicks()
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
    void CommitGoesToRelayWhereEditBegan()
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
    void FocusedRowHiddenByRedraw()
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
    void RedrawOfSameRelayKeepsTyping()
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
};

QTEST_MAIN(tst_fraTrip)
#include "tst_fraTrip.moc"
