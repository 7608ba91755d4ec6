#pragma once

#include "platform/IClock.h"

// A clock a test sets by hand. Waiting moves it to the moment at once and
// remembers how long the wait would have been.
class FakeClock : public IClock
{
public:
    explicit FakeClock(QDateTime now = QDateTime(QDate(2024, 5, 17), QTime(10, 20, 30, 250)))
        : m_Now(std::move(now))
    {}
    QDateTime Now() const override { return m_Now; }
    void WaitUntil(const QDateTime& moment) override
    {
        if (moment > m_Now) {
            m_TotalWaitMs += m_Now.msecsTo(moment);
            m_Now = moment;
        }
        ++m_Waits;
    }
    void Set(const QDateTime& now) { m_Now = now; }
    qint64 TotalWaitMs() const { return m_TotalWaitMs; }
    int Waits() const { return m_Waits; }

private:
    QDateTime m_Now;
    qint64 m_TotalWaitMs = 0;
    int m_Waits = 0;
};
