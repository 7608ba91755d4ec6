#include "shell/SlaveIdBox.h"

#include "shell/CommitLineEdit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

QToolButton* ArrowButton(Qt::ArrowType arrow, const QString& name, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setAccessibleName(name);
    button->setToolTip(QStringLiteral("Increment/Decrement Slave Address"));
    button->setFocusPolicy(Qt::NoFocus);
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
    button->setFixedWidth(18);
    return button;
}

// A number as the user may type it: plain, with the locale's separators, or
// in exponent form.
bool ParseNumber(const QString& text, double& value)
{
    bool ok = false;
    value = QLocale().toDouble(text, &ok);
    if (!ok)
        value = text.toDouble(&ok);
    return ok && std::isfinite(value);
}

} // namespace

SlaveIdBox::SlaveIdBox(QWidget* parent)
    : QWidget(parent)
    , txtSlaveID(new CommitLineEdit(this))
    , m_Up(ArrowButton(Qt::UpArrow, QStringLiteral("Increment Slave Address"), this))
    , m_Down(ArrowButton(Qt::DownArrow, QStringLiteral("Decrement Slave Address"), this))
{
    auto* label = new QLabel(QStringLiteral("Node"), this);
    label->setToolTip(QStringLiteral("The Modbus address of the TZL"));
    label->setBuddy(txtSlaveID);

    txtSlaveID->setObjectName(QStringLiteral("txtSlaveID"));
    txtSlaveID->setToolTip(QStringLiteral("Valid Addresses: 1-247 inclusive"));
    txtSlaveID->setAccessibleName(QStringLiteral("Node"));
    txtSlaveID->setAlignment(Qt::AlignRight);
    txtSlaveID->setFixedWidth(txtSlaveID->fontMetrics().horizontalAdvance(QStringLiteral("00000"))
                              + 12);
    connect(txtSlaveID, &CommitLineEdit::Committed, this, &SlaveIdBox::ApplyEntry);

    auto* arrows = new QWidget(this);
    arrows->setObjectName(QStringLiteral("updSlaveId"));
    arrows->setToolTip(QStringLiteral("Increment/Decrement Slave Address"));
    auto* arrowLayout = new QVBoxLayout(arrows);
    arrowLayout->setContentsMargins(0, 0, 0, 0);
    arrowLayout->setSpacing(0);
    arrowLayout->addWidget(m_Up);
    arrowLayout->addWidget(m_Down);
    connect(m_Up, &QToolButton::clicked, this, [this] { Step(+1); });
    connect(m_Down, &QToolButton::clicked, this, [this] { Step(-1); });

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(label);
    layout->addWidget(txtSlaveID);
    layout->addWidget(arrows);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SlaveIdBox::ShowSlaveId(std::int16_t slaveId)
{
    m_Value = slaveId;
    txtSlaveID->ShowText(QString::number(slaveId));
    CaretToEnd();
}

QString SlaveIdBox::Text() const
{
    return txtSlaveID->text();
}

void SlaveIdBox::CommitSlaveID()
{
    txtSlaveID->CommitPendingEdit();
}

void SlaveIdBox::ApplyEntry()
{
    double number = 0;
    if (!ParseNumber(txtSlaveID->text(), number))
        number = Minimum;
    const double clamped = std::clamp(std::nearbyint(number), double(Minimum), double(Maximum));
    txtSlaveID->ShowText(QString::number(int(clamped)));
    emit SlaveIdEntered(std::int16_t(clamped));
    CaretToEnd();
}

void SlaveIdBox::Step(int delta)
{
    const int next = std::clamp(m_Value + delta, int(Minimum), int(Maximum));
    if (next == m_Value)
        return;
    m_Value = std::int16_t(next);
    txtSlaveID->ShowText(QString::number(m_Value));
    emit SlaveIdEntered(m_Value);
}

void SlaveIdBox::CaretToEnd()
{
    txtSlaveID->setCursorPosition(int(txtSlaveID->text().size()));
}
