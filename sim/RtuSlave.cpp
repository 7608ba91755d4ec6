#include "RtuSlave.h"

#include "SimulatedRelay.h"
#include "platform/ValueConverter.h"

namespace {

constexpr std::uint8_t FnReadHolding = 3;
constexpr std::uint8_t FnReadInput = 4;
constexpr std::uint8_t FnWriteMultiple = 16;
constexpr std::uint8_t ExceptionBit = 0x80;
constexpr int ReadRequestLength = 8;
constexpr int WriteHeaderLength = 7; // slave, function, start, count, byte count
constexpr int WriteResponseLength = 8;
constexpr int MaxWriteRegisters = 123;
constexpr int ShortestFrame = 4; // slave, function, CRC

int Word(const QByteArray& frame, int offset)
{
    return (std::uint8_t(frame[offset]) << 8) | std::uint8_t(frame[offset + 1]);
}

// Bytes no frame starts with: 0xFE and 0xFF are no slave ID.
QByteArray Noise(int bytes)
{
    QByteArray noise(bytes, '\xFE');
    for (int i = 1; i < bytes; i += 2)
        noise[i] = '\xFF';
    return noise;
}

void AppendWord(QByteArray& frame, int value)
{
    frame.append(char((value >> 8) & 0xFF));
    frame.append(char(value & 0xFF));
}

} // namespace

RtuSlave::RtuSlave(SimulatedRelay& relay, SimFaults& faults, int slaveId)
    : m_Relay(relay)
    , m_Faults(faults)
    , m_SlaveID(slaveId)
{}

SlaveReply RtuSlave::HandleRequest(const QByteArray& frame)
{
    if (frame.size() < ShortestFrame || frame.size() > INT16_MAX
        || !m_CRC.CompareCRC(frame, std::int16_t(frame.size())))
        return {};
    const int slave = std::uint8_t(frame[0]);
    const std::uint8_t function = std::uint8_t(frame[1]);
    if (slave == 0) {
        // A broadcast is acted on by every slave and answered by none.
        if (function == FnWriteMultiple)
            Answer(frame, function);
        return {};
    }
    if (slave != m_SlaveID)
        return {};

    const SimFault fault = m_Faults.TakeNext();
    if (fault.Type == SimFault::Kind::NoAnswer)
        return {};
    if (fault.Type == SimFault::Kind::Exception)
        return Bend(ExceptionAnswer(function, fault.Value), fault);
    return Bend(Answer(frame, function), fault);
}

QByteArray RtuSlave::Answer(const QByteArray& frame, std::uint8_t function)
{
    switch (function) {
    case FnReadHolding:
        return ReadAnswer(frame, function, RegisterKind::Holding);
    case FnReadInput:
        return ReadAnswer(frame, function, RegisterKind::Input);
    case FnWriteMultiple:
        return WriteAnswer(frame);
    default:
        return ExceptionAnswer(function, int(ModbusException::IllegalFunction));
    }
}

QByteArray RtuSlave::ReadAnswer(const QByteArray& frame, std::uint8_t function, RegisterKind kind)
{
    if (frame.size() != ReadRequestLength)
        return ExceptionAnswer(function, int(ModbusException::IllegalDataValue));
    const int start = Word(frame, 2);
    const int count = Word(frame, 4);
    std::vector<std::uint16_t> words;
    const ModbusException result = m_Relay.ReadRegisters(kind, start, count, words);
    if (result != ModbusException::None)
        return ExceptionAnswer(function, int(result));
    ApplyFixedValues(kind, start, words);

    QByteArray answer;
    answer.append(char(m_SlaveID));
    answer.append(char(function));
    answer.append(char(2 * count));
    for (std::uint16_t w : words)
        AppendWord(answer, w);
    AppendCRC(answer);
    return answer;
}

QByteArray RtuSlave::WriteAnswer(const QByteArray& frame)
{
    if (frame.size() < WriteHeaderLength + 2)
        return ExceptionAnswer(FnWriteMultiple, int(ModbusException::IllegalDataValue));
    const int start = Word(frame, 2);
    const int count = Word(frame, 4);
    const int byteCount = std::uint8_t(frame[6]);
    if (count < 1 || count > MaxWriteRegisters || byteCount != 2 * count
        || frame.size() != WriteHeaderLength + byteCount + 2)
        return ExceptionAnswer(FnWriteMultiple, int(ModbusException::IllegalDataValue));
    std::vector<std::uint16_t> words;
    for (int i = 0; i < count; ++i)
        words.push_back(std::uint16_t(Word(frame, WriteHeaderLength + 2 * i)));
    const ModbusException result = m_Relay.WriteRegisters(start, words);
    if (result != ModbusException::None)
        return ExceptionAnswer(FnWriteMultiple, int(result));

    QByteArray answer = frame.left(6); // slave, function, start, count
    answer[0] = char(m_SlaveID);
    AppendCRC(answer);
    return answer;
}

