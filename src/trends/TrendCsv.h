#pragma once

#include <QString>

class TrendHistory;

// The history as `tzlctl watch --csv` would have written it alongside: the
// same header, then a row per pass of the rotation with each measurement's
// latest reading at that moment (empty after a failed read and before the
// first one) and "ok", or "failed" where the pass's block did not all come in.
QString TrendCsvText(const TrendHistory& history);
