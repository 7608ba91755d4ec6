#pragma once

#include "model/RelayReadings.h"
#include "platform/FileSystemError.h"
#include "trips/ConfigSnapshot.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QTextDocument;

// Who made the report, where, with which program.
struct ReportDetails
{
    QString Site;
    QString Engineer;
    QString ProgramVersion;
};

// The approved settings the relay is checked against: a file's name and what
// it holds.
struct ReportSettingsFile
{
    QString Name;
    ConfigSnapshot Settings;
};

// The record an engineer hands over after commissioning: what the relay
// holds and how it behaves, from one pass over it, as a document with
// headed sections and ruled tables. A section that could not be read is
// marked so, never left out. Dates are written year first, so the record
// reads the same in every country.
class CommissioningReport
{
public:
    static inline const QString Title = QStringLiteral("TZL Commissioning Report");

    CommissioningReport(const RelayReadings& readings, ReportDetails details,
                        std::optional<ReportSettingsFile> settingsFile);

    // The whole document, ready to be laid out on pages.
    std::unique_ptr<QTextDocument> Document() const;
    // "Section: reason" for every section that could not be read, in the
    // document's order; empty when everything was.
    QStringList UnreadSections() const;
    // What the footer of every page says besides the page number.
    QString FooterText() const;
    // Writes the report as a PDF file on paper of the user's locale,
    // replacing a file at the path only once the new one is complete. Nothing
    // when it worked, else what went wrong.
    std::optional<FileSystemError> WritePdf(const QString& path) const;

private:
    QString Html() const;
    QString TitleBlock() const;
    QString IdentitySection() const;
    QString SystemSection() const;
    QString SettingsCheckSection() const;
    QString TripSettingsSection() const;
    QString RelayStatesSection() const;
    QString MeasurementsSection() const;
    QString EventLogSection() const;
    QString CommunicationSection() const;
    QString SignOffBlock() const;
    // The heading, then the body, or the reason the section is missing.
    QString Section(const QString& heading, ReadingSection section, const QString& body) const;
    QString RelayName(int relay) const;

    const RelayReadings& m_Readings;
    ReportDetails m_Details;
    std::optional<ReportSettingsFile> m_SettingsFile;
};
