#include "FocusHarness.h"
#include "Golden.h"
#include "SimulatedDevice.h"

#include "shell/fraSystem.h"
#include "shell/fraTrip.h"
#include "trips/cConfigFile.h"

#include <QDateEdit>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <tuple>

namespace {

constexpr int OverVolts = 1;

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

class tst_fraSystem : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // The volts box and the current list commit alike: on Enter and on
    // leaving, only a changed number, clamped to its limits.
    void Commit()
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

    void CurrentChosenFromList()
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
    void RelayFactsShown()
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
    void ClockDisplay()
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

    void ClockButtons()
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
    void PendingEntry()
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
    void ResetReplacesEntry()
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
    void VoltsRescaleTripParameters()
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

QTEST_MAIN(tst_fraSystem)
#include "tst_fraSystem.moc"
