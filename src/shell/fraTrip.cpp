#include "shell/fraTrip.h"

#include "model/TripParameterRounding.h"
#include "model/cTZL.h"
#include "shell/CaptionLabel.h"
#include "shell/ChoiceList.h"
#include "shell/CommitLineEdit.h"
#include "shell/TripParameterText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScopedValueRollback>
#include <QVBoxLayout>
#include <initializer_list>

namespace {

QCheckBox* FlagCheckBox(const QString& text, const QString& objectName, const QString& toolTip,
                        QWidget* parent)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(objectName);
    box->setToolTip(toolTip);
    box->setAccessibleName(QString(text).remove(u'&'));
    return box;
}

QString Indexed(const char* name, int index)
{
    return QLatin1String(name) + QString::number(index);
}

} // namespace

fraTrip::fraTrip(cTZL& device, QWidget* parent)
    : QWidget(parent)
    , m_Device(device)
    , m_Trips(device.TripData)
    , txtTripName(new CommitLineEdit(this))
    , cboTripFn(new ChoiceList(this))
    , lblTripMode(new QGroupBox(QStringLiteral("Trip Mode"), this))
    , fraTripParameters(new QGroupBox(this))
{
    txtTripName->setObjectName(QStringLiteral("txtTripName"));
    txtTripName->setToolTip(QStringLiteral("Any non-numeric string of characters"));
    txtTripName->setAccessibleName(QStringLiteral("Name"));
    lblTripName =
        CaptionLabel(QStringLiteral("&Name"), QStringLiteral("lblTripName"), txtTripName, this);
    lblTripName->setToolTip(QStringLiteral("User definable name for the trip"));

    cboTripFn->setObjectName(QStringLiteral("cboTripFn"));
    cboTripFn->setAccessibleName(QStringLiteral("Function"));
    cboTripFn->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lblTripFunction = CaptionLabel(QStringLiteral("F&unction"), QStringLiteral("lblTripFunction"),
                                   cboTripFn, this);
    lblTripFunction->setToolTip(
        QStringLiteral("Selects the condition to be monitored by the trip"));

    m_Flags = {{
        {FlagCheckBox(QStringLiteral("&Fail Safe"), QStringLiteral("chkInverted"),
                      QStringLiteral("Toggles the normal state of the relay"), lblTripMode),
         &cTZLTrips::InvertedFlag, &cTZLTrips::SetInvertedFlag},
        {FlagCheckBox(QStringLiteral("&Alarm"), QStringLiteral("chkAlarm"),
                      QStringLiteral("Trip will generate TZL Alarm"), lblTripMode),
         &cTZLTrips::AlarmFlag, &cTZLTrips::SetAlarmFlag},
        {FlagCheckBox(QStringLiteral("&Latched"), QStringLiteral("chkLatched"),
                      QStringLiteral("Trip will stay active when state returns to normal"),
                      lblTripMode),
         &cTZLTrips::LatchedFlag, &cTZLTrips::SetLatchedFlag},
        {FlagCheckBox(QStringLiteral("Logge&d"), QStringLiteral("chkLogged"),
                      QStringLiteral("Trip will be logged in the event log"), lblTripMode),
         &cTZLTrips::LoggedFlag, &cTZLTrips::SetLoggedFlag},
    }};
    lblTripMode->setObjectName(QStringLiteral("lblTripMode"));
    auto* modeLayout = new QHBoxLayout(lblTripMode);
    modeLayout->setSpacing(24);
    for (const FlagBox& flag : m_Flags) {
        modeLayout->addWidget(flag.Box);
        connect(flag.Box, &QCheckBox::clicked, this,
                [this, &flag](bool on) { ChangeFlag(flag, on); });
    }
    modeLayout->addStretch();

    fraTripParameters->setObjectName(QStringLiteral("fraTripParameters"));
    auto* parameterGrid = new QGridLayout(fraTripParameters);
    parameterGrid->setHorizontalSpacing(12);
    parameterGrid->setVerticalSpacing(8);
    for (int row = 0; row < int(m_Parameters.size()); ++row) {
        auto* value = new CommitLineEdit(fraTripParameters);
        value->setObjectName(Indexed("txtTripParameter", row));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setFixedWidth(140);
        auto* caption = CaptionLabel(QStringLiteral("Parameter &%1").arg(row + 1),
                                     Indexed("lblTripParameter", row), value, fraTripParameters);
        auto* unit = new QLabel(QStringLiteral("(Unknown)"), fraTripParameters);
        unit->setObjectName(Indexed("lblTripParamUnit", row));
        m_Parameters[std::size_t(row)] = {caption, value, unit};
        parameterGrid->addWidget(caption, row, 0);
        parameterGrid->addWidget(value, row, 1);
        parameterGrid->addWidget(unit, row, 2);
        connect(value, &CommitLineEdit::Committed, this, [this, row] { CommitTripParameter(row); });
    }
    parameterGrid->setColumnMinimumWidth(0, 120);
    parameterGrid->setColumnStretch(2, 1);

    txtTripName->setMinimumWidth(360);
    auto* header = new QGridLayout;
    header->setHorizontalSpacing(12);
    header->addWidget(lblTripName, 0, 0);
    header->addWidget(txtTripName, 0, 1);
    header->addWidget(lblTripFunction, 1, 0);
    header->addWidget(cboTripFn, 1, 1);

    // One column of the width the controls need: stretched across a wide
    // window the rows would drift apart from their captions.
    auto* column = new QVBoxLayout;
    column->setSpacing(14);
    column->addLayout(header);
    column->addWidget(lblTripMode);
    column->addWidget(fraTripParameters);
    column->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->addLayout(column);
    layout->addStretch();

    connect(txtTripName, &CommitLineEdit::Committed, this, &fraTrip::CommitTripName);
    connect(cboTripFn, &QComboBox::activated, this, &fraTrip::ChangeTripFunction);
    HideTripControls();
}

