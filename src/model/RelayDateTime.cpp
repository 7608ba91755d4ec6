#include "model/RelayDateTime.h"

#include <cstdint>

namespace {

constexpr int FirstYear = 100;
constexpr int LastYear = 9999;
constexpr std::int64_t SecondsPerDay = 24 * 60 * 60;

int WindowedYear(int year)
{
    if (year >= 0 && year <= 29)
        return 2000 + year;
    if (year >= 30 && year <= 99)
        return 1900 + year;
    return year;
}

// Division that rounds towards minus infinity, so negative fields borrow from
// the next larger unit the way a calendar does.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

} // namespace

std::optional<QDateTime> ComposeRelayDateTime(int year, int month, int day, int hour, int minute,
                                              int second)
{
    const std::int64_t months = std::int64_t(month) - 1;
    const std::int64_t fullYear = WindowedYear(year) + FloorDiv(months, 12);
    // Day and time carries move a date by less than a century, so a first of
    // the month before year 1 can never come back into range (and Qt has no
    // year 0 to build it from).
    if (fullYear < 1 || fullYear > LastYear + 100)
        return std::nullopt;
    const QDate firstOfMonth(int(fullYear), int(months - 12 * FloorDiv(months, 12)) + 1, 1);

    const std::int64_t seconds = std::int64_t(hour) * 3600 + std::int64_t(minute) * 60 + second;
    const std::int64_t dayCarry = FloorDiv(seconds, SecondsPerDay);
    const QDate date = firstOfMonth.addDays(std::int64_t(day) - 1 + dayCarry);
    if (!date.isValid() || date.year() < FirstYear || date.year() > LastYear)
        return std::nullopt;
    const QTime time =
        QTime::fromMSecsSinceStartOfDay(int((seconds - dayCarry * SecondsPerDay) * 1000));
    return QDateTime(date, time);
}
