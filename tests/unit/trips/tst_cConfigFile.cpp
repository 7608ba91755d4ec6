#include "Golden.h"
#include "RelayBench.h"
#include "ScriptedUserInterface.h"
#include "trips/cConfigFile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <bit>
#include <cmath>
#include <csignal>
#include <limits>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A cleared configuration's file, one value per line.
QStringList ClearedLines()
{
    QStringList lines{"\"TZL_CONFIG_FILE\"", "1", "3", "5", "110"};
    for (int relay = 1; relay <= 16; ++relay)
        lines << QStringLiteral("\"Relay Trip %1\"").arg(relay) << QStringList(8, "0");
    return lines;
}

QByteArray FileText(const QStringList& lines)
{
    return (lines.join("\r\n") + "\r\n").toLatin1();
}

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Any finite float: the values a configuration can hold.
float AnyFloat(QRandomGenerator& random)
{
    float value = NAN;
    while (!std::isfinite(value))
        value = std::bit_cast<float>(random.generate());
    return value;
}

QList<std::uint32_t> Bits(const ConfigSnapshot& data)
{
    QList<std::uint32_t> bits;
    for (const float value : {data.SystemType, data.SystemCurrent, data.SystemVolts})
        bits << std::bit_cast<std::uint32_t>(value);
    for (const TripRecord& trip : data.Trips) {
        bits << trip.FunctionIndex << trip.Flags;
        for (const float value : trip.ParameterValues)
            bits << std::bit_cast<std::uint32_t>(value);
    }
    return bits;
}

// Makes a folder refuse new files while it lives: read-only for an ordinary
// user, immutable for root (who ignores permissions).
class WriteProtectedFolder
{
public:
    explicit WriteProtectedFolder(const QString& path)
        : m_Path(QFile::encodeName(path))
    {
        ::chmod(m_Path.constData(), 0555);
        if (!Holds())
            SetImmutable(true);
    }
    ~WriteProtectedFolder()
    {
        SetImmutable(false);
        ::chmod(m_Path.constData(), 0700);
    }
    WriteProtectedFolder(const WriteProtectedFolder&) = delete;
    WriteProtectedFolder& operator=(const WriteProtectedFolder&) = delete;