void fraTrip::FillTripFunctionList()
{
    cboTripFn->clear();
    for (int index = 0; index <= cTripCatalogue::LastTripNumber(); ++index)
        cboTripFn->addItem(cTripCatalogue::FunctionName(std::int16_t(index)));
}

void fraTrip::ShowTripDefinition(std::int16_t relay)
{
    const QScopedValueRollback filling(m_Filling, true);
    if (!cTripCatalogue::ValidTripNumber(relay)) {
        m_Relay = 0;
        m_Function = -1;
        HideTripControls();
        return;
    }
    const int function = m_Trips.FunctionNumber(relay);
    // An edit under way on the same relay and function survives the redraw;
    // anything else makes it meaningless.
    const bool keepEdits = relay == m_Relay && function == m_Function;
    m_Relay = relay;
    m_Function = function;

    if (!(keepEdits && txtTripName->HasPendingEdit()))
        txtTripName->ShowText(m_Trips.TripName(relay));
    cboTripFn->setCurrentIndex(function);
    const int count = cTripCatalogue::NumberOfParameters(std::int16_t(function));
    for (int row = 0; row < count; ++row)
        ShowParameter(row, function, keepEdits);
    for (const FlagBox& flag : m_Flags)
        flag.Box->setChecked((m_Trips.*flag.Get)(relay) != 0);
    // Each control goes straight to its final visibility rather than being
    // hidden and shown again: the box the user is moving into keeps the focus.
    ShowParameterRows(count);
    SetTripControlsVisible(true);
}

void fraTrip::CommitPendingEdits()
{
    if (!Editable())
        return;
    txtTripName->CommitPendingEdit();
    for (const ParameterRow& row : m_Parameters)
        if (row.Value->isVisibleTo(this))
            row.Value->CommitPendingEdit();
}

void fraTrip::DiscardPendingEdits()
{
    txtTripName->DiscardPendingEdit();
    for (const ParameterRow& row : m_Parameters)
        row.Value->DiscardPendingEdit();
}

void fraTrip::HideTripControls()
{
    SetTripControlsVisible(false);
    ShowParameterRows(0);
}

