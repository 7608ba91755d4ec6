#include "model/MeasurementCsv.h"

#include "model/MeasurementNames.h"

#include <QStringList>
#include <charconv>

namespace {

QString Quoted(const QString& field)
{
    if (!field.contains(u',') && !field.contains(u'"') && !field.contains(u'\n'))
        return field;
    return u'"' + QString(field).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

} // namespace

QString MeasurementCsv::Header()
{
    QStringList columns{QStringLiteral("Time")};
    for (const MeasurementName& m : MeasurementNames)
        columns << m.WithUnit();
    columns << QStringLiteral("Status");
    return columns.join(u',');
}

QString MeasurementCsv::Row(const QString& timeStamp, const cTZLInputRegisters::Readings& readings,
                            const QString& status)
{
    QStringList fields{timeStamp};
    for (const MeasurementName& m : MeasurementNames) {
        const std::optional<float>& reading = readings.at(std::size_t(m.Quantity));
        fields << (reading ? Number(*reading) : QString());
    }
    fields << Quoted(status);
    return fields.join(u',') + u'\n';
}

QString MeasurementCsv::TimeStamp(const QDateTime& moment)
{
    return moment.toOffsetFromUtc(moment.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QString MeasurementCsv::Number(float value)
{
    // to_chars ignores the locale and gives the shortest exact form.
    char text[32];
    const auto result = std::to_chars(std::begin(text), std::end(text), value);
    return QString::fromLatin1(text, result.ptr - text);
}

bool MeasurementCsv::Open(const QString& path, QString& error)
{
    m_File.setFileName(path);
    bool needsHeader = true;
    bool needsNewLine = false;
    if (m_File.exists() && m_File.size() > 0) {
        if (!m_File.open(QIODevice::ReadOnly)) {
            error = QStringLiteral("cannot read %1: %2").arg(path, m_File.errorString());
            return false;
        }
        const QString firstLine = QString::fromUtf8(m_File.readLine()).trimmed();
        m_File.seek(m_File.size() - 1);
        // A row cut short by a crash must not swallow the first new one.
        needsNewLine = m_File.read(1) != "\n";
        m_File.close();
        if (firstLine != Header()) {
            error = QStringLiteral("%1 holds other columns than watch writes; give another file")
                        .arg(path);
            return false;
        }
        needsHeader = false;
    }
    if (!m_File.open(QIODevice::WriteOnly | QIODevice::Append)) {
        error = QStringLiteral("cannot write %1: %2").arg(path, m_File.errorString());
        return false;
    }
    if (needsNewLine && !Write(QStringLiteral("\n"), error))
        return false;
    return !needsHeader || Write(Header() + u'\n', error);
}

bool MeasurementCsv::Append(const QString& timeStamp, const cTZLInputRegisters& inputs,
                            const QString& status, QString& error)
{
    return Write(Row(timeStamp, inputs.CurrentReadings(), status), error);
}

bool MeasurementCsv::Write(const QString& text, QString& error)
{
    const QByteArray bytes = text.toUtf8();
    if (m_File.write(bytes) != bytes.size() || !m_File.flush()) {
        error = QStringLiteral("cannot write %1: %2").arg(m_File.fileName(), m_File.errorString());
        return false;
    }
    return true;
}
