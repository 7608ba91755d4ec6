// The simulated relay's side of the line: bytes as a master (or noise) puts
// them on the line, cut into requests by the framer and answered by the RTU
// slave from the register map. Half the inputs are raw bytes; the other half
// are requests with a right CRC built from the input, so that any register
// address, count and value reaches the register map.

#include "FuzzSupport.h"
#include "RequestFramer.h"
#include "RtuSlave.h"
#include "SimFaults.h"
#include "SimulatedRelay.h"
#include "link/cModbusCRC.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

constexpr std::uint8_t FnWriteMultiple = 16;

const cModbusCRC& Crc()
{
    static const cModbusCRC crc;
    return crc;
}

void AppendWord(QByteArray& frame, int value)
{
    frame.append(char((value >> 8) & 0xFF));
    frame.append(char(value & 0xFF));
}

void AppendCRC(QByteArray& frame)
{
    const std::int32_t check = Crc().GenerateCRC(frame, std::int16_t(frame.size()));
    frame.append(char(cModbusCRC::GetLoByte(check)));
    frame.append(char(cModbusCRC::GetHiByte(check)));
}

// A request with a right CRC: mostly for this slave and of the functions a
// relay knows, with a byte count that mostly fits the register count.
QByteArray BuildRequest(FuzzedDataProvider& in, int slaveId)
{
    QByteArray frame;
    frame.append(char(in.PickValueInArray<int>({slaveId, slaveId, slaveId, 0, slaveId + 1})));
    const std::uint8_t function = in.ConsumeBool()
                                      ? in.PickValueInArray<std::uint8_t>({3, 4, FnWriteMultiple})
                                      : in.ConsumeIntegral<std::uint8_t>();
    frame.append(char(function));
    AppendWord(frame, in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 260)
                                       : in.ConsumeIntegral<std::uint16_t>());
    const int count =
        in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 130) : in.ConsumeIntegral<std::uint16_t>();
    AppendWord(frame, count);
    if (function == FnWriteMultiple) {
        const int byteCount =
            in.ConsumeBool() ? (2 * count) & 0xFF : in.ConsumeIntegral<std::uint8_t>();
        frame.append(char(byteCount));
        for (int i = 0; i < byteCount; ++i)
            frame.append(char(in.ConsumeIntegral<std::uint8_t>()));
    }
    AppendCRC(frame);
    return frame;
}

// What a fault-free relay puts on the line is a well-formed answer to the
// request it heard, or nothing.
void CheckReply(const QByteArray& request, const SlaveReply& reply, int slaveId)
{
    FUZZ_CHECK(!reply.Babble && reply.Delay.count() == 0 && reply.Gap.count() == 0);
    if (reply.Bytes.isEmpty())
        return;
    FUZZ_CHECK(reply.Bytes.size() >= 5);
    FUZZ_CHECK(Crc().CompareCRC(reply.Bytes, std::int16_t(reply.Bytes.size())));
    FUZZ_CHECK(std::uint8_t(reply.Bytes[0]) == slaveId && request[0] == reply.Bytes[0]);
    const auto function = std::uint8_t(request[1]);
    const auto answered = std::uint8_t(reply.Bytes[1]);
    if (answered == (function | 0x80)) {
        FUZZ_CHECK(reply.Bytes.size() == 5);
        FUZZ_CHECK(reply.Bytes[2] >= 1 && reply.Bytes[2] <= 4);
        return;
    }
    FUZZ_CHECK(answered == function);
    if (function == FnWriteMultiple) {
        FUZZ_CHECK(reply.Bytes.size() == 8 && reply.Bytes.left(6) == request.left(6));
        return;
    }
    const int count = (std::uint8_t(request[4]) << 8) | std::uint8_t(request[5]);
    FUZZ_CHECK(count >= 1 && count <= SimulatedRelay::MaxReadRegisters);
    FUZZ_CHECK(std::uint8_t(reply.Bytes[2]) == 2 * count && reply.Bytes.size() == 5 + 2 * count);
}

struct Relay
{
    SimulatedRelay Registers;
    SimFaults Faults;
    RtuSlave Slave{Registers, Faults};

    explicit Relay(FuzzedDataProvider& in)
    {
        // A stopped clock: the same input always meets the same relay.
        Registers.SetTimeSource([] { return QDateTime(QDate(2026, 3, 15), QTime(13, 5, 9)); });
        Registers.SetWordOrder(in.ConsumeBool() ? 1 : 0);
        Registers.SetMeasurementsLive(in.ConsumeBool());
        Slave.SetSlaveID(in.ConsumeIntegralInRange(1, 247));
    }

    void Answer(const QByteArray& request)
    {
        const SlaveReply reply = Slave.HandleRequest(request);
        CheckReply(request, reply, Slave.SlaveID());
    }
};

// Raw bytes in chunks as the line delivers them: each frame the framer cuts
// out is one whole request of known length with a good CRC.
void FeedRawBytes(FuzzedDataProvider& in, Relay& relay)
{
    RequestFramer framer;
    while (in.remaining_bytes() > 0) {
        const std::string chunk = in.ConsumeBytesAsString(in.ConsumeIntegralInRange(1, 32));
        for (const QByteArray& frame :
             framer.Feed(QByteArray(chunk.data(), qsizetype(chunk.size())))) {
            FUZZ_CHECK(frame.size() == RequestFramer::ExpectedLength(frame));
            FUZZ_CHECK(Crc().CompareCRC(frame, std::int16_t(frame.size())));
            relay.Answer(frame);
        }
    }
    relay.Answer(framer.Flush());
}

// Whole requests one after another: the framer gives back each one as sent.
void FeedRequests(FuzzedDataProvider& in, Relay& relay)
{
    RequestFramer framer;
    while (in.remaining_bytes() > 0) {
        const QByteArray request = BuildRequest(in, relay.Slave.SlaveID());
        const QList<QByteArray> frames = framer.Feed(request);
        const int expected = RequestFramer::ExpectedLength(request);
        if (expected == request.size())
            FUZZ_CHECK(frames.size() == 1 && frames[0] == request && !framer.HasPending());
        else
            framer.Flush(); // the line falls silent after a request of no known length
        relay.Answer(request);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::StartQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    Relay relay(in);
    if (in.ConsumeBool())
        FeedRequests(in, relay);
    else
        FeedRawBytes(in, relay);
    return 0;
}
