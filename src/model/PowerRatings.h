#pragma once

// Rated powers of the installation, from the system type (2 = 3-phase 3-wire,
// 3 = 3-phase 4-wire, rounded to the nearest whole number first), the system
// volts and the system current. Any other type has no rating: 0.
float PhasePowerOf(float systemType, float volts, float current);
float SystemPowerOf(float systemType, float volts, float current);
