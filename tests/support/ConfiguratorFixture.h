#pragma once

#include "FakeClock.h"
#include "MemorySettingsStore.h"
#include "ScriptedFileDialogs.h"
#include "ScriptedPrintSetup.h"
#include "SimulatedLink.h"

#include "shell/MainMenus.h"
#include "shell/frmMain.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// The configurator's main window over the simulated relay, with settings in
// memory, a fake clock, scripted dialogs and printer, and the comms error log
// in a folder of its own. The polling timer never runs by itself: the test
// ticks it.
struct ConfiguratorFixture
{
    explicit ConfiguratorFixture(std::int16_t relaySlave = 1)
        : Link(relaySlave)
    {
        Link.UseClock(Clock);
    }
    frmMain& Start(const QString& deviceOverride = QString())
    {
        Window = std::make_unique<frmMain>(ShellServices{Link.Port(), Link.UI(), Store, Clock,
                                                         Dialogs, Printing, LogFolder.path(),
                                                         deviceOverride, QString(), false});
        Window->Link().SetResponseTimeout(SimulatedLink::TestResponseTimeoutMs);
        Window->Link().SetCharacterTimeout(1);
        Window->SplashFinished();
        Link.Relay().ClearAccesses();
        return *Window;
    }
    void Tick(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            Window->Timer1_Timer();
    }
    // Downloads relay 2 as an Over Volts trip at 121 V; the tick runs it.
    void DownloadOverVoltsOnRelay2()
    {
        Window->Device().SetTripFunction(2, 1);
        float tripPoint = 121.0f;
        Window->Device().SetTripParameterValue(2, 1, tripPoint);
        Window->Menus().mnuitmSendConfig->trigger();
        Tick();
    }
    // A setting as stored, or "<absent>".
    QString Saved(const char* section, const char* key) const
    {
        return Store.GetSetting(QStringLiteral("VI_TZLConfigurator"), QLatin1String(section),
                                QLatin1String(key), QStringLiteral("<absent>"));
    }
    // Every message shown, as "text|title".
    QStringList Messages()
    {
        QStringList shown;
        for (const auto& m : Link.UI().Messages())
            shown << m.Text + u'|' + m.Title;
        return shown;
    }

    SimulatedLink Link;
    FakeClock Clock;
    MemorySettingsStore Store;
    ScriptedFileDialogs Dialogs;
    ScriptedPrintSetup Printing;
    QTemporaryDir LogFolder;
    std::unique_ptr<frmMain> Window;
};
