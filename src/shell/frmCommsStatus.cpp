#include "shell/frmCommsStatus.h"

#include "link/cCommsStatistics.h"
#include "platform/TcpAddress.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* ValueLabel(const QString& name, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumWidth(90);
    return label;
}

QGroupBox* Frame(const QString& caption, const QList<std::pair<QString, QLabel*>>& rows,
                 QWidget* parent)
{
    auto* frame = new QGroupBox(caption, parent);
    auto* form = new QFormLayout(frame);
    for (const auto& [text, value] : rows)
        form->addRow(text, value);
    return frame;
}

// "#,##0": a whole number with the user's thousands separator, which some
// locales leave out unless asked.
QString CountText(qint64 count)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(count);
}

QString PortText(std::int16_t port, const QString& device)
{
    if (!device.isEmpty())
        return device;
    return QStringLiteral("%1").arg(port, 2, 10, QLatin1Char('0'));
}

} // namespace

frmCommsStatus::frmCommsStatus(cCommsStatistics& statistics, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_Statistics(statistics)
    , lblNumCharsTx(ValueLabel(QStringLiteral("lblNumCharsTx"), this))
    , lblNumRequests(ValueLabel(QStringLiteral("lblNumRequests"), this))
    , lblNumCharsRx(ValueLabel(QStringLiteral("lblNumCharsRx"), this))
    , lblNumResponses(ValueLabel(QStringLiteral("lblNumResponses"), this))
    , lblNumTimeouts(ValueLabel(QStringLiteral("lblNumTimeouts"), this))
    , lblNumCRCFailures(ValueLabel(QStringLiteral("lblNumCRCFailures"), this))
    , lblNumExceptions(ValueLabel(QStringLiteral("lblNumExceptions"), this))
    , lblPortNum(ValueLabel(QStringLiteral("lblPortNum"), this))
    , lblCommsSettingsStr(ValueLabel(QStringLiteral("lblCommsSettingsStr"), this))
    , lblProtocolStr(ValueLabel(QStringLiteral("lblProtocolStr"), this))
    , lblErrorLogFolder(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Communications Status"));
    lblErrorLogFolder->setObjectName(QStringLiteral("lblErrorLogFolder"));
    lblErrorLogFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblErrorLogFolder->setWordWrap(true);

    auto* cmdClear = new QPushButton(QStringLiteral("Clear"), this);
    auto* cmdClose = new QPushButton(QStringLiteral("Close"), this);
    cmdClear->setObjectName(QStringLiteral("cmdClear"));
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    connect(cmdClear, &QPushButton::clicked, &m_Statistics, &cCommsStatistics::ClearStatistics);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::hide);
    connect(&m_Statistics, &cCommsStatistics::Changed, this, &frmCommsStatus::ShowCounts);

    auto* connection = Frame(QStringLiteral("Communcation"),
                             {{QStringLiteral("Comms Port:"), lblPortNum},
                              {QStringLiteral("Settings:"), lblCommsSettingsStr},
                              {QStringLiteral("Protocol:"), lblProtocolStr},
                              {QStringLiteral("Error Log:"), lblErrorLogFolder}},
                             this);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdClear);
    buttons->addWidget(cmdClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame(QStringLiteral("Transactions"),
                            {{QStringLiteral("Characters Tx:"), lblNumCharsTx},
                             {QStringLiteral("Requests Tx:"), lblNumRequests},
                             {QStringLiteral("Characters Rx:"), lblNumCharsRx},
                             {QStringLiteral("Responses  Rx:"), lblNumResponses}},
                            this));
    layout->addWidget(Frame(QStringLiteral("Errors"),
                            {{QStringLiteral("Response Timeouts:"), lblNumTimeouts},
                             {QStringLiteral("CRC Failures:"), lblNumCRCFailures},
                             {QStringLiteral("Exceptions Rx:"), lblNumExceptions}},
                            this));
    layout->addWidget(connection);
    layout->addLayout(buttons);
    ShowCounts();
}

void frmCommsStatus::DisplayStatistics(std::int16_t port, const QString& device,
                                       const QString& protocol, const QString& settings, QObject*)
{
    CommsPortChanged(port, device);
    CommsSettingsChanged(settings);
    lblProtocolStr->setText(protocol);
    show();
    raise();
    activateWindow();
}

void frmCommsStatus::CommsPortChanged(std::int16_t port, const QString& device)
{
    lblPortNum->setText(PortText(port, device));
    m_Device = device;
    ShowLineSettings();
}

void frmCommsStatus::CommsSettingsChanged(const QString& settings)
{
    m_LineSettings = settings;
    ShowLineSettings();
}

void frmCommsStatus::ShowLineSettings()
{
    // Baud rate, parity and stop bits belong to a serial line; over a network
    // port they are kept for the next serial session but do nothing now.
    lblCommsSettingsStr->setText(TcpAddress::IsTcpName(m_Device)
                                     ? QStringLiteral("not used over a network port")
                                     : m_LineSettings);
}

void frmCommsStatus::SetErrorLogFolder(const QString& folder)
{
    lblErrorLogFolder->setText(folder);
}

void frmCommsStatus::closeEvent(QCloseEvent* event)
{
    m_Statistics.ClearStatistics();
    QWidget::closeEvent(event);
}

void frmCommsStatus::ShowCounts()
{
    lblNumCharsTx->setText(CountText(m_Statistics.CharactersTx()));
    lblNumRequests->setText(CountText(m_Statistics.Requests()));
    lblNumCharsRx->setText(CountText(m_Statistics.CharactersRx()));
    lblNumResponses->setText(CountText(m_Statistics.Responses()));
    lblNumTimeouts->setText(CountText(m_Statistics.Timeouts()));
    lblNumCRCFailures->setText(CountText(m_Statistics.CRCFailures()));
    lblNumExceptions->setText(CountText(m_Statistics.Exceptions()));
}
