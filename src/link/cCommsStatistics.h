#pragma once

#include <QObject>

// The seven counters as they stand at one moment.
struct CommsCounts
{
    qint64 CharactersTx = 0;
    qint64 Requests = 0;
    qint64 CharactersRx = 0;
    qint64 Responses = 0;
    qint64 Timeouts = 0;
    qint64 CRCFailures = 0;
    qint64 Exceptions = 0;
};

// The traffic counters of the link since they were last cleared. The link adds
// to them as frames go out and come in; the statistics window shows them.
class cCommsStatistics : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    qint64 CharactersTx() const { return m_Counts.CharactersTx; }
    qint64 Requests() const { return m_Counts.Requests; }
    qint64 CharactersRx() const { return m_Counts.CharactersRx; }
    qint64 Responses() const { return m_Counts.Responses; }
    qint64 Timeouts() const { return m_Counts.Timeouts; }
    qint64 CRCFailures() const { return m_Counts.CRCFailures; }
    qint64 Exceptions() const { return m_Counts.Exceptions; }
    const CommsCounts& Counts() const { return m_Counts; }

    void AddCharactersTx(qint64 amount) { Add(m_Counts.CharactersTx, amount); }
    void AddRequests(qint64 amount) { Add(m_Counts.Requests, amount); }
    void AddCharactersRx(qint64 amount) { Add(m_Counts.CharactersRx, amount); }
    void AddResponses(qint64 amount) { Add(m_Counts.Responses, amount); }
    void AddTimeouts(qint64 amount) { Add(m_Counts.Timeouts, amount); }
    void AddCRCFailures(qint64 amount) { Add(m_Counts.CRCFailures, amount); }
    void AddExceptions(qint64 amount) { Add(m_Counts.Exceptions, amount); }

    void ClearStatistics();

Q_SIGNALS:
    void Changed();

private:
    void Add(qint64& counter, qint64 amount);

    CommsCounts m_Counts;
};
