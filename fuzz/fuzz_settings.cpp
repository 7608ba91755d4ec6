// The per-user settings as the configurator reads them at start-up: any text
// under any of its keys (a hand-edited or damaged settings file), and the
// line-settings text on its own as --settings and the settings dialog give
// it. Whatever is read must leave the program with values it can use, and
// must come back the same after the program saves it on exit.

#include "FuzzSupport.h"
#include "link/frmModbus.h"
#include "platform/QtSerialPort.h"
#include "platform/SerialLineSettings.h"
#include "shell/MainWindowSettings.h"
#include "shell/cRUFList.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>

namespace {

const QString Application = QStringLiteral("VI_TZLConfigurator");

struct Key
{
    const char* Section;
    const char* Name;
};

constexpr Key StoredKeys[] = {
    {"Comms", "Port"},
    {"Comms", "Device"},
    {"Comms", "Settings"},
    {"Comms", "FastResponse"},
    {"Modbus", "WordOrder"},
    {"MainForm", "Left"},
    {"MainForm", "Top"},
    {"TargetTZL", "SlaveID"},
    {"Options", "EventLogUseCurrent"},
    {"Options", "AlarmDisplay"},
    {"Options", "VerifyAfterDownload"},
    {"Options", "WorkDirectory"},
    {"RUFiles", "RUF1"},
    {"RUFiles", "RUF2"},
    {"RUFiles", "RUF3"},
    {"RUFiles", "RUF4"},
    {"RUFiles", "RUF5"},
};

QString Text(FuzzedDataProvider& in)
{
    return QString::fromUtf8(in.ConsumeRandomLengthString(80));
}

void CheckLineSettings(const QString& text)
{
    const auto line = SerialLineSettings::Parse(text);
    if (!line)
        return;
    FUZZ_CHECK(line->BitsPerCharacter() >= 7 && line->BitsPerCharacter() <= 12);
    FUZZ_CHECK(line->CharacterTime().count() > 0);
    // What the program writes back is read as the same line.
    const auto again = SerialLineSettings::Parse(line->ToString());
    FUZZ_CHECK(again && again->BaudRate == line->BaudRate && again->Parity == line->Parity
               && again->DataBits == line->DataBits && again->StopBits == line->StopBits);
}

struct Link
{
    FuzzSupport::QuietUserInterface UI;
    QtSerialPort Port;
    frmModbus Modbus{Port, UI};
};

void CheckLink(const ISettingsStore& store)
{
    Link restored;
    restored.Modbus.RestoreSettings(store, Application);
    FUZZ_CHECK(SerialLineSettings::Parse(restored.Modbus.Settings()).has_value());
    FUZZ_CHECK(restored.Modbus.Port() >= 1);
    FUZZ_CHECK(restored.Modbus.GetWordOrder() == 0 || restored.Modbus.GetWordOrder() == 1);

    FuzzSupport::MemoryStore saved;
    restored.Modbus.SaveSettings(saved, Application);
    Link again;
    again.Modbus.RestoreSettings(saved, Application);
    FUZZ_CHECK(again.Modbus.Settings() == restored.Modbus.Settings());
    FUZZ_CHECK(again.Modbus.Port() == restored.Modbus.Port());
    FUZZ_CHECK(again.Modbus.Device() == restored.Modbus.Device());
    FUZZ_CHECK(again.Modbus.GetWordOrder() == restored.Modbus.GetWordOrder());
    FUZZ_CHECK(again.Modbus.FastResponseDetection() == restored.Modbus.FastResponseDetection());
}

bool SamePosition(double a, double b)
{
    // Positions are whole pixels; the stored text keeps six digits.
    return std::abs(a - b) < 0.01;
}

void CheckWindow(const ISettingsStore& store, QSize screen)
{
    const auto window = MainWindowSettings::Restore(store, Application, screen);
    FUZZ_CHECK(window.SlaveID >= 1 && window.SlaveID <= 247);
    FUZZ_CHECK(window.Position.x() >= 0 && window.Position.x() <= 0.9 * screen.width());
    FUZZ_CHECK(window.Position.y() >= 0 && window.Position.y() <= 0.9 * screen.height());

    FuzzSupport::MemoryStore saved;
    window.Save(saved, Application, screen, QString());
    saved.SaveSetting(Application, QStringLiteral("Options"), QStringLiteral("WorkDirectory"),
                      window.WorkDirectory);
    const auto again = MainWindowSettings::Restore(saved, Application, screen);
    FUZZ_CHECK(SamePosition(again.Position.x(), window.Position.x()));
    FUZZ_CHECK(SamePosition(again.Position.y(), window.Position.y()));
    FUZZ_CHECK(again.SlaveID == window.SlaveID);
    FUZZ_CHECK(again.EventLogUseCurrent == window.EventLogUseCurrent);
    FUZZ_CHECK(again.AlarmDisplay == window.AlarmDisplay);
    FUZZ_CHECK(again.VerifyAfterDownload == window.VerifyAfterDownload);
    FUZZ_CHECK(again.WorkDirectory == window.WorkDirectory);
}

void CheckRecentFiles(const ISettingsStore& store)
{
    cRUFList list;
    list.RestoreRUFLSettings(store, Application);
    FUZZ_CHECK(list.Count() >= 0 && list.Count() <= list.size());
    for (std::int16_t n = 1; n <= list.Count(); ++n) {
        FUZZ_CHECK(!list.ItemPath(n).isEmpty());
        FUZZ_CHECK(list.Index(list.ItemPath(n)) == n);
        FUZZ_CHECK(list.ItemTitle(n) == cRUFList::TitleFromPath(list.ItemPath(n)));
    }
    FuzzSupport::MemoryStore saved;
    list.SaveRUFLSettings(saved, Application);
    cRUFList again;
    again.RestoreRUFLSettings(saved, Application);
    FUZZ_CHECK(again.Count() == list.Count());
    for (std::int16_t n = 1; n <= list.Count(); ++n)
        FUZZ_CHECK(again.ItemPath(n) == list.ItemPath(n)
                   && again.ItemTitle(n) == list.ItemTitle(n));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::StartQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const QSize screen(in.ConsumeIntegralInRange(0, 10000), in.ConsumeIntegralInRange(0, 10000));
    CheckLineSettings(Text(in));

    FuzzSupport::MemoryStore store;
    for (const Key& key : StoredKeys) {
        // A key left out reads as its default, as in a fresh settings file.
        if (in.ConsumeBool())
            store.SaveSetting(Application, QString::fromLatin1(key.Section),
                              QString::fromLatin1(key.Name), Text(in));
    }
    CheckLineSettings(store.GetSetting(Application, QStringLiteral("Comms"),
                                       QStringLiteral("Settings"), QString()));
    CheckLink(store);
    CheckWindow(store, screen);
    CheckRecentFiles(store);
    return 0;
}
