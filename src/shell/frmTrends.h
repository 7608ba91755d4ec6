#pragma once

#include "trends/TrendHistory.h"

#include <QWidget>
#include <optional>
#include <vector>

class IFileDialogs;
class ISettingsStore;
class IUserInterface;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class TrendChart;
struct TrendSeries;

// What the Trends window works with.
struct TrendsServices
{
    TrendHistory& History;
    IUserInterface& UI;
    ISettingsStore& Settings;
    IFileDialogs& FileDialogs;
    QString Application; // the settings' application name
};

// The Trends window: the polled measurements as plots over clock time, one
// plot per unit, the lines the user ticks, the last minutes or hours. It only
// shows the history; the main window's tick fills it.
class frmTrends : public QWidget
{
    Q_OBJECT
public:
    // The spans offered, in minutes; ten minutes at first.
    static constexpr int SpanMinutes[] = {1, 2, 5, 10, 15, 30, 60, 120, 240, 480};
    static constexpr int DefaultSpanMinutes = 10;

    frmTrends(TrendsServices services, QWidget* parent = nullptr);

    void SetOnLine(bool onLine);
    // The moments the plots show now.
    qint64 FromMs() const { return m_FromMs; }
    qint64 ToMs() const { return m_ToMs; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* BuildControls();
    QWidget* BuildSeriesList();
    void Redraw();
    void OnRecorded();
    void SetPaused(bool paused);
    void ClearTrends();
    void SaveCsv();
    void SaveImage();
    QString AskFileName(const QString& title, const QString& filter, const QString& suffix);
    void ShowReadout(std::optional<qint64> timeMs);
    QList<const TrendSeries*> ShownSeries() const;
    void RestoreSettings();
    void SaveSettings();

    TrendsServices m_Services;
    QComboBox* cboSpan;
    QPushButton* cmdPause;
    QListWidget* lstSeries;
    QLabel* lblOffLine;
    QLabel* lblReadout;
    QWidget* m_Plots;
    std::vector<TrendChart*> m_Charts;
    bool m_Paused = false;
    qint64 m_FromMs = 0;
    qint64 m_ToMs = 0;
};
