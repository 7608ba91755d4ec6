// "Verify after Download": the comparison that ends a download when the
// option is on, and the option kept in the settings.

#include "ConfiguratorFixture.h"

#include "shell/MainMenus.h"
#include "shell/frmMain.h"

#include <QAction>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

const QString App = QStringLiteral("VI_TZLConfigurator");

struct Configurator : ConfiguratorFixture
{
    // The messages a download of relay 2 shows on the way.
    QStringList Download()
    {
        Link.UI().ClearMessages();
        DownloadOverVoltsOnRelay2();
        return Messages();
    }
};

} // namespace

class tst_VerifyAfterDownload : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void VerifiesOnlyWhenAsked_data()
    {
        QTest::addColumn<bool>("verify");
        QTest::addColumn<float>("relayLimit");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("off") << false << 1000.0f << QStringList{};
        QTest::newRow("on, the relay holds it")
            << true << 1000.0f
            << QStringList{"Verified: the TZL holds this configuration|Verify after Download"};
        QTest::newRow("on, the relay limits the trip point")
            << true << 100.0f
            << QStringList{"1 difference (sent -> TZL):\n"
                           "Relay 2 Trip Point: 121 V -> 100 V\n|Verify after Download"};
    }
    void VerifiesOnlyWhenAsked()
    {
        QFETCH(bool, verify);
        QFETCH(float, relayLimit);
        Configurator c;
        c.Link.Relay().SetStoreLimit(66, relayLimit);
        frmMain& w = c.Start();
        w.Menus().mnuitmVerifyDownload->setChecked(verify);
        QTEST(c.Download(), "messages");
        // The comparison reads the relay into a model of its own: the one in
        // memory holds the download's read-back.
        QCOMPARE(w.Device().TripData.ParameterValue(2, 1), std::min(121.0f, relayLimit));
    }

    void OptionIsRemembered()
    {
        Configurator c;
        c.Store.SaveSetting(App, "Options", "VerifyAfterDownload", "1");
        frmMain& w = c.Start();
        QVERIFY(w.Menus().mnuitmVerifyDownload->isCheckable());
        QVERIFY(w.Menus().mnuitmVerifyDownload->isChecked());
        w.Menus().mnuitmVerifyDownload->setChecked(false);
        c.Link.UI().QueueAnswer(MsgResult::Yes); // "Do you really want to Exit?"
        QVERIFY(w.close());
        QCOMPARE(c.Saved("Options", "VerifyAfterDownload"), QStringLiteral("0"));
    }
};

QTEST_MAIN(tst_VerifyAfterDownload)
#include "tst_VerifyAfterDownload.moc"
