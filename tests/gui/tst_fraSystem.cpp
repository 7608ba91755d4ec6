#include "FocusHarness.h"
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
    void Commit_data()
    {
        QTest::addColumn<bool>("volts"); // otherwise the current
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("byEnter");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("modified");
        const auto row = [](const char* name, bool volts, const char* typed, bool byEnter,
                            const char* shown, bool modified) {
            QTest::newRow(name) << volts << QString(typed) << byEnter << QString(shown) << modified;
        };
        // Stored: 110 V.
        row("volts 230 over 110", true, "230", true, "230", true);
        row("volts with decimals", true, "230.5", false, "230.5", true);
        row("volts same value", true, "110", true, "110", false);
        row("volts letters", true, "abc", false, "110", false);
        row("volts blanks", true, "   ", true, "110", false);
        row("volts thousands separator", true, "1,000", true, "110", false);
        row("volts exponent", true, "1e3", false, "110", false);
        row("volts minus alone", true, "-", true, "110", false);
        row("volts above the limit", true, "500000", true, "400000", true);
        row("volts below the limit", true, "-5", false, "1", true);
        // Stored: 5 A.
        row("current 50", false, "50", true, "50", true);
        row("current 15, not a list entry's start", false, "15", true, "15", true);
        row("current 10, left", false, "10", false, "10", true);
        row("current blanks around", false, " 60 ", true, "60", true);
        row("current letters", false, "abc", false, "5", false);
        row("current thousands separator", false, "1,000", true, "5", false);
        row("current above the limit", false, "20000", true, "10000", true);
    }

    void Commit()
    {
        QFETCH(bool, volts);
        QFETCH(QString, typed);
        QFETCH(bool, byEnter);
        QFETCH(QString, shown);
        QFETCH(bool, modified);
        SystemTab tab;
        QVERIFY(tab.Harness.Active);
        const QStringList power = tab.Power();
        QWidget* box = volts ? static_cast<QWidget*>(tab.Volts()) : tab.Current();
        FocusHarness::Enter(box);
        if (!volts)
            tab.Current()->lineEdit()->selectAll();
        QTest::keyClicks(box, typed);
        if (byEnter)
            FocusHarness::PressEnter(box);
        else
            tab.Harness.Leave();
        QCOMPARE(volts ? tab.Volts()->text() : tab.Current()->currentText(), shown);
        QCOMPARE(volts ? tab.Device.SystemVolts() : tab.Device.SystemCurrent(), shown.toFloat());
        QCOMPARE(tab.Modified, modified ? 1 : 0);
        QCOMPARE(tab.Power() != power, modified);
        QCOMPARE(tab.Current()->count(), 16); // nothing typed was added
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

    void SystemType_data()
    {
        QTest::addColumn<float>("type");
        QTest::addColumn<QString>("text");
        QTest::newRow("3-wire") << 2.0f << "2  (3-phase, 3-wire)";
        QTest::newRow("4-wire") << 3.0f << "3  (3-phase, 4-wire)";
        QTest::newRow("other") << 1.0f << "1  (Unknown)";
        QTest::newRow("not whole") << 2.5f << "2.5  (Unknown)";
    }

    void SystemType()
    {
        QFETCH(float, type);
        SystemTab tab;
        // A configuration file takes the system type as it stands.
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("system.tcf"));
        ConfigSnapshot data;
        data.SystemType = type;
        QVERIFY(cConfigFile(tab.Link.UI()).Save(path, data));
        QVERIFY(tab.Device.LoadConfigFromFile(path));
        tab.Frame->ShowSystemTab();
        QTEST(tab.Text("txtSystemType"), "text");
    }

    void ProductInfo_data()
    {
        QTest::addColumn<bool>("read");
        QTest::addColumn<QList<float>>("relay"); // version, PSC number, PSC issue
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<bool>("frame");
        QTest::newRow("never read")
            << false << QList<float>{} << QStringList{"0", "0", "0"} << false;
        QTest::newRow("read") << true << QList<float>{3.25f, 1234.0f, 7.0f}
                              << QStringList{"3.25", "1234", "7"} << true;
        QTest::newRow("all 0") << true << QList<float>{0.0f, 0.0f, 0.0f}
                               << QStringList{"0", "0", "0"} << false;
        QTest::newRow("only the issue")
            << true << QList<float>{0.0f, 0.0f, 2.0f} << QStringList{"0", "0", "2"} << true;
        QTest::newRow("below 0") << true << QList<float>{-1.0f, -2.0f, 0.0f}
                                 << QStringList{"-1", "-2", "0"} << false;
    }

    void ProductInfo()
    {
        QFETCH(bool, read);
        QFETCH(QList<float>, relay);
        QFETCH(QStringList, shown);
        SystemTab tab;
        if (read) {
            tab.Link.Relay().SetFirmwareVersion(relay[0]);
            tab.Link.Relay().SetPSCNumber(relay[1]);
            tab.Link.Relay().SetPSCIssue(relay[2]);
            tab.Device.UploadProductInfo(tab.Link.SlaveID());
        }
        tab.Frame->ShowSystemTab();
        QCOMPARE((QStringList{tab.Text("txtFirmwareVersion"), tab.Text("txtPSCNumber"),
                              tab.Text("txtIssueNumber")}),
                 shown);
        QTEST(tab.Shown("fraProdInfo"), "frame");
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
