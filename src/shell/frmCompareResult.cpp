#include "shell/frmCompareResult.h"

#include "platform/FileReplacer.h"
#include "platform/IFileDialogs.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QStringList ReportFilters{QStringLiteral("All Files (*)"),
                                QStringLiteral("Text Files (*.txt)")};
constexpr int TextFilesFilter = 2;

} // namespace

frmCompareResult::frmCompareResult(IUserInterface& ui, IFileDialogs& fileDialogs, QWidget* parent)
    : QDialog(parent)
    , m_UI(ui)
    , m_FileDialogs(fileDialogs)
{
    setObjectName(QStringLiteral("frmCompareResult"));
    setWindowTitle(QStringLiteral("Compare with TZL"));
    setModal(false);

    txtDifferences = new QPlainTextEdit(this);
    txtDifferences->setObjectName(QStringLiteral("txtDifferences"));
    txtDifferences->setAccessibleName(QStringLiteral("Differences"));
    txtDifferences->setReadOnly(true);
    txtDifferences->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Old and new values line up better in a fixed-pitch font.
    txtDifferences->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* save =
        buttons->addButton(QStringLiteral("Save As..."), QDialogButtonBox::ActionRole);
    save->setObjectName(QStringLiteral("cmdSaveAs"));
    QPushButton* close = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("cmdClose"));
    connect(save, &QPushButton::clicked, this, &frmCompareResult::SaveReportAs);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtDifferences, 1);
    layout->addWidget(buttons);
    resize(560, 320);
}

void frmCompareResult::ShowReport(const QString& report, const QString& folder)
{
    m_Report = report;
    txtDifferences->setPlainText(report);
    m_Folder = folder;
    show();
    raise();
    activateWindow();
}

void frmCompareResult::SaveReportAs()
{
    const QString path =
        m_FileDialogs.GetSaveFileName({QStringLiteral("Save Comparison As"), ReportFilters,
                                       TextFilesFilter, m_Folder, QString()});
    if (path.isEmpty())
        return;
    if (const auto error = ReplaceFileContents(path, m_Report.toUtf8()))
        ShowFileSystemError(m_UI, *error);
}
