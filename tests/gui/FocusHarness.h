#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

// A shown, active window holding a frame under test and one more text box,
// so that focus moves between controls as it does for a user: entering a
// box selects its text, leaving it commits.
class FocusHarness
{
public:
    explicit FocusHarness(QWidget* frame)
    {
        auto* layout = new QVBoxLayout(&Window);
        // Rows that come and go would otherwise resize the window each time.
        layout->setSizeConstraint(QLayout::SetNoConstraint);
        frame->setParent(&Window);
        layout->addWidget(frame);
        Elsewhere = new QLineEdit(&Window);
        Elsewhere->setObjectName(QStringLiteral("elsewhere"));
        layout->addWidget(Elsewhere);
        Window.resize(900, 620);
        Window.show();
        Window.activateWindow();
        Active = QTest::qWaitForWindowActive(&Window);
    }

    // Into the box, the way Tab or a click gets there.
    static void Enter(QWidget* box)
    {
        box->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }
    // Enters the box and types over its (selected) text.
    static void Type(QWidget* box, const QString& text)
    {
        Enter(box);
        QTest::keyClicks(box, text);
    }
    static void PressEnter(QWidget* box) { QTest::keyClick(box, Qt::Key_Return); }
    // Picks an entry from the open list with the mouse, as the user does.
    static void Choose(QComboBox* list, int entry)
    {
        list->showPopup();
        QAbstractItemView* view = list->view();
        const QModelIndex item = view->model()->index(entry, 0);
        view->scrollTo(item);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(item).center());
        QApplication::processEvents();
    }
    // Moves the focus to the other box.
    void Leave()
    {
        Elsewhere->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }

    QWidget Window;
    QLineEdit* Elsewhere = nullptr;
    bool Active = false;
};
