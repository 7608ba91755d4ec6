#pragma once

#include <QString>
#include <cstdint>

class QObject;

// The statistics window as the link sees it: it shows the connection in use
// beside the counters, and follows changes of port and settings while open.
class ICommsStatusWindow
{
public:
    virtual ~ICommsStatusWindow() = default;

    // Fills in the connection and shows the window without blocking.
    virtual void DisplayStatistics(std::int16_t port, const QString& device,
                                   const QString& protocol, const QString& settings,
                                   QObject* owner) = 0;
    // The device, when one is in use, stands in for the port number.
    virtual void CommsPortChanged(std::int16_t port, const QString& device) = 0;
    virtual void CommsSettingsChanged(const QString& settings) = 0;
    virtual bool IsShowing() const = 0;
};
