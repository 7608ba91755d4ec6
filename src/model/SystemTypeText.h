#pragma once

#include <QString>

// The system type in words: 2 is a 3-wire system; every other type, also one
// no relay knows (a file may hold any number), reads as 4-wire.
QString SystemTypeText(float systemType);
