#pragma once

#include "platform/IFileDialogs.h"

#include <QList>

// File dialogs for tests: records every request and answers from a queue of
// paths; an empty path, or an empty queue, is a cancelled dialog.
class ScriptedFileDialogs : public IFileDialogs
{
public:
    enum class Kind { Open, Save };
    struct Shown
    {
        Kind DialogKind;
        FileDialogRequest Request;
    };

    void QueueAnswer(const QString& path) { m_Answers.append(path); }
    const QList<Shown>& Requests() const { return m_Shown; }

    QString GetOpenFileName(const FileDialogRequest& request) override
    {
        return Answer(Kind::Open, request);
    }
    QString GetSaveFileName(const FileDialogRequest& request) override
    {
        return Answer(Kind::Save, request);
    }

private:
    QString Answer(Kind kind, const FileDialogRequest& request)
    {
        m_Shown.append({kind, request});
        return m_Answers.isEmpty() ? QString() : m_Answers.takeFirst();
    }

    QList<QString> m_Answers;
    QList<Shown> m_Shown;
};
