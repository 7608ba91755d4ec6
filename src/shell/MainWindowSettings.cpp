#include "shell/MainWindowSettings.h"

#include "platform/ISettingsStore.h"

#include <algorithm>
#include <cmath>

namespace {

const QString MainFormSection = QStringLiteral("MainForm");
const QString TargetSection = QStringLiteral("TargetTZL");
const QString OptionsSection = QStringLiteral("Options");

constexpr double OnScreenFraction = 0.9;

double NumberOr(const QString& text, double fallback)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value) ? value : fallback;
}

std::int16_t SlaveIdFrom(const QString& text)
{
    // Rounded half to even, as a whole-number conversion of a stored text does.
    const double value = std::nearbyint(NumberOr(text, 1.0));
    return value >= 1 && value <= 247 ? std::int16_t(value) : std::int16_t(1);
}

bool CheckedFrom(const QString& text)
{
    return NumberOr(text, 0.0) != 0.0;
}

} // namespace

MainWindowSettings MainWindowSettings::Restore(const ISettingsStore& store,
                                               const QString& application, QSize screen)
{
    MainWindowSettings s;
    const auto get = [&](const QString& section, const QString& key, const QString& fallback) {
        return store.GetSetting(application, section, key, fallback);
    };
    s.Position.setX(
        OnScreen(NumberOr(get(MainFormSection, QStringLiteral("Left"), "0"), 0.0), screen.width()));
    s.Position.setY(
        OnScreen(NumberOr(get(MainFormSection, QStringLiteral("Top"), "0"), 0.0), screen.height()));
    s.SlaveID = SlaveIdFrom(get(TargetSection, QStringLiteral("SlaveID"), "1"));
    s.EventLogUseCurrent =
        CheckedFrom(get(OptionsSection, QStringLiteral("EventLogUseCurrent"), "0"));
    s.AlarmDisplay = CheckedFrom(get(OptionsSection, QStringLiteral("AlarmDisplay"), "0"));
    s.VerifyAfterDownload =
        CheckedFrom(get(OptionsSection, QStringLiteral("VerifyAfterDownload"), "0"));
    s.WorkDirectory = get(OptionsSection, QStringLiteral("WorkDirectory"), QString());
    return s;
}

void MainWindowSettings::Save(ISettingsStore& store, const QString& application, QSize screen,
                              const QString& lastChosenFile) const
{
    const auto put = [&](const QString& section, const QString& key, const QString& value) {
        store.SaveSetting(application, section, key, value);
    };
    put(MainFormSection, QStringLiteral("Left"),
        QString::number(OnScreen(Position.x(), screen.width())));
    put(MainFormSection, QStringLiteral("Top"),
        QString::number(OnScreen(Position.y(), screen.height())));
    put(TargetSection, QStringLiteral("SlaveID"), QString::number(SlaveID));
    put(OptionsSection, QStringLiteral("EventLogUseCurrent"), EventLogUseCurrent ? "1" : "0");
    put(OptionsSection, QStringLiteral("AlarmDisplay"), AlarmDisplay ? "1" : "0");
    put(OptionsSection, QStringLiteral("VerifyAfterDownload"), VerifyAfterDownload ? "1" : "0");
    if (const QString folder = FolderOf(lastChosenFile); !folder.isEmpty())
        put(OptionsSection, QStringLiteral("WorkDirectory"), folder);
}

double MainWindowSettings::OnScreen(double edge, int screenExtent)
{
    return edge < 0 || edge > OnScreenFraction * screenExtent ? 0.0 : edge;
}

QString MainWindowSettings::FolderOf(const QString& fullName)
{
    const qsizetype separator = std::max(fullName.lastIndexOf(u'/'), fullName.lastIndexOf(u'\\'));
    if (separator < 0)
        return {};
    // A file in the root folder keeps its "/" so the folder stays usable.
    return separator == 0 ? fullName.left(1) : fullName.left(separator);
}
