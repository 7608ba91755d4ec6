#include "ConfiguratorFixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

// The main window's own controls from keyboard and mouse: moving through the
// tabs, the status bar's on-line panel and the Node box's arrows.
class tst_MainWindowControls : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void TabKeysWrapAround()
    {
        ConfiguratorFixture f;
        frmMain& w = f.Start();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.findChild<QTabBar*>()->setCurrentIndex(0);
        QCOMPARE(w.CurrentTab(), 1);
        QList<int> visited;
        for (const Qt::Key key :
             {Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_Tab, Qt::Key_PageDown}) {
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus ? focus : &w, key, Qt::ControlModifier);
            visited << w.CurrentTab();
        }
        QCOMPARE(visited, (QList<int>{20, 1, 20, 1, 2}));
    }

    void ClickOnTheOnLinePanelToggles()
    {
        ConfiguratorFixture f;
        frmMain& w = f.Start();
        w.show();
        auto* panel = w.findChild<QLabel*>(QStringLiteral("connection"));
        QVERIFY(!w.OnLine());
        QTest::mouseClick(panel, Qt::LeftButton);
        QVERIFY(w.OnLine());
        QCOMPARE(panel->text(), QStringLiteral("On-Line"));
        QTest::mouseClick(panel, Qt::LeftButton);
        QVERIFY(!w.OnLine());
        QCOMPARE(panel->text(), QString());
    }

    // The arrows stop at 1 and 247; a step away from unsaved changes asks
    // first, and anything but No stays with the relay the changes are for.
    void NodeArrowsStopAtTheEndsAndAsk()
    {
        ConfiguratorFixture f;
        frmMain& w = f.Start();
        const auto arrow = [&](const char* name) {
            for (auto* button : w.findChildren<QToolButton*>())
                if (button->accessibleName() == QLatin1String(name))
                    return button;
            return static_cast<QToolButton*>(nullptr);
        };
        QToolButton* up = arrow("Increment Slave Address");
        QToolButton* down = arrow("Decrement Slave Address");
        auto* box = w.findChild<QLineEdit*>(QStringLiteral("txtSlaveID"));
        QList<int> ids;
        const auto click = [&](QToolButton* button) {
            button->click();
            ids << w.SlaveID() << box->text().toInt();
        };
        click(down); // at 1 already
        click(up);
        box->setText(QStringLiteral("247"));
        QTest::keyClick(box, Qt::Key_Return);
        click(up);
        click(down);
        QCOMPARE(ids, (QList<int>{1, 1, 2, 2, 247, 247, 246, 246}));
        QVERIFY(f.Link.UI().Messages().isEmpty());

        w.SetDataModified(true);
        f.Link.UI().QueueAnswer(MsgResult::Yes);
        f.Link.UI().QueueAnswer(MsgResult::No);
        ids.clear();
        click(up);
        click(up);
        QCOMPARE(ids, (QList<int>{246, 246, 247, 247}));
        QCOMPARE(f.Messages(),
                 QStringList(2, QStringLiteral("Do you want to save or download the configuration "
                                               "changes?|TZL Configurator")));
    }
};

QTEST_MAIN(tst_MainWindowControls)
#include "tst_MainWindowControls.moc"
