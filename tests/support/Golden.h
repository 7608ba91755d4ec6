#pragma once

#include <QString>

// Compares what a test produced with the file tests/goldens/<name>. A
// mismatch fails with the first line that differs and leaves the produced text
// beside the build as <name>.actual; run with TZL_UPDATE_GOLDENS=1 to write
// the produced text into the golden instead (then read the diff before
// committing it: a golden is only as good as its review).
bool MatchesGolden(const QString& name, const QString& produced, QString& difference);

#define TZL_COMPARE_GOLDEN(name, produced)                                                         \
    do {                                                                                           \
        QString goldenDifference;                                                                  \
        QVERIFY2(MatchesGolden(name, produced, goldenDifference), qPrintable(goldenDifference));   \
    } while (false)
