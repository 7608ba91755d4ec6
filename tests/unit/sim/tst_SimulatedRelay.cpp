// The simulated relay as the Modbus master sees it: the trip-definition window
// and its commands, the product-information selector, the clock, the event log
// and the measurements. What the map refuses is checked on raw frames.
#include "FakeClock.h"
#include "SimulatedLink.h"

#include <QTest>
#include <cmath>

namespace {

constexpr float NoValue = -999.0f;
using Writes = QList<QPair<int, float>>; // register, value

struct Bench : SimulatedLink
{
    // Each exchange ends with its whole answer rather than a silence: the
    // runs of exchanges below take a fraction of the time.
    Bench() { Modbus().SetFastResponseDetection(true); }
    bool Write(int reg, float value)
    {
        return Modbus().WriteHoldingRegister(SlaveID(), std::int16_t(reg), value);
    }
    // The values read; empty when the read failed.
    std::vector<float> Read(bool holding, int start, int count)
    {
        std::vector<float> v;
        const auto s = std::int16_t(start), n = std::int16_t(count);
        const bool ok = holding ? Modbus().ReadHoldingRegisters(SlaveID(), s, n, v)
                                : Modbus().ReadInputRegisters(SlaveID(), s, n, v);
        return ok ? v : std::vector<float>{};
    }
    float Value(bool holding, int reg)
    {
        const std::vector<float> v = Read(holding, reg, 2);
        return v.empty() ? NoValue : v[0];
    }
};

} // namespace

class tst_SimulatedRelay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void RefusedWriteChangesNothing()
    {
        Bench b;
        // The selector is fine, the function code is not: neither is taken.
        QVERIFY(!b.Modbus().WriteHoldingRegisters(b.SlaveID(), 58, 4, {5.0f, 300.0f}));
        QCOMPARE(b.Relay().SelectedRelay(), 0);
        // Selecting and writing in one go is fine: the selection counts for the rest.
        QVERIFY(b.Modbus().WriteHoldingRegisters(b.SlaveID(), 58, 4, {5.0f, 14.0f}));
        QCOMPARE(b.Relay().GetTripDefinition(5).FunctionCode, 14);
    }

    // Writes one value at a time, as the master does, then a second later
    // reads holding registers back. Relay 9 starts with the given status; the
    // relay clock with 31 December 2029 23:59:59.
    void WriteThenRead()
    {
        const Writes trip{{58, 9},    {60, 1},    {62, 13}, {64, 0}, {66, 121},
                          {68, 1.1f}, {70, 0.2f}, {72, 0},  {74, 0}, {76, 9.5f}};
        // Status, writes, start, count, values read.
        const std::tuple<int, Writes, int, int, std::vector<float>> rows[] = {
            // 0 written to the status is no command: the live status reads back.
            {3, trip, 58, 20, {9, 1, 13, 3, 121, 1.1f, 0.2f, 0, 0, 9.5f}},
            {3, trip + Writes{{58, 8}}, 58, 8, {8, 0, 0, 0}},                  // another relay
            {3, trip + Writes{{58, 0}}, 58, 20, std::vector<float>(10, 0.0f)}, // deselected
            // A status command: select, command, read the status back: reset
            // a latch, which keeps tripped; acknowledge an alarm; both; a
            // status bit is not writable.
            {2, {{58, 9}, {64, 16}}, 64, 2, {0}},
            {3, {{58, 9}, {64, 16}}, 64, 2, {1}},
            {8, {{58, 9}, {64, 4}}, 64, 2, {12}},
            {11, {{58, 9}, {64, 20}}, 64, 2, {13}},
            {0, {{58, 9}, {64, 11}}, 64, 2, {0}},
            // Product information: the item the selector chose (firmware, PSC
            // number, nothing at 3), and the selector.
            {0, {{240, 2}}, 238, 4, {2.44f, 2}},
            {0, {{240, 4}}, 238, 4, {5021, 4}},
            {0, {{240, 3}}, 238, 4, {0, 3}},
            // The clock keeps two-digit years, and is set field by field: on the
            // way to 15 February it holds 31 February, which must not carry into March.
            {0, {}, 98, 12, {30, 1, 1, 0, 0, 0}},
            {0, {{100, 2}, {102, 15}}, 98, 12, {29, 2, 16, 0, 0, 0}},
        };
        for (const auto& [status, writes, start, count, expected] : rows) {
            FakeClock pc(QDateTime(QDate(2029, 12, 31), QTime(23, 59, 59)));
            Bench b;
            b.UseClock(pc);
            b.Relay().SetClock(pc.Now());
            b.Relay().SetFirmwareVersion(2.44f);
            b.Relay().SetPSCNumber(5021.0f);
            b.Relay().SetRelayStatus(9, status);
            b.Relay().SetRelayStatus(10, status);
            for (const auto& [reg, value] : writes)
                QVERIFY(b.Write(reg, value));
            pc.Set(pc.Now().addSecs(1));
            QCOMPARE(b.Read(true, start, count), expected);
            QCOMPARE(b.Relay().RelayStatus(10), status);
        }
    }

    void EventLog()
    {
        Bench b;
        const QDateTime when(QDate(2026, 3, 14), QTime(8, 0, 5));
        b.Relay().SetEvents({{3, 12, when}, {1, 4, when.addDays(-40)}, {2, 16, when.addSecs(3)}});
        QCOMPARE(b.Read(false, 798, 18), (std::vector<float>{3, 12, 26, 3, 14, 8, 0, 5, 0}));
        QCOMPARE(b.Read(false, 798, 18), (std::vector<float>{1, 4, 26, 2, 2, 8, 0, 5, 0}));
        QCOMPARE(b.Value(false, 798), 2.0f);
        QCOMPARE(b.Read(false, 798, 18), std::vector<float>(9, 0.0f));
        QCOMPARE(b.Value(false, 798), 3.0f); // the next upload starts over
        b.Relay().ClearEvents();
        QCOMPARE(b.Value(false, 798), 0.0f);
    }

    // A master reads at most 50 records and so never reads the end marker of a
    // full log; the next upload must still get all 50.
    void FullEventLogStartsOver()
    {
        Bench b;
        const QDateTime when(QDate(2025, 6, 1), QTime(12, 0, 0));
        std::vector<RelayEvent> events;
        for (int n = 1; n <= 51; ++n)
            events.push_back({n, 1, when});
        b.Relay().SetEvents(events);
        QVERIFY(!b.Relay().AddEvent({52, 1, when}));
        for (int read = 0; read <= 50; ++read)
            QCOMPARE(b.Value(false, 798), float(1 + read % 50));
    }

    // The blocks of a measurement upload agree with each other and with the
    // system values, or the Measurements tab would look broken to a trainee.
    void Measurements()
    {
        // 4-wire 110 V 5 A and 3-wire 11 kV 500 A.
        for (const auto& [type, volts, current] :
             {std::tuple{3.0f, 110.0f, 5.0f}, std::tuple{2.0f, 11000.0f, 500.0f}})
            MeasurementsAgree(type, volts, current);
    }

