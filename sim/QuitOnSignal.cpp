#include "QuitOnSignal.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Only one instance installs the handlers; the handler reaches it here.
int g_SignalPair[2] = {-1, -1};

} // namespace

QuitOnSignal::QuitOnSignal(QObject* parent)
    : QObject(parent)
{}

QuitOnSignal::~QuitOnSignal()
{
    m_Notifier.reset();
    for (int& fd : g_SignalPair) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void QuitOnSignal::Handler(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_SignalPair[0], &byte, 1);
}

bool QuitOnSignal::Install()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_SignalPair) != 0)
        return false;
    m_Notifier = std::make_unique<QSocketNotifier>(g_SignalPair[1], QSocketNotifier::Read);
    connect(m_Notifier.get(), &QSocketNotifier::activated, this, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(g_SignalPair[1], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = &QuitOnSignal::Handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0
           && ::sigaction(SIGTERM, &action, nullptr) == 0;
}
