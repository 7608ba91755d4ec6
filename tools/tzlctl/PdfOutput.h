#pragma once

#include <QString>
#include <functional>
#include <memory>

class IPrinter;
class QCoreApplication;
class QTextStream;

// The application object for this run. Printing needs fonts and so a
// QGuiApplication; a command line that asks for a PDF file gets one, on Qt's
// offscreen platform so that it needs no display (over ssh, in CI). Every
// other command keeps the lighter QCoreApplication.
std::unique_ptr<QCoreApplication> CreateApplication(int& argc, char** argv);

// Runs a printout into the PDF file at path, through the printer the
// configurator prints on. False, after saying why on err, when the file could
// not be written.
bool PrintToPdf(const QString& path, const std::function<bool(IPrinter&)>& printout,
                QTextStream& err);
