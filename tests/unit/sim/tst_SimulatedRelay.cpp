// The simulated relay seen through the Modbus master, as the configurator
// sees it: every register block of the map, the trip-definition window and its
// commands, the product-information selector, the clock and the event log.
#include "FakeClock.h"
#include "SimulatedLink.h"

#include <QTest>
#include <cmath>

namespace {

constexpr float NoValue = -999.0f;

// The exception code the last failed transaction showed, 0 when none.
int LastException(SimulatedLink& link)
{
    const auto& messages = link.UI().Messages();
    if (messages.isEmpty() || !messages.last().Title.startsWith(QStringLiteral("Modbus Exception ")))
        return 0;
    return messages.last().Title.section(u' ', 2).toInt();
}

TripDefinition Definition(int code, int flags, std::array<float, 6> parameters)
{
    TripDefinition d;
    d.FunctionCode = code;
    d.Flags = flags;
    d.Parameters = parameters;
    return d;
}

} // namespace

class tst_SimulatedRelay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void SystemRegisters();
    void RefusedReads_data();
    void RefusedReads();
    void RefusedWrites_data();
    void RefusedWrites();
    void RefusedWriteChangesNothing();
    void TripWindowRoundTrip();
    void StatusCommands_data();
    void StatusCommands();
    void ProductInformation_data();
    void ProductInformation();
    void ClockReadAndSetField();
    void ClockSetFieldByFieldAcrossMonthEnd();
    void ClockRuns();
    void EventLogDeliveryOrder();
    void FullEventLogStartsOver();
    void Measurements_data();
    void Measurements();
    void MeasurementsDriftWhenLive();
    void AccessesAreRecorded();
};

void tst_SimulatedRelay::SystemRegisters()
{
    SimulatedLink link;
    link.Relay().SetSystemType(2.0f);
    std::vector<float> v;
    QVERIFY(link.Modbus().WriteHoldingRegister(link.SlaveID(), 6, 11000.0f));
    QVERIFY(link.Modbus().WriteHoldingRegisters(link.SlaveID(), 8, 2, {400.0f}));
    QVERIFY(link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 6, v));
    QCOMPARE(v, (std::vector<float>{11000.0f, 400.0f, 2.0f}));
    QVERIFY(link.Modbus().ReadHoldingRegisters(link.SlaveID(), 10, 2, v));
    QCOMPARE(v, std::vector<float>{2.0f});
    QVERIFY(link.UI().Messages().isEmpty());
}

void tst_SimulatedRelay::RefusedReads_data()
{
    QTest::addColumn<bool>("holding");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("exception");

    QTest::newRow("holding 0") << true << 0 << 2 << 2;
    QTest::newRow("holding 6..12, one past type") << true << 6 << 8 << 2;
    QTest::newRow("holding 6..11") << true << 6 << 6 << 0;
    QTest::newRow("holding window 58..79") << true << 58 << 22 << 2;
    QTest::newRow("holding clock 98..109") << true << 98 << 12 << 0;
    QTest::newRow("holding 238..241") << true << 238 << 4 << 0;
    QTest::newRow("input 0..37") << false << 0 << 38 << 2;
    QTest::newRow("input 44, between averages") << false << 44 << 2 << 2;
    QTest::newRow("input 42..47 across the gap") << false << 42 << 6 << 2;
    QTest::newRow("input 224..235") << false << 224 << 12 << 2;
    QTest::newRow("input 798..817") << false << 798 << 20 << 2;
    QTest::newRow("count 126") << false << 0 << 126 << 3;
}

void tst_SimulatedRelay::RefusedReads()
{
    QFETCH(bool, holding);
    QFETCH(int, start);
    QFETCH(int, count);
    QFETCH(int, exception);

    SimulatedLink link;
    std::vector<float> v;
    const bool read = holding
        ? link.Modbus().ReadHoldingRegisters(link.SlaveID(), std::int16_t(start), std::int16_t(count), v)
        : link.Modbus().ReadInputRegisters(link.SlaveID(), std::int16_t(start), std::int16_t(count), v);
    QCOMPARE(read, exception == 0);
    QCOMPARE(LastException(link), exception);
    if (exception == 0)
        QCOMPARE(int(v.size()), count / 2);
}

