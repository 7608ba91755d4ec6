#include "shell/fraSystem.h"

#include "model/MeasurementFormat.h"
#include "model/cTZL.h"
#include "platform/FloatText.h"
#include "platform/LocaleDateText.h"
#include "shell/CaptionLabel.h"
#include "shell/ChoiceList.h"
#include "shell/CommitLineEdit.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <optional>

namespace {

const QString VoltsRange = QStringLiteral("Range: 1-400 kV");
const QString CurrentRange = QStringLiteral("Range: 1-10,000 A");
const QString PickerFormatTip = QStringLiteral("Format: Dependent on MS-Windows Regional Settings");
constexpr int BoxWidth = 150;

// A typed volts or current value: plain digits with a point and a minus sign
// at most. A thousands separator or an exponent is refused, not guessed at.
std::optional<float> NumericEntry(const QString& text)
{
    const QString entry = text.trimmed();
    if (entry.isEmpty())
        return std::nullopt;
    for (const QChar c : entry)
        if (!((c >= u'0' && c <= u'9') || c == u'.' || c == u'-'))
            return std::nullopt;
    bool ok = false;
    const double value = entry.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return float(value);
}

// The list entry a key steps to from the value shown, which need not be an
// entry itself: Up and Page Up to the next smaller entry, Down and Page Down
// to the next larger, Home and End to the ends. Nothing for other keys, or
// when the list has nothing further that way.
std::optional<int> SteppedEntry(const QComboBox& list, float shown, int key)
{
    const int count = list.count();
    if (count == 0)
        return std::nullopt;
    switch (key) {
    case Qt::Key_Home:
        return 0;
    case Qt::Key_End:
        return count - 1;
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        for (int i = count - 1; i >= 0; --i)
            if (list.itemText(i).toFloat() < shown)
                return i;
        return std::nullopt;
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        for (int i = 0; i < count; ++i)
            if (list.itemText(i).toFloat() > shown)
                return i;
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

QString SystemTypeText(float type)
{
    QString suffix = QStringLiteral("  (Unknown)");
    if (type == 2.0f)
        suffix = QStringLiteral("  (3-phase, 3-wire)");
    else if (type == 3.0f)
        suffix = QStringLiteral("  (3-phase, 4-wire)");
    return ShortestFloatText(type) + suffix;
}

// The locale's short date with the century: a clock that lost its date
// reads as 1900, which two digits would pass off as 2000.
QString ShortDatePattern()
{
    QString pattern = QLocale().dateFormat(QLocale::ShortFormat);
    if (!pattern.contains(QStringLiteral("yyyy")))
        pattern.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    return pattern;
}

QLineEdit* DisplayBox(const QString& objectName, const QString& accessibleName, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(objectName);
    box->setAccessibleName(accessibleName);
    box->setReadOnly(true);
    box->setFixedWidth(BoxWidth);
    return box;
}

void AddRow(QGridLayout* grid, QLabel* caption, QWidget* box, QLabel* unit = nullptr)
{
    const int row = grid->rowCount();
    grid->addWidget(caption, row, 0);
    grid->addWidget(box, row, 1);
    if (unit != nullptr)
        grid->addWidget(unit, row, 2);
}

QGridLayout* FieldGrid(QGroupBox* group)
{
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(8);
    grid->setColumnMinimumWidth(0, 120);
    grid->setColumnStretch(3, 1);
    return grid;
}

} // namespace

fraSystem::fraSystem(cTZL& device, QWidget* parent)
    : QWidget(parent)
    , m_Device(device)
{
    auto* left = new QVBoxLayout;
    left->setSpacing(14);
    left->addWidget(BuildBasicParameters());
    left->addWidget(BuildClock());
    left->addStretch();

    auto* right = new QVBoxLayout;
    right->addWidget(BuildProductInfo());
    right->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(14);
    layout->addLayout(left, 3);
    layout->addLayout(right, 2);

    fraProdInfo->hide();
    // Every box starts out showing the model, so none holds an entry.
    DisplaySystemParameters();
}

QGroupBox* fraSystem::BuildBasicParameters()
{
    auto* group = new QGroupBox(QStringLiteral("Key Electrical Parameters"), this);
    group->setObjectName(QStringLiteral("FraBasicParams"));
    auto* grid = FieldGrid(group);

    txtSystemType =
        DisplayBox(QStringLiteral("txtSystemType"), QStringLiteral("System Type"), group);
    txtSystemType->setToolTip(QStringLiteral("System connection mode"));
    auto* lblSysType = CaptionLabel(QStringLiteral("System Type"), QStringLiteral("lblSysType"),
                                    txtSystemType, group);
    lblSysType->setToolTip(QStringLiteral("System connection mode"));
    AddRow(grid, lblSysType, txtSystemType);

    txtSystemVolts = new CommitLineEdit(group);
    txtSystemVolts->setObjectName(QStringLiteral("txtSystemVolts"));
    txtSystemVolts->setAccessibleName(QStringLiteral("Primary Volts"));
    txtSystemVolts->setToolTip(VoltsRange);
    txtSystemVolts->setFixedWidth(BoxWidth);
    auto* lblSystemVolts = CaptionLabel(QStringLiteral("Primary Volts"),
                                        QStringLiteral("lblSystemVolts"), txtSystemVolts, group);
    lblSystemVolts->setToolTip(QStringLiteral("The RMS value of the nominal System Voltage"));
    auto* lblSysVoltsUnits = new QLabel(QStringLiteral("V"), group);
    lblSysVoltsUnits->setObjectName(QStringLiteral("lblSysVoltsUnits"));
    AddRow(grid, lblSystemVolts, txtSystemVolts, lblSysVoltsUnits);
    connect(txtSystemVolts, &CommitLineEdit::Committed, this, &fraSystem::CommitSystemVolts);

    cboSystemCurrent = new ChoiceList(group);
    cboSystemCurrent->setObjectName(QStringLiteral("cboSystemCurrent"));
    cboSystemCurrent->setAccessibleName(QStringLiteral("System Current"));
    cboSystemCurrent->setToolTip(CurrentRange);
    cboSystemCurrent->setEditable(true);
    cboSystemCurrent->setInsertPolicy(QComboBox::NoInsert);
    // Completing "15" to "1500" as the user types would set a current a
    // hundred times the one he meant.
    cboSystemCurrent->setCompleter(nullptr);
    cboSystemCurrent->addItems({"1", "50", "60", "100", "125", "150", "200", "250", "400", "500",
                                "750", "800", "1000", "1500", "2000", "4000"});
    cboSystemCurrent->setFixedWidth(BoxWidth);
    cboSystemCurrent->installEventFilter(this);
    connect(cboSystemCurrent, &QComboBox::activated, this, &fraSystem::CommitSystemCurrent);
    auto* lblSystemCurrent =
        CaptionLabel(QStringLiteral("System Current"), QStringLiteral("lblSystemCurrent"),
                     cboSystemCurrent, group);
    lblSystemCurrent->setToolTip(QStringLiteral("RMS value of the nominal system current"));
    auto* lblSysCurrentUnits = new QLabel(QStringLiteral("A"), group);
    lblSysCurrentUnits->setObjectName(QStringLiteral("lblSysCurrentUnits"));
    AddRow(grid, lblSystemCurrent, cboSystemCurrent, lblSysCurrentUnits);

    txtSystemPower =
        DisplayBox(QStringLiteral("txtSystemPower"), QStringLiteral("System Power"), group);
    txtSystemPower->setToolTip(QStringLiteral("Units: kilo-Watts (kW)"));
    auto* lblMaxKillowatts = CaptionLabel(
        QStringLiteral("System Power"), QStringLiteral("lblMaxKillowatts"), txtSystemPower, group);
    lblMaxKillowatts->setToolTip(QStringLiteral("The maximum power expected in the system"));
    lblSysPowerUnits = new QLabel(group);
    lblSysPowerUnits->setObjectName(QStringLiteral("lblSysPowerUnits"));
    AddRow(grid, lblMaxKillowatts, txtSystemPower, lblSysPowerUnits);
    return group;
}

QGroupBox* fraSystem::BuildProductInfo()
{
    fraProdInfo = new QGroupBox(QStringLiteral("Product Info"), this);
    fraProdInfo->setObjectName(QStringLiteral("fraProdInfo"));
    auto* grid = FieldGrid(fraProdInfo);
    txtFirmwareVersion = DisplayBox(QStringLiteral("txtFirmwareVersion"),
                                    QStringLiteral("Firmware Version"), fraProdInfo);
    AddRow(grid,
           CaptionLabel(QStringLiteral("Firmware Version"), QStringLiteral("lblFirmwareVersion"),
                        txtFirmwareVersion, fraProdInfo),
           txtFirmwareVersion);
    txtPSCNumber =
        DisplayBox(QStringLiteral("txtPSCNumber"), QStringLiteral("PSC Number"), fraProdInfo);
    AddRow(grid,
           CaptionLabel(QStringLiteral("PSC Number"), QStringLiteral("lblPSCNumber"), txtPSCNumber,
                        fraProdInfo),
           txtPSCNumber);
    txtIssueNumber =
        DisplayBox(QStringLiteral("txtIssueNumber"), QStringLiteral("PSC Issue"), fraProdInfo);
    AddRow(grid,
           CaptionLabel(QStringLiteral("PSC Issue"), QStringLiteral("lblPSCIssue"), txtIssueNumber,
                        fraProdInfo),
           txtIssueNumber);
    return fraProdInfo;
}

QGroupBox* fraSystem::BuildClock()
{
    auto* group = new QGroupBox(QStringLiteral("Real-Time Clock"), this);
    group->setObjectName(QStringLiteral("fraSysTime"));
    auto* grid = FieldGrid(group);

    // Display only: the relay's clock can be set from the PC's clock alone.
    dtpDate = new QDateEdit(group);
    dtpDate->setObjectName(QStringLiteral("dtpDate"));
    dtpDate->setAccessibleName(QStringLiteral("TZL Date"));
    dtpDate->setDisplayFormat(ShortDatePattern());
    dtpTime = new QTimeEdit(group);
    dtpTime->setObjectName(QStringLiteral("dtpTime"));
    dtpTime->setAccessibleName(QStringLiteral("TZL Time"));
    dtpTime->setDisplayFormat(LongTimePattern());
    for (QDateTimeEdit* picker : std::initializer_list<QDateTimeEdit*>{dtpDate, dtpTime}) {
        picker->setReadOnly(true);
        picker->setButtonSymbols(QAbstractSpinBox::NoButtons);
        picker->setToolTip(PickerFormatTip);
        picker->setFixedWidth(BoxWidth);
    }
    lblDate = CaptionLabel(QStringLiteral("TZL Date"), QStringLiteral("lblDate"), dtpDate, group);
    lblDate->setToolTip(QStringLiteral("Date held by the real-time clock in the TZL"));
    lblTime = CaptionLabel(QStringLiteral("TZL Time"), QStringLiteral("lblTime"), dtpTime, group);
    lblTime->setToolTip(QStringLiteral("Time held by the real-time clock in the TZL"));
    cmdGetTZLTime = new QPushButton(QStringLiteral("Get TZL Time"), group);
    cmdGetTZLTime->setObjectName(QStringLiteral("cmdGetTZLTime"));
    cmdGetTZLTime->setToolTip(QStringLiteral("Request Time and Date from TZL Real-Time Clock"));
    cmdSendPCTime = new QPushButton(QStringLiteral("PC Time -> TZL"), group);
    cmdSendPCTime->setObjectName(QStringLiteral("cmdSendPCTime"));
    cmdSendPCTime->setToolTip(
        QStringLiteral("Send the current PC time and date to the TZL Real-Time Clock"));
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    for (QPushButton* button : {cmdGetTZLTime, cmdSendPCTime})
        button->setMinimumWidth(130);
    buttons->addWidget(cmdGetTZLTime);
    buttons->addWidget(cmdSendPCTime);
    buttons->addStretch();
    // The buttons first, so they stay where they are when the clock appears.
    grid->addLayout(buttons, 0, 0, 1, -1);
    AddRow(grid, lblDate, dtpDate);
    AddRow(grid, lblTime, dtpTime);

    connect(cmdGetTZLTime, &QPushButton::clicked, this, [this] {
        cmdGetTZLTime->setEnabled(false);
        Q_EMIT GetTimeRequested();
    });
    connect(cmdSendPCTime, &QPushButton::clicked, this, [this] {
        cmdSendPCTime->setEnabled(false);
        Q_EMIT SendTimeRequested();
    });
    return group;
}

void fraSystem::ShowSystemTab()
{
    if (!CurrentEditPending())
        ShowSystemCurrent();
    if (!txtSystemVolts->HasPendingEdit())
        txtSystemVolts->ShowText(ShortestFloatText(m_Device.SystemVolts()));
    txtSystemType->setText(SystemTypeText(m_Device.SystemType()));
    DisplaySystemPower();
    const float version = m_Device.VersionNumber();
    const float number = m_Device.PSCNumber();
    const float issue = m_Device.PSCIssue();
    txtFirmwareVersion->setText(ShortestFloatText(version));
    txtIssueNumber->setText(ShortestFloatText(issue));
    txtPSCNumber->setText(ShortestFloatText(number));
    fraProdInfo->setVisible(version > 0.0f || number > 0.0f || issue > 0.0f);
}

void fraSystem::DisplaySystemParameters()
{
    txtSystemVolts->ShowText(ShortestFloatText(m_Device.SystemVolts()));
    ShowSystemCurrent();
    DisplaySystemPower();
    HideClockDisplay();
}

void fraSystem::HideClockDisplay()
{
    SetClockVisible(false);
}

void fraSystem::DisplayDeviceTime(const QDateTime& moment)
{
    dtpTime->setTime(moment.time());
    dtpDate->setDate(moment.date());
    SetClockVisible(true);
}

void fraSystem::SetGetTimeEnabled(bool enabled)
{
    cmdGetTZLTime->setEnabled(enabled);
}

void fraSystem::SetSendTimeEnabled(bool enabled)
{
    cmdSendPCTime->setEnabled(enabled);
}

void fraSystem::CommitPendingEdits()
{
    txtSystemVolts->CommitPendingEdit();
    if (CurrentEditPending())
        CommitSystemCurrent();
}

void fraSystem::DiscardPendingEdits()
{
    txtSystemVolts->DiscardPendingEdit();
    cboSystemCurrent->setEditText(m_ShownCurrent);
}

bool fraSystem::CurrentEditPending() const
{
    return cboSystemCurrent->currentText() != m_ShownCurrent;
}

void fraSystem::ShowSystemCurrent()
{
    m_ShownCurrent = ShortestFloatText(m_Device.SystemCurrent());
    // The list's own position follows the value, so that its popup opens on
    // it; a value between the entries leaves no entry chosen.
    cboSystemCurrent->setCurrentIndex(cboSystemCurrent->findText(m_ShownCurrent));
    cboSystemCurrent->setEditText(m_ShownCurrent);
}

bool fraSystem::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == cboSystemCurrent) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            // Taken here, before the list would look the text up among its
            // entries: the commit does all that Enter needs.
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                CommitSystemCurrent();
                return true;
            }
            // The list would step from its own position, which a typed value
            // or one changed by a rescale does not move: step from the value
            // shown instead.
            if (static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
                const auto shown = NumericEntry(cboSystemCurrent->currentText());
                if (const auto entry = SteppedEntry(
                        *cboSystemCurrent, shown.value_or(m_Device.SystemCurrent()), key)) {
                    cboSystemCurrent->setEditText(cboSystemCurrent->itemText(*entry));
                    CommitSystemCurrent();
                    return true;
                }
                if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp
                    || key == Qt::Key_PageDown)
                    return true;
            }
        } else if (event->type() == QEvent::FocusOut
                   && FocusMovesBetweenControls(static_cast<QFocusEvent*>(event)->reason())) {
            CommitSystemCurrent();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void fraSystem::DisplaySystemPower()
{
    const PowerDisplay power = FormatSystemPower(m_Device.SystemPower());
    txtSystemPower->setText(power.Value);
    lblSysPowerUnits->setText(power.Units);
}

void fraSystem::CommitSystemVolts()
{
    const float old = m_Device.SystemVolts();
    const auto entry = NumericEntry(txtSystemVolts->text());
    if (entry)
        m_Device.SetSystemVolts(*entry);
    txtSystemVolts->ShowText(ShortestFloatText(m_Device.SystemVolts()));
    DisplaySystemPower();
    if (entry && m_Device.SystemVolts() != old)
        Q_EMIT DataModified();
}

void fraSystem::CommitSystemCurrent()
{
    const float old = m_Device.SystemCurrent();
    const auto entry = NumericEntry(cboSystemCurrent->currentText());
    // A text equal to the one shown is no entry: leaving the list alone must
    // not change the value behind it.
    if (entry && cboSystemCurrent->currentText().trimmed() != m_ShownCurrent)
        m_Device.SetSystemCurrent(*entry);
    ShowSystemCurrent();
    DisplaySystemPower();
    if (entry && m_Device.SystemCurrent() != old)
        Q_EMIT DataModified();
}

void fraSystem::SetClockVisible(bool visible)
{
    for (QWidget* control : std::initializer_list<QWidget*>{dtpDate, dtpTime, lblDate, lblTime})
        control->setVisible(visible);
    m_ClockDisplayed = visible;
}
