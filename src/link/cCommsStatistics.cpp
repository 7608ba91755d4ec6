#include "link/cCommsStatistics.h"

void cCommsStatistics::ClearStatistics()
{
    m_CharactersTx = m_Requests = m_CharactersRx = m_Responses = 0;
    m_Timeouts = m_CRCFailures = m_Exceptions = 0;
    Q_EMIT Changed();
}

void cCommsStatistics::Add(qint64& counter, qint64 amount)
{
    counter += amount;
    Q_EMIT Changed();
}
