// The master's side of an exchange: a request of one of the four kinds the
// link sends (read holding, read input, write one value, write several), then
// whatever bytes came back. The response goes through the checks the link
// makes, in its order: fast response detection, the CRC, the exception bit,
// how the answer fits the request, then the values of a read or the echo of
// a write.

#include "FuzzSupport.h"
#include "link/ModbusFrames.h"
#include "link/ResponseFraming.h"
#include "link/cModbusCRC.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace {

enum class RequestKind { ReadHolding, ReadInput, WriteOne, WriteSeveral };

struct Request
{
    RequestKind Kind = RequestKind::ReadHolding;
    std::int16_t Count = 0;
    int WordOrder = 0;
    std::vector<float> Values;
    QByteArray Frame;

    bool IsRead() const
    {
        return Kind == RequestKind::ReadHolding || Kind == RequestKind::ReadInput;
    }
};

// A value the link would send: it refuses anything that is not a finite number.
float FiniteValue(FuzzedDataProvider& in)
{
    const float value = std::bit_cast<float>(in.ConsumeIntegral<std::uint32_t>());
    return std::isfinite(value) ? value : 0.0f;
}

// The request as the link builds it, within the limits the link checks first.
Request BuildRequest(const cModbusCRC& crc, FuzzedDataProvider& in)
{
    Request r;
    r.Kind = in.PickValueInArray({RequestKind::ReadHolding, RequestKind::ReadInput,
                                  RequestKind::WriteOne, RequestKind::WriteSeveral});
    const auto slave = in.ConsumeIntegralInRange<std::uint8_t>(1, 247);
    const auto start = in.ConsumeIntegralInRange<std::int16_t>(0, INT16_MAX);
    r.WordOrder = in.ConsumeBool() ? 1 : 0;
    switch (r.Kind) {
    case RequestKind::ReadHolding:
    case RequestKind::ReadInput:
        // Mostly counts a response can carry, now and then any the link accepts.
        r.Count = in.ConsumeBool() ? in.ConsumeIntegralInRange<std::int16_t>(0, 130)
                                   : in.ConsumeIntegralInRange<std::int16_t>(0, INT16_MAX);
        r.Frame = ModbusFrames::BuildReadRequest(crc, slave,
                                                 r.Kind == RequestKind::ReadHolding
                                                     ? ModbusFrames::FnReadHolding
                                                     : ModbusFrames::FnReadInput,
                                                 start, r.Count);
        break;
    case RequestKind::WriteOne:
    case RequestKind::WriteSeveral:
        r.Count =
            r.Kind == RequestKind::WriteOne ? 2 : in.ConsumeIntegralInRange<std::int16_t>(0, 127);
        for (int i = 0; i < r.Count / 2; ++i)
            r.Values.push_back(FiniteValue(in));
        r.Frame =
            ModbusFrames::BuildWriteRequest(crc, slave, start, r.Count, r.Values, r.WordOrder);
        break;
    }
    return r;
}

// Whatever came back; the flags let the fuzzer reach past the first checks
// by taking the request's slave and function and a right CRC.
QByteArray BuildResponse(const cModbusCRC& crc, const Request& request, FuzzedDataProvider& in)
{
    const auto flags = in.ConsumeIntegral<std::uint8_t>();
    const std::string body = in.ConsumeRemainingBytesAsString();
    QByteArray response;
    if (flags & 1) {
        response.append(request.Frame[0]);
        response.append(char(std::uint8_t(request.Frame[1]) | ((flags & 4) ? 0x80 : 0)));
    }
    response.append(body.data(), qsizetype(body.size()));
    if (flags & 2)
        ModbusFrames::AppendCRC(crc, response);
    return response;
}

// A response taken whole by fast response detection must then pass every
// check of the link: otherwise the wait ended on a frame the link rejects,
// while waiting on would have let the rest of the answer in.
void CheckEarlyEnd(const cModbusCRC& crc, const Request& request, const QByteArray& response)
{
    if (!ResponseFraming::IsComplete(crc, request.Frame, response))
        return;
    FUZZ_CHECK(crc.CompareCRC(response, std::int16_t(response.size())));
    if (ModbusFrames::IsExceptionResponse(response))
        return;
    FUZZ_CHECK(ModbusFrames::CheckResponse(request.Frame, response)
               == ModbusFrames::ResponseFit::Fits);
    if (request.IsRead()) {
        const auto values =
            ModbusFrames::DecodeReadValues(response, request.Count, request.WordOrder);
        FUZZ_CHECK(values && values->size() == std::size_t(request.Count / 2));
    } else {
        FUZZ_CHECK(response.size() == 8);
    }
}