QByteArray RtuSlave::ExceptionAnswer(std::uint8_t function, int code) const
{
    QByteArray answer;
    answer.append(char(m_SlaveID));
    answer.append(char(function | ExceptionBit));
    answer.append(char(code));
    AppendCRC(answer);
    return answer;
}

// A pair fixed by the faults reads its value in the relay's word order, for
// whichever of its registers the read covers.
void RtuSlave::ApplyFixedValues(RegisterKind kind, int start,
                                std::vector<std::uint16_t>& words) const
{
    for (int i = 0; i < int(words.size()); ++i) {
        const int reg = start + i;
        const auto value = m_Faults.RegisterValue(kind, reg - reg % 2);
        if (!value)
            continue;
        std::uint8_t b[4];
        fnFTB(*value, b[0], b[1], b[2], b[3], m_Relay.WordOrder());
        const int half = reg % 2;
        words[i] = std::uint16_t((b[2 * half] << 8) | b[2 * half + 1]);
    }
}

SlaveReply RtuSlave::Bend(QByteArray answer, const SimFault& fault) const
{
    SlaveReply reply;
    switch (fault.Type) {
    case SimFault::Kind::ShortAnswer:
        answer.truncate(fault.Value);
        break;
    case SimFault::Kind::BadCrc:
        answer[answer.size() - 1] = char(answer[answer.size() - 1] ^ 0xFF);
        break;
    case SimFault::Kind::BadEcho:
        // Only a write is echoed; an exception or a read goes out as it is.
        if (answer.size() == WriteResponseLength && std::uint8_t(answer[1]) == FnWriteMultiple) {
            answer.chop(2);
            const int echoed = Word(answer, 2) + 2;
            answer[2] = char((echoed >> 8) & 0xFF);
            answer[3] = char(echoed & 0xFF);
            AppendCRC(answer);
        }
        break;
    case SimFault::Kind::Delay:
        reply.Delay = std::chrono::milliseconds(fault.Value);
        break;
    case SimFault::Kind::Trickle:
        reply.Gap = std::chrono::milliseconds(fault.Value);
        break;
    case SimFault::Kind::Babble:
        reply.Babble = true;
        reply.BabbleGap = std::chrono::milliseconds(fault.Value);
        break;
    case SimFault::Kind::OtherSlave:
        answer[0] = char(m_SlaveID % 247 + 1);
        ReplaceCRC(answer);
        break;
    case SimFault::Kind::BadFunction:
        answer[1] = char(std::uint8_t(answer[1]) + 1);
        ReplaceCRC(answer);
        break;
    case SimFault::Kind::ByteCount:
        // Only a read answer has a byte count.
        if (std::uint8_t(answer[1]) == FnReadHolding || std::uint8_t(answer[1]) == FnReadInput) {
            answer[2] = char(fault.Value);
            ReplaceCRC(answer);
        }
        break;
    case SimFault::Kind::GarbageBefore:
        answer.prepend(Noise(fault.Value));
        break;
    case SimFault::Kind::GarbageAfter:
        answer.append(Noise(fault.Value));
        break;
    case SimFault::Kind::Gap:
        reply.PauseAfter = fault.At;
        reply.Pause = std::chrono::milliseconds(fault.Value);
        break;
    case SimFault::Kind::HangUp:
        answer.truncate(fault.Value);
        reply.HangUp = true;
        break;
    default:
        break;
    }
    reply.Bytes = answer;
    return reply;
}

void RtuSlave::ReplaceCRC(QByteArray& frame) const
{
    frame.chop(2);
    AppendCRC(frame);
}

void RtuSlave::AppendCRC(QByteArray& frame) const
{
    const std::int32_t crc = m_CRC.GenerateCRC(frame, std::int16_t(frame.size()));
    frame.append(char(cModbusCRC::GetLoByte(crc)));
    frame.append(char(cModbusCRC::GetHiByte(crc)));
}
