#pragma once

#include <QString>
#include <chrono>
#include <optional>

// Line settings "9600,N,8,1" (baud rate, parity letter, data bits, stop bits)
// as the simulator needs them: to open a serial device and to pace answers.
struct SimLineSettings
{
    int BaudRate = 9600;
    QChar Parity = u'N'; // 'N', 'O' or 'E'
    int DataBits = 8;
    int StopBits = 1;

    // Parity may be lower case; anything a line cannot be set to is refused.
    static std::optional<SimLineSettings> Parse(const QString& text);
    // Time one character takes: start bit, data bits, parity bit, stop bits.
    std::chrono::microseconds CharacterTime() const;
};
