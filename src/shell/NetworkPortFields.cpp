#include "shell/NetworkPortFields.h"

#include "platform/TcpAddress.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace {

constexpr int SerialItem = 0;
constexpr int NetworkItem = 1;

} // namespace

NetworkPortFields::NetworkPortFields(QWidget* parent)
    : QObject(parent)
    , cboConnection(new QComboBox(parent))
    , txtHost(new QLineEdit(parent))
    , txtTcpPort(new QLineEdit(parent))
    , lblAddressMessage(new QLabel(parent))
{
    cboConnection->setObjectName(QStringLiteral("cboConnection"));
    cboConnection->addItems(
        {QStringLiteral("Serial line"), QStringLiteral("Network (RTU over TCP)")});
    txtHost->setObjectName(QStringLiteral("txtHost"));
    txtHost->setPlaceholderText(QStringLiteral("192.168.1.50, [fd00::50] or a host name"));
    // Room for an IPv6 address or a fully qualified name.
    txtHost->setMinimumWidth(txtHost->fontMetrics().horizontalAdvance(txtHost->placeholderText())
                             + txtHost->fontMetrics().averageCharWidth() * 2);
    txtHost->setToolTip(QStringLiteral("The serial device server the relay's line is wired to"));
    txtTcpPort->setObjectName(QStringLiteral("txtTcpPort"));
    txtTcpPort->setPlaceholderText(QStringLiteral("1-65535"));
    txtTcpPort->setToolTip(QStringLiteral("The device server's TCP port for that serial line"));
    lblAddressMessage->setObjectName(QStringLiteral("lblAddressMessage"));
    lblAddressMessage->setWordWrap(true);
    lblAddressMessage->setStyleSheet(QStringLiteral("color: #b00000"));
    lblAddressMessage->hide();
    connect(cboConnection, &QComboBox::currentIndexChanged, this, [this] {
        lblAddressMessage->hide();
        ShowChoice();
    });
    ShowChoice();
}

QString NetworkPortFields::Preselect(const QString& device)
{
    lblAddressMessage->hide();
    const auto address = TcpAddress::Parse(device);
    if (address) {
        const bool ipv6 = address->Host.contains(u':');
        txtHost->setText(ipv6 ? u'[' + address->Host + u']' : address->Host);
        txtTcpPort->setText(QString::number(address->Port));
    }
    cboConnection->setCurrentIndex(address ? NetworkItem : SerialItem);
    ShowChoice();
    return address ? QString() : device;
}

bool NetworkPortFields::NetworkChosen() const
{
    return cboConnection->currentIndex() == NetworkItem;
}

QString NetworkPortFields::Address() const
{
    const QString host = txtHost->text().trimmed();
    const QString port = txtTcpPort->text().trimmed();
    if (TcpAddress::IsTcpName(host) && port.isEmpty())
        return host;
    // A bare IPv6 address is put in brackets for the user.
    const bool bareIpv6 = host.count(u':') > 1 && !host.startsWith(u'[');
    return QStringLiteral("tcp://") + (bareIpv6 ? u'[' + host + u']' : host) + u':' + port;
}

bool NetworkPortFields::CheckAddress()
{
    QString error;
    if (!NetworkChosen() || TcpAddress::Parse(Address(), &error)) {
        lblAddressMessage->hide();
        return true;
    }
    lblAddressMessage->setText(
        QStringLiteral("\"%1\" is not a network address: %2.").arg(Address(), error));
    lblAddressMessage->show();
    QLineEdit* culprit = error.contains(QStringLiteral("port")) ? txtTcpPort : txtHost;
    culprit->setFocus();
    culprit->selectAll();
    return false;
}

void NetworkPortFields::ShowChoice()
{
    const bool network = NetworkChosen();
    txtHost->setEnabled(network);
    txtTcpPort->setEnabled(network);
    Q_EMIT NetworkToggled(network);
}