    bool Holds() const
    {
        QFile probe(QFile::decodeName(m_Path) + "/probe");
        return !probe.open(QIODevice::WriteOnly) || !probe.remove();
    }

private:
    void SetImmutable(bool on) const
    {
        const int fd = ::open(m_Path.constData(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        if (fd >= 0)
            ::close(fd);
    }

    QByteArray m_Path;
};

} // namespace

class tst_cConfigFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_UI.ClearMessages(); }

    // Plain notation, never 4e+05, and the shortest that reads back exactly;
    // the relay's code of a function; a name's quotes and line breaks made
    // harmless. Every line ends in CR LF.
    void SavedText()
    {
        ConfigSnapshot data;
        for (int relay = 1; relay <= 16; ++relay)
            data.Trips[std::size_t(relay - 1)].Name = QStringLiteral("Relay Trip %1").arg(relay);
        data.Trips[0].FunctionIndex = 8; // the file holds the relay's code, 5
        data.Trips[1].Name = QStringLiteral("The \"big\" one, \r\nsecond line");
        data.SystemVolts = 400000.0F;
        data.Trips[0].ParameterValues[0] = 1e-5F;
        data.Trips[0].ParameterValues[1] = 0.2F;
        const QString path = m_Dir.filePath("saved.tcf");
        QVERIFY(cConfigFile(m_UI).Save(path, data));
        const QByteArray saved = Read(path);
        QCOMPARE(saved.count("\r\n"), saved.count('\n'));
        TZL_COMPARE_GOLDEN(QStringLiteral("config-file.tcf"),
                           QString::fromLatin1(saved).remove(u'\r'));
        QVERIFY(m_UI.Messages().isEmpty());
    }

    void RoundTripIsBitExact()
    {
        QRandomGenerator random(20240517);
        const float special[] = {-0.0F,
                                 std::numeric_limits<float>::denorm_min(),
                                 std::numeric_limits<float>::max(),
                                 std::numeric_limits<float>::lowest(),
                                 0.1F,
                                 1e-5F};
        for (int round = 0; round < 20; ++round) {
            ConfigSnapshot data;
            data.SystemType = AnyFloat(random);
            data.SystemCurrent = AnyFloat(random);
            data.SystemVolts = round < 6 ? special[round] : AnyFloat(random);
            for (TripRecord& trip : data.Trips) {
                trip.Name = QStringLiteral("Gen %1, bus \u00e9\u20ac").arg(random.generate());
                trip.FunctionIndex = std::uint8_t(random.bounded(28));
                trip.Flags = std::uint8_t(random.bounded(256));
                for (float& value : trip.ParameterValues)
                    value = AnyFloat(random);
            }
            const QString path = m_Dir.filePath("round.tcf");
            QVERIFY(cConfigFile(m_UI).Save(path, data));
            const auto loaded = cConfigFile(m_UI).Load(path);
            QVERIFY2(loaded.has_value(), qPrintable(m_UI.Messages().value(0).Text));
            QCOMPARE(Bits(*loaded), Bits(data)); // -0 is not 0 here
            for (std::size_t i = 0; i < data.Trips.size(); ++i)
                QCOMPARE(loaded->Trips[i].Name, data.Trips[i].Name);
        }
    }

    // Forms other writers use are read; a refused file hands back nothing, also
    // not the relays read before the failure. The golden holds relay 16's last
    // parameter and relay 3's name, or the refusal, and the messages.
    void Load()
    {
        const QStringList lines = ClearedLines();
        const auto changed = [&lines](int line, const QString& text) {
            QStringList copy = lines;
            copy[line] = text;
            return FileText(copy);
        };
        // Relay 3's name as bytes.
        const auto named = [&lines](const QByteArray& name) {
            return FileText(lines).replace("Relay Trip 3\"", name + '"');
        };
        // Bare line feeds and no final line end are read too.
        const auto last = [&lines](const QString& text) {
            return (lines.mid(0, lines.size() - 1) << text).join('\n').toLatin1();
        };
        const std::pair<const char*, QByteArray> cases[] = {
            {"no leading zero", last("-.25")},
            {"positive exponent", last("+1E+07")},
            {"quoted number", last("\"7\"")},
            {"comma ends the value", last("9,1")},
            {"exponent as older files have it", last("4e+05")},
            {"marker case", changed(0, "\"tzl_config_file\"")},
            {"version 2", changed(1, "2")},
            {"version 0", changed(1, "0")},
            {"ends after relay 10", FileText(lines.mid(0, 5 + 10 * 9))},
            {"unreadable number", changed(5 + 9 * 4 + 5, "12..5")},
            {"flags beyond a byte", changed(7, "256")},
            // A relay must never be sent these, so no file may hand them over.
            {"trip point nan", changed(8, "nan")},
            {"differential -inf", changed(9, "-inf")},
            {"volts infinity", changed(4, "infinity")},
            {"beyond a single", changed(4, "1e39")},
            {"hexadecimal", changed(4, "0x1p3")},
            // Names come through whether the file is our own UTF-8 or 8-bit
            // text edited on Windows.
            {"UTF-8 name",
             named(QStringLiteral("G\u00e9n\u00e9rateur \u20ac\u2013\u0160").toUtf8())},
            {"Windows-1252 name", named("G\xe9n\xe9rateur \x80\x96\x8a")},
            {"plain name", named("Bus tie")}};
        QString produced;
        for (const auto& [name, content] : cases) {
            m_UI.ClearMessages();
            const auto loaded = cConfigFile(m_UI).Load(Write(content));
            QCOMPARE(loaded.has_value(), m_UI.Messages().isEmpty());
            QStringList messages;
            for (const auto& message : m_UI.Messages())
                messages << message.Text << message.Title;
            produced += QStringLiteral("%1: %2 | %3\n")
                            .arg(name,
                                 loaded ? FloatText(loaded->Trips[15].ParameterValues[5]) + u' '
                                              + loaded->Trips[2].Name
                                        : QStringLiteral("refused"),
                                 messages.join(QStringLiteral(" / ")));
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("config-file-loads.txt"), produced);
    }

    void FailedSaveKeepsOldFile()
    {
        QTemporaryDir dir; // of its own, to see that no temporary file stays behind
        const QString path = dir.filePath("kept.tcf");
        const QByteArray old = QByteArray("previous configuration\r\n").repeated(100);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
        file.close();
        // Files may grow to 100 bytes only, whatever the user's rights.
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 100;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool written = cConfigFile(m_UI).Save(path, ConfigSnapshot{});
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
        QVERIFY(!written);
        QCOMPARE(Read(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"kept.tcf"});
        QCOMPARE(m_UI.Messages().size(), 1);
        QCOMPARE(m_UI.Messages().first().Title, QStringLiteral("Filesystem Error"));
        QVERIFY(!cConfigFile(m_UI).Save(dir.filePath("missing/config.tcf"), ConfigSnapshot{}));
        QCOMPARE(m_UI.Messages().last().Text, QStringLiteral("That path doesn't exist."));
        // A value that is not finite is refused before the file is touched.
        ConfigSnapshot data;
        data.Trips[6].ParameterValues[2] = std::numeric_limits<float>::quiet_NaN();
        QVERIFY(!cConfigFile(m_UI).Save(path, data));
        QCOMPARE(Read(path), old);
        QCOMPARE(m_UI.Messages().last().Title, QStringLiteral("TZL Config File Save Error"));
    }

    // Chosen by mistake: refused before being read, so memory is never exhausted.
    void DevicesAndHugeFilesAreRefused()
    {
        QTemporaryDir dir;
        QFile huge(dir.filePath("huge.tcf"));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(1200) << 20)); // sparse
        huge.close();
        for (const QString& path : {QStringLiteral("/dev/zero"), huge.fileName()}) {
            m_UI.ClearMessages();
            QVERIFY(!cConfigFile(m_UI).Load(path).has_value());
            QCOMPARE(m_UI.Messages().size(), 1);
            QCOMPARE(m_UI.Messages().first().Text,
                     QStringLiteral("The File does not contain TZL Config Data"));
        }
    }

    // A file the user may write, in a folder where no file may be created: it
    // is written in place, as the safe replace cannot make its temporary file.
    void SavesInAWriteProtectedFolder()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("site.tcf");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("old\r\n") == 5);
        file.close();
        QVERIFY(file.setPermissions(QFileDevice::Permissions(0x7777)));
        const WriteProtectedFolder protectedFolder(dir.path());
        if (!protectedFolder.Holds())
            QSKIP("this user may create files in any folder");
        ConfigSnapshot data;
        data.SystemVolts = 11000.0F;
        QVERIFY2(cConfigFile(m_UI).Save(path, data), qPrintable(m_UI.Messages().value(0).Text));
        const auto loaded = cConfigFile(m_UI).Load(path);
        QVERIFY(loaded.has_value());
        QCOMPARE(loaded->SystemVolts, 11000.0F);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"site.tcf"});
    }

private:
    QString Write(const QByteArray& bytes)
    {
        const QString path = m_Dir.filePath("written.tcf");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    QTemporaryDir m_Dir;
    ScriptedUserInterface m_UI;
};

QTEST_GUILESS_MAIN(tst_cConfigFile)
#include "tst_cConfigFile.moc"
