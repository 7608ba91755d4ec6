#include "model/PollingFailureReports.h"

#include "platform/IClock.h"
#include "platform/LocaleDateText.h"

PollingFailureReports::PollingFailureReports(IUserInterface& ui, const IClock& clock)
    : m_UI(ui)
    , m_Clock(clock)
{}

void PollingFailureReports::BeginRefresh()
{
    m_Refreshing = true;
    m_RefreshAbandoned = false;
}

void PollingFailureReports::EndRefresh()
{
    m_Refreshing = false;
    m_RefreshAbandoned = false;
}

void PollingFailureReports::TransactionFinished(bool succeeded)
{
    if (succeeded) {
        if (Failing()) {
            m_FailingSince = QDateTime();
            m_Failures = 0;
            SetNotice(QStringLiteral("TZL answering again since %1")
                          .arg(LongTimeText(m_Clock.Now().time())));
        }
        return;
    }
    // A failed command has told the user itself; only the refresh makes an
    // episode.
    if (!FromRefresh() || m_RefreshAbandoned)
        return;
    OpenEpisode();
    ++m_Failures;
    SetNotice(QStringLiteral("TZL not answering since %1 - failed transfers: %2")
                  .arg(LongTimeText(m_FailingSince.time()))
                  .arg(m_Failures));
}

void PollingFailureReports::Reset()
{
    m_FailingSince = QDateTime();
    m_Failures = 0;
    m_RefreshAbandoned = m_Refreshing;
    SetNotice(QString());
}

MsgResult PollingFailureReports::MsgBox(const QString& text, const QString& title,
                                        MsgButtons buttons, MsgIcon icon)
{
    if (!FromRefresh())
        return m_UI.MsgBox(text, title, buttons, icon);
    if (m_RefreshAbandoned || Failing())
        return MsgResult::OK;
    // The link's box comes before the transaction reports its end, so the
    // episode opens here and the model's box that follows stays unshown. The
    // notice waits for the transaction's end, which counts the failure.
    OpenEpisode();
    return m_UI.MsgBox(text, title, buttons, icon);
}

void PollingFailureReports::ProcessPendingEvents()
{
    ++m_EventDepth;
    m_UI.ProcessPendingEvents();
    --m_EventDepth;
}

bool PollingFailureReports::FromRefresh() const
{
    return m_Refreshing && m_EventDepth == 0;
}

void PollingFailureReports::OpenEpisode()
{
    if (!Failing())
        m_FailingSince = m_Clock.Now();
}

void PollingFailureReports::SetNotice(const QString& notice)
{
    if (notice == m_Notice)
        return;
    m_Notice = notice;
    if (m_NoticeChanged)
        m_NoticeChanged(m_Notice);
}
