#pragma once

#include <QString>

// "Version " and the program's major, minor and revision numbers, each in
// decimal without leading zeros, as the splash and the About box show it.
QString VersionText();