private:
    void MeasurementsAgree(float type, float volts, float current)
    {
        Bench b;
        b.Relay().SetSystemType(type);
        b.Relay().SetSystemVolts(volts);
        b.Relay().SetSystemCurrent(current);
        const std::vector<float> m = b.Read(false, 0, 36);
        QCOMPARE(int(m.size()), 18);
        const auto close = [](double a, double e) {
            return std::abs(a - e) <= 1e-4 * std::abs(e) + 1e-6;
        };
        double vs = 0, is = 0, ps = 0, vas = 0, qs = 0;
        for (int k = 0; k < 3; ++k) {
            const double v = m[k], i = m[3 + k], p = m[6 + k], va = m[9 + k], q = m[12 + k],
                         pf = m[15 + k];
            QVERIFY2(v > 0.98 * volts && v < 1.02 * volts, qPrintable(QString::number(v)));
            QVERIFY(i > 0.3 * current && i < current);
            QVERIFY(pf > 0.8 && pf < 1.0);
            QVERIFY(close(p, va * pf) && close(va * va, p * p + q * q));
            vs += v, is += i, ps += p, vas += va, qs += q;
        }
        // On a 3-wire system the three phases together carry sqrt(3) V I pf.
        const double phases = type == 2.0f ? std::sqrt(3.0) : 3.0;
        QVERIFY(vas > 0.5 * phases * volts * current && vas < phases * volts * current);
        const std::map<int, double> totals{{42, vs / 3}, {46, is / 3}, {48, is},      {52, ps},
                                           {56, vas},    {60, qs},     {62, ps / vas}};
        for (const auto& [reg, total] : totals)
            QVERIFY2(close(b.Value(false, reg), total), qPrintable(QString::number(reg)));
        QVERIFY(std::abs(b.Value(false, 70) - 50.0f) < 0.1f);

        const std::vector<float> bus = b.Read(false, 224, 10); // neutral, Hz, angle, volts, ground
        QCOMPARE(int(bus.size()), 5);
        QVERIFY(type == 2.0f ? bus[0] == 0.0f : bus[0] > 0.0f && bus[0] < 0.2f * current);
        QVERIFY(std::abs(bus[1] - 50.0f) < 0.1f && std::abs(bus[2]) <= 180.0f);
        QVERIFY(std::abs(bus[3] - volts) < 0.01f * volts);
        QVERIFY(bus[4] > 0.0f && bus[4] < 0.01f * current);
        b.Relay().SetMeasurement(46, 12.5f); // as a scenario pins it
        QCOMPARE(b.Value(false, 46), 12.5f);
    }
};

QTEST_GUILESS_MAIN(tst_SimulatedRelay)
#include "tst_SimulatedRelay.moc"
