#include "ScenarioFile.h"

#include "SimFaults.h"
#include "SimulatedRelay.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <cmath>

namespace {

bool ToFloat(const QString& text, float& value)
{
    bool ok = false;
    value = text.toFloat(&ok);
    return ok && std::isfinite(value);
}

bool ToInt(const QString& text, int low, int high, int& value)
{
    bool ok = false;
    value = text.toInt(&ok);
    return ok && value >= low && value <= high;
}

// Invalid unless both the date and the time are.
QDateTime ToDateTime(const QString& date, const QString& time)
{
    const QDate d = QDate::fromString(date, Qt::ISODate);
    const QTime t = QTime::fromString(time, Qt::ISODate);
    return d.isValid() && t.isValid() ? QDateTime(d, t) : QDateTime();
}

// One statement; an empty result means it was applied.
QString ApplyStatement(const QStringList& w, SimulatedRelay& relay, SimFaults& faults)
{
    const QString& keyword = w[0];
    const int args = int(w.size()) - 1;
    float f = 0;
    int n = 0;
    const auto single = [&](auto setter) -> QString {
        if (args != 1 || !ToFloat(w[1], f))
            return QStringLiteral("'%1' needs one number").arg(keyword);
        setter(f);
        return {};
    };
    if (keyword == u"volts")
        return single([&](float v) { relay.SetSystemVolts(v); });
    if (keyword == u"current")
        return single([&](float v) { relay.SetSystemCurrent(v); });
    if (keyword == u"type")
        return single([&](float v) { relay.SetSystemType(v); });
    if (keyword == u"firmware")
        return single([&](float v) { relay.SetFirmwareVersion(v); });
    if (keyword == u"psc-number")
        return single([&](float v) { relay.SetPSCNumber(v); });
    if (keyword == u"psc-issue")
        return single([&](float v) { relay.SetPSCIssue(v); });
    if (keyword == u"clock") {
        const QDateTime moment = args == 2 ? ToDateTime(w[1], w[2]) : QDateTime();
        if (!moment.isValid())
            return QStringLiteral("'clock' needs YYYY-MM-DD HH:MM:SS");
        relay.SetClock(moment);
        return {};
    }
    if (keyword == u"trip") {
        TripDefinition trip;
        if (args < 3 || args > 9 || !ToInt(w[1], 1, SimulatedRelay::RelayCount, n)
            || !ToInt(w[2], 0, 255, trip.FunctionCode) || !ToInt(w[3], 0, 255, trip.Flags))
            return QStringLiteral(
                "'trip' needs relay 1-16, function code, flags and up to six parameters");
        for (int p = 4; p <= args; ++p) {
            if (!ToFloat(w[p], trip.Parameters[p - 4]))
                return QStringLiteral("bad parameter '%1'").arg(w[p]);
        }
        relay.SetTripDefinition(n, trip);
        return {};
    }
    if (keyword == u"status") {
        const int status = args >= 2 ? ScenarioFile::ParseStatus(w.mid(2)) : -1;
        if (args < 2 || !ToInt(w[1], 1, SimulatedRelay::RelayCount, n) || status < 0)
            return QStringLiteral(
                "'status' needs relay 1-16 and tripped, latched, alarm, acknowledged or a number");
        relay.SetRelayStatus(n, status);
        return {};
    }
    if (keyword == u"event") {
        RelayEvent event;
        if (args != 4 || !ToInt(w[1], -32768, 32767, event.Number)
            || !ToInt(w[2], -32768, 32767, event.Relay))
            return QStringLiteral("'event' needs number, relay, YYYY-MM-DD and HH:MM:SS");
        event.When = ToDateTime(w[3], w[4]);
        if (!event.When.isValid())
            return QStringLiteral("bad event date or time");
        if (!relay.AddEvent(event))
            return QStringLiteral("the event log holds at most %1 events")
                .arg(SimulatedRelay::EventCapacity);
        return {};
    }
    if (keyword == u"measurement") {
        if (args != 2 || !ToInt(w[1], 0, 65535, n) || !ToFloat(w[2], f) || !relay.Measurement(n))
            return QStringLiteral("'measurement' needs a measurement register and a number");
        relay.SetMeasurement(n, f);
        return {};
    }
    if (keyword == u"store-limit" || keyword == u"store-step") {
        QString error;
        if (args != 2)
            return QStringLiteral("'%1' needs a register and a number").arg(keyword);
        return ScenarioFile::ApplyStoreRule(keyword, w[1], w[2], relay, error) ? QString() : error;
    }
    if (keyword == u"fault") {
        QString error;
        if (args != 1 || !faults.ApplyFaultText(w[1], error))
            return args == 1 ? error : QStringLiteral("'fault' needs one fault");
        return {};
    }
    return QStringLiteral("unknown statement '%1'").arg(keyword);
}

} // namespace

bool ScenarioFile::ApplyStoreRule(const QString& rule, const QString& reg, const QString& value,
                                  SimulatedRelay& relay, QString& error)
{
    int pair = 0;
    float number = 0;
    if (!ToInt(reg, 0, 65535, pair) || !SimulatedRelay::IsStoredValuePair(pair)) {
        error = QStringLiteral("'%1' is not a stored value (6, 8, 66, 68 .. 76)").arg(reg);
        return false;
    }
    if (!ToFloat(value, number) || (rule == u"store-step" && number <= 0)) {
        error = QStringLiteral("bad value '%1'").arg(value);
        return false;
    }
    if (rule == u"store-step")
        relay.SetStoreStep(pair, number);
    else
        relay.SetStoreLimit(pair, number);
    return true;
}

int ScenarioFile::ParseStatus(const QStringList& words)
{
    int number = 0;
    if (words.size() == 1 && ToInt(words[0], 0, 255, number))
        return number;
    int status = 0;
    for (const QString& word : words) {
        if (word == u"tripped")
            status |= SimulatedRelay::StatusTripped;
        else if (word == u"latched")
            status |= SimulatedRelay::StatusLatched;
        else if (word == u"alarm")
            status |= SimulatedRelay::StatusInAlarm;
        else if (word == u"acknowledged")
            status |= SimulatedRelay::StatusAcknowledged;
        else
            return -1;
    }
    return words.isEmpty() ? -1 : status;
}

bool ScenarioFile::Apply(const QString& text, const QString& origin, SimulatedRelay& relay,
                         SimFaults& faults, QString& error)
{
    static const QRegularExpression Blanks(QStringLiteral("\\s+"));
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString statement = lines[i].section(u'#', 0, 0).trimmed();
        if (statement.isEmpty())
            continue;
        const QString problem = ApplyStatement(statement.split(Blanks), relay, faults);
        if (!problem.isEmpty()) {
            error = QStringLiteral("%1:%2: %3").arg(origin).arg(i + 1).arg(problem);
            return false;
        }
    }
    return true;
}

bool ScenarioFile::Load(const QString& path, SimulatedRelay& relay, SimFaults& faults,
                        QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error = QStringLiteral("cannot read scenario %1: %2").arg(path, file.errorString());
        return false;
    }
    return Apply(QString::fromUtf8(file.readAll()), path, relay, faults, error);
}
