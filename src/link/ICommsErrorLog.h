#pragma once

#include <QByteArray>
#include <QString>

// Where the link records each failed exchange with its raw frames.
class ICommsErrorLog
{
public:
    virtual ~ICommsErrorLog() = default;

    // Appends one entry. On failure returns false and fills the description
    // and source of the file error, which the link shows to the user.
    virtual bool LogCommsError(const QString& text, const QByteArray& request,
                               const QByteArray& response, QString& errorDescription,
                               QString& errorSource) = 0;
};
