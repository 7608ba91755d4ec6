#include "shell/QtMessageBoxUserInterface.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(MsgButtons)
Q_DECLARE_METATYPE(MsgIcon)
Q_DECLARE_METATYPE(MsgResult)

class tst_QtMessageBoxUserInterface : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void MsgBox_data();
    void MsgBox();
    void ProcessPendingEventsWaitsForTheNextEvent();
};

void tst_QtMessageBoxUserInterface::MsgBox_data()
{
    QTest::addColumn<MsgButtons>("buttons");
    QTest::addColumn<MsgIcon>("icon");
    QTest::addColumn<int>("press"); // a QMessageBox::StandardButton, or 0 for Escape
    QTest::addColumn<QStringList>("offered");
    QTest::addColumn<int>("qtIcon");
    QTest::addColumn<MsgResult>("result");

    QTest::newRow("OK") << MsgButtons::OK << MsgIcon::None << int(QMessageBox::Ok)
                        << QStringList{"OK"} << int(QMessageBox::NoIcon) << MsgResult::OK;
    QTest::newRow("OK by Escape") << MsgButtons::OK << MsgIcon::Exclamation << 0
                                  << QStringList{"OK"} << int(QMessageBox::Warning) << MsgResult::OK;
    QTest::newRow("Cancel") << MsgButtons::OKCancel << MsgIcon::Information << int(QMessageBox::Cancel)
                            << QStringList{"OK", "Cancel"} << int(QMessageBox::Information)
                            << MsgResult::Cancel;
    QTest::newRow("Yes") << MsgButtons::YesNo << MsgIcon::Question << int(QMessageBox::Yes)
                         << QStringList{"Yes", "No"} << int(QMessageBox::Question) << MsgResult::Yes;
    QTest::newRow("No") << MsgButtons::YesNoCancel << MsgIcon::Critical << int(QMessageBox::No)
                        << QStringList{"Yes", "No", "Cancel"} << int(QMessageBox::Critical)
                        << MsgResult::No;
    QTest::newRow("Cancel by Escape") << MsgButtons::YesNoCancel << MsgIcon::Question << 0
                                      << QStringList{"Yes", "No", "Cancel"}
                                      << int(QMessageBox::Question) << MsgResult::Cancel;
}

void tst_QtMessageBoxUserInterface::MsgBox()
{
    QFETCH(MsgButtons, buttons);
    QFETCH(MsgIcon, icon);
    QFETCH(int, press);
    QFETCH(QStringList, offered);
    QFETCH(int, qtIcon);
    QFETCH(MsgResult, result);

    QString text, title;
    QStringList shown;
    int shownIcon = -1;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        text = box->text();
        title = box->windowTitle();
        shownIcon = int(box->icon());
        for (QAbstractButton* button : box->buttons())
            shown.append(button->text().remove(u'&'));
        if (press == 0)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->button(QMessageBox::StandardButton(press))->click();
    });
    QtMessageBoxUserInterface ui;
    QCOMPARE(ui.MsgBox(QStringLiteral("CRC Error in response"), QStringLiteral("Modbus Error"),
                       buttons, icon),
             result);
    QCOMPARE(text, QStringLiteral("CRC Error in response"));
    QCOMPARE(title, QStringLiteral("Modbus Error"));
    QCOMPARE(shownIcon, qtIcon);
    shown.sort();
    offered.sort();
    QCOMPARE(shown, offered);
}

void tst_QtMessageBoxUserInterface::ProcessPendingEventsWaitsForTheNextEvent()
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

QTEST_MAIN(tst_QtMessageBoxUserInterface)
#include "tst_QtMessageBoxUserInterface.moc"
