#pragma once

#include "model/RelayScan.h"

class ISerialPort;
class IUserInterface;
class QWidget;

// Scans the port for a TZL, as tzlctl's scan does, behind a progress dialog
// whose Cancel ends the scan before its next probe.
ScanResult FindTZLWithProgress(ISerialPort& port, IUserInterface& ui, QWidget* parent);
