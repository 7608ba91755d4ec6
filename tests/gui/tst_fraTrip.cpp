#include "FocusHarness.h"
#include "SimulatedDevice.h"

#include "shell/fraTrip.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QTest>
#include <utility>

namespace {

constexpr int UnUsed = 0;
constexpr int OverVolts = 1;
constexpr int SyncCheck = 16;
constexpr int SyncCheckDeadbus = 17;
const QLocale English(QLocale::English, QLocale::UnitedStates);

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
    QLabel* Caption(int row) const
    {
        return Control<QLabel>(QStringLiteral("lblTripParameter%1").arg(row));
    }
    float Value(std::int16_t relay, int position) const
    {
        return Device.TripData.ParameterValue(relay, std::int16_t(position));
    }
    // Rows shown, counted from the top; -1 when a shown row follows a hidden one.
    int ShownRows() const
    {
        int shown = 0;
        for (int row = 0; row < 6; ++row) {
            const bool visible = Parameter(row)->isVisibleTo(Frame)
                                 && Caption(row)->isVisibleTo(Frame)
                                 && Control<QLabel>(QStringLiteral("lblTripParamUnit%1").arg(row))
                                        ->isVisibleTo(Frame);
            if (visible && shown != row)
                return -1;
            shown += visible ? 1 : 0;
        }
        return shown;
    }
};

} // namespace

