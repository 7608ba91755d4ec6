#include "platform/FileText.h"

#include <QStringDecoder>
#include <array>

namespace {

// Windows-1252 is Latin-1 except for 0x80 to 0x9F, where it has printable
// characters. Its five unassigned codes stay the control characters of
// Latin-1.
constexpr std::array<char16_t, 32> Windows1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString FromWindows1252(const QByteArray& bytes)
{
    QString text = QString::fromLatin1(bytes);
    for (QChar& c : text) {
        if (c.unicode() >= 0x80 && c.unicode() <= 0x9F)
            c = QChar(Windows1252High[c.unicode() - 0x80]);
    }
    return text;
}

} // namespace

QByteArray EncodeFileText(const QString& text)
{
    return text.toUtf8();
}

QString DecodeFileText(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    return utf8.hasError() ? FromWindows1252(bytes) : text;
}
