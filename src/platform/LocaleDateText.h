#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

// Dates and times in the user's own formats (the default QLocale), the way
// the log files and screens show them.

// The locale's long time pattern with its time-zone field taken out.
QString LongTimePattern();
// The locale's long time, without a time-zone name: relay times are local
// wall-clock times with no zone of their own.
QString LongTimeText(const QTime& time);
QString LongDateText(const QDate& date);
QString ShortDateText(const QDate& date);
// Short date and long time; a moment at midnight shows the date alone.
QString GeneralDateText(const QDateTime& moment);
