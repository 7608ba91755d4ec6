#pragma once

#include <QString>
#include <chrono>
#include <optional>

// A settings text "9600,N,8,1" taken apart: baud rate, parity letter, data
// bits, stop bits. Wire-level: the link's port and the simulator both read it.
struct SerialLineSettings
{
    int BaudRate = 9600;
    QChar Parity = u'N'; // 'N', 'O' or 'E', always upper case
    int DataBits = 8;
    int StopBits = 1;

    // Accepts lower-case parity; refuses anything the line cannot be set to.
    static std::optional<SerialLineSettings> Parse(const QString& text);
    QString ToString() const;
    // Bits one character occupies on the line: start, data, parity, stop.
    int BitsPerCharacter() const;
    // Time one character takes on the line, rounded up to a whole microsecond.
    std::chrono::microseconds CharacterTime() const;
};