void fraTrip::SetTripControlsVisible(bool visible)
{
    for (QWidget* control : std::initializer_list<QWidget*>{
             lblTripName, txtTripName, lblTripFunction, cboTripFn, lblTripMode})
        control->setVisible(visible);
}

void fraTrip::ShowParameterRows(int count)
{
    for (int row = 0; row < int(m_Parameters.size()); ++row) {
        const ParameterRow& controls = m_Parameters[std::size_t(row)];
        for (QWidget* control :
             std::initializer_list<QWidget*>{controls.Caption, controls.Value, controls.Unit})
            control->setVisible(row < count);
    }
    fraTripParameters->setVisible(count > 0);
}

void fraTrip::ShowParameter(int row, int function, bool keepEdit)
{
    const auto f = std::int16_t(function);
    const auto position = std::int16_t(row + 1);
    const ParameterRow& controls = m_Parameters[std::size_t(row)];
    const QString name = cTripCatalogue::ParameterName(f, position);
    controls.Caption->setText(name);
    controls.Caption->setToolTip(cTripCatalogue::ParameterFunctionTip(f, position));

    float minimum = 0.0f;
    float maximum = 0.0f;
    float unusedDefault = 0.0f;
    m_Device.ParamLimits(f, position, minimum, maximum, unusedDefault);
    if (!(keepEdit && controls.Value->HasPendingEdit()))
        controls.Value->ShowText(StoredParameterText(position));
    controls.Value->setToolTip(QStringLiteral("Range: ") + ParameterLimitText(minimum)
                               + QStringLiteral(" to ") + ParameterLimitText(maximum));
    controls.Value->setAccessibleName(name);
    controls.Unit->setText(cTripCatalogue::ParameterUnitName(f, position));
}

bool fraTrip::Editable() const
{
    return !m_Filling && cTripCatalogue::ValidTripNumber(m_Relay);
}

void fraTrip::CommitTripName()
{
    if (!Editable())
        return;
    const QString old = m_Trips.TripName(m_Relay);
    m_Trips.SetName(m_Relay, txtTripName->text());
    txtTripName->ShowText(m_Trips.TripName(m_Relay));
    if (m_Trips.TripName(m_Relay) != old)
        Q_EMIT DataModified();
}

void fraTrip::CommitTripParameter(int row)
{
    if (!Editable())
        return;
    const auto position = std::int16_t(row + 1);
    CommitLineEdit& box = *m_Parameters[std::size_t(row)].Value;
    if (const auto typed = ParameterValueFromText(box.text())) {
        // Other parameters of the trip may follow the one entered.
        const auto before = m_Trips.TripDefinition(m_Relay).ParameterValues;
        float value = *typed;
        m_Device.SetTripParameterValue(m_Relay, position, value);
        if (m_Trips.TripDefinition(m_Relay).ParameterValues != before)
            Q_EMIT DataModified();
    }
    box.ShowText(StoredParameterText(position));
}

QString fraTrip::StoredParameterText(std::int16_t position) const
{
    // As the relay will hold it, so the box, the printout and a read-back
    // agree.
    return ParameterValueText(RoundAsRelayStores(std::int16_t(m_Function), position,
                                                 m_Trips.ParameterValue(m_Relay, position)));
}

void fraTrip::ChangeTripFunction(int function)
{
    if (!Editable())
        return;
    // Edits of the present function's rows belong to it, not to the next.
    CommitPendingEdits();
    const int old = m_Trips.FunctionNumber(m_Relay);
    m_Device.SetTripFunction(m_Relay, std::int16_t(function));
    if (m_Trips.FunctionNumber(m_Relay) != old)
        Q_EMIT DataModified();
    ShowTripDefinition(m_Relay);
}

void fraTrip::ChangeFlag(const FlagBox& flag, bool on)
{
    if (!Editable())
        return;
    const int old = (m_Trips.*flag.Get)(m_Relay);
    (m_Trips.*flag.Set)(m_Relay, on);
    const int stored = (m_Trips.*flag.Get)(m_Relay);
    flag.Box->setChecked(stored != 0);
    if (stored != old)
        Q_EMIT DataModified();
}
