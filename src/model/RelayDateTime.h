#pragma once

#include <QDateTime>
#include <optional>

// The relay keeps its clock and its event times as separate fields with a
// two-digit year. They become one date and time here: years 0 to 29 are
// 2000 to 2029, 30 to 99 are 1930 to 1999, 100 and above are taken as they
// are; a field outside its usual range carries into the next larger unit
// (month 13 is January of the next year, day 0 the last day of the month
// before, second 60 the next minute). Nothing comes back when the result lies
// outside the years 100 to 9999, the range the program shows dates in.
std::optional<QDateTime> ComposeRelayDateTime(int year, int month, int day, int hour, int minute,
                                              int second);
