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
#include <sys/resource.h>

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

// Every float but NaN, whose payload no text keeps.
float AnyFloat(QRandomGenerator& random)
{
    float value = NAN;
    while (std::isnan(value))
        value = std::bit_cast<float>(random.generate());
    return value;
}

QList<std::uint32_t> Bits(const ConfigFileData& data)
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

} // namespace

class tst_cConfigFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_UI.ClearMessages(); }

    void SavedText()
    {
        ConfigFileData data;
        for (int relay = 1; relay <= 16; ++relay)
            data.Trips[std::size_t(relay - 1)].Name = QStringLiteral("Relay Trip %1").arg(relay);
        data.Trips[0].FunctionIndex = 8; // the file holds the relay's code, 5
        data.Trips[1].Name = QStringLiteral("The \"big\" one, \r\nsecond line");
        QStringList expected = ClearedLines();
        expected[6] = "5";
        expected[14] = "\"The 'big' one,   second line\"";
        const QString path = m_Dir.filePath("saved.tcf");
        QVERIFY(cConfigFile(m_UI).Save(path, data));
        QCOMPARE(Read(path), FileText(expected));
        QVERIFY(m_UI.Messages().isEmpty());
    }

    void RoundTripIsBitExact()
    {
        QRandomGenerator random(20240517);
        const float special[] = {-0.0F,
                                 std::numeric_limits<float>::denorm_min(),
                                 std::numeric_limits<float>::max(),
                                 -std::numeric_limits<float>::infinity(),
                                 0.1F,
                                 1e-5F};
        for (int round = 0; round < 20; ++round) {
            ConfigFileData data;
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
            QVERIFY(loaded.has_value());
            QCOMPARE(Bits(*loaded), Bits(data)); // -0 is not 0 here
            for (std::size_t i = 0; i < data.Trips.size(); ++i)
                QCOMPARE(loaded->Trips[i].Name, data.Trips[i].Name);
        }
    }

    // Forms other writers use are read; a refused file hands back nothing, also
    // not the relays read before the failure.
    void Load_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<float>("value");       // relay 16's last parameter
        QTest::addColumn<QStringList>("shown"); // text, title; none: the file loads
        const QStringList lines = ClearedLines();
        const auto changed = [&lines](int line, const QString& text) {
            QStringList copy = lines;
            copy[line] = text;
            return FileText(copy);
        };
        // Bare line feeds and no final line end are read too.
        const auto last = [&lines](const QString& text) {
            return (lines.mid(0, lines.size() - 1) << text).join('\n').toLatin1();
        };
        const QStringList fileError{"Unknown Error!", "Filesystem Error"};
        QTest::newRow("no leading zero") << last("-.25") << -0.25F << QStringList{};
        QTest::newRow("positive exponent") << last("+1E+07") << 1e7F << QStringList{};
        QTest::newRow("quoted number") << last("\"7\"") << 7.0F << QStringList{};
        QTest::newRow("comma ends the value") << last("9,1") << 9.0F << QStringList{};
        QTest::newRow("marker case") << changed(0, "\"tzl_config_file\"") << 0.0F
                                     << QStringList{"The File does not contain TZL Config Data",
                                                    "TZL Config File Load Error"};
        QTest::newRow("version 2") << changed(1, "2") << 0.0F
                                   << QStringList{"The File was generated by a later version of "
                                                  "this application and can't be read.",
                                                  "Data Compatiblity Error"};
        QTest::newRow("version 0")
            << changed(1, "0") << 0.0F
            << QStringList{"An error occurred while the TZL system parameters from File.",
                           "TZL System Settings File Error"};
        QTest::newRow("ends after relay 10")
            << FileText(lines.mid(0, 5 + 10 * 9)) << 0.0F
            << QStringList{"This file has a nonstandard end-of-file marker, or an attempt was "
                           "made to read beyond the end-of-file marker.",
                           "Filesystem Error"};
        QTest::newRow("unreadable number") << changed(5 + 9 * 4 + 5, "12..5") << 0.0F << fileError;
        QTest::newRow("flags beyond a byte") << changed(7, "256") << 0.0F << fileError;
    }
    void Load()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, shown);
        const auto loaded = cConfigFile(m_UI).Load(Write(content));
        QCOMPARE(loaded.has_value(), shown.isEmpty());
        if (loaded)
            QTEST(loaded->Trips[15].ParameterValues[5], "value");
        QStringList messages;
        for (const auto& message : m_UI.Messages())
            messages << message.Text << message.Title;
        QCOMPARE(messages, shown);
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
        const bool written = cConfigFile(m_UI).Save(path, ConfigFileData{});
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
        QVERIFY(!written);
        QCOMPARE(Read(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"kept.tcf"});
        QCOMPARE(m_UI.Messages().size(), 1);
        QCOMPARE(m_UI.Messages().first().Title, QStringLiteral("Filesystem Error"));
        QVERIFY(!cConfigFile(m_UI).Save(dir.filePath("missing/config.tcf"), ConfigFileData{}));
        QCOMPARE(m_UI.Messages().last().Text, QStringLiteral("That path doesn't exist."));
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
