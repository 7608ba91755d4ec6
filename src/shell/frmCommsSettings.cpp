#include "shell/frmCommsSettings.h"

#include "platform/ISettingsStore.h"
#include "shell/NetworkPortFields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

namespace {

const QString WindowSection = QStringLiteral("CommsWindow");
const QStringList BaudRates{QStringLiteral("2400"), QStringLiteral("4800"), QStringLiteral("9600"),
                            QStringLiteral("19200")};

QComboBox* FixedList(const QStringList& items, QWidget* parent)
{
    auto* list = new QComboBox(parent);
    list->addItems(items);
    return list;
}

std::optional<int> Int16Value(const QString& text)
{
    bool ok = false;
    const short value = text.trimmed().toShort(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

// The baud rate of a settings text. One beyond the 16 bits of the other
// numbers (38400, 115200, typed into the settings file) is taken whole, so
// that the dialog can offer it.
std::optional<int> BaudRateValue(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (ok && value > INT16_MAX)
        return value;
    return Int16Value(text);
}

// The first item showing the number, otherwise the first item of the list.
void SelectNumber(QComboBox* list, std::optional<int> value)
{
    int index = 0;
    for (int i = 0; value && i < list->count(); ++i) {
        if (list->itemText(i).toInt() == *value) {
            index = i;
            break;
        }
    }
    list->setCurrentIndex(index);
}

// USB adapters are what an engineer in the field plugs in; their stable
// /dev/serial/by-id names belong with them.
bool IsUsbAdapter(const QString& device)
{
    const QString name = device.section(u'/', -1);
    return device.startsWith(QStringLiteral("/dev/serial/"))
           || name.startsWith(QStringLiteral("ttyUSB"))
           || name.startsWith(QStringLiteral("ttyACM"));
}

int StoredNumber(const ISettingsStore& store, const QString& application, const QString& key)
{
    return store.GetSetting(application, WindowSection, key, QStringLiteral("0")).trimmed().toInt();
}

} // namespace

frmCommsSettings::frmCommsSettings(SerialDeviceLister devices, QWidget* parent)
    : QDialog(parent)
    , m_Devices(std::move(devices))
    , cboPort(new QComboBox(this))
    , cboBaudRate(FixedList(BaudRates, this))
    , cboParity(
          FixedList({QStringLiteral("NONE"), QStringLiteral("ODD"), QStringLiteral("EVEN")}, this))
    , cboDataBits(FixedList({QStringLiteral("7"), QStringLiteral("8")}, this))
    , cboStopBits(FixedList({QStringLiteral("1"), QStringLiteral("2")}, this))
    , chkFastResponse(new QCheckBox(QStringLiteral("Fast response detection"), this))
    , m_Network(new NetworkPortFields(this))
    , cmdOK(new QPushButton(QStringLiteral("&OK"), this))
    , cmdCancel(new QPushButton(QStringLiteral("&Cancel"), this))
{
    setWindowTitle(QStringLiteral("Communication Settings"));
    cboPort->setObjectName(QStringLiteral("cboPort"));
    cboBaudRate->setObjectName(QStringLiteral("cboBaudRate"));
    cboParity->setObjectName(QStringLiteral("cboParity"));
    cboDataBits->setObjectName(QStringLiteral("cboDataBits"));
    cboStopBits->setObjectName(QStringLiteral("cboStopBits"));
    chkFastResponse->setObjectName(QStringLiteral("chkFastResponse"));
    chkFastResponse->setToolTip(
        QStringLiteral("End each answer as soon as all of it is in, instead of after 50 ms of "
                       "silence on the line."));
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    // Any device can be typed, such as a /dev/serial/by-id name the list
    // does not show yet.
    cboPort->setEditable(true);
    cboPort->setInsertPolicy(QComboBox::NoInsert);
    cboPort->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cboPort->setMinimumContentsLength(28);
    cboPort->setToolTip(QStringLiteral("Choose a port or type the path of a serial device, e.g. "
                                       "/dev/serial/by-id/usb-..."));
    FillPortList(QString());

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Port"), cboPort);
    form->addRow(QStringLiteral("&Baud Rate"), cboBaudRate);
    form->addRow(QStringLiteral("P&arity"), cboParity);
    form->addRow(QStringLiteral("&Data Bits"), cboDataBits);
    form->addRow(QStringLiteral("&Stop Bits"), cboStopBits);
    // Through a device server the server's own serial side has the line
    // settings: they are greyed out here while the network is chosen.
    form->insertRow(0, QStringLiteral("Co&nnection"), m_Network->ConnectionList());
    form->insertRow(2, QStringLiteral("&Host"), m_Network->HostBox());
    form->insertRow(3, QStringLiteral("&TCP Port"), m_Network->TcpPortBox());
    connect(m_Network, &NetworkPortFields::NetworkToggled, this, [this](bool network) {
        for (QWidget* serialOnly :
             {static_cast<QWidget*>(cboPort), static_cast<QWidget*>(cboBaudRate),
              static_cast<QWidget*>(cboParity), static_cast<QWidget*>(cboDataBits),
              static_cast<QWidget*>(cboStopBits)})
            serialOnly->setEnabled(!network);
    });

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(cmdOK, QDialogButtonBox::AcceptRole);
    buttons->addButton(cmdCancel, QDialogButtonBox::RejectRole);
    cmdOK->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmCommsSettings::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_Network->AddressMessage());
    layout->addWidget(chkFastResponse);
    layout->addWidget(buttons);
}

void frmCommsSettings::DisplaySettingsString(std::int16_t port, const QString& device,
                                             const QString& settings, QObject* owner,
                                             bool okEnabled)
{
    // Only the stop bits are read from the very end, so "9600,N,8,1" and a
    // hand-edited text with a missing field both come through without harm.
    Preselect(port, m_Network->Preselect(device), BaudRateValue(settings.section(u',', 0, 0)),
              settings.section(u',', 1, 1).toUpper(), Int16Value(settings.section(u',', 2, 2)),
              Int16Value(settings.right(1)));
    cmdOK->setEnabled(okEnabled);
    ShowModal(owner);
}

void frmCommsSettings::DisplaySettingsDiscrete(std::int16_t port, std::int16_t baudRate,
                                               std::int16_t dataBits, const QString& parity,
                                               std::int16_t stopBits, QObject* owner)
{
    Preselect(port, QString(), baudRate, parity, dataBits, stopBits);
    ShowModal(owner);
}

std::int16_t frmCommsSettings::GetPort() const
{
    const int item = ChosenItem();
    const QString text = item >= 0 ? cboPort->itemText(item) : QString();
    return std::int16_t(text.isEmpty() ? 0 : std::max(0, text.back().digitValue()));
}

QString frmCommsSettings::GetDevice() const
{
    if (m_Network->NetworkChosen())
        return m_Network->Address();
    const int item = ChosenItem();
    if (item >= 0)
        return cboPort->itemData(item).toString();
    // A typed name without a folder is a device in /dev, as for any serial
    // program.
    const QString typed = cboPort->currentText().trimmed();
    return typed.startsWith(u'/') ? typed : QStringLiteral("/dev/") + typed;
}

// The item whose text is in the box, or the one selected when the box is
// empty; -1 when the user typed something else.
int frmCommsSettings::ChosenItem() const
{
    const QString typed = cboPort->currentText().trimmed();
    return typed.isEmpty() ? cboPort->currentIndex() : cboPort->findText(typed);
}

int frmCommsSettings::GetBaudrate() const
{
    return cboBaudRate->currentText().toInt();
}

int frmCommsSettings::GetDataBits() const
{
    return cboDataBits->currentText().toInt();
}

QString frmCommsSettings::GetParity() const
{
    return cboParity->currentText().left(1);
}

int frmCommsSettings::GetStopBits() const
{
    return cboStopBits->currentText().toInt();
}

void frmCommsSettings::SetFastResponseDetection(bool on)
{
    chkFastResponse->setChecked(on);
}

bool frmCommsSettings::GetFastResponseDetection() const
{
    return chkFastResponse->isChecked();
}

void frmCommsSettings::SaveSettings(ISettingsStore& store, const QString& application) const
{
    store.SaveSetting(application, WindowSection, QStringLiteral("Left"), QString::number(x()));
    store.SaveSetting(application, WindowSection, QStringLiteral("Top"), QString::number(y()));
}

void frmCommsSettings::RestoreSettings(const ISettingsStore& store, const QString& application)
{
    QPoint position(StoredNumber(store, application, QStringLiteral("Left")),
                    StoredNumber(store, application, QStringLiteral("Top")));
    // A laptop taken off its docking station may no longer have the screen the
    // dialog was last on; a modal dialog nobody can see would lock the program.
    if (QGuiApplication::screenAt(position) == nullptr)
        position = QPoint(0, 0);
    move(position);
}

void frmCommsSettings::accept()
{
    if (m_Network->CheckAddress())
        QDialog::accept();
}

void frmCommsSettings::reject()
{
    m_Cancelled = true;
    QDialog::reject();
}

void frmCommsSettings::Preselect(std::int16_t port, const QString& device,
                                 std::optional<int> baudRate, const QString& parity,
                                 std::optional<int> dataBits, std::optional<int> stopBits)
{
    m_Cancelled = false;
    FillPortList(device);
    PreselectPort(port, device);
    FillBaudRateList(baudRate);
    SelectNumber(cboBaudRate, baudRate);
    int parityIndex = 0;
    for (int i = 0; i < cboParity->count(); ++i) {
        if (cboParity->itemText(i).left(1) == parity) {
            parityIndex = i;
            break;
        }
    }
    cboParity->setCurrentIndex(parityIndex);
    SelectNumber(cboDataBits, dataBits);
    SelectNumber(cboStopBits, stopBits);
}

// Devices come and go with USB adapters, so the list is made afresh for each
// display: USB adapters (with their stable by-id names) first, then COM1 to
// COM4, then the other devices. A device in use that is unplugged just now
// stays on offer, so that changing the baud rate does not quietly move the
// link to COM1.
void frmCommsSettings::FillPortList(const QString& device)
{
    cboPort->clear();
    QStringList devices = m_Devices ? m_Devices() : QStringList();
    if (!device.isEmpty() && !devices.contains(device))
        devices.append(device);
    const QHash<QString, QString> descriptions = SerialDeviceDescriptions(devices);
    const auto addDevices = [&](bool adapters) {
        for (const QString& path : devices) {
            if (IsUsbAdapter(path) != adapters)
                continue;
            const QString description = descriptions.value(path);
            cboPort->addItem(
                description.isEmpty() ? path : path + QStringLiteral(" - ") + description, path);
        }
    };
    addDevices(true);
    for (int number = 1; number <= 4; ++number)
        cboPort->addItem(QStringLiteral("COM") + QString::number(number));
    addDevices(false);
}

// A rate beyond the fixed list's 16 bits is offered after it for this display,
// so that OK does not change the line's speed behind the user's back.
void frmCommsSettings::FillBaudRateList(std::optional<int> baudRate)
{
    cboBaudRate->clear();
    cboBaudRate->addItems(BaudRates);
    if (baudRate && *baudRate > INT16_MAX)
        cboBaudRate->addItem(QString::number(*baudRate));
}

// A numbered port matches the COM item with the same last digit, so port 11
// shows as COM1; one that matches none shows as COM1 too, never as a USB
// adapter listed above it. Device items never match a number.
void frmCommsSettings::PreselectPort(std::int16_t port, const QString& device)
{
    int index = device.isEmpty() ? -1 : cboPort->findData(device);
    const QChar digit = QString::number(port).back();
    for (int i = 0; index < 0 && i < cboPort->count(); ++i) {
        if (cboPort->itemData(i).isNull() && cboPort->itemText(i).back() == digit)
            index = i;
    }
    cboPort->setCurrentIndex(index >= 0 ? index : cboPort->findText(QStringLiteral("COM1")));
}

void frmCommsSettings::ShowModal(QObject* owner)
{
    // The dialog is not the owner's child (it outlives any one owner), but
    // the window manager keeps it above the owner's window.
    if (auto* ownerWidget = qobject_cast<QWidget*>(owner)) {
        winId();
        if (QWindow* ownerWindow = ownerWidget->window()->windowHandle())
            windowHandle()->setTransientParent(ownerWindow);
    }
    exec();
}