void tst_SimulatedRelay::RefusedWrites_data()
{
    QTest::addColumn<int>("selectFirst");
    QTest::addColumn<int>("reg");
    QTest::addColumn<float>("value");
    QTest::addColumn<int>("exception");

    QTest::newRow("system type is read only") << 0 << 10 << 2.0f << 2;
    QTest::newRow("second half of volts") << 0 << 7 << 1.0f << 2;
    QTest::newRow("outside the map") << 0 << 300 << 1.0f << 2;
    QTest::newRow("selector 16") << 0 << 58 << 16.0f << 0;
    QTest::newRow("selector 17") << 0 << 58 << 17.0f << 3;
    QTest::newRow("selector 2.5") << 0 << 58 << 2.5f << 3;
    QTest::newRow("function while deselected") << 0 << 60 << 1.0f << 3;
    QTest::newRow("function 256") << 4 << 60 << 256.0f << 3;
    QTest::newRow("status command NaN") << 4 << 64 << std::numeric_limits<float>::quiet_NaN() << 3;
    QTest::newRow("parameter infinite") << 4 << 66 << std::numeric_limits<float>::infinity() << 3;
    QTest::newRow("year 99") << 0 << 98 << 99.0f << 0;
    QTest::newRow("year 100") << 0 << 98 << 100.0f << 3;
    QTest::newRow("month 13") << 0 << 100 << 13.0f << 3;
    QTest::newRow("second 60") << 0 << 108 << 60.0f << 3;
    QTest::newRow("volts NaN") << 0 << 6 << std::numeric_limits<float>::quiet_NaN() << 3;
}

void tst_SimulatedRelay::RefusedWrites()
{
    QFETCH(int, selectFirst);
    QFETCH(int, reg);
    QFETCH(float, value);
    QFETCH(int, exception);

    SimulatedLink link;
    if (selectFirst != 0)
        QVERIFY(link.Modbus().WriteHoldingRegister(link.SlaveID(), 58, float(selectFirst)));
    QCOMPARE(link.Modbus().WriteHoldingRegister(link.SlaveID(), std::int16_t(reg), value),
             exception == 0);
    QCOMPARE(LastException(link), exception);
    QCOMPARE(link.Relay().Writes().back().Result, ModbusException(exception));
}

void tst_SimulatedRelay::RefusedWriteChangesNothing()
{
    SimulatedLink link;
    // The selector is fine, the second value is not: neither is taken.
    QVERIFY(!link.Modbus().WriteHoldingRegisters(link.SlaveID(), 58, 4, {5.0f, 300.0f}));
    QCOMPARE(link.Relay().SelectedRelay(), 0);
    QCOMPARE(link.Relay().GetTripDefinition(5), TripDefinition{});
    // Selecting and writing in one go is fine, the selection counts for the rest.
    QVERIFY(link.Modbus().WriteHoldingRegisters(link.SlaveID(), 58, 4, {5.0f, 14.0f}));
    QCOMPARE(link.Relay().GetTripDefinition(5).FunctionCode, 14);
}

