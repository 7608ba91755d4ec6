#pragma once

#include <QStatusBar>

class QLabel;

// The main window's three panels: the current activity ("status"), the
// data-modified marker ("modified") and the on-line marker ("connection").
// Each panel is a label named after its key, so assistive technology and
// tests read its text. A click on the connection panel asks to toggle
// on-line mode.
class MainStatusBar : public QStatusBar
{
    Q_OBJECT
public:
    explicit MainStatusBar(QWidget* parent = nullptr);

    void SetStatusText(const QString& text);
    QString StatusText() const;
    void SetModifiedText(const QString& text);
    QString ModifiedText() const;
    void SetConnectionText(const QString& text);
    QString ConnectionText() const;
    // Whether the relay answers the polling; shown only while there is
    // something to say.
    void SetLinkText(const QString& text);
    QString LinkText() const;

signals:
    void ConnectionClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* AddPanel(const QString& key, const QString& toolTip);

    QLabel* m_Status;
    QLabel* m_Modified;
    QLabel* m_Connection;
    QLabel* m_Link;
};
