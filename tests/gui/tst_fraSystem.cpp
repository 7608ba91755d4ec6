#include "FakeClock.h"
#include "FocusHarness.h"
#include "SimulatedLink.h"

#include "model/cTZL.h"
#include "shell/fraSystem.h"
#include "shell/fraTrip.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QGroupBox>
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
struct SystemTab
{
    SimulatedLink Link;
    FakeClock Clock;
    cTZL Device{Link.Modbus(), Link.UI(), Clock};
    fraSystem* Frame = new fraSystem(Device);
    FocusHarness Harness{Frame};
    int Modified = 0;
    int GetTime = 0;
    int SendTime = 0;

    SystemTab()
    {
        Link.SetTimeouts(SimulatedLink::TestResponseTimeoutMs, 1);
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
    void Commit(QWidget* box, bool byEnter)
    {
        if (byEnter)
            FocusHarness::PressEnter(box);
        else
            Harness.Leave();
    }
};

} // namespace

class tst_fraSystem : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void VoltsCommit_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("byEnter");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("modified");
        // Stored: 110 V.
        QTest::newRow("230 over 110") << "230" << true << "230" << true;
        QTest::newRow("with decimals") << "230.5" << false << "230.5" << true;
        QTest::newRow("same value") << "110" << true << "110" << false;
        QTest::newRow("letters") << "abc" << false << "110" << false;
        QTest::newRow("blanks") << "   " << true << "110" << false;
        QTest::newRow("thousands separator") << "1,000" << true << "110" << false;
        QTest::newRow("exponent") << "1e3" << false << "110" << false;
        QTest::newRow("minus alone") << "-" << true << "110" << false;
        QTest::newRow("above the limit") << "500000" << true << "400000" << true;
        QTest::newRow("below the limit") << "-5" << false << "1" << true;
    }

    void VoltsCommit()
    {
        QFETCH(QString, typed);
        QFETCH(bool, byEnter);
        QFETCH(QString, shown);
        QFETCH(bool, modified);
        SystemTab tab;
        QVERIFY(tab.Harness.Active);
        const QStringList power = tab.Power();
        FocusHarness::Type(tab.Volts(), typed);
        tab.Commit(tab.Volts(), byEnter);
        QCOMPARE(tab.Volts()->text(), shown);
        QCOMPARE(tab.Device.SystemVolts(), shown.toFloat());
        QCOMPARE(tab.Modified, modified ? 1 : 0);
        QCOMPARE(tab.Power() != power, modified);
    }

    void CurrentCommit_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("byEnter");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("modified");
        // Stored: 5 A.
        QTest::newRow("50") << "50" << true << "50" << true;
        QTest::newRow("15, not a list entry's start") << "15" << true << "15" << true;
        QTest::newRow("10, left") << "10" << false << "10" << true;
        QTest::newRow("blanks around") << " 60 " << true << "60" << true;
        QTest::newRow("letters") << "abc" << false << "5" << false;
        QTest::newRow("thousands separator") << "1,000" << true << "5" << false;
        QTest::newRow("above the limit") << "20000" << true << "10000" << true;
    }

    void CurrentCommit()
    {
        QFETCH(QString, typed);
        QFETCH(bool, byEnter);
        QFETCH(QString, shown);
        QFETCH(bool, modified);
        SystemTab tab;
        QVERIFY(tab.Harness.Active);
        FocusHarness::Enter(tab.Current());
        tab.Current()->lineEdit()->selectAll();
        QTest::keyClicks(tab.Current(), typed);
        tab.Commit(tab.Current(), byEnter);
        QCOMPARE(tab.Current()->currentText(), shown);
        QCOMPARE(tab.Device.SystemCurrent(), shown.toFloat());
        QCOMPARE(tab.Modified, modified ? 1 : 0);
        QCOMPARE(tab.Current()->count(), 16); // nothing typed was added
    }

    void CurrentChosenFromList()
    {
        SystemTab tab;
        QVERIFY(tab.Harness.Active);
        QComboBox* list = tab.Current();
        list->showPopup();
        QAbstractItemView* view = list->view();
        const QModelIndex entry = view->model()->index(list->findText(QStringLiteral("1500")), 0);
        view->scrollTo(entry);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(entry).center());
        QCOMPARE(tab.Device.SystemCurrent(), 1500.0f);
        QCOMPARE(list->currentText(), QStringLiteral("1500"));
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
        QFETCH(QString, text);
        SystemTab tab;
        // A configuration file takes the system type as it stands; the
        // third line holds it.
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("system.tcf"));
        QVERIFY(tab.Device.SaveConfigToFile(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QList<QByteArray> lines = file.readAll().split('\n');
        file.close();
        lines[2] = QByteArray::number(type) + '\r';
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(lines.join('\n'));
        file.close();
        QVERIFY(tab.Device.LoadConfigFromFile(path));
        tab.Frame->ShowSystemTab();
        QCOMPARE(tab.Text("txtSystemType"), text);
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
        QFETCH(bool, frame);
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
        QCOMPARE(tab.Shown("fraProdInfo"), frame);
    }

    // The clock display is the polling's cue to keep the clock up to date, in
    // a minimised window too.
    void ClockDisplay()
    {
        SimulatedLink link;
        FakeClock clock;
        cTZL device(link.Modbus(), link.UI(), clock);
        fraSystem frame(device); // never shown
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

    // An entry under way survives a redraw and is stored when the tab goes.
    void PendingEntry()
    {
        SystemTab tab;
        QVERIFY(tab.Harness.Active);
        FocusHarness::Type(tab.Volts(), QStringLiteral("230"));
        tab.Frame->ShowSystemTab();
        QCOMPARE(tab.Volts()->text(), QStringLiteral("230"));
        QCOMPARE(tab.Device.SystemVolts(), 110.0f);
        tab.Harness.Elsewhere->setFocus(Qt::ActiveWindowFocusReason); // off to another program
        tab.Frame->hide();
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
