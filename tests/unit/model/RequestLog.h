#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The requests a master sent, one short text each: "w6" writes from register
// 6, "h98" reads holding registers from 98, "i798" reads input registers.
// Faults that refuse a request keep the relay from seeing it, but not from
// being written on the line, so tests read the line.
inline QStringList RequestLog(const QList<QByteArray>& frames)
{
    QStringList log;
    for (const QByteArray& frame : frames) {
        const int function = std::uint8_t(frame.at(1));
        const int start = (std::uint8_t(frame.at(2)) << 8) | std::uint8_t(frame.at(3));
        const QString kind = function == 16 ? QStringLiteral("w")
                             : function == 3 ? QStringLiteral("h")
                                             : QStringLiteral("i");
        log << kind + QString::number(start);
    }
    return log;
}
