#include "shell/MainStatusBar.h"

#include <QEvent>
#include <QLabel>

MainStatusBar::MainStatusBar(QWidget* parent)
    : QStatusBar(parent)
    , m_Status(AddPanel(QStringLiteral("status"), QStringLiteral("Status Messages Area")))
    , m_Modified(AddPanel(QStringLiteral("modified"), QStringLiteral("Data Modified Message Area")))
    , m_Connection(
          AddPanel(QStringLiteral("connection"), QStringLiteral("Communications On/Off-line area")))
{
    m_Link = new QLabel(this);
    m_Link->setObjectName(QStringLiteral("link"));
    m_Link->setToolTip(QStringLiteral("Whether the TZL answers the polling"));
    m_Link->setAccessibleDescription(m_Link->toolTip());
    m_Link->setMargin(2);
    m_Link->setVisible(false);
    insertPermanentWidget(1, m_Link);
    setSizeGripEnabled(true);
    m_Connection->installEventFilter(this);
    m_Connection->setCursor(Qt::PointingHandCursor);
}

QLabel* MainStatusBar::AddPanel(const QString& key, const QString& toolTip)
{
    auto* panel = new QLabel(this);
    panel->setObjectName(key);
    panel->setToolTip(toolTip);
    panel->setAccessibleDescription(toolTip);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setMargin(2);
    // 70 %, 15 % and 15 % of the window's width, kept as the window is
    // resized. Permanent widgets are never hidden by temporary messages. A
    // label's text is what assistive technology reads.
    addPermanentWidget(panel, key == u"status" ? 70 : 15);
    return panel;
}

void MainStatusBar::SetStatusText(const QString& text)
{
    m_Status->setText(text);
}

QString MainStatusBar::StatusText() const
{
    return m_Status->text();
}

void MainStatusBar::SetModifiedText(const QString& text)
{
    m_Modified->setText(text);
}

QString MainStatusBar::ModifiedText() const
{
    return m_Modified->text();
}

void MainStatusBar::SetConnectionText(const QString& text)
{
    m_Connection->setText(text);
}

QString MainStatusBar::ConnectionText() const
{
    return m_Connection->text();
}

void MainStatusBar::SetLinkText(const QString& text)
{
    m_Link->setText(text);
    m_Link->setVisible(!text.isEmpty());
}

QString MainStatusBar::LinkText() const
{
    return m_Link->text();
}

bool MainStatusBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_Connection && event->type() == QEvent::MouseButtonRelease)
        emit ConnectionClicked();
    return QStatusBar::eventFilter(watched, event);
}
