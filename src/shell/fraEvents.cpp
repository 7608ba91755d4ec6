#include "shell/fraEvents.h"

#include "model/cTZL.h"
#include "platform/LocaleDateText.h"
#include "shell/DisplayGrid.h"
#include "shell/RequestButton.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QStringList Headings{QStringLiteral("Date & Time"), QStringLiteral("Relay No."),
                           QStringLiteral("Trip Function")};
constexpr int DateColumn = 1;
constexpr int RelayColumn = 2;
constexpr int FunctionColumn = 3;
constexpr int ColumnTwips[] = {800, 2000, 800, 4000};

} // namespace

fraEvents::fraEvents(const cTZL& device, QWidget* parent)
    : QWidget(parent)
    , m_Device(device)
    , fgridEventLog(new QTableWidget(this))
    , chkEventLogUseCurrent(new QCheckBox(
          QStringLiteral("Use the current trip delinitions to determine trip function names"),
          this))
    , cmdSaveEventLog(new RequestButton(QStringLiteral("cmdSaveEventLog"), QStringLiteral("Save"),
                                        QStringLiteral("Save the Event Log to a text file"), this))
    , cmdPrintEventLog(new RequestButton(QStringLiteral("cmdPrintEventLog"),
                                         QStringLiteral("Print"),
                                         QStringLiteral("Print the Event Log"), this))
{
    setObjectName(QStringLiteral("fraEvents"));
    fgridEventLog->setObjectName(QStringLiteral("fgridEventLog"));
    fgridEventLog->setAccessibleName(QStringLiteral("Event Log"));
    fgridEventLog->setToolTip(QStringLiteral("Displays the Event Log data"));
    SetUpDisplayGrid(fgridEventLog, cTZLEventLog::Capacity, FunctionColumn);
    fgridEventLog->horizontalHeader()->setStretchLastSection(true);
    fgridEventLog->verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    for (int row = 0; row < fgridEventLog->rowCount(); ++row)
        fgridEventLog->item(row, RelayColumn - 1)->setTextAlignment(Qt::AlignCenter);
    chkEventLogUseCurrent->setObjectName(QStringLiteral("chkEventLogUseCurrent"));
    chkEventLogUseCurrent->setAccessibleName(chkEventLogUseCurrent->text());

    connect(chkEventLogUseCurrent, &QCheckBox::toggled, this, [this] {
        // Before the log was first displayed there is nothing to redraw.
        if (!fgridEventLog->isHidden())
            DisplayEventLog(m_ConfigUploaded);
    });
    connect(cmdSaveEventLog, &RequestButton::Requested, this, &fraEvents::SaveRequested);
    connect(cmdPrintEventLog, &RequestButton::Requested, this, &fraEvents::PrintRequested);

    auto* controls = new QHBoxLayout;
    controls->addWidget(chkEventLogUseCurrent);
    controls->addStretch();
    controls->addWidget(cmdSaveEventLog);
    controls->addWidget(cmdPrintEventLog);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fgridEventLog, 1);
    layout->addLayout(controls);
}

void fraEvents::SetUpEventLogGrid()
{
    fgridEventLog->hide();
    SetGridCornerCaption(fgridEventLog, QStringLiteral("Event No."));
    fgridEventLog->setHorizontalHeaderLabels(Headings);
    QStringList eventNumbers;
    for (int n = 1; n <= cTZLEventLog::Capacity; ++n)
        eventNumbers << QString::number(n);
    fgridEventLog->setVerticalHeaderLabels(eventNumbers);
    for (int column = 0; column <= FunctionColumn; ++column) {
        const int pixels = SetGridColumnWidthTwips(fgridEventLog, column, ColumnTwips[column]);
        if (column == DateColumn)
            m_DateColumnPixels = pixels;
    }
}

void fraEvents::DisplayEventLog(bool configUploaded)
{
    m_ConfigUploaded = configUploaded;
    const cTZLEventLog& log = m_Device.EventLog;
    for (std::int16_t n = 1; n <= cTZLEventLog::Capacity; ++n) {
        const std::int16_t relay = log.EvtRelay(n);
        const bool listed = relay != -1;
        fgridEventLog->item(n - 1, DateColumn - 1)
            ->setText(listed ? GeneralDateText(log.EvtDateTime(n)) : QString());
        fgridEventLog->item(n - 1, RelayColumn - 1)
            ->setText(listed ? QString::number(relay) : QString());
        fgridEventLog->item(n - 1, FunctionColumn - 1)
            ->setText(listed ? FunctionText(relay) : QString());
    }
    // The user's date format decides how wide a date is; the column is never
    // narrower than set up.
    fgridEventLog->resizeColumnToContents(DateColumn - 1);
    fgridEventLog->setColumnWidth(
        DateColumn - 1, std::max(fgridEventLog->columnWidth(DateColumn - 1), m_DateColumnPixels));
    fgridEventLog->show();
}

bool fraEvents::UseCurrentDefinitions() const
{
    return chkEventLogUseCurrent->isChecked();
}

void fraEvents::SetUseCurrentDefinitions(bool on)
{
    chkEventLogUseCurrent->setChecked(on);
}

void fraEvents::SetSaveEnabled(bool enabled)
{
    cmdSaveEventLog->setEnabled(enabled);
}

void fraEvents::SetPrintEnabled(bool enabled)
{
    cmdPrintEventLog->setEnabled(enabled);
}

QString fraEvents::FunctionText(std::int16_t relay) const
{
    // The definitions in memory may belong to another relay or to a file;
    // only the relay's own say which function operated.
    if (!m_ConfigUploaded && !UseCurrentDefinitions())
        return QStringLiteral("** Unknown - Upload TZL Configuration **");
    const cTZLTrips& trips = m_Device.TripData;
    return cTZLTrips::FunctionName(std::int16_t(trips.FunctionNumber(relay)));
}
