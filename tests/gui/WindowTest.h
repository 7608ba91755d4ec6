#pragma once

// What the window tests share: driving a modal dialog from inside its exec(),
// finding a named control, and the main window's close box and panels.

#include "ConfiguratorFixture.h"
#include "Golden.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
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

    // Appends what the user sees after `step` to the transcript: caption,
    // status bar panels, tab, Node box, line settings, the alarm flag, the
    // menu items disabled or ticked, the recent files, and what was asked,
    // opened or sent since the last step.
    void Note(const QString& step)
    {
        QStringList seen{Window->windowTitle(),
                         Panel("status"),
                         Panel("modified"),
                         Panel("connection"),
                         Panel("link"),
                         QStringLiteral("tab %1").arg(Window->CurrentTab()),
                         QStringLiteral("node %1/%2").arg(Window->SlaveID()).arg(NodeBox()),
                         Window->Link().Settings()};
        if (Child<QWidget>(*Window, "txtAlarmIndicator")->isVisibleTo(Window.get()))
            seen << QStringLiteral("ALARMS");
        QStringList disabled, ticked, recent;
        if (!Window->Menus().Toolbar1->isEnabled())
            disabled << QStringLiteral("<toolbar>");
        for (const QAction* item : Window->findChildren<QAction*>()) {
            const QString text = item->text().remove(u'&');
            if (item->isChecked()) // hidden ones too: the word order
                ticked << text;
            if (!text.isEmpty() && item->isVisible() && !item->isEnabled())
                disabled << text;
        }
        for (const QAction* item : Window->Menus().mnuitmRUFile)
            if (item->isVisible())
                recent << item->text();
        Transcript += step + u'\n';
        const std::pair<const char*, QStringList> parts[] = {
            {"", seen}, {"disabled: ", disabled}, {"ticked: ", ticked}, {"recent: ", recent}};
        for (const auto& [label, part] : parts)
            Transcript += QStringLiteral("  ") + QLatin1String(label)
                          + part.join(QStringLiteral(" | ")) + u'\n';
        for (const QString& message : Messages())
            Transcript += QStringLiteral("  asked: ") + message + u'\n';
        Link.UI().ClearMessages();
        for (; DialogsNoted < Dialogs.Requests().size(); ++DialogsNoted)
            Transcript += QStringLiteral("  file dialog: ")
                          + Dialogs.Requests()[DialogsNoted].Request.Title + u'\n';
        if (!Link.Relay().Accesses().empty())
            Transcript +=
                QStringLiteral("  relay accesses: %1\n").arg(Link.Relay().Accesses().size());
        Link.Relay().ClearAccesses();
    }
    QString NodeBox() const { return Child<QLineEdit>(*Window, "txtSlaveID")->text(); }
    QString Transcript;
    qsizetype DialogsNoted = 0;
};
