// A scenario file for the simulator: any text, applied to a fresh relay, which
// a master then reads through end to end, so that every state a scenario can
// leave behind (trips, status, events, pinned values, faults, stored-value
// rules) is also answered on the line.

#include "FuzzSupport.h"
#include "RtuSlave.h"
#include "ScenarioFile.h"
#include "SimFaults.h"
#include "SimulatedRelay.h"
#include "link/cModbusCRC.h"
#include "platform/ValueConverter.h"

namespace {

const cModbusCRC& Crc()
{
    static const cModbusCRC crc;
    return crc;
}

QByteArray Framed(QByteArray frame)
{
    const std::int32_t check = Crc().GenerateCRC(frame, std::int16_t(frame.size()));
    frame.append(char(cModbusCRC::GetLoByte(check)));
    frame.append(char(cModbusCRC::GetHiByte(check)));
    return frame;
}

QByteArray Read(std::uint8_t function, int start, int count)
{
    QByteArray frame;
    frame.append(char(1));
    frame.append(char(function));
    frame.append(char(start >> 8));
    frame.append(char(start & 0xFF));
    frame.append(char(count >> 8));
    frame.append(char(count & 0xFF));
    return Framed(frame);
}

QByteArray WriteValue(int reg, float value, int wordOrder)
{
    QByteArray frame;
    for (int byte : {1, 16, reg >> 8, reg & 0xFF, 0, 2, 4})
        frame.append(char(byte));
    std::uint8_t b[4];
    fnFTB(value, b[0], b[1], b[2], b[3], wordOrder);
    for (std::uint8_t byte : b)
        frame.append(char(byte));
    return Framed(frame);
}

// What the configurator reads from a relay, in its order: system values,
// product information, every trip definition and status, the clock, the
// measurements and the whole event log.
void ReadEverything(SimulatedRelay& registers, RtuSlave& slave)
{
    const int order = registers.WordOrder();
    slave.HandleRequest(Read(3, 6, 6));
    for (float item : {2.0f, 4.0f, 5.0f}) {
        slave.HandleRequest(WriteValue(240, item, order));
        slave.HandleRequest(Read(3, 238, 4));
    }
    for (int relay = 1; relay <= SimulatedRelay::RelayCount; ++relay) {
        slave.HandleRequest(WriteValue(58, float(relay), order));
        slave.HandleRequest(Read(3, 58, 20));
        slave.HandleRequest(WriteValue(64, 16.0f, order));
        slave.HandleRequest(WriteValue(64, 4.0f, order));
    }
    slave.HandleRequest(Read(3, 98, 12));
    slave.HandleRequest(Read(4, 0, 36));
    slave.HandleRequest(Read(4, 42, 30));
    slave.HandleRequest(Read(4, 224, 10));
    for (int event = 0; event <= SimulatedRelay::EventCapacity; ++event)
        slave.HandleRequest(Read(4, 798, 18));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::StartQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    SimulatedRelay registers;
    registers.SetTimeSource([] { return QDateTime(QDate(2026, 3, 15), QTime(13, 5, 9)); });
    SimFaults faults;
    QString error;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!ScenarioFile::Apply(text, QStringLiteral("fuzz.sim"), registers, faults, error)) {
        // A refused scenario says where.
        FUZZ_CHECK(error.startsWith(QStringLiteral("fuzz.sim:")));
        return 0;
    }
    RtuSlave slave(registers, faults);
    ReadEverything(registers, slave);
    return 0;
}
