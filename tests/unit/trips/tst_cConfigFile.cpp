#include "ScriptedUserInterface.h"
#include "trips/cConfigFile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <bit>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace {

ConfigFileData ClearedConfig()
{
    ConfigFileData data;
    for (int relay = 1; relay <= 16; ++relay)
        data.Trips[std::size_t(relay - 1)].Name = QStringLiteral("Relay Trip %1").arg(relay);
    return data;
}

// A cleared configuration's file, one value per entry.
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

float AnyFloat(QRandomGenerator& random)
{
    float value = 0;
    do
        value = std::bit_cast<float>(random.generate());
    while (std::isnan(value)); // no text keeps a NaN's payload
    return value;
}

} // namespace

class tst_cConfigFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void savedText();
    void roundTripIsBitExact();
    void readerRules_data();
    void readerRules();
    void refusals_data();
    void refusals();
    void failedSaveKeepsOldFile();

private:
    QString Write(const QByteArray& bytes);
    QByteArray Read(const QString& path);

    QTemporaryDir m_Dir;
    ScriptedUserInterface m_UI;
};

void tst_cConfigFile::init()
{
    QVERIFY(m_Dir.isValid());
    m_UI.ClearMessages();
}

QString tst_cConfigFile::Write(const QByteArray& bytes)
{
    const QString path = m_Dir.filePath("written.tcf");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray tst_cConfigFile::Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void tst_cConfigFile::savedText()
{
    ConfigFileData data = ClearedConfig();
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

void tst_cConfigFile::roundTripIsBitExact()
{
    QRandomGenerator random(20240517);
    const float special[] = {-0.0F, std::numeric_limits<float>::denorm_min(),
                             std::numeric_limits<float>::max(),
                             -std::numeric_limits<float>::infinity(), 0.1F, 1e-5F};
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
        // Bit for bit: -0 is not 0 here.
        const auto bits = [](float value) { return std::bit_cast<std::uint32_t>(value); };
        QCOMPARE(bits(loaded->SystemType), bits(data.SystemType));
        QCOMPARE(bits(loaded->SystemCurrent), bits(data.SystemCurrent));
        QCOMPARE(bits(loaded->SystemVolts), bits(data.SystemVolts));
        for (std::size_t i = 0; i < data.Trips.size(); ++i) {
            const TripRecord& in = data.Trips[i];
            const TripRecord& out = loaded->Trips[i];
            QCOMPARE(out.Name, in.Name);
            QCOMPARE(out.FunctionIndex, in.FunctionIndex);
            QCOMPARE(out.Flags, in.Flags);
            QVERIFY(std::memcmp(out.ParameterValues.data(), in.ParameterValues.data(),
                                sizeof in.ParameterValues) == 0);
        }
    }
}

void tst_cConfigFile::readerRules_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<float>("value");
    QTest::newRow("no leading zero") << "-.25" << -0.25F;
    QTest::newRow("exponent") << "1E-05" << 1e-5F;
    QTest::newRow("positive exponent") << "+1E+07" << 1e7F;
    QTest::newRow("blanks around") << "   42.5  " << 42.5F;
    QTest::newRow("quoted number") << "\"7\"" << 7.0F;
    QTest::newRow("comma ends the value") << "9,1" << 9.0F;
}

void tst_cConfigFile::readerRules()
{
    QFETCH(QString, line);
    QFETCH(float, value);
    QStringList lines = ClearedLines();
    lines.last() = line; // relay 16's last parameter
    // Bare line feeds and no final line end are read too.
    const auto loaded = cConfigFile(m_UI).Load(Write(lines.join("\n").toLatin1()));
    QVERIFY(loaded.has_value());
    QCOMPARE(loaded->Trips[15].ParameterValues[5], value);
}

void tst_cConfigFile::refusals_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    const QString eof = QStringLiteral("This file has a nonstandard end-of-file marker, or an "
                                       "attempt was made to read beyond the end-of-file marker.");
    const QString fs = QStringLiteral("Filesystem Error");
    const QStringList lines = ClearedLines();
    const auto changed = [&lines](int line, const QString& text) {
        QStringList copy = lines;
        copy[line] = text;
        return FileText(copy);
    };
    QTest::newRow("marker case") << changed(0, "\"tzl_config_file\"")
                                 << "The File does not contain TZL Config Data"
                                 << "TZL Config File Load Error";
    QTest::newRow("version 2") << changed(1, "2")
                               << "The File was generated by a later version of this "
                                  "application and can't be read."
                               << "Data Compatiblity Error";
    QTest::newRow("version 0") << changed(1, "0")
                               << "An error occurred while the TZL system parameters from File."
                               << "TZL System Settings File Error";
    QTest::newRow("after relay 10") << FileText(lines.mid(0, 5 + 10 * 9)) << eof << fs;
    QTest::newRow("unreadable number") << changed(5 + 9 * 4 + 5, "12..5") << "Unknown Error!" << fs;
    QTest::newRow("flags beyond a byte") << changed(7, "256") << "Unknown Error!" << fs;
}

void tst_cConfigFile::refusals()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, text);
    QFETCH(QString, title);
    QVERIFY(!cConfigFile(m_UI).Load(Write(content)).has_value());
    QCOMPARE(m_UI.Messages().size(), 1);
    QCOMPARE(m_UI.Messages().first().Text, text);
    QCOMPARE(m_UI.Messages().first().Title, title);
}

void tst_cConfigFile::failedSaveKeepsOldFile()
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
    const bool written = cConfigFile(m_UI).Save(path, ClearedConfig());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);

    QVERIFY(!written);
    QCOMPARE(Read(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"kept.tcf"});
    QCOMPARE(m_UI.Messages().size(), 1);
    QCOMPARE(m_UI.Messages().first().Title, QStringLiteral("Filesystem Error"));

    QVERIFY(!cConfigFile(m_UI).Save(dir.filePath("missing/config.tcf"), ClearedConfig()));
    QCOMPARE(m_UI.Messages().last().Text, QStringLiteral("That path doesn't exist."));
}

QTEST_GUILESS_MAIN(tst_cConfigFile)
#include "tst_cConfigFile.moc"
