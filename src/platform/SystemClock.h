#pragma once

#include "platform/IClock.h"

class SystemClock : public IClock
{
public:
    QDateTime Now() const override;
    // Runs a local event loop until the moment, so the interface stays live.
    void WaitUntil(const QDateTime& moment) override;
};
