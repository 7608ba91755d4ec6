#pragma once

#include <QObject>
#include <memory>

class QSocketNotifier;

// Ends the event loop on SIGINT or SIGTERM. The signal handler only writes a
// byte to a socket pair; the quitting itself happens in the event loop, where
// it is safe.
class QuitOnSignal : public QObject
{
    Q_OBJECT
public:
    explicit QuitOnSignal(QObject* parent = nullptr);
    ~QuitOnSignal() override;

    // False when the handlers could not be installed.
    bool Install();

private:
    static void Handler(int signal);

    std::unique_ptr<QSocketNotifier> m_Notifier;
};
