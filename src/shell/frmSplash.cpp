#include "shell/frmSplash.h"

#include "shell/VersionText.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

frmSplash::frmSplash(std::function<void()> splashFinished, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_SplashFinished(std::move(splashFinished))
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* fraMainFrame = new QFrame(this);
    fraMainFrame->setObjectName(QStringLiteral("fraMainFrame"));
    fraMainFrame->setFrameShape(QFrame::Box);
    fraMainFrame->setLineWidth(2);

    auto* picLogo = new QLabel(fraMainFrame);
    picLogo->setObjectName(QStringLiteral("picLogo"));
    picLogo->setPixmap(QApplication::windowIcon().pixmap(96, 96));
    picLogo->setAlignment(Qt::AlignCenter);

    auto* lblProductName =
        new QLabel(QStringLiteral("TZL Protection Relay Configurator"), fraMainFrame);
    lblProductName->setObjectName(QStringLiteral("lblProductName"));
    QFont big = lblProductName->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    lblProductName->setFont(big);
    lblProductName->setAlignment(Qt::AlignCenter);

    auto* lblVersion = new QLabel(VersionText(), fraMainFrame);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setAlignment(Qt::AlignCenter);

    auto* label3 = new QLabel(QStringLiteral("Beta Release"), fraMainFrame);
    label3->setObjectName(QStringLiteral("Label3"));
    label3->setAlignment(Qt::AlignCenter);

    auto* label1 = new QLabel(
        QStringLiteral("Configures and monitors one TZL protection relay over Modbus RTU."),
        fraMainFrame);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setAlignment(Qt::AlignCenter);

    auto* inner = new QVBoxLayout(fraMainFrame);
    inner->setContentsMargins(36, 24, 36, 24);
    inner->setSpacing(10);
    inner->addWidget(picLogo);
    inner->addWidget(lblProductName);
    inner->addWidget(lblVersion);
    inner->addWidget(label3);
    inner->addSpacing(12);
    inner->addWidget(label1);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(fraMainFrame);
    adjustSize();

    if (const QScreen* screen = QApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.left() + (area.width() - width()) / 2,
             area.top() + (area.height() - height()) / 2);
    }

    Timer1.setSingleShot(true);
    Timer1.setInterval(DisplayTimeMs);
    connect(&Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    show();
    Timer1.start();
}

void frmSplash::Timer1_Timer()
{
    Timer1.stop();
    if (m_SplashFinished)
        m_SplashFinished();
    close();
}
