#pragma once

#include <QColor>
#include <array>

// The colours of phases 1, 2 and 3 wherever the configurator shows them (the
// Measurements grid's columns, the Trends window's lines), so the eye finds a
// phase by its colour.
inline const std::array<QColor, 3> PhaseColours{QColor(251, 129, 129), QColor(251, 251, 114),
                                                QColor(131, 168, 237)};
