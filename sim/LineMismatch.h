#pragma once

#include "platform/SerialLineSettings.h"

#include <QByteArray>

// What a relay's UART and a master's UART make of each other when their line
// settings differ.
//
// At another baud rate (or character size) the relay receives nothing but
// framing errors and never recognises a request: it stays silent. At the
// right speed with another parity it hears the request (like many relays, it
// does not check parity on receive), but its answer reaches the master
// damaged: the bit after the data is taken for the master's parity or stop
// bit, and a byte for which that bit is wrong is dropped by the master's UART
// (errors ignored, as the configurator's port sets it). What is left fails
// the CRC; even against odd nothing is left, and the master hears silence.
class LineMismatch
{
public:
    static bool RelayHears(const SerialLineSettings& relay, const SerialLineSettings& master);
    static QByteArray AsReceived(const QByteArray& sent, QChar relayParity, QChar masterParity);
};
