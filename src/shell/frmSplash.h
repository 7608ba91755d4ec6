#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>

// Shown, centred on the screen, while the main window loads; after four
// seconds it hands over to the main window and closes itself.
class frmSplash : public QWidget
{
    Q_OBJECT
public:
    static constexpr int DisplayTimeMs = 4000;

    explicit frmSplash(std::function<void()> splashFinished, QWidget* parent = nullptr);

    // The timer's end, callable directly so tests need not wait for it.
    void Timer1_Timer();

private:
    std::function<void()> m_SplashFinished;
    QTimer Timer1;
};
