#include "shell/QtFileDialogs.h"

#include <QDir>
#include <QFileDialog>

namespace {

QString Run(QWidget* owner, const FileDialogRequest& request, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(owner, request.Title, request.InitialFolder);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setNameFilters(request.Filters);
    if (request.FilterIndex >= 1 && request.FilterIndex <= request.Filters.size())
        dialog.selectNameFilter(request.Filters.at(request.FilterIndex - 1));
    if (!request.InitialFileName.isEmpty())
        dialog.selectFile(request.InitialFileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return QDir::cleanPath(dialog.selectedFiles().constFirst());
}

} // namespace

QString QtFileDialogs::GetOpenFileName(const FileDialogRequest& request)
{
    return Run(m_Owner, request, QFileDialog::AcceptOpen);
}

QString QtFileDialogs::GetSaveFileName(const FileDialogRequest& request)
{
    return Run(m_Owner, request, QFileDialog::AcceptSave);
}
