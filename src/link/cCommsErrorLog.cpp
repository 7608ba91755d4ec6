#include "link/cCommsErrorLog.h"

#include "platform/IClock.h"
#include "platform/LocaleDateText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// "TX: 1 3 0 0 0 2 C4 B": each byte in upper-case hex without leading zeros.
QString HexLine(const QString& label, const QByteArray& bytes)
{
    QString line = label;
    for (const char byte : bytes)
        line += u' ' + QString::number(std::uint8_t(byte), 16).toUpper();
    return line;
}

} // namespace

cCommsErrorLog::cCommsErrorLog(QString folder, const IClock& clock)
    : m_Folder(std::move(folder))
    , m_Clock(clock)
{}

QString cCommsErrorLog::DefaultFolder()
{
    const QString chosen = qEnvironmentVariable("TZL_LOG_DIR");
    if (!chosen.isEmpty()) {
        QDir().mkpath(chosen);
        return chosen;
    }
    // Beside the program only while it runs from where it was built: an
    // installed program keeps its log per user even where it could write
    // beside itself (run as root, or installed under the home folder), so
    // that the log is never mixed with the programs or shared between users.
    const QString own = QCoreApplication::applicationDirPath();
    const bool installed = QFileInfo::exists(own + QStringLiteral("/../share/tzl-configurator"));
    if (!installed && QFileInfo(own).isWritable())
        return own;
    // Named after the settings, not after the executable, so that the
    // configurator and tzlctl write to the same log.
    const QString perUser = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                            + QStringLiteral("/VI_TZLConfigurator");
    QDir().mkpath(perUser);
    return perUser;
}

bool cCommsErrorLog::StartCommsErrorLog()
{
    const QString current = PathOf(CurrentName);
    const QString old = PathOf(OldName);
    const QString older = PathOf(OlderName);
    if (QFileInfo::exists(older))
        QFile::remove(older);
    if (QFileInfo::exists(old))
        QFile::rename(old, older);
    if (QFileInfo::exists(current))
        QFile::rename(current, old);
    QString description;
    QString source;
    return WriteLines(QIODevice::Truncate, {QStringLiteral("Session Started: ") + Timestamp()},
                      description, source);
}

bool cCommsErrorLog::LogCommsError(const QString& text, const QByteArray& request,
                                   const QByteArray& response, QString& errorDescription,
                                   QString& errorSource)
{
    return WriteLines(QIODevice::Append,
                      {Timestamp() + u' ' + text, HexLine(QStringLiteral("TX:"), request),
                       HexLine(QStringLiteral("RX:"), response)},
                      errorDescription, errorSource);
}

QString cCommsErrorLog::PathOf(const QString& name) const
{
    return QDir(m_Folder).filePath(name);
}

// The user's short date and long time, date first.
QString cCommsErrorLog::Timestamp() const
{
    const QDateTime now = m_Clock.Now();
    return ShortDateText(now.date()) + u' ' + LongTimeText(now.time());
}

bool cCommsErrorLog::WriteLines(QIODevice::OpenMode mode, const QStringList& lines,
                                QString& errorDescription, QString& errorSource) const
{
    QFile file(PathOf(CurrentName));
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toLocal8Bit() + "\r\n";
    if (file.open(QIODevice::WriteOnly | mode) && file.write(bytes) == bytes.size()) {
        // Closing flushes; its failure (a full disk) is the last chance to tell.
        file.close();
        if (file.error() == QFileDevice::NoError)
            return true;
    }
    errorDescription = file.errorString();
    errorSource = file.fileName();
    return false;
}