// What a download of one definition sends, then the read-back and deselection.
void tst_SimulatedRelay::TripWindowRoundTrip()
{
    SimulatedLink link;
    const std::int16_t s = link.SlaveID();
    link.Relay().SetRelayStatus(7, SimulatedRelay::StatusTripped | SimulatedRelay::StatusLatched);
    link.Relay().SetTripDefinition(8, Definition(3, 1, {50, 1, 0.2f, 0, 0, 0}));
    const std::array<float, 6> params{121.0f, 1.1f, 0.2f, 0.0f, 0.0f, 9.5f};

    QVERIFY(link.Modbus().WriteHoldingRegister(s, 58, 7.0f));
    QVERIFY(link.Modbus().WriteHoldingRegister(s, 60, 1.0f));
    QVERIFY(link.Modbus().WriteHoldingRegister(s, 62, 13.0f));
    QVERIFY(link.Modbus().WriteHoldingRegister(s, 64, 0.0f));
    for (int p = 0; p < 6; ++p)
        QVERIFY(link.Modbus().WriteHoldingRegister(s, std::int16_t(66 + 2 * p), params[p]));

    std::vector<float> v;
    QVERIFY(link.Modbus().ReadHoldingRegisters(s, 58, 20, v));
    // Writing 0 to the status is no command: the live status stays.
    QCOMPARE(v, (std::vector<float>{7, 1, 13, 3, 121.0f, 1.1f, 0.2f, 0, 0, 9.5f}));
    QCOMPARE(link.Relay().GetTripDefinition(7), Definition(1, 13, params));
    QCOMPARE(link.Relay().GetTripDefinition(8), Definition(3, 1, {50, 1, 0.2f, 0, 0, 0}));

    QVERIFY(link.Modbus().WriteHoldingRegister(s, 58, 8.0f));
    QVERIFY(link.Modbus().ReadHoldingRegisters(s, 58, 8, v));
    QCOMPARE(v, (std::vector<float>{8, 3, 1, 0}));

    QVERIFY(link.Modbus().WriteHoldingRegister(s, 58, 0.0f));
    QCOMPARE(link.Relay().SelectedRelay(), 0);
    QVERIFY(link.Modbus().ReadHoldingRegisters(s, 58, 20, v));
    QCOMPARE(v, std::vector<float>(10, 0.0f));
}

void tst_SimulatedRelay::StatusCommands_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<float>("command");
    QTest::addColumn<int>("after");

    QTest::newRow("reset a latch") << 2 << 16.0f << 0;
    QTest::newRow("reset keeps tripped") << 3 << 16.0f << 1;
    QTest::newRow("reset without latch") << 8 << 16.0f << 8;
    QTest::newRow("acknowledge an alarm") << 8 << 4.0f << 12;
    QTest::newRow("acknowledge without alarm") << 1 << 4.0f << 1;
    QTest::newRow("acknowledge twice") << 12 << 4.0f << 12;
    QTest::newRow("both commands") << 11 << 20.0f << 13;
    QTest::newRow("zero is no command") << 15 << 0.0f << 15;
    QTest::newRow("status bits cannot be written") << 0 << 11.0f << 0;
}

// As a reset or acknowledgement does it: select, command, read the status back.
void tst_SimulatedRelay::StatusCommands()
{
    QFETCH(int, before);
    QFETCH(float, command);
    QFETCH(int, after);

    SimulatedLink link;
    const std::int16_t s = link.SlaveID();
    link.Relay().SetRelayStatus(9, before);
    link.Relay().SetRelayStatus(10, before);
    QVERIFY(link.Modbus().WriteHoldingRegisters(s, 58, 2, {9.0f}));
    QVERIFY(link.Modbus().WriteHoldingRegisters(s, 64, 2, {command}));
    std::vector<float> v;
    QVERIFY(link.Modbus().ReadHoldingRegisters(s, 64, 2, v));
    QCOMPARE(v, std::vector<float>{float(after)});
    QCOMPARE(link.Relay().RelayStatus(9), after);
    QCOMPARE(link.Relay().RelayStatus(10), before);
}

void tst_SimulatedRelay::ProductInformation_data()
{
    QTest::addColumn<float>("selector");
    QTest::addColumn<float>("item");

    QTest::newRow("firmware") << 2.0f << 2.44f;
    QTest::newRow("PSC number") << 4.0f << 5021.0f;
    QTest::newRow("PSC issue") << 5.0f << 7.0f;
    QTest::newRow("nothing at 3") << 3.0f << 0.0f;
}

