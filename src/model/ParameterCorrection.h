#pragma once

#include <QList>
#include <QString>
#include <cstdint>

// A trip parameter found outside its limits and set back to its default.
struct ParameterCorrection
{
    std::int16_t Relay = 0;
    QString TripName;
    QString Parameter;
    QString Unit;
    float Was = 0.0f;
    float Minimum = 0.0f;
    float Maximum = 0.0f;
    float Now = 0.0f;
};

// What the engineer is told, a line a correction:
// Relay 1 "Main OV" Trip Point: 913 V is outside 5.5 to 600 V, now 456.5 V
QString ParameterCorrectionsText(const QList<ParameterCorrection>& corrections);