class tst_fraTrip : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QLocale::setDefault(English); }

    void NameCommit_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("modified");
        const auto row = [](const char* name, const char* before, const char* typed,
                            const char* stored, bool modified) {
            QTest::newRow(name) << QString(before) << QString(typed) << QString(stored) << modified;
        };
        row("digits only", "Relay Trip 3", "12345", "Relay 3", true);
        row("digits only, fall-back name already", "Relay 3", "42", "Relay 3", false);
        row("blanks only", "Feeder A", "   ", "Relay 3", true);
        row("blanks around", "Relay Trip 3", "  Feeder A  ", "Feeder A", true);
        row("same name", "Feeder A", "Feeder A", "Feeder A", false);
        row("only the case differs", "Feeder A", "feeder a", "feeder a", true);
    }

    void NameCommit()
    {
        QFETCH(QString, before);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(bool, modified);
        Editor editor;
        QVERIFY(editor.Harness.Active);
        editor.Device.TripData.SetName(3, before);
        editor.Show(3);
        FocusHarness::Type(editor.Name(), typed);
        FocusHarness::PressEnter(editor.Name());
        QCOMPARE(editor.Device.TripData.TripName(3), stored);
        QCOMPARE(editor.Name()->text(), stored);
        QCOMPARE(editor.Name()->cursorPosition(), stored.size());
        QCOMPARE(editor.Modified, modified ? 1 : 0);
    }

    void LeavingNameUntouched()
    {
        Editor editor;
        QVERIFY(editor.Harness.Active);
        editor.Device.TripData.SetName(3, QStringLiteral("Generator Feeder"));
        editor.Show(3);
        FocusHarness::Enter(editor.Name());
        QCOMPARE(editor.Name()->selectedText(), QStringLiteral("Generator Feeder"));
        editor.Harness.Leave();
        QCOMPARE(editor.Device.TripData.TripName(3), QStringLiteral("Generator Feeder"));
        QCOMPARE(editor.Modified, 0);
    }

    void EnterCutsAtCaret_data()
    {
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("selected"); // characters selected back from the caret
        QTest::addColumn<QString>("stored");
        QTest::newRow("caret in the middle") << 10 << 0 << "Generator";
        QTest::newRow("caret at the start") << 0 << 0 << "Relay 3";
        QTest::newRow("caret at the end") << 16 << 0 << "Generator Feeder";
        QTest::newRow("part selected") << 16 << 6 << "Generator Feeder";
    }

    void EnterCutsAtCaret()
    {
        QFETCH(int, caret);
        QFETCH(int, selected);
        QFETCH(QString, stored);
        Editor editor;
        QVERIFY(editor.Harness.Active);
        editor.Device.TripData.SetName(3, QStringLiteral("Generator Feeder"));
        editor.Show(3);
        FocusHarness::Enter(editor.Name());
        editor.Name()->setCursorPosition(caret);
        if (selected > 0)
            editor.Name()->cursorBackward(true, selected);
        FocusHarness::PressEnter(editor.Name());
        QCOMPARE(editor.Device.TripData.TripName(3), stored);
        QCOMPARE(editor.Name()->text(), stored);
    }

    void ParameterCommit_data()
    {
        QTest::addColumn<float>("volts");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("byEnter"); // otherwise by leaving the box
        QTest::addColumn<float>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("modified");
        // Over Volts at 110 V: trip point 5.5 to 132, default 121.
        QTest::newRow("letters") << 110.0f << 0 << "abc" << false << 121.0f << "121.00" << false;
        QTest::newRow("blanks") << 110.0f << 0 << "  " << true << 121.0f << "121.00" << false;
        QTest::newRow("nan") << 110.0f << 0 << "nan" << true << 121.0f << "121.00" << false;
        QTest::newRow("inf") << 110.0f << 0 << "inf" << false << 121.0f << "121.00" << false;
        QTest::newRow("same value") << 110.0f << 0 << "121" << true << 121.0f << "121.00" << false;
        QTest::newRow("above the maximum")
            << 110.0f << 0 << "500" << true << 132.0f << "132.00" << true;
        QTest::newRow("below the minimum")
            << 110.0f << 0 << "-3" << false << 5.5f << "5.50" << true;
        QTest::newRow("exponent") << 110.0f << 0 << "1e2" << true << 100.0f << "100.00" << true;
        QTest::newRow("beyond a single")
            << 110.0f << 0 << "1e60" << true << 132.0f << "132.00" << true;
        QTest::newRow("time delay to tenths")
            << 110.0f << 2 << "1.26" << false << 1.3f << "1.30" << true;
        // At 11 kV: trip point 550 to 13200.
        QTest::newRow("thousands separator")
            << 11000.0f << 0 << "12,345.5" << true << 12345.5f << "12,345.50" << true;
    }

    void ParameterCommit()
    {
        QFETCH(float, volts);
        QFETCH(int, row);
        QFETCH(QString, typed);
        QFETCH(bool, byEnter);
        QFETCH(bool, modified);
        Editor editor;
        QVERIFY(editor.Harness.Active);
        editor.Device.SetSystemVolts(volts);
        editor.Device.SetTripFunction(3, OverVolts);
        editor.Show(3);
        const QString range = editor.Parameter(row)->toolTip();
        FocusHarness::Type(editor.Parameter(row), typed);
        if (byEnter)
            FocusHarness::PressEnter(editor.Parameter(row));
        else
            editor.Harness.Leave();
        QTEST(editor.Value(3, row + 1), "stored");
        QTEST(editor.Parameter(row)->text(), "shown");
        QCOMPARE(editor.Modified, modified ? 1 : 0);
        QCOMPARE(editor.Parameter(row)->toolTip(), range);
    }

    void RangeToolTip_data()
    {
        QTest::addColumn<float>("volts");
        QTest::addColumn<int>("function");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("tip");
        QTest::newRow("two decimals") << 110.0f << OverVolts << 0 << "Range: 5.50 to 132.00";
        QTest::newRow("no grouping") << 11000.0f << OverVolts << 0 << "Range: 550.00 to 13200.00";
        QTest::newRow("three decimals") << 1.5f << OverVolts << 0 << "Range: 0.075 to 1.80";
        QTest::newRow("at most four") << 1.2345f << OverVolts << 0 << "Range: 0.0617 to 1.4814";
        QTest::newRow("slip frequency") << 110.0f << SyncCheck << 4 << "Range: 0.10 to 1.00";
    }

    void RangeToolTip()
    {
        QFETCH(float, volts);
        QFETCH(int, function);
        QFETCH(int, row);
        Editor editor;
        editor.Device.SetSystemVolts(volts);
        editor.Device.SetTripFunction(3, std::int16_t(function));
        editor.Show(3);
        QTEST(editor.Parameter(row)->toolTip(), "tip");
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

    void FunctionChange_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("modified");
        QTest::newRow("the same function again") << OverVolts << OverVolts << 3 << false;
        QTest::newRow("to the dead-bus check") << OverVolts << SyncCheckDeadbus << 6 << true;
        QTest::newRow("six rows down to three") << SyncCheckDeadbus << OverVolts << 3 << true;
        QTest::newRow("to unused") << SyncCheckDeadbus << UnUsed << 0 << true;
        QTest::newRow("from unused") << UnUsed << SyncCheck << 5 << true;
    }

    void FunctionChange()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, rows);
        QFETCH(bool, modified);
        Editor editor;
        QVERIFY(editor.Harness.Active);
        editor.Device.SetTripFunction(3, std::int16_t(from));
        if (from == OverVolts) { // not its default, to see whether it survives
            float value = 125.0f;
            editor.Device.SetTripParameterValue(3, 1, value);
        }
        const float before = editor.Value(3, 1);
        editor.Show(3);
        FocusHarness::Choose(editor.Function(), to);
        QCOMPARE(editor.Device.TripData.FunctionNumber(3), to);
        QCOMPARE(editor.Function()->currentIndex(), to);
        QCOMPARE(editor.Modified, modified ? 1 : 0);
        QCOMPARE(editor.ShownRows(), rows);
        QCOMPARE(editor.Control<QGroupBox>(QStringLiteral("fraTripParameters"))
                     ->isVisibleTo(editor.Frame),
                 rows > 0);
        for (int row = 0; row < rows; ++row) {
            const QString name =
                cTripCatalogue::ParameterName(std::int16_t(to), std::int16_t(row + 1));
            QCOMPARE(editor.Caption(row)->text(), name);
            QCOMPARE(editor.Parameter(row)->accessibleName(), name);
        }
        if (!modified)
            QCOMPARE(editor.Value(3, 1), before);
        QCOMPARE(editor.Device.TripData.InvertedFlag(3), to == UnUsed ? 0 : 1);
        QCOMPARE(editor.Control<QCheckBox>(QStringLiteral("chkInverted"))->isChecked(),
                 to != UnUsed);
    }

    // A value is shown as the relay will hold it, with two decimals as the
    // printout shows it; a box entered and left as it is, or committed with
    // Enter, stores nothing, so the digits the box hides are kept.
    void StoredValueShown_data()
    {
        QTest::addColumn<float>("volts");
        QTest::addColumn<int>("position");
        QTest::addColumn<float>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("byEnter");
        // Over Volts at 110 V: trip point 5.5 to 132; then hysteresis, delay.
        QTest::newRow("at the maximum") << 110.0f << 1 << 132.0f << "132.00" << false;
        QTest::newRow("at the minimum") << 110.0f << 1 << 5.5f << "5.50" << true;
        QTest::newRow("float noise of a rescale") << 110.0f << 1 << 120.99998f << "121.00" << true;
        QTest::newRow("three decimals") << 110.0f << 2 << 1.125f << "1.13" << false;
        QTest::newRow("a delay the relay keeps in tenths")
            << 110.0f << 3 << 0.37f << "0.40" << true;
        QTest::newRow("grouped") << 11000.0f << 1 << 1234.5678f << "1,234.57" << false;
    }

    void StoredValueShown()
    {
        QFETCH(float, volts);
        QFETCH(int, position);
        QFETCH(float, stored);
        QFETCH(bool, byEnter);
        Editor editor;
        QVERIFY(editor.Harness.Active);
        editor.Device.SetSystemVolts(volts);
        editor.Device.SetTripFunction(2, OverVolts);
        editor.Device.TripData.SetParameterValue(2, std::int16_t(position), stored);
        editor.Show(2);
        QLineEdit* box = editor.Parameter(position - 1);
        QTEST(box->text(), "shown");
        FocusHarness::Enter(box);
        if (byEnter)
            FocusHarness::PressEnter(box);
        editor.Harness.Leave();
        QCOMPARE(editor.Value(2, position), stored);
        QCOMPARE(editor.Modified, 0);
    }

    void FlagClicks_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("bit");
        QTest::newRow("fail safe") << "chkInverted" << 1;
        QTest::newRow("alarm") << "chkAlarm" << 2;
        QTest::newRow("latched") << "chkLatched" << 4;
        QTest::newRow("logged") << "chkLogged" << 8;
    }

    void FlagClicks()
    {
        QFETCH(QString, box);
        QFETCH(int, bit);
        Editor editor;
        editor.Device.SetTripFunction(3, OverVolts); // sets fail safe
        editor.Show(3);
        auto* check = editor.Control<QCheckBox>(box);
        const int flags = editor.Device.TripData.TripDefinition(3).Flags;
        QCOMPARE(check->isChecked(), (flags & bit) != 0);
        check->click();
        QCOMPARE(int(editor.Device.TripData.TripDefinition(3).Flags), flags ^ bit);
        QCOMPARE(check->isChecked(), (flags & bit) == 0);
        check->click();
        QCOMPARE(int(editor.Device.TripData.TripDefinition(3).Flags), flags);
        QCOMPARE(editor.Modified, 2);
    }

    // The tab may change while the user is in a box: what he typed belongs to
    // the relay he typed it for.
    void CommitGoesToRelayWhereEditBegan_data()
    {
        QTest::addColumn<bool>("name"); // otherwise the first parameter
        QTest::newRow("parameter") << false;
        QTest::newRow("name") << true;
    }

    void CommitGoesToRelayWhereEditBegan()
    {
        QFETCH(bool, name);
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

    // A user who switches to another program and comes back is still in the
    // middle of his entry; a tab change stores it.
    void PendingEntryStoredOnTabChange()
    {
        Editor editor;
        QVERIFY(editor.Harness.Active);
        editor.Device.SetTripFunction(3, OverVolts);
        editor.Show(3);
        FocusHarness::Type(editor.Parameter(0), QStringLiteral("100"));
        // Off to another program: the box loses the focus as the window does.
        editor.Harness.Elsewhere->setFocus(Qt::ActiveWindowFocusReason);
        QCOMPARE(editor.Value(3, 1), 121.0f);
        editor.Show(4);
        QCOMPARE(editor.Value(3, 1), 100.0f);
        QCOMPARE(editor.Modified, 1);
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

    // In a German locale numbers are shown, read and ranged with its
    // separators, and a value shown reads back as itself. (The English
    // separators are covered by ParameterCommit, RangeToolTip and
    // LoadedValueShown.)
    void GermanRoundTrip()
    {
        const QString typed = QStringLiteral("1.234,50");
        QLocale::setDefault(QLocale(QLocale::German));
        Editor editor;
        QVERIFY(editor.Harness.Active);
        editor.Device.SetSystemVolts(11000.0f);
        editor.Device.SetTripFunction(3, OverVolts);
        editor.Show(3);
        QLineEdit* box = editor.Parameter(0);
        QCOMPARE(box->toolTip(), QStringLiteral("Range: 550,00 to 13200,00"));
        FocusHarness::Type(box, typed);
        FocusHarness::PressEnter(box);
        QCOMPARE(editor.Value(3, 1), 1234.5f);
        QCOMPARE(box->text(), typed);
        // Entered and left again as shown, the value stays.
        FocusHarness::Enter(box);
        editor.Harness.Leave();
        QCOMPARE(editor.Value(3, 1), 1234.5f);
        QCOMPARE(editor.Modified, 1);
    }
};

QTEST_MAIN(tst_fraTrip)
#include "tst_fraTrip.moc"
