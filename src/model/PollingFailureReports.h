#pragma once

#include "platform/IUserInterface.h"

#include <QDateTime>
#include <QString>
#include <functional>

class IClock;

// Stands between the relay model and the user while the polling refreshes the
// display. A dead line would otherwise put up the link's box and the model's
// box for every transfer of every refresh, one after another, and keep the
// engineer from going off-line. The rule: the first box of a refresh that
// fails opens a failure episode and is shown; every other box of a refresh
// is left unshown until a transaction succeeds, which ends the episode. The
// link still counts and logs each failure; this class counts the failed
// transfers of the episode and says in a notice since when the relay has not
// answered. Boxes of commands the user asked for are always shown.
class PollingFailureReports : public IUserInterface
{
public:
    PollingFailureReports(IUserInterface& ui, const IClock& clock);

    // The boxes raised between these two come from the automatic refresh,
    // except those of the user's own events handled while a transfer waits.
    void BeginRefresh();
    void EndRefresh();

    // The outcome of every transaction, refresh or command.
    void TransactionFinished(bool succeeded);
    // On-line or off-line chosen: the episode ends without a word, and the
    // rest of a refresh under way stays quiet.
    void Reset();

    // Failed transfers of the refresh since the episode began.
    int Failures() const { return m_Failures; }
    // What the status bar says about the line, given whenever it changes:
    // empty, not answering since when, or answering again.
    void SetNoticeChanged(std::function<void(const QString&)> changed)
    {
        m_NoticeChanged = std::move(changed);
    }

    MsgResult MsgBox(const QString& text, const QString& title, MsgButtons buttons,
                     MsgIcon icon) override;
    // A question the user is asked is never a failure report: passed on.
    std::optional<QString> InputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override
    {
        return m_UI.InputBox(prompt, title, defaultText);
    }
    void ProcessPendingEvents() override;

private:
    bool Failing() const { return m_FailingSince.isValid(); }
    bool FromRefresh() const;
    void OpenEpisode();
    void SetNotice(const QString& notice);

    IUserInterface& m_UI;
    const IClock& m_Clock;
    std::function<void(const QString&)> m_NoticeChanged;
    bool m_Refreshing = false;
    bool m_RefreshAbandoned = false;
    QDateTime m_FailingSince;
    int m_Failures = 0;
    // Above 0 while the user's own events run inside a transfer's wait: their
    // boxes belong to them, not to the refresh.
    int m_EventDepth = 0;
    QString m_Notice;
};
