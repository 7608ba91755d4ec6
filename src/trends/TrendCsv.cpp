#include "trends/TrendCsv.h"

#include "model/MeasurementCsv.h"
#include "trends/TrendHistory.h"

#include <QDateTime>

QString TrendCsvText(const TrendHistory& history)
{
    QString text = MeasurementCsv::Header() + u'\n';
    // One cursor per measurement walks its samples along with the records,
    // so the whole export takes one pass over the history.
    std::array<std::size_t, std::size_t(cTZLInputRegisters::Quantity::Count)> next{};
    cTZLInputRegisters::Readings latest;
    for (const TrendRecord& record : history.Records()) {
        for (std::size_t q = 0; q < next.size(); ++q) {
            const TrendHistory::Samples& samples =
                history.SamplesOf(cTZLInputRegisters::Quantity(q));
            for (; next[q] < samples.size() && samples[next[q]].TimeMs <= record.TimeMs;
                 ++next[q]) {
                const TrendSample& sample = samples[next[q]];
                latest.at(q) = sample.Gap ? std::nullopt : std::optional<float>(sample.Value);
            }
        }
        text += MeasurementCsv::Row(
            MeasurementCsv::TimeStamp(QDateTime::fromMSecsSinceEpoch(record.TimeMs)), latest,
            record.Read ? QStringLiteral("ok") : QStringLiteral("failed"));
    }
    return text;
}
