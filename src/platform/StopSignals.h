#pragma once

#include <QObject>
#include <memory>

class QSocketNotifier;

// Turns SIGINT (Ctrl+C), SIGTERM (kill, a service stop) and SIGHUP (the
// terminal closed) into a Qt signal, so a long-running
// command can finish what it is doing and stop cleanly instead of dying in
// the middle of a transaction or a line of its file. The handler only writes
// a byte to a socket pair; everything else happens in the event loop.
class StopSignals : public QObject
{
    Q_OBJECT
public:
    explicit StopSignals(QObject* parent = nullptr);
    // Gives the three signals their default action back.
    ~StopSignals() override;

    // False when the handlers could not be installed.
    bool Install();
    bool StopRequested() const { return m_StopRequested; }

Q_SIGNALS:
    void Requested();

private:
    static void Handler(int signal);

    std::unique_ptr<QSocketNotifier> m_Notifier;
    bool m_StopRequested = false;
};
