#include "platform/StopSignals.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The handler can reach nothing but a global; one instance installs it.
int g_SignalPair[2] = {-1, -1};

constexpr int StoppingSignals[] = {SIGINT, SIGTERM, SIGHUP};

} // namespace

StopSignals::StopSignals(QObject* parent)
    : QObject(parent)
{}

StopSignals::~StopSignals()
{
    for (const int signal : StoppingSignals)
        std::signal(signal, SIG_DFL);
    m_Notifier.reset();
    for (int& fd : g_SignalPair) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void StopSignals::Handler(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_SignalPair[0], &byte, 1);
}

bool StopSignals::Install()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_SignalPair) != 0)
        return false;
    m_Notifier = std::make_unique<QSocketNotifier>(g_SignalPair[1], QSocketNotifier::Read);
    connect(m_Notifier.get(), &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(g_SignalPair[1], &byte, 1);
        m_StopRequested = true;
        Q_EMIT Requested();
    });
    struct sigaction action = {};
    action.sa_handler = &StopSignals::Handler;
    sigemptyset(&action.sa_mask);
    // Restarted system calls: a signal must not make a write to the log fail.
    action.sa_flags = SA_RESTART;
    for (const int signal : StoppingSignals)
        if (::sigaction(signal, &action, nullptr) != 0)
            return false;
    return true;
}
