#include "trips/cConfigValueReader.h"

#include "trips/WholeNumber.h"

#include <QByteArray>
#include <algorithm>
#include <charconv>
#include <system_error>

namespace {

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool IsLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}

// Numbers are written in decimals, plainly or with an exponent. The number
// parser would also take "nan" and "inf", which must never reach a relay.
bool IsDecimalText(const QByteArray& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](char c) {
        return (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E';
    });
}

// The whole of the text as a number of type T, or false. A leading plus sign
// is allowed, as exponents allow one.
template <typename T>
bool ParseNumber(const QString& text, T& value)
{
    QByteArray digits = text.toLatin1();
    if (digits.startsWith('+') && !digits.startsWith("+-"))
        digits.remove(0, 1);
    if (digits.isEmpty() || !IsDecimalText(digits))
        return false;
    const char* end = digits.constData() + digits.size();
    const auto [stop, error] = std::from_chars(digits.constData(), end, value);
    return error == std::errc() && stop == end;
}

} // namespace

cConfigValueReader::cConfigValueReader(QString text)
    : m_Text(std::move(text))
{}

bool cConfigValueReader::ReadString(QString& value)
{
    return NextValue(value);
}

bool cConfigValueReader::ReadFloat(float& value)
{
    QString text;
    if (!NextValue(text))
        return false;
    if (!ParseNumber(text, value))
        return Fail(FileSystemError::Other);
    return true;
}

bool cConfigValueReader::ReadWhole(std::int64_t minimum, std::int64_t maximum, std::int64_t& value)
{
    QString text;
    if (!NextValue(text))
        return false;
    double number = 0;
    if (!ParseNumber(text, number))
        return Fail(FileSystemError::Other);
    const auto whole = RoundToWhole(number, minimum, maximum);
    if (!whole)
        return Fail(FileSystemError::Other);
    value = *whole;
    return true;
}

bool cConfigValueReader::NextValue(QString& value)
{
    SkipBlanks();
    if (m_Position >= m_Text.size())
        return Fail(FileSystemError::InputPastEndOfFile);
    if (m_Text[m_Position] == u'"') {
        const qsizetype start = m_Position + 1;
        qsizetype end = start;
        // A missing closing quote ends the value with its line.
        while (end < m_Text.size() && m_Text[end] != u'"' && !IsLineEnd(m_Text[end]))
            ++end;
        value = m_Text.mid(start, end - start);
        m_Position = end < m_Text.size() && m_Text[end] == u'"' ? end + 1 : end;
    } else {
        const qsizetype start = m_Position;
        while (m_Position < m_Text.size() && m_Text[m_Position] != u','
               && !IsLineEnd(m_Text[m_Position]))
            ++m_Position;
        value = m_Text.mid(start, m_Position - start).trimmed();
    }
    SkipToNextValue();
    return true;
}

void cConfigValueReader::SkipBlanks()
{
    while (m_Position < m_Text.size() && IsBlank(m_Text[m_Position]))
        ++m_Position;
}

void cConfigValueReader::SkipToNextValue()
{
    // Anything after a closing quote up to the separator belongs to no value.
    while (m_Position < m_Text.size() && m_Text[m_Position] != u','
           && !IsLineEnd(m_Text[m_Position]))
        ++m_Position;
    if (m_Position >= m_Text.size())
        return;
    if (m_Text[m_Position] == u',') {
        ++m_Position;
        return;
    }
    if (m_Text[m_Position] == u'\r')
        ++m_Position;
    if (m_Position < m_Text.size() && m_Text[m_Position] == u'\n')
        ++m_Position;
}

bool cConfigValueReader::Fail(FileSystemError error)
{
    m_Error = error;
    return false;
}