void tst_SimulatedRelay::ProductInformation()
{
    QFETCH(float, selector);
    QFETCH(float, item);

    SimulatedLink link;
    link.Relay().SetFirmwareVersion(2.44f);
    link.Relay().SetPSCNumber(5021.0f);
    link.Relay().SetPSCIssue(7.0f);
    std::vector<float> v;
    QVERIFY(link.Modbus().WriteHoldingRegister(link.SlaveID(), 240, selector));
    QVERIFY(link.Modbus().ReadHoldingRegisters(link.SlaveID(), 238, 4, v));
    QCOMPARE(v, (std::vector<float>{item, selector}));
}

void tst_SimulatedRelay::ClockReadAndSetField()
{
    FakeClock pc(QDateTime(QDate(2026, 3, 15), QTime(13, 5, 9)));
    SimulatedLink link;
    link.UseClock(pc);
    link.Relay().SetClock(pc.Now());
    std::vector<float> v;
    QVERIFY(link.Modbus().ReadHoldingRegisters(link.SlaveID(), 98, 12, v));
    QCOMPARE(v, (std::vector<float>{26, 3, 15, 13, 5, 9}));

    // Setting the clock to 5 January 2009 07:08:09, one field at a time.
    const std::array<float, 6> fields{9, 1, 5, 7, 8, 9};
    for (int i = 0; i < 6; ++i)
        QVERIFY(link.Modbus().WriteHoldingRegisters(link.SlaveID(), std::int16_t(98 + 2 * i), 2, {fields[i]}));
    QCOMPARE(link.Relay().Clock(), QDateTime(QDate(2009, 1, 5), QTime(7, 8, 9)));

    QVERIFY(link.Modbus().WriteHoldingRegister(link.SlaveID(), 98, 45.0f));
    QCOMPARE(link.Relay().Clock().date(), QDate(1945, 1, 5));
}

// 31 January set to 15 February: month first, so the relay briefly holds
// 31 February. The day written next must make it 15 February, not 15 March.
void tst_SimulatedRelay::ClockSetFieldByFieldAcrossMonthEnd()
{
    FakeClock pc(QDateTime(QDate(2026, 1, 31), QTime(23, 59, 59)));
    SimulatedLink link;
    link.UseClock(pc);
    link.Relay().SetClock(pc.Now());
    QVERIFY(link.Modbus().WriteHoldingRegister(link.SlaveID(), 100, 2.0f));
    QVERIFY(link.Modbus().WriteHoldingRegister(link.SlaveID(), 102, 15.0f));
    QCOMPARE(link.Relay().Clock(), QDateTime(QDate(2026, 2, 15), QTime(23, 59, 59)));
}

void tst_SimulatedRelay::ClockRuns()
{
    FakeClock pc(QDateTime(QDate(2029, 12, 31), QTime(23, 59, 30)));
    SimulatedLink link;
    link.UseClock(pc);
    link.Relay().SetClock(pc.Now());
    pc.Set(pc.Now().addSecs(45));
    std::vector<float> v;
    QVERIFY(link.Modbus().ReadHoldingRegisters(link.SlaveID(), 98, 12, v));
    // Two-digit years: 2029 runs into 2030, which the relay keeps as 30.
    QCOMPARE(v, (std::vector<float>{30, 1, 1, 0, 0, 15}));
    QCOMPARE(link.Relay().Clock(), QDateTime(QDate(1930, 1, 1), QTime(0, 0, 15)));
}

