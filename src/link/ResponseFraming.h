#pragma once

#include "link/cModbusCRC.h"

#include <QByteArray>

// Knowing the request, the master knows how long its answer must be, so it
// need not wait for the line to fall silent once that answer is in.
namespace ResponseFraming {

// True when `received` is exactly one whole response to `request`, its CRC
// right: for a read, slave, function, a byte count of 4 x (count / 2), those
// data bytes and the CRC; for a write, the 8-byte echo; for an exception, the
// 5-byte refusal of the request's function. Anything else (a frame still
// arriving, a byte count that does not fit, noise, bytes after a frame) is
// left to the silence that ends a response.
bool IsComplete(const cModbusCRC& crc, const QByteArray& request, const QByteArray& received);

} // namespace ResponseFraming
