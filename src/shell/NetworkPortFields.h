#pragma once

#include <QObject>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

// The part of "Communication Settings" that reaches a relay through a serial
// device server: the choice between the serial line and "Network (RTU over
// TCP)", the host and TCP port fields, and the message under them when the
// address typed cannot be used. The dialog lays the controls out in its own
// form and greys out the serial line's controls while the network is chosen.
class NetworkPortFields : public QObject
{
    Q_OBJECT
public:
    explicit NetworkPortFields(QWidget* parent);

    QComboBox* ConnectionList() const { return cboConnection; }
    QLineEdit* HostBox() const { return txtHost; }
    QLineEdit* TcpPortBox() const { return txtTcpPort; }
    QLabel* AddressMessage() const { return lblAddressMessage; }

    // Shows the device in use: a network address chooses the network and
    // fills host and port. Returns the serial device for the rest of the
    // dialog to preselect, empty when the network is in use.
    QString Preselect(const QString& device);
    bool NetworkChosen() const;
    // "tcp://HOST:PORT" from the fields. The host box also takes a whole
    // address pasted into it, with the port box left empty.
    QString Address() const;
    // True when the serial line is chosen or the address is well-formed;
    // otherwise shows why under the fields and puts the focus there.
    bool CheckAddress();

Q_SIGNALS:
    void NetworkToggled(bool chosen);

private:
    void ShowChoice();

    QComboBox* cboConnection;
    QLineEdit* txtHost;
    QLineEdit* txtTcpPort;
    QLabel* lblAddressMessage;
};