void tst_SimulatedRelay::EventLogDeliveryOrder()
{
    SimulatedLink link;
    const QDateTime when(QDate(2026, 3, 14), QTime(8, 0, 5));
    link.Relay().SetEvents({{3, 12, when}, {1, 4, when.addDays(-40)}, {2, 16, when.addSecs(3)}});

    std::vector<float> v;
    QList<int> numbers;
    for (int read = 0; read < 5; ++read) {
        QVERIFY(link.Modbus().ReadInputRegisters(link.SlaveID(), 798, 18, v));
        numbers.append(int(v[0]));
        if (read == 0)
            QCOMPARE(v, (std::vector<float>{3, 12, 26, 3, 14, 8, 0, 5, 0}));
        if (read == 1)
            QCOMPARE(v, (std::vector<float>{1, 4, 26, 2, 2, 8, 0, 5, 0}));
        if (read == 3)
            QCOMPARE(v, std::vector<float>(9, 0.0f));
    }
    // After the end marker the next upload starts over.
    QCOMPARE(numbers, (QList<int>{3, 1, 2, 0, 3}));

    link.Relay().ClearEvents();
    QVERIFY(link.Modbus().ReadInputRegisters(link.SlaveID(), 798, 18, v));
    QCOMPARE(v[0], 0.0f);
    QVERIFY(link.Modbus().ReadInputRegisters(link.SlaveID(), 798, 18, v));
    QCOMPARE(v[0], 0.0f);
}

// A master reads at most 50 records, so a full log never gets to its end
// marker; the next upload must still see all 50 again.
void tst_SimulatedRelay::FullEventLogStartsOver()
{
    SimulatedLink link;
    std::vector<RelayEvent> events;
    for (int n = 50; n >= 1; --n)
        events.push_back({n, n % 16 + 1, QDateTime(QDate(2025, 6, 1), QTime(12, 0, 0))});
    events.push_back({51, 1, QDateTime(QDate(2025, 6, 1), QTime(12, 0, 0))});
    link.Relay().SetEvents(events);
    QCOMPARE(int(link.Relay().Events().size()), 50);
    QVERIFY(!link.Relay().AddEvent({51, 1, QDateTime(QDate(2025, 6, 1), QTime(12, 0, 0))}));

    std::vector<float> v;
    for (int pass = 0; pass < 2; ++pass) {
        for (int n = 50; n >= 1; --n) {
            QVERIFY(link.Modbus().ReadInputRegisters(link.SlaveID(), 798, 18, v));
            QCOMPARE(int(v[0]), n);
        }
    }
}

void tst_SimulatedRelay::Measurements_data()
{
    QTest::addColumn<float>("type");
    QTest::addColumn<float>("volts");
    QTest::addColumn<float>("current");

    QTest::newRow("4-wire 110 V 5 A") << 3.0f << 110.0f << 5.0f;
    QTest::newRow("4-wire 400 kV 10 kA") << 3.0f << 400000.0f << 10000.0f;
    QTest::newRow("3-wire 11 kV 500 A") << 2.0f << 11000.0f << 500.0f;
}

