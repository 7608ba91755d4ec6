#include "SimulatedLink.h"

#include "shell/frmCommsSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// The settings dialog's check box carries the link's fast response detection
// both ways; only OK changes it.
class tst_FastResponseSetting : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void CheckBoxFollowsTheLink_data()
    {
        QTest::addColumn<bool>("before");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("after");
        QTest::newRow("turned on") << false << "cmdOK" << true;
        QTest::newRow("turned off") << true << "cmdOK" << false;
        QTest::newRow("cancelled") << true << "cmdCancel" << true;
    }

    void CheckBoxFollowsTheLink()
    {
        QFETCH(bool, before);
        QFETCH(QString, button);
        SimulatedLink link;
        frmCommsSettings dialog([] { return QStringList(); });
        link.Modbus().SetSettingsDialog(&dialog);
        link.Modbus().SetFastResponseDetection(before);
        QString caption;
        bool shown = !before;
        // Asserts come after exec() returns, so a failure cannot leave it open.
        QTimer::singleShot(0, &dialog, [&] {
            if (auto* box = dialog.findChild<QCheckBox*>(QStringLiteral("chkFastResponse"))) {
                caption = box->text();
                shown = box->isChecked();
                box->setChecked(!shown);
            }
            dialog.findChild<QPushButton*>(button)->click();
        });
        link.Modbus().EditCommsSettings(nullptr, true);
        QCOMPARE(caption, QStringLiteral("Fast response detection"));
        QCOMPARE(shown, before);
        QTEST(link.Modbus().FastResponseDetection(), "after");
    }
};

QTEST_MAIN(tst_FastResponseSetting)
#include "tst_FastResponseSetting.moc"
