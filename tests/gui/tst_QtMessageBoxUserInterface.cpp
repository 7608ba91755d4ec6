#include "shell/QtMessageBoxUserInterface.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(MsgButtons)
Q_DECLARE_METATYPE(MsgResult)

class tst_QtMessageBoxUserInterface : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void MsgBox_data()
    {
        QTest::addColumn<MsgButtons>("buttons");
        QTest::addColumn<int>("offered");
        QTest::addColumn<QString>("press"); // a button's text, or Escape
        QTest::addColumn<MsgResult>("result");
        QTest::newRow("OK by Escape") << MsgButtons::OK << 1 << "Escape" << MsgResult::OK;
        QTest::newRow("Cancel") << MsgButtons::OKCancel << 2 << "Cancel" << MsgResult::Cancel;
        QTest::newRow("Yes") << MsgButtons::YesNo << 2 << "Yes" << MsgResult::Yes;
        QTest::newRow("No") << MsgButtons::YesNoCancel << 3 << "No" << MsgResult::No;
        QTest::newRow("Cancel by Escape")
            << MsgButtons::YesNoCancel << 3 << "Escape" << MsgResult::Cancel;
    }

    void MsgBox()
    {
        QFETCH(MsgButtons, buttons);
        QFETCH(int, offered);
        QFETCH(QString, press);
        QFETCH(MsgResult, result);
        QStringList shown; // text, title, then the buttons
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            shown = QStringList{box->text(), box->windowTitle()};
            QAbstractButton* target = nullptr;
            for (QAbstractButton* button : box->buttons()) {
                shown.append(button->text().remove(u'&'));
                if (shown.back() == press)
                    target = button;
            }
            if (target != nullptr)
                target->click();
            else
                QTest::keyClick(box, Qt::Key_Escape);
            if (box->isVisible())
                box->done(-1); // never leave exec() hanging
        });
        QtMessageBoxUserInterface ui;
        QCOMPARE(ui.MsgBox("Disk is full.", "Filesystem Error", buttons, MsgIcon::Exclamation),
                 result);
        QCOMPARE(shown.mid(0, 2), QStringList({"Disk is full.", "Filesystem Error"}));
        QCOMPARE(shown.size() - 2, offered);
    }

    void ProcessPendingEventsWaitsForTheNextEvent()
    {
        bool fired = false;
        QTimer::singleShot(30, [&fired] { fired = true; });
        QtMessageBoxUserInterface ui;
        QElapsedTimer clock;
        clock.start();
        int passes = 0;
        while (!fired && clock.elapsed() < 5000) {
            ui.ProcessPendingEvents();
            ++passes;
        }
        QVERIFY(fired);
        // Sleeping until the timer is due takes a pass or two; spinning, thousands.
        QVERIFY2(passes < 20, qPrintable(QString::number(passes)));
    }
};

QTEST_MAIN(tst_QtMessageBoxUserInterface)
#include "tst_QtMessageBoxUserInterface.moc"
