#include "model/CommissioningReport.h"

#include "model/ConfigComparison.h"
#include "model/MeasurementFormat.h"
#include "model/MeasurementLayout.h"
#include "model/SystemTypeText.h"
#include "platform/FileReplacer.h"
#include "platform/FloatText.h"
#include "platform/PdfDocumentWriter.h"

#include <QFont>
#include <QTextDocument>

namespace {

const QString DateTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
const QString CouldNotBeRead = QStringLiteral("Could not be read: ");

struct Column
{
    QString Heading;
    int WidthPercent;
    Qt::Alignment Align = Qt::AlignLeft;
};

// Text for a cell or paragraph: escaped, line breaks kept.
QString Escaped(const QString& text)
{
    return text.toHtmlEscaped().replace(u'\n', QStringLiteral("<br>"));
}

QString AlignmentName(Qt::Alignment align)
{
    return align == Qt::AlignRight ? QStringLiteral("right") : QStringLiteral("left");
}

QString Cell(const QString& text, Qt::Alignment align)
{
    return QStringLiteral("<td align=\"%1\">%2</td>").arg(AlignmentName(align), Escaped(text));
}

// A ruled table the width of the page; its heading row is repeated on every
// page the table runs onto.
QString Table(const QList<Column>& columns, const QList<QStringList>& rows)
{
    QString html = QStringLiteral("<table width=\"100%\" border=\"1\" cellspacing=\"0\" "
                                  "cellpadding=\"4\" style=\"border-collapse: collapse; "
                                  "border-color: #404040;\"><thead><tr bgcolor=\"#e4e4e4\">");
    for (const Column& column : columns)
        html += QStringLiteral("<th width=\"%1%\" align=\"%2\">%3</th>")
                    .arg(column.WidthPercent)
                    .arg(AlignmentName(column.Align), Escaped(column.Heading));
    html += QStringLiteral("</tr></thead>");
    for (const QStringList& row : rows) {
        html += QStringLiteral("<tr>");
        for (qsizetype i = 0; i < row.size() && i < columns.size(); ++i)
            html += Cell(row.at(i), columns.at(i).Align);
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

// Captions in a shaded first column, values beside them.
QString FactTable(const QList<QStringList>& facts, int captionPercent = 30)
{
    QString html = QStringLiteral("<table width=\"100%\" border=\"1\" cellspacing=\"0\" "
                                  "cellpadding=\"4\" style=\"border-collapse: collapse; "
                                  "border-color: #404040;\">");
    for (const QStringList& fact : facts)
        html += QStringLiteral("<tr><td width=\"%1%\" bgcolor=\"#e4e4e4\"><b>%2</b></td>"
                               "<td>%3</td></tr>")
                    .arg(captionPercent)
                    .arg(Escaped(fact.at(0)), Escaped(fact.at(1)));
    return html + QStringLiteral("</table>");
}

QString Paragraph(const QString& text)
{
    return QStringLiteral("<p>%1</p>").arg(Escaped(text));
}

QString WithUnit(float value, const QString& unit)
{
    return (ShortestFloatText(value) + u' ' + unit).trimmed();
}

QString YesNo(bool on)
{
    return on ? QStringLiteral("Yes") : QStringLiteral("No");
}

QString Offset(qint64 seconds)
{
    if (seconds == 0)
        return QStringLiteral("0 s (the relay keeps the PC's time)");
    return QStringLiteral("%1%2 s (the relay is %3)")
        .arg(seconds > 0 ? QStringLiteral("+") : QString())
        .arg(seconds)
        .arg(seconds > 0 ? QStringLiteral("ahead") : QStringLiteral("behind"));
}

// "3, 8" or "none".
QString RelayList(const QList<int>& relays)
{
    QStringList numbers;
    for (int relay : relays)
        numbers << QString::number(relay);
    return numbers.isEmpty() ? QStringLiteral("none") : numbers.join(QStringLiteral(", "));
}

const std::array<std::pair<ReadingSection, const char*>, 6> SectionHeadings{{
    {ReadingSection::Identity, "Relay identity and clock"},
    {ReadingSection::SystemParameters, "System parameters"},
    {ReadingSection::TripSettings, "Trip settings"},
    {ReadingSection::RelayStates, "Relay states"},
    {ReadingSection::Measurements, "Measurements"},
    {ReadingSection::EventLog, "Event log"},
}};

QString Heading(ReadingSection section)
{
    for (const auto& [s, heading] : SectionHeadings)
        if (s == section)
            return QString::fromLatin1(heading);
    return {};
}

QString HeadingHtml(const QString& heading)
{
    return QStringLiteral("<h2>%1</h2>").arg(Escaped(heading));
}

} // namespace

CommissioningReport::CommissioningReport(const RelayReadings& readings, ReportDetails details,
                                         std::optional<ReportSettingsFile> settingsFile)
    : m_Readings(readings)
    , m_Details(std::move(details))
    , m_SettingsFile(std::move(settingsFile))
{}

std::unique_ptr<QTextDocument> CommissioningReport::Document() const
{
    auto document = std::make_unique<QTextDocument>();
    QFont font = document->defaultFont();
    font.setPointSizeF(9.0);
    document->setDefaultFont(font);
    document->setDocumentMargin(0);
    document->setDefaultStyleSheet(QStringLiteral("h1 { font-size: 18pt; } "
                                                  "h2 { font-size: 12pt; margin-top: 14px; }"));
    document->setHtml(Html());
    return document;
}

QStringList CommissioningReport::UnreadSections() const
{
    QStringList unread;
    for (const auto& [section, heading] : SectionHeadings)
        if (!m_Readings.Read(section))
            unread << QString::fromLatin1(heading) + QStringLiteral(": ")
                          + m_Readings.Failures.value(section);
    return unread;
}

QString CommissioningReport::FooterText() const
{
    const QString date = m_Readings.ReadAt.toString(DateTimeFormat);
    return m_Details.Site.isEmpty() ? date : m_Details.Site + QStringLiteral(" - ") + date;
}

std::optional<FileSystemError> CommissioningReport::WritePdf(const QString& path) const
{
    const std::unique_ptr<QTextDocument> document = Document();
    return ReplaceFileContents(path,
                               WritePdfDocument(*document, LocalePageSize(), FooterText()).Pdf);
}

QString CommissioningReport::Html() const
{
    return TitleBlock() + IdentitySection() + SystemSection() + SettingsCheckSection()
           + TripSettingsSection() + RelayStatesSection() + MeasurementsSection()
           + EventLogSection() + CommunicationSection() + SignOffBlock();
}

QString CommissioningReport::TitleBlock() const
{
    return QStringLiteral("<h1>%1</h1>").arg(Escaped(Title))
           + FactTable(
               {{QStringLiteral("Site"), m_Details.Site},
                {QStringLiteral("Engineer"), m_Details.Engineer},
                {QStringLiteral("Date and time"), m_Readings.ReadAt.toString(DateTimeFormat)},
                {QStringLiteral("Program"), m_Details.ProgramVersion},
                {QStringLiteral("Serial line"), m_Readings.Line},
                {QStringLiteral("Slave ID"), QString::number(m_Readings.Slave)}});
}

QString CommissioningReport::Section(const QString& heading, ReadingSection section,
                                     const QString& body) const
{
    if (m_Readings.Read(section))
        return HeadingHtml(heading) + body;
    return HeadingHtml(heading)
           + QStringLiteral("<p><b>%1</b></p>")
                 .arg(Escaped(CouldNotBeRead + m_Readings.Failures.value(section)));
}

QString CommissioningReport::IdentitySection() const
{
    const RelayReadings& r = m_Readings;
    return Section(
        Heading(ReadingSection::Identity), ReadingSection::Identity,
        FactTable({{QStringLiteral("Firmware version"), ShortestFloatText(r.FirmwareVersion)},
                   {QStringLiteral("PSC number"), ShortestFloatText(r.PSCNumber)},
                   {QStringLiteral("PSC issue"), ShortestFloatText(r.PSCIssue)},
                   {QStringLiteral("Relay clock"), r.RelayClock.toString(DateTimeFormat)},
                   {QStringLiteral("Offset from the PC's clock"), Offset(r.ClockOffsetSeconds)}}));
}

QString CommissioningReport::SystemSection() const
{
    const ConfigSnapshot& s = m_Readings.Settings;
    return Section(
        Heading(ReadingSection::SystemParameters), ReadingSection::SystemParameters,
        FactTable(
            {{QStringLiteral("System type"), SystemTypeText(s.SystemType) + QStringLiteral(" (")
                                                 + ShortestFloatText(s.SystemType) + u')'},
             {QStringLiteral("Primary VT value"), WithUnit(s.SystemVolts, QStringLiteral("V"))},
             {QStringLiteral("Primary CT value"),
              WithUnit(s.SystemCurrent, QStringLiteral("A"))}}));
}

QString CommissioningReport::SettingsCheckSection() const
{
    const QString heading = HeadingHtml(QStringLiteral("Settings check"));
    if (!m_SettingsFile)
        return heading + Paragraph(QStringLiteral("No settings file was compared"));
    // Without the relay's settings there is nothing to hold the file against.
    for (ReadingSection needed : {ReadingSection::SystemParameters, ReadingSection::TripSettings})
        if (!m_Readings.Read(needed))
            return heading
                   + QStringLiteral("<p><b>%1</b></p>")
                         .arg(Escaped(CouldNotBeRead + m_Readings.Failures.value(needed)));
    const QString& file = m_SettingsFile->Name;
    // As tzlctl compare holds a file against the relay.
    const QList<ConfigDifference> differences = ConfigComparison::Compare(
        m_Readings.Settings, m_SettingsFile->Settings, ConfigComparison::Names::Ignored);
    if (differences.isEmpty())
        return heading + Paragraph(QStringLiteral("The relay holds the settings of ") + file);
    QList<QStringList> rows;
    for (const ConfigDifference& d : differences)
        rows << QStringList{d.Where, d.Old, d.New};
    return heading
           + Paragraph(QStringLiteral("The relay's settings differ from %1 in %2 place%3:")
                           .arg(file)
                           .arg(differences.size())
                           .arg(differences.size() == 1 ? QString() : QStringLiteral("s")))
           + Table({{QStringLiteral("Setting"), 40}, {QStringLiteral("Relay"), 30}, {file, 30}},
                   rows);
}

QString CommissioningReport::RelayName(int relay) const
{
    // The relay keeps no names; the settings file gives the ones in use.
    const ConfigSnapshot& names = m_SettingsFile ? m_SettingsFile->Settings : m_Readings.Settings;
    return names.Trips.at(std::size_t(relay - 1)).Name;
}

QString CommissioningReport::TripSettingsSection() const
{
    QList<QStringList> rows;
    for (int relay = 1; relay <= cTripCatalogue::RelayCount; ++relay) {
        const TripRecord& trip = m_Readings.Settings.Trips.at(std::size_t(relay - 1));
        const auto function = std::int16_t(trip.FunctionIndex);
        QStringList parameters;
        for (std::int16_t p = 1; p <= cTripCatalogue::NumberOfParameters(function); ++p)
            parameters << cTripCatalogue::ParameterName(function, p).trimmed()
                              + QStringLiteral(": ")
                              + WithUnit(trip.ParameterValues.at(std::size_t(p - 1)),
                                         cTripCatalogue::ParameterUnitName(function, p).trimmed());
        const auto flag = [&trip](std::uint8_t bit) { return YesNo((trip.Flags & bit) != 0); };
        rows << QStringList{QString::number(relay),
                            RelayName(relay),
                            cTripCatalogue::FunctionName(function),
                            parameters.join(u'\n'),
                            flag(TripFlag::Latched),
                            flag(TripFlag::Alarm),
                            flag(TripFlag::Inverted),
                            flag(TripFlag::Logged)};
    }
    return Section(Heading(ReadingSection::TripSettings), ReadingSection::TripSettings,
                   Table({{QStringLiteral("Relay"), 7},
                          {QStringLiteral("Name"), 14},
                          {QStringLiteral("Function"), 19},
                          {QStringLiteral("Parameters"), 23},
                          {QStringLiteral("Latched"), 10},
                          {QStringLiteral("Alarm"), 8},
                          {QStringLiteral("Fail Safe"), 10},
                          {QStringLiteral("Logged"), 9}},
                         rows));
}

QString CommissioningReport::RelayStatesSection() const
{
    QList<QStringList> rows;
    QList<int> tripped, latched, alarm, acknowledged;
    for (int relay = 1; relay <= cTripCatalogue::RelayCount; ++relay) {
        const std::uint8_t status = m_Readings.Settings.Trips.at(std::size_t(relay - 1)).Status;
        const auto has = [status](std::uint8_t bit) { return (status & bit) != 0; };
        for (auto [bit, list] : {std::pair{RelayStatusBit::Tripped, &tripped},
                                 std::pair{RelayStatusBit::Latched, &latched},
                                 std::pair{RelayStatusBit::InAlarm, &alarm},
                                 std::pair{RelayStatusBit::Acknowledged, &acknowledged}})
            if (has(bit))
                list->append(relay);
        rows << QStringList{QString::number(relay),
                            RelayName(relay),
                            YesNo(has(RelayStatusBit::Tripped)),
                            YesNo(has(RelayStatusBit::Latched)),
                            YesNo(has(RelayStatusBit::InAlarm)),
                            YesNo(has(RelayStatusBit::Acknowledged))};
    }
    const QString summary =
        QStringLiteral("Tripped: %1. Latched: %2. In alarm: %3. "
                       "Alarms acknowledged: %4.")
            .arg(RelayList(tripped), RelayList(latched), RelayList(alarm), RelayList(acknowledged));
    return Section(Heading(ReadingSection::RelayStates), ReadingSection::RelayStates,
                   Paragraph(summary)
                       + Table({{QStringLiteral("Relay"), 8},
                                {QStringLiteral("Name"), 29},
                                {QStringLiteral("Tripped"), 14},
                                {QStringLiteral("Latched"), 14},
                                {QStringLiteral("In alarm"), 14},
                                {QStringLiteral("Acknowledged"), 21}},
                               rows));
}

QString CommissioningReport::MeasurementsSection() const
{
    QList<QStringList> grid;
    for (int row = 1; row <= MeasurementGridRows; ++row) {
        const MeasurementRow& caption = MeasurementRows.at(std::size_t(row - 1));
        const QString unit = QString::fromUtf8(caption.Unit);
        QStringList cells{unit.isEmpty() ? QString::fromUtf8(caption.Caption)
                                         : QStringLiteral("%1 (%2)").arg(
                                             QString::fromUtf8(caption.Caption), unit)};
        for (int column = 1; column <= MeasurementGridColumns; ++column)
            cells << QString();
        for (const MeasurementCell& cell : MeasurementCells)
            if (cell.Row == row)
                cells[cell.Column] =
                    FormatMeasurementWithUnit(m_Readings.Measurement(cell.Value), unit);
        grid << cells;
    }
    QList<Column> columns{{QStringLiteral("Parameter"), 20}};
    for (const char* caption : MeasurementColumns)
        columns << Column{QString::fromLatin1(caption), 16, Qt::AlignRight};

    QList<QStringList> singles;
    for (const SingleMeasurement& single : SingleMeasurements)
        singles << QStringList{QString::fromUtf8(single.Caption),
                               FormatMeasurementWithUnit(m_Readings.Measurement(single.Value),
                                                         QString::fromUtf8(single.Unit))};
    return Section(Heading(ReadingSection::Measurements), ReadingSection::Measurements,
                   Table(columns, grid) + QStringLiteral("<p>&nbsp;</p>") + FactTable(singles));
}

QString CommissioningReport::EventLogSection() const
{
    if (m_Readings.Events.isEmpty())
        return Section(Heading(ReadingSection::EventLog), ReadingSection::EventLog,
                       Paragraph(QStringLiteral("The event log is empty")));
    const bool functionsKnown = m_Readings.Read(ReadingSection::TripSettings);
    QList<QStringList> rows;
    for (const EventReading& event : m_Readings.Events) {
        QString function = QStringLiteral("(trip settings not read)");
        if (event.Relay < 1 || event.Relay > cTripCatalogue::RelayCount)
            function = QStringLiteral("(no such relay)");
        else if (functionsKnown)
            function = cTripCatalogue::FunctionName(
                m_Readings.Settings.Trips.at(std::size_t(event.Relay - 1)).FunctionIndex);
        rows << QStringList{QString::number(event.Number), event.When.toString(DateTimeFormat),
                            QString::number(event.Relay), function};
    }
    return Section(Heading(ReadingSection::EventLog), ReadingSection::EventLog,
                   Table({{QStringLiteral("Event No."), 12},
                          {QStringLiteral("Date & Time"), 26},
                          {QStringLiteral("Relay No."), 12},
                          {QStringLiteral("Trip Function"), 50}},
                         rows));
}

QString CommissioningReport::CommunicationSection() const
{
    const CommsCounts& c = m_Readings.Statistics;
    const auto count = [](qint64 n) { return QString::number(n); };
    return HeadingHtml(QStringLiteral("Communication"))
           + FactTable({{QStringLiteral("Protocol"), QStringLiteral("Modbus RTU")},
                        {QStringLiteral("Word order"), QString::number(m_Readings.WordOrder)},
                        {QStringLiteral("Characters Tx"), count(c.CharactersTx)},
                        {QStringLiteral("Requests Tx"), count(c.Requests)},
                        {QStringLiteral("Characters Rx"), count(c.CharactersRx)},
                        {QStringLiteral("Responses Rx"), count(c.Responses)},
                        {QStringLiteral("Response Timeouts"), count(c.Timeouts)},
                        {QStringLiteral("CRC Failures"), count(c.CRCFailures)},
                        {QStringLiteral("Exceptions Rx"), count(c.Exceptions)}});
}

QString CommissioningReport::SignOffBlock() const
{
    // Tall empty cells: the rules under them are the lines to sign on.
    QString rows;
    for (const QString& caption : {QStringLiteral("Commissioned by"),
                                   QStringLiteral("Witnessed by"), QStringLiteral("Date")})
        rows += QStringLiteral("<tr><td width=\"30%\" bgcolor=\"#e4e4e4\"><b>%1</b></td>"
                               "<td height=\"44\"></td></tr>")
                    .arg(Escaped(caption));
    return HeadingHtml(QStringLiteral("Sign-off"))
           + QStringLiteral(
               "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"8\" "
               "style=\"border-collapse: collapse; border-color: #404040;\">")
           + rows + QStringLiteral("</table>");
}
