#pragma once

#include "link/ICommsErrorLog.h"

#include <QIODevice>
#include <QStringList>

class IClock;

// The comms error log: "CommsErr.log" for this run of the program and two
// older generations beside it. Every entry is written and closed at once, so
// the file is complete on disk after each failure.
class cCommsErrorLog : public ICommsErrorLog
{
public:
    static inline const QString CurrentName = QStringLiteral("CommsErr.log");
    static inline const QString OldName = QStringLiteral("CommsErrOld.log");
    static inline const QString OlderName = QStringLiteral("CommsErrOlder.log");

    cCommsErrorLog(QString folder, const IClock& clock);

    // The folder named by $TZL_LOG_DIR when it is set (tests, or a log kept
    // with the site's papers). Otherwise the program's own folder while it
    // runs uninstalled and may write there, else a per-user folder that the
    // configurator and tzlctl share.
    static QString DefaultFolder();

    const QString& Folder() const { return m_Folder; }

    // Keeps the last two runs' logs and starts a new one. False when that
    // failed; the program carries on, and the first entry that cannot be
    // written is reported by the transaction that tried.
    bool StartCommsErrorLog();

    bool LogCommsError(const QString& text, const QByteArray& request, const QByteArray& response,
                       QString& errorDescription, QString& errorSource) override;

private:
    QString PathOf(const QString& name) const;
    QString Timestamp() const;
    bool WriteLines(QIODevice::OpenMode mode, const QStringList& lines, QString& errorDescription,
                    QString& errorSource) const;

    QString m_Folder;
    const IClock& m_Clock;
};
