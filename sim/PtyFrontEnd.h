#pragma once

#include <QObject>
#include <QString>
#include <memory>

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

private:
    void ReadInput();
    void Send(const QByteArray& bytes);
    void CloseAll();

    SlaveSession& m_Session;
    int m_Master = -1;
    int m_SlaveKeepAlive = -1;
    QString m_DevicePath;
    std::unique_ptr<QSocketNotifier> m_Notifier;
};
