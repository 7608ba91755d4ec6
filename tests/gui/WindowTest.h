#pragma once

// What the window tests share: driving a modal dialog from inside its exec(),
// finding a named control, and the main window's close box and panels.

#include "ConfiguratorFixture.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QLabel>
#include <QTabBar>
#include <QTimer>
#include <functional>

// A named child control of `parent`.
template <typename T>
T* Child(const QObject& parent, const char* name)
{
    return parent.findChild<T*>(QLatin1String(name));
}

// Runs `show`, which opens a modal dialog, and calls `act` on the dialog once
// it is up. A dialog still open afterwards is cancelled, so a failing test
// cannot hang exec(); check what `act` noted after this returns.
inline void WithModal(const std::function<void()>& show, const std::function<void(QDialog&)>& act)
{
    QObject scope;
    QTimer::singleShot(0, &scope, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            act(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        }
    });
    show();
}

// The main window over the simulated relay, with its close box and panels.
struct MainWindow : ConfiguratorFixture
{
    using ConfiguratorFixture::ConfiguratorFixture;

    // Closes the window as the close box does; true when it closed.
    bool Close()
    {
        QCloseEvent event;
        QApplication::sendEvent(Window.get(), &event);
        return event.isAccepted();
    }
    // The text of a status bar panel ("status", "modified", "connection").
    QString Panel(const char* name) const { return Child<QLabel>(*Window, name)->text(); }
    QTabBar* Tabs() const { return Child<QTabBar>(*Window, "TabStrip1"); }
    // Start registers of the input-register reads the relay heard since the
    // last call.
    QList<int> InputReads()
    {
        QList<int> starts;
        for (const RegisterAccess& a : Link.Relay().Accesses())
            if (a.Kind == RegisterAccess::Type::ReadInput)
                starts << a.Start;
        Link.Relay().ClearAccesses();
        return starts;
    }
};
