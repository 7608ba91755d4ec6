#pragma once

#include "trips/ConfigSnapshot.h"

#include <QString>
#include <array>
#include <optional>

class IUserInterface;

// Writes and reads configuration files (".tcf"):
//
//   "TZL_CONFIG_FILE"           the marker, in quotes
//   1                           format version
//   system type, system current, system volts (current before volts)
//   16 blocks of nine lines, relay 1 first:
//     "name", function CODE (not the index), flags byte, parameters 1 to 6
//
// One value per line, lines ended by CR LF, strings in double quotes, numbers
// in decimals. Floats are written in their shortest plain form that reads
// back to the same bits; a value that is no number is never written or read.
//
// Loading parses the whole file before anything is handed back, so a refused
// or broken file never leaves a half-loaded configuration behind. Saving goes
// through a temporary file that replaces the old one only once everything is
// written. Every failure is shown to the user here.
class cConfigFile
{
public:
    explicit cConfigFile(IUserInterface& ui);

    // True when the whole file was written. On failure the reason is shown
    // and any previous file at the path is left as it was.
    bool Save(const QString& path, const ConfigSnapshot& data);
    // The file's configuration, or nothing after the failure has been shown:
    // "The File does not contain TZL Config Data" for a wrong marker (letter
    // case counts), the later-version message for version 2 or more, the
    // system-settings message for any other version than 1, and the
    // file-system error for a missing, unreadable or truncated file or one
    // with a value that is not a decimal number. A device or a file far
    // larger than any configuration is refused as not holding one.
    std::optional<ConfigSnapshot> Load(const QString& path);
    // As Load, for a file's bytes already in memory.
    std::optional<ConfigSnapshot> Parse(const QByteArray& bytes);
    // The bytes Save writes, or nothing when a value is not a finite number.
    static std::optional<QByteArray> Format(const ConfigSnapshot& data);

private:
    std::optional<QByteArray> ReadFileBytes(const QString& path);
    void ShowNotConfigData();

    IUserInterface& m_UI;
};
