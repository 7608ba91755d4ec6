#include "link/cCommsStatistics.h"

void cCommsStatistics::ClearStatistics()
{
    m_Counts = CommsCounts{};
    Q_EMIT Changed();
}

void cCommsStatistics::Add(qint64& counter, qint64 amount)
{
    counter += amount;
    Q_EMIT Changed();
}
