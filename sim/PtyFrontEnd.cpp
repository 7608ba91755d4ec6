#include "PtyFrontEnd.h"

#include "LineMismatch.h"
#include "SlaveSession.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

int BaudRate(speed_t speed)
{
    switch (speed) {
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    default:
        return 0;
    }
}

QString SystemError(const char* what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

PtyFrontEnd::PtyFrontEnd(SlaveSession& session, QObject* parent)
    : QObject(parent)
    , m_Session(session)
{
    connect(&m_Session, &SlaveSession::Transmit, this, &PtyFrontEnd::Send);
}

PtyFrontEnd::~PtyFrontEnd()
{
    CloseAll();
}

bool PtyFrontEnd::Open(QString& error)
{
    m_Master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_Master < 0) {
        error = SystemError("posix_openpt");
        return false;
    }
    const char* name = nullptr;
    if (grantpt(m_Master) != 0 || unlockpt(m_Master) != 0
        || (name = ptsname(m_Master)) == nullptr) {
        error = SystemError("pseudo-terminal setup");
        CloseAll();
        return false;
    }
    m_DevicePath = QString::fromLocal8Bit(name);
    m_SlaveKeepAlive = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios raw{};
    if (m_SlaveKeepAlive < 0 || tcgetattr(m_SlaveKeepAlive, &raw) != 0) {
        error = SystemError("opening the terminal");
        CloseAll();
        return false;
    }
    // No echo, no line editing, no character translation: bytes pass as they are.
    cfmakeraw(&raw);
    if (tcsetattr(m_SlaveKeepAlive, TCSANOW, &raw) != 0) {
        error = SystemError("setting raw mode");
        CloseAll();
        return false;
    }
    m_Notifier = std::make_unique<QSocketNotifier>(m_Master, QSocketNotifier::Read);
    connect(m_Notifier.get(), &QSocketNotifier::activated, this, &PtyFrontEnd::ReadInput);
    return true;
}

void PtyFrontEnd::SetStrictLine(const SerialLineSettings& line)
{
    m_StrictLine = line;
}

SerialLineSettings PtyFrontEnd::MasterLine() const
{
    SerialLineSettings line;
    termios t{};
    if (tcgetattr(m_Master, &t) != 0)
        return line;
    line.BaudRate = BaudRate(cfgetospeed(&t));
    line.Parity = (t.c_iflag & INPCK) == 0 ? u'N' : (t.c_cflag & PARODD) != 0 ? u'O' : u'E';
    return line;
}

void PtyFrontEnd::ReadInput()
{
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(m_Master, buffer, sizeof buffer);
        if (n > 0) {
            if (m_StrictLine) {
                const SerialLineSettings master = MasterLine();
                if (!LineMismatch::RelayHears(*m_StrictLine, master))
                    continue;
                m_MasterParity = master.Parity;
            }
            m_Session.BytesReceived(QByteArray(buffer, qsizetype(n)));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // EAGAIN: all read. EIO cannot happen while the slave side is held open.
    }
}

void PtyFrontEnd::Send(const QByteArray& answer)
{
    // A request that is already in drops whatever was still to go out for
    // the last one (noise, the rest of a late answer). Written before it is
    // read, those bytes would land behind the request, where the master takes
    // them for the start of its answer.
    if (InputWaiting()) {
        ReadInput();
        return;
    }
    const QByteArray bytes =
        m_StrictLine ? LineMismatch::AsReceived(answer, m_StrictLine->Parity, m_MasterParity)
                     : answer;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_Master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break; // terminal buffer full: nobody is reading, as on an unplugged line
    }
}

bool PtyFrontEnd::InputWaiting() const
{
    pollfd line{m_Master, POLLIN, 0};
    return ::poll(&line, 1, 0) == 1 && (line.revents & POLLIN) != 0;
}

void PtyFrontEnd::CloseAll()
{
    m_Notifier.reset();
    if (m_SlaveKeepAlive >= 0)
        ::close(m_SlaveKeepAlive);
    if (m_Master >= 0)
        ::close(m_Master);
    m_SlaveKeepAlive = -1;
    m_Master = -1;
}
