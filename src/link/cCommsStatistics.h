#pragma once

#include <QObject>

// The traffic counters of the link since they were last cleared. The link adds
// to them as frames go out and come in; the statistics window shows them.
class cCommsStatistics : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    qint64 CharactersTx() const { return m_CharactersTx; }
    qint64 Requests() const { return m_Requests; }
    qint64 CharactersRx() const { return m_CharactersRx; }
    qint64 Responses() const { return m_Responses; }
    qint64 Timeouts() const { return m_Timeouts; }
    qint64 CRCFailures() const { return m_CRCFailures; }
    qint64 Exceptions() const { return m_Exceptions; }

    void AddCharactersTx(qint64 amount) { Add(m_CharactersTx, amount); }
    void AddRequests(qint64 amount) { Add(m_Requests, amount); }
    void AddCharactersRx(qint64 amount) { Add(m_CharactersRx, amount); }
    void AddResponses(qint64 amount) { Add(m_Responses, amount); }
    void AddTimeouts(qint64 amount) { Add(m_Timeouts, amount); }
    void AddCRCFailures(qint64 amount) { Add(m_CRCFailures, amount); }
    void AddExceptions(qint64 amount) { Add(m_Exceptions, amount); }

    void ClearStatistics();

Q_SIGNALS:
    void Changed();

private:
    void Add(qint64& counter, qint64 amount);

    qint64 m_CharactersTx = 0;
    qint64 m_Requests = 0;
    qint64 m_CharactersRx = 0;
    qint64 m_Responses = 0;
    qint64 m_Timeouts = 0;
    qint64 m_CRCFailures = 0;
    qint64 m_Exceptions = 0;
};
