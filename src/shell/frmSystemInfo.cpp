#include "shell/frmSystemInfo.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmSystemInfo::frmSystemInfo(const QString& summary, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSystemInfo"));
    setWindowTitle(QStringLiteral("System Information"));

    auto* txtSummary = new QPlainTextEdit(summary, this);
    txtSummary->setObjectName(QStringLiteral("txtSummary"));
    txtSummary->setAccessibleName(QStringLiteral("System Information"));
    txtSummary->setReadOnly(true);
    txtSummary->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Fixed pitch keeps the device names lined up, as they will be in a mail.
    txtSummary->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txtSummary->setMinimumSize(760, 260);

    auto* buttons = new QDialogButtonBox(this);
    auto* cmdCopy =
        buttons->addButton(QStringLiteral("&Copy to Clipboard"), QDialogButtonBox::ActionRole);
    cmdCopy->setObjectName(QStringLiteral("cmdCopy"));
    connect(cmdCopy, &QPushButton::clicked, this,
            [summary] { QGuiApplication::clipboard()->setText(summary); });
    auto* cmdClose = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtSummary);
    layout->addWidget(buttons);
}
