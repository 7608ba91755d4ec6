#include "WindowTest.h"

#include "shell/QtMessageBoxUserInterface.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

class tst_QtMessageBoxUserInterface : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void MsgBox()
    {
        const struct
        {
            MsgButtons Buttons;
            int Offered;
            const char* Press; // a button's text, or Escape
            MsgResult Result;
        } rows[] = {{MsgButtons::OK, 1, "Escape", MsgResult::OK},
                    {MsgButtons::OKCancel, 2, "Cancel", MsgResult::Cancel},
                    {MsgButtons::YesNo, 2, "Yes", MsgResult::Yes},
                    {MsgButtons::YesNoCancel, 3, "No", MsgResult::No},
                    {MsgButtons::YesNoCancel, 3, "Escape", MsgResult::Cancel}};
        for (const auto& row : rows) {
            QStringList shown; // text, title, then the buttons
            MsgResult result{};
            QtMessageBoxUserInterface ui;
            const auto show = [&] {
                result = ui.MsgBox("Disk is full.", "Filesystem Error", row.Buttons,
                                   MsgIcon::Exclamation);
            };
            WithModal(show, [&](QDialog& dialog) {
                auto& box = static_cast<QMessageBox&>(dialog);
                shown = QStringList{box.text(), box.windowTitle()};
                QAbstractButton* target = nullptr;
                for (QAbstractButton* button : box.buttons()) {
                    shown.append(button->text().remove(u'&'));
                    if (shown.back() == QLatin1String(row.Press))
                        target = button;
                }
                if (target != nullptr)
                    target->click();
                else
                    QTest::keyClick(&box, Qt::Key_Escape);
            });
            QCOMPARE(result, row.Result);
            QCOMPARE(shown.mid(0, 2), QStringList({"Disk is full.", "Filesystem Error"}));
            QCOMPARE(shown.size() - 2, row.Offered);
        }
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
