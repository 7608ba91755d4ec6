#pragma once

// What every fuzz target shares: a Qt application object made once, quiet
// stand-ins for the user, the clock, the printer and the settings store, and
// a check that stops the run where a property of our code fails.

#include "platform/IClock.h"
#include "platform/ISettingsStore.h"
#include "platform/IUserInterface.h"
#include "platform/PagedPrinter.h"

#include <QCoreApplication>
#include <QDir>
#include <QMap>
#include <cstdio>
#include <cstdlib>

// Aborts with the failed condition: libFuzzer saves the input as a crash.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "FUZZ_CHECK failed: %s (%s:%d)\n", #condition, __FILE__,          \
                         __LINE__);                                                                \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace FuzzSupport {

// Some classes want an application object; a comms error log, should any
// code write one, goes to a scratch folder and never beside the programs.
inline void StartQt(int* argc, char*** argv)
{
    qputenv("TZL_LOG_DIR", QDir::tempPath().toLocal8Bit() + "/tzl-fuzz-logs");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QCoreApplication app(*argc, *argv);
}

// Answers every message box with its first button and counts them.
class QuietUserInterface : public IUserInterface
{
public:
    MsgResult MsgBox(const QString&, const QString&, MsgButtons buttons, MsgIcon) override
    {
        ++Messages;
        return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgResult::Yes
                                                                                  : MsgResult::OK;
    }
    void ProcessPendingEvents() override {}

    int Messages = 0;
};

class FixedClock : public IClock
{
public:
    QDateTime Now() const override { return QDateTime(QDate(2026, 1, 1), QTime(12, 0)); }
    void WaitUntil(const QDateTime&) override {}
};

// Settings kept in memory; a key never saved reads as its default.
class MemoryStore : public ISettingsStore
{
public:
    QString GetSetting(const QString& application, const QString& section, const QString& key,
                       const QString& defaultValue) const override
    {
        return m_Values.value(application + u'/' + section + u'/' + key, defaultValue);
    }
    void SaveSetting(const QString& application, const QString& section, const QString& key,
                     const QString& value) override
    {
        m_Values.insert(application + u'/' + section + u'/' + key, value);
    }

private:
    QMap<QString, QString> m_Values;
};

// Lays pages out in a fixed pitch and draws nothing.
class NullPrinter : public PagedPrinter
{
public:
    double TextWidth(const QString& text) const override
    {
        return double(text.size()) * FontSize();
    }
    bool EndDoc() override { return true; }
    int LinesDrawn = 0;

private:
    void FontChanged() override {}
    double ColumnWidth() const override { return FontSize(); }
    double LineHeight() const override { return 2.0 * FontSize(); }
    double PageHeight() const override { return 1000.0; }
    void DrawLine(const QList<PrintItem>&) override { ++LinesDrawn; }
    void StartPage() override {}
};

} // namespace FuzzSupport
