#pragma once

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <functional>

// Drives the modal settings dialog the way a user would, from inside its
// event loop.

// Runs `act` on the modal dialog once its event loop is running, then makes
// sure it is closed, so a test that fails inside cannot leave exec() hanging.
inline void WhenModalShown(std::function<void(QDialog&)> act)
{
    QTimer::singleShot(0, [act = std::move(act)] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        act(*dialog);
        if (dialog->isVisible())
            dialog->done(QDialog::Rejected);
    });
}

inline const char* const SettingsLists[] = {"cboPort", "cboBaudRate", "cboParity", "cboDataBits",
                                            "cboStopBits"};

inline QPushButton* Button(QWidget& dialog, const char* name)
{
    return dialog.findChild<QPushButton*>(QLatin1String(name));
}

// The item shown by each of the five lists, port first.
inline QStringList SelectedItems(QWidget& dialog)
{
    QStringList items;
    for (const char* name : SettingsLists)
        items.append(dialog.findChild<QComboBox*>(QLatin1String(name))->currentText());
    return items;
}

// Picks one item in each list, port first; an item that is not offered
// leaves its list on no item at all.
inline void ChooseItems(QWidget& dialog, const QStringList& items)
{
    for (int i = 0; i < items.size(); ++i) {
        auto* list = dialog.findChild<QComboBox*>(QLatin1String(SettingsLists[i]));
        list->setCurrentIndex(list->findText(items[i]));
    }
}
