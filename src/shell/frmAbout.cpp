#include "shell/frmAbout.h"

#include "shell/VersionText.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

QLabel* Text(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    return label;
}

} // namespace

frmAbout::frmAbout(std::function<void()> startSysInfo, QWidget* parent)
    : QDialog(parent)
    , m_StartSysInfo(std::move(startSysInfo))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ") + QStringLiteral("TZL Configurator"));

    auto* picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(QApplication::windowIcon().pixmap(64, 64));
    picIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    QLabel* lblTitle = Text(QStringLiteral("lblTitle"),
                            QStringLiteral("Velmar Dudodozozuz TZL Configurator"), this);
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);

    auto* cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    auto* cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    connect(cmdSysInfo, &QPushButton::clicked, this, [this] {
        if (m_StartSysInfo)
            m_StartSysInfo();
    });

    auto* text = new QVBoxLayout;
    text->setSpacing(8);
    text->addWidget(lblTitle);
    text->addWidget(Text(QStringLiteral("lblVersion"), VersionText(), this));
    text->addWidget(Text(QStringLiteral("lblDescription"),
                         QStringLiteral("A configuration tool for the Velmar Dudodozozuz TZL "
                                        "Protection Relay"),
                         this));
    text->addWidget(Text(QStringLiteral("Label1"), QStringLiteral("Beta Release"), this));
    text->addSpacing(8);
    text->addWidget(Text(QStringLiteral("lblDisclaimer"),
                         QStringLiteral("Settings sent to a protection relay decide when it trips. "
                                        "Check every configuration against the protection study "
                                        "before you download it, and test the relay afterwards."),
                         this));
    text->addWidget(Text(QStringLiteral("lblDisclaimer2"),
                         QStringLiteral("This program is provided as is, without warranty of any "
                                        "kind."),
                         this));

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    buttons->addStretch();

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setHorizontalSpacing(18);
    layout->addWidget(picIcon, 0, 0);
    layout->addLayout(text, 0, 1);
    layout->addLayout(buttons, 0, 2);
    layout->setColumnMinimumWidth(1, 360);
}
