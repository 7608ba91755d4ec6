#pragma once

#include "platform/FileSystemError.h"

#include <QString>
#include <cstdint>

// Reads the values of a configuration file one after another. A value in
// double quotes runs to its closing quote (there is no escaping inside); any
// other value runs to the end of its line or to a comma. Blanks around a value
// are dropped. Numbers are decimal text; they may go without a zero before
// the point and may use an exponent (1E-05, 1E+07). Words such as "nan" or
// "inf" are not numbers.
//
// A read that fails leaves the reason in Error(): reading beyond the last
// value, or a value that is not a number of the kind asked for.
class cConfigValueReader
{
public:
    explicit cConfigValueReader(QString text);

    bool ReadString(QString& value);
    // The float nearest to the written number, so a float written in its
    // shortest round-trip form reads back to the same bits.
    bool ReadFloat(float& value);
    // A whole number in minimum to maximum; a written fraction is rounded to
    // the nearest, halves to even.
    bool ReadWhole(std::int64_t minimum, std::int64_t maximum, std::int64_t& value);

    FileSystemError Error() const { return m_Error; }

private:
    bool NextValue(QString& value);
    void SkipBlanks();
    void SkipToNextValue();
    bool Fail(FileSystemError error);

    QString m_Text;
    qsizetype m_Position = 0;
    FileSystemError m_Error = FileSystemError::Other;
};
