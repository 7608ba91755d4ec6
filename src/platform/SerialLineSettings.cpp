#include "platform/SerialLineSettings.h"

#include <QStringList>

std::optional<SerialLineSettings> SerialLineSettings::Parse(const QString& text)
{
    const QStringList fields = text.split(u',');
    if (fields.size() != 4)
        return std::nullopt;
    SerialLineSettings s;
    bool baudOk = false, dataOk = false, stopOk = false;
    s.BaudRate = fields[0].trimmed().toInt(&baudOk);
    const QString parity = fields[1].trimmed().toUpper();
    s.DataBits = fields[2].trimmed().toInt(&dataOk);
    s.StopBits = fields[3].trimmed().toInt(&stopOk);
    if (!baudOk || !dataOk || !stopOk || parity.size() != 1)
        return std::nullopt;
    s.Parity = parity[0];
    if (s.BaudRate <= 0 || s.DataBits < 5 || s.DataBits > 8 || s.StopBits < 1 || s.StopBits > 2)
        return std::nullopt;
    if (s.Parity != u'N' && s.Parity != u'O' && s.Parity != u'E')
        return std::nullopt;
    return s;
}

QString SerialLineSettings::ToString() const
{
    return QStringLiteral("%1,%2,%3,%4").arg(BaudRate).arg(Parity).arg(DataBits).arg(StopBits);
}

int SerialLineSettings::BitsPerCharacter() const
{
    return 1 + DataBits + (Parity == u'N' ? 0 : 1) + StopBits;
}

std::chrono::microseconds SerialLineSettings::CharacterTime() const
{
    const qint64 bits = BitsPerCharacter();
    return std::chrono::microseconds((bits * 1'000'000 + BaudRate - 1) / BaudRate);
}
