#pragma once

#include "platform/SerialLineSettings.h"

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class QSocketNotifier;
class SlaveSession;

// Serves the relay on a new pseudo-terminal. A master program opens the slave
// device (DevicePath) as if it were a serial port. The simulator keeps the
// slave side open itself, so the terminal stays up between the master's
// transactions instead of hanging up each time the master closes its port.
// Input is watched with a socket notifier: no polling while the line is idle.
class PtyFrontEnd : public QObject
{
    Q_OBJECT
public:
    explicit PtyFrontEnd(SlaveSession& session, QObject* parent = nullptr);
    ~PtyFrontEnd() override;

    // Creates the terminal in raw mode. False with a reason on failure.
    bool Open(QString& error);
    QString DevicePath() const { return m_DevicePath; }
    // Hears the master only when it has set the terminal to these settings,
    // as a relay on a real line would (see LineMismatch). A pseudo-terminal
    // carries bytes at any setting, but the settings the master gives its
    // side are visible from ours: the baud rate as set, and parity by the
    // parity check the master asks for (the kernel keeps no parity bit on a
    // pseudo-terminal, but leaves the input check flags as they were set).
    void SetStrictLine(const SerialLineSettings& line);

private:
    void ReadInput();
    void Send(const QByteArray& bytes);
    bool InputWaiting() const;
    void CloseAll();
    SerialLineSettings MasterLine() const;

    SlaveSession& m_Session;
    int m_Master = -1;
    int m_SlaveKeepAlive = -1;
    QString m_DevicePath;
    std::unique_ptr<QSocketNotifier> m_Notifier;
    std::optional<SerialLineSettings> m_StrictLine;
    // The master's parity when the last request was heard.
    QChar m_MasterParity = u'N';
};
