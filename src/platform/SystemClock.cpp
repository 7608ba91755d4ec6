#include "platform/SystemClock.h"

#include <QEventLoop>
#include <QTimer>

QDateTime SystemClock::Now() const
{
    return QDateTime::currentDateTime();
}

void SystemClock::WaitUntil(const QDateTime& moment)
{
    const qint64 ms = QDateTime::currentDateTime().msecsTo(moment);
    if (ms <= 0)
        return;
    QEventLoop loop;
    QTimer::singleShot(std::chrono::milliseconds(ms), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}
