// A configuration file (.tcf) as the configurator and tzlctl open it: any
// bytes as the file's contents, read into the model and printed. Whatever
// was read must survive a save and a second read unchanged, or the engineer
// would lose settings by merely opening and saving a file.

#include "FuzzSupport.h"
#include "link/frmModbus.h"
#include "model/ConfigComparison.h"
#include "trips/ConfigSnapshot.h"
#include "model/cTZL.h"
#include "platform/QtSerialPort.h"
#include "trips/cConfigFile.h"

namespace {

// The device object and everything it leans on; the port is never opened.
struct Device
{
    FuzzSupport::QuietUserInterface UI;
    FuzzSupport::FixedClock Clock;
    QtSerialPort Port;
    frmModbus Link{Port, UI};
    cTZL Model{Link, UI, Clock};
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::StartQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Device opened;
    const auto read = cConfigFile(opened.UI).Parse(
        QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    // A refused file is always explained to the user.
    FUZZ_CHECK(read || opened.UI.Messages == 1);
    if (!read)
        return 0;
    FUZZ_CHECK(opened.UI.Messages == 0);
    opened.Model.UseConfig(*read);

    FuzzSupport::NullPrinter printer;
    FUZZ_CHECK(opened.Model.PrintConfig(printer));

    // What was read has only finite numbers, so it can always be saved.
    const auto saved = cConfigFile::Format(*read);
    FUZZ_CHECK(saved.has_value());
    Device reopened;
    const auto readAgain = cConfigFile(reopened.UI).Parse(*saved);
    FUZZ_CHECK(readAgain.has_value());
    reopened.Model.UseConfig(*readAgain);
    // A name is stored in the form a file can hold (no double quotes).
    ConfigSnapshot expected = opened.Model.Snapshot();
    for (TripRecord& trip : expected.Trips)
        trip.Name = cTZLTrips::StorableName(trip.Name);
    const auto differences = ConfigComparison::Compare(expected, reopened.Model.Snapshot(),
                                                       ConfigComparison::Names::Compared);
    if (!differences.isEmpty()) {
        for (const ConfigDifference& d : differences)
            std::fprintf(stderr, "%s: %s -> %s\n", qPrintable(d.Where), qPrintable(d.Old),
                         qPrintable(d.New));
    }
    FUZZ_CHECK(differences.isEmpty());
    // A file this program wrote reads back to the very same bytes when saved again.
    FUZZ_CHECK(cConfigFile::Format(*readAgain) == saved);
    return 0;
}
