#pragma once

#include <QDateTime>

// The PC's date and time; tests replace it to avoid real waits.
class IClock
{
public:
    virtual ~IClock() = default;
    virtual QDateTime Now() const = 0;
    // Blocks until the given moment while the interface stays live.
    virtual void WaitUntil(const QDateTime& moment) = 0;
};
