#include "platform/LocaleDateText.h"

#include <QLocale>

QString LongTimePattern()
{
    const QString pattern = QLocale().timeFormat(QLocale::LongFormat);
    QString result;
    bool quoted = false;
    for (const QChar c : pattern) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        result += c;
    }
    return result.simplified();
}

QString LongTimeText(const QTime& time)
{
    return QLocale().toString(time, LongTimePattern());
}

QString LongDateText(const QDate& date)
{
    return QLocale().toString(date, QLocale::LongFormat);
}

QString ShortDateText(const QDate& date)
{
    return QLocale().toString(date, QLocale::ShortFormat);
}

QString GeneralDateText(const QDateTime& moment)
{
    const QString date = ShortDateText(moment.date());
    if (moment.time() == QTime(0, 0))
        return date;
    return date + u' ' + LongTimeText(moment.time());
}
