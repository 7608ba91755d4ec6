#pragma once

#include "FakeClock.h"
#include "SimulatedLink.h"

#include <QStringList>
#include <charconv>

// A simulated relay on the loopback line and a fake clock, for the tests of
// the classes that talk to a relay. The loopback delivers each answer in one
// piece, so a short silence ends it: whole configurations take hundreds of
// exchanges.
struct RelayBench
{
    RelayBench() { Link.SetTimeouts(SimulatedLink::TestResponseTimeoutMs, 1); }
    std::int16_t Slave() const { return Link.SlaveID(); }
    // The relay answers these values for consecutive holding registers from
    // `first` on (each a float, two registers), whatever it holds there.
    void Pin(int first, const QList<float>& values)
    {
        for (int i = 0; i < values.size(); ++i)
            Link.Faults().SetRegisterValue(RegisterKind::Holding, first + 2 * i, values[i]);
    }
    // Text and title of every message shown so far.
    QStringList Shown()
    {
        QStringList shown;
        for (const auto& message : Link.UI().Messages())
            shown << message.Text << message.Title;
        return shown;
    }
    SimulatedLink Link;
    FakeClock Clock;
};

// The shortest text that reads back as the same float, for transcripts
// compared with golden files: 0.2f is "0.2", 1 ulp more is not.
inline QString FloatText(float value)
{
    char text[32];
    const auto end = std::to_chars(std::begin(text), std::end(text), value).ptr;
    return QString::fromLatin1(text, end - text);
}

inline QString FloatsText(const QList<float>& values)
{
    QStringList texts;
    for (const float value : values)
        texts << FloatText(value);
    return texts.join(u' ');
}
