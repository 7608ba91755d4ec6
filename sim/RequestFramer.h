#pragma once

#include "link/cModbusCRC.h"

#include <QByteArray>
#include <QList>

// Cuts the byte stream of a serial line into request frames. A request's
// length follows from its function code (8 bytes for reads, 9 plus the byte
// count for a write), so a frame is complete as soon as its last byte is in,
// without waiting for the line to fall silent. A frame whose CRC fails is
// taken for a misalignment: its first byte is dropped and the search goes on.
// Bytes of an unknown function wait for the silence that ends them, unless a
// whole request with a good CRC follows them.
class RequestFramer
{
public:
    // Adds received bytes; returns the frames they complete, in order.
    QList<QByteArray> Feed(const QByteArray& bytes);
    // The line has been silent: whatever is pending forms one last frame
    // (possibly incomplete; the slave ignores it unless its CRC holds).
    QByteArray Flush();
    bool HasPending() const { return !m_Pending.isEmpty(); }

    // Length of the request that starts with `head`; 0 while not yet known
    // (fewer than 7 bytes of a write); -1 for a function of unknown length.
    static int ExpectedLength(const QByteArray& head);

private:
    bool SkipToFrame();

    QByteArray m_Pending;
    cModbusCRC m_CRC;
};