// The blocks a measurement upload reads must agree with each other and with
// the system values, or the Measurements tab would look broken to a trainee.
void tst_SimulatedRelay::Measurements()
{
    QFETCH(float, type);
    QFETCH(float, volts);
    QFETCH(float, current);

    SimulatedLink link;
    link.Relay().SetSystemType(type);
    link.Relay().SetSystemVolts(volts);
    link.Relay().SetSystemCurrent(current);
    const std::int16_t s = link.SlaveID();
    std::vector<float> b, one;
    QVERIFY(link.Modbus().ReadInputRegisters(s, 0, 36, b));
    const auto input = [&](int reg) {
        return link.Modbus().ReadInputRegisters(s, std::int16_t(reg), 2, one) ? one[0] : NoValue;
    };
    const auto close = [](double a, double b) { return std::abs(a - b) <= 1e-4 * std::abs(b) + 1e-6; };

    double vs = 0, is = 0, ps = 0, vas = 0, qs = 0;
    for (int k = 0; k < 3; ++k) {
        const double v = b[k], i = b[3 + k], p = b[6 + k], va = b[9 + k], q = b[12 + k], pf = b[15 + k];
        QVERIFY2(v > 0.98 * volts && v < 1.02 * volts, qPrintable(QString::number(v)));
        QVERIFY(i > 0.3 * current && i < current);
        QVERIFY(pf > 0.8 && pf < 1.0);
        QVERIFY(close(p, va * pf));
        QVERIFY(close(va * va, p * p + q * q));
        vs += v; is += i; ps += p; vas += va; qs += q;
    }
    // On a 3-wire system the three phases together carry sqrt(3) V I pf.
    const double phases = type == 2.0f ? std::sqrt(3.0) : 3.0;
    QVERIFY(vas > 0.5 * phases * volts * current && vas < phases * volts * current);
    QVERIFY(close(input(42), vs / 3));
    QVERIFY(close(input(46), is / 3));
    QVERIFY(close(input(48), is));
    QVERIFY(close(input(52), ps));
    QVERIFY(close(input(56), vas));
    QVERIFY(close(input(60), qs));
    QVERIFY(close(input(62), ps / vas));
    QVERIFY(std::abs(input(70) - 50.0f) < 0.1f);

    std::vector<float> busGen;
    QVERIFY(link.Modbus().ReadInputRegisters(s, 224, 10, busGen));
    const float neutral = busGen[0], busFrequency = busGen[1], angle = busGen[2],
                busVolts = busGen[3], ground = busGen[4];
    QVERIFY(type == 2.0f ? neutral == 0.0f : neutral > 0.0f && neutral < 0.2f * current);
    QVERIFY(std::abs(busFrequency - 50.0f) < 0.1f);
    QVERIFY(angle >= -180.0f && angle <= 180.0f);
    QVERIFY(std::abs(busVolts - volts) < 0.01f * volts);
    QVERIFY(ground > 0.0f && ground < 0.01f * current);
    QVERIFY(link.UI().Messages().isEmpty());

    link.Relay().SetMeasurement(46, 12.5f);
    QCOMPARE(input(46), 12.5f);
}

void tst_SimulatedRelay::MeasurementsDriftWhenLive()
{
    FakeClock pc;
    SimulatedLink link;
    link.UseClock(pc);
    link.Relay().SetMeasurementsLive(true);
    std::vector<float> first, later;
    QVERIFY(link.Modbus().ReadInputRegisters(link.SlaveID(), 0, 36, first));
    QVERIFY(link.Modbus().ReadInputRegisters(link.SlaveID(), 0, 36, later));
    QCOMPARE(later, first); // the relay's time stood still
    pc.Set(pc.Now().addSecs(5));
    QVERIFY(link.Modbus().ReadInputRegisters(link.SlaveID(), 0, 36, later));
    QVERIFY(later != first);
    for (int i = 0; i < 36 / 2; ++i)
        QVERIFY2(std::abs(later[i] - first[i]) <= 0.15f * std::abs(first[i]), qPrintable(QString::number(i)));
}

void tst_SimulatedRelay::AccessesAreRecorded()
{
    SimulatedLink link;
    std::vector<float> v;
    QVERIFY(link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 6, v));
    QVERIFY(link.Modbus().WriteHoldingRegisters(link.SlaveID(), 58, 2, {4.0f}));
    link.Faults().Queue(SimFault::NoAnswer());
    QVERIFY(!link.Modbus().WriteHoldingRegisters(link.SlaveID(), 64, 2, {16.0f}));
    QVERIFY(!link.Modbus().WriteHoldingRegisters(link.SlaveID(), 10, 2, {2.0f}));

    const auto& all = link.Relay().Accesses();
    QCOMPARE(int(all.size()), 3); // the unheard request is not among them
    QCOMPARE(all[0].Kind, RegisterAccess::Type::ReadHolding);
    QCOMPARE(all[0].Start, 6);
    QCOMPARE(all[0].Count, 6);
    const auto writes = link.Relay().Writes();
    QCOMPARE(int(writes.size()), 2);
    QCOMPARE(writes[0].Start, 58);
    QCOMPARE(writes[0].Values, std::vector<float>{4.0f});
    QCOMPARE(writes[1].Result, ModbusException::IllegalDataAddress);
    link.Relay().ClearAccesses();
    QVERIFY(link.Relay().Accesses().empty());
}

QTEST_GUILESS_MAIN(tst_SimulatedRelay)
#include "tst_SimulatedRelay.moc"
