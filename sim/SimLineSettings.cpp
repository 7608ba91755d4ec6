#include "SimLineSettings.h"

#include <QStringList>

std::optional<SimLineSettings> SimLineSettings::Parse(const QString& text)
{
    const QStringList f = text.split(u',');
    if (f.size() != 4)
        return std::nullopt;
    SimLineSettings s;
    bool baudOk = false, dataOk = false, stopOk = false;
    s.BaudRate = f[0].trimmed().toInt(&baudOk);
    const QString parity = f[1].trimmed().toUpper();
    s.DataBits = f[2].trimmed().toInt(&dataOk);
    s.StopBits = f[3].trimmed().toInt(&stopOk);
    if (!baudOk || !dataOk || !stopOk || parity.size() != 1 || s.BaudRate <= 0
        || s.DataBits < 5 || s.DataBits > 8 || s.StopBits < 1 || s.StopBits > 2)
        return std::nullopt;
    s.Parity = parity[0];
    if (s.Parity != u'N' && s.Parity != u'O' && s.Parity != u'E')
        return std::nullopt;
    return s;
}

std::chrono::microseconds SimLineSettings::CharacterTime() const
{
    const qint64 bits = 1 + DataBits + (Parity == u'N' ? 0 : 1) + StopBits;
    return std::chrono::microseconds((bits * 1'000'000 + BaudRate - 1) / BaudRate);
}