// The link's own order of checks on a response that ended with the silence.
void CheckAsLinkDoes(const cModbusCRC& crc, const Request& request, const QByteArray& response)
{
    if (response.size() < ModbusFrames::MinimumResponseLength)
        return; // a time-out: nothing is looked at
    const auto length = std::int16_t(std::min<qsizetype>(response.size(), INT16_MAX));
    if (!crc.CompareCRC(response, length) || ModbusFrames::IsExceptionResponse(response))
        return;
    if (ModbusFrames::CheckResponse(request.Frame, response) != ModbusFrames::ResponseFit::Fits)
        return;
    if (!request.IsRead()) {
        ModbusFrames::WriteEchoMatches(request.Frame, response);
        return;
    }
    // An answer that fits its read holds all the values asked for.
    const auto values = ModbusFrames::DecodeReadValues(response, request.Count, request.WordOrder);
    FUZZ_CHECK(values && values->size() == std::size_t(request.Count / 2));
    // NaN or infinity never reaches the model: it reads as the overflow value.
    FUZZ_CHECK(
        std::all_of(values->cbegin(), values->cend(), [](float v) { return std::isfinite(v); }));
}

// A proper answer is recognised as whole when its last byte is in, and at no
// byte before: ending early would cut it, ending late would cost the silence.
void CheckArrivingByteByByte(const cModbusCRC& crc, const Request& request, QByteArray answer)
{
    ModbusFrames::AppendCRC(crc, answer);
    for (qsizetype in = 1; in < answer.size(); ++in)
        FUZZ_CHECK(!ResponseFraming::IsComplete(crc, request.Frame, answer.left(in)));
    FUZZ_CHECK(ResponseFraming::IsComplete(crc, request.Frame, answer));
}

void CheckProperAnswers(const cModbusCRC& crc, const Request& request, std::uint8_t exceptionCode)
{
    const QByteArray head = request.Frame.left(2);
    QByteArray exception = head;
    exception[1] = char(std::uint8_t(head[1]) | 0x80);
    exception.append(char(exceptionCode));
    CheckArrivingByteByByte(crc, request, exception);

    if (request.IsRead()) {
        // The relay sends two bytes a register; whole values only are awaited.
        if (request.Count % 2 == 0 && 2 * request.Count <= 255) {
            QByteArray answer = head;
            answer.append(char(2 * request.Count));
            answer.append(QByteArray(2 * request.Count, '\x5A'));
            CheckArrivingByteByByte(crc, request, answer);
        }
        return;
    }
    const QByteArray echo = request.Frame.left(6);
    CheckArrivingByteByByte(crc, request, echo);
    QByteArray echoWithCrc = echo;
    ModbusFrames::AppendCRC(crc, echoWithCrc);
    FUZZ_CHECK(ModbusFrames::WriteEchoMatches(request.Frame, echoWithCrc));

    // The bytes a write carries read back as the same values: the two
    // directions agree on the word order.
    QByteArray readBack = head;
    readBack.append(char(4 * request.Values.size()));
    readBack.append(request.Frame.mid(7, 4 * qsizetype(request.Values.size())));
    ModbusFrames::AppendCRC(crc, readBack);
    const auto values = ModbusFrames::DecodeReadValues(
        readBack, std::int16_t(2 * request.Values.size()), request.WordOrder);
    FUZZ_CHECK(values && values->size() == request.Values.size());
    for (std::size_t i = 0; i < request.Values.size(); ++i)
        FUZZ_CHECK(std::bit_cast<std::uint32_t>((*values)[i])
                   == std::bit_cast<std::uint32_t>(request.Values[i]));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const cModbusCRC crc;
    FuzzedDataProvider in(data, size);
    const Request request = BuildRequest(crc, in);
    const auto exceptionCode = in.ConsumeIntegral<std::uint8_t>();
    const QByteArray response = BuildResponse(crc, request, in);

    CheckEarlyEnd(crc, request, response);
    CheckAsLinkDoes(crc, request, response);
    CheckProperAnswers(crc, request, exceptionCode);
    return 0;
}
