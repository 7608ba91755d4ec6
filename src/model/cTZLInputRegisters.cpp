#include "model/cTZLInputRegisters.h"

#include "link/frmModbus.h"
#include "platform/IClock.h"
#include "platform/IUserInterface.h"

#include <vector>

cTZLInputRegisters::cTZLInputRegisters(frmModbus& link, IUserInterface& ui, const IClock& clock)
    : m_Link(link)
    , m_UI(ui)
    , m_Clock(clock)
{
    Clear();
}

cTZLInputRegisters::Readings cTZLInputRegisters::CurrentReadings() const
{
    Readings readings;
    for (std::size_t i = 0; i < readings.size(); ++i) {
        if (m_HasReading.test(i))
            readings.at(i) = m_Values.at(i);
    }
    return readings;
}

bool cTZLInputRegisters::UpLoadBasics(std::int16_t slave)
{
    return UploadGroup(slave, {{0, 36, Quantity::Volts1}});
}

bool cTZLInputRegisters::UpLoadAverages(std::int16_t slave)
{
    return UploadGroup(slave, {{42, 2, Quantity::VoltsAverage},
                               {46, 2, Quantity::AmpsAverage},
                               {62, 2, Quantity::PowerFactorAverage}});
}

bool cTZLInputRegisters::UpLoadSums(std::int16_t slave)
{
    return UploadGroup(slave, {{48, 2, Quantity::AmpsSum},
                               {52, 2, Quantity::PowerSum},
                               {56, 2, Quantity::VASum},
                               {60, 2, Quantity::VArSum}});
}

bool cTZLInputRegisters::UpLoadBusGen(std::int16_t slave)
{
    return UploadGroup(slave, {{70, 2, Quantity::Frequency}, {224, 10, Quantity::INeutral}});
}

bool cTZLInputRegisters::Upload(std::int16_t slave)
{
    Clear();
    const bool ok =
        UpLoadBasics(slave) && UpLoadAverages(slave) && UpLoadSums(slave) && UpLoadBusGen(slave);
    if (!ok)
        Clear();
    return ok;
}

void cTZLInputRegisters::Clear()
{
    m_Values.fill(0.0f);
    m_HasReading.reset();
    m_ReadAt.fill(QDateTime());
}

cTZLInputRegisters::Reading cTZLInputRegisters::ReadingOf(Quantity quantity) const
{
    if (HasReading(quantity))
        return Reading::Fresh;
    return ReadAt(quantity).isValid() ? Reading::Stale : Reading::Never;
}

bool cTZLInputRegisters::UploadGroup(std::int16_t slave, std::initializer_list<Block> blocks)
{
    bool failed = false;
    for (const Block& block : blocks) {
        std::vector<float> values;
        // The blocks after a failed one are not read this time round.
        failed = failed || !m_Link.ReadInputRegisters(slave, block.Start, block.Registers, values);
        const std::size_t first = std::size_t(block.First);
        const QDateTime now = failed ? QDateTime() : m_Clock.Now();
        for (std::size_t i = 0; i < std::size_t(block.Registers / 2); ++i) {
            if (!failed) {
                m_Values.at(first + i) = values.at(i);
                m_ReadAt.at(first + i) = now;
            }
            m_HasReading.set(first + i, !failed);
        }
    }
    if (failed)
        m_UI.MsgBox(QStringLiteral("Modbus Request Failed"),
                    QStringLiteral("Measurement Update Error"), MsgButtons::OK, MsgIcon::None);
    return !failed;
}
