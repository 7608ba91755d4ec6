#include "PdfOutput.h"

#include "platform/QtPrinter.h"

#include <QFile>
#include <QGuiApplication>
#include <QPrinter>
#include <QTextStream>

namespace {

const QString PdfOption = QStringLiteral("--pdf");

bool AsksForPdf(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (QString::fromLocal8Bit(argv[i]) == PdfOption)
            return true;
    return false;
}

} // namespace

std::unique_ptr<QCoreApplication> CreateApplication(int& argc, char** argv)
{
    if (!AsksForPdf(argc, argv))
        return std::make_unique<QCoreApplication>(argc, argv);
    // A PDF file looks the same whatever the desktop, so no display is asked
    // for; a platform named in QT_QPA_PLATFORM still wins.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

bool PrintToPdf(const QString& path, const std::function<bool(IPrinter&)>& printout,
                QTextStream& err)
{
    // The printer would only say that painting did not begin; the file
    // system says why (no such folder, permission denied).
    QFile target(path);
    if (!target.open(QIODevice::WriteOnly)) {
        err << "tzlctl: the PDF file " << path << " could not be written: " << target.errorString()
            << '\n';
        return false;
    }
    target.close();
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(path);
    QtPrinter printer(pdf);
    if (printout(printer))
        return true;
    err << "tzlctl: the PDF file " << path << " could not be written\n";
    return false;
}
