#pragma once

#include "link/ICommsStatusWindow.h"

#include <QWidget>

class cCommsStatistics;
class QLabel;

// "Communications Status": the link's traffic and failure counts since they
// were last cleared, and the connection in use. Not modal, so it can be
// watched while the relay is polled; the counts follow every transaction.
class frmCommsStatus : public QWidget, public ICommsStatusWindow
{
    Q_OBJECT
public:
    explicit frmCommsStatus(cCommsStatistics& statistics, QWidget* parent = nullptr);

    void DisplayStatistics(std::int16_t port, const QString& device, const QString& protocol,
                           const QString& settings, QObject* owner) override;
    void CommsPortChanged(std::int16_t port, const QString& device) override;
    void CommsSettingsChanged(const QString& settings) override;
    bool IsShowing() const override { return isVisible(); }

    // Where the comms error log is written, so the user can find it.
    void SetErrorLogFolder(const QString& folder);

protected:
    // The close box throws the counts away; Close keeps them.
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowCounts();
    void ShowLineSettings();

    cCommsStatistics& m_Statistics;
    QString m_Device;
    QString m_LineSettings;
    QLabel* lblNumCharsTx;
    QLabel* lblNumRequests;
    QLabel* lblNumCharsRx;
    QLabel* lblNumResponses;
    QLabel* lblNumTimeouts;
    QLabel* lblNumCRCFailures;
    QLabel* lblNumExceptions;
    QLabel* lblPortNum;
    QLabel* lblCommsSettingsStr;
    QLabel* lblProtocolStr;
    QLabel* lblErrorLogFolder;
};
