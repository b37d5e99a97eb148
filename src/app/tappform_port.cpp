// The main window's port session: connect and disconnect, the connected and disconnected
// states, the Advanced line options and auto-detection.

#include "app/icons.h"
#include "app/statustext.h"
#include "app/tappform.h"
#include "base/messageboxservice.h"
#include "i18n/translate.h"
#include "i18n/translationkeys.h"
#include "port/portnames.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSocketNotifier>
#include <QTimer>
#include <QToolButton>

namespace {

// Ticks `clicked` and unticks the other items of its group, in the group's order.
void tickOnly(QAction* clicked, std::initializer_list<QAction*> group) {
    for (QAction* item : group)
        item->setChecked(item == clicked);
}

} // namespace

void TAppForm::connectPortHandlers() {
    connect(ButtonConnect, &QPushButton::clicked, this, &TAppForm::ButtonConnectClick);
    connect(ButtonWand, &QToolButton::clicked, this, &TAppForm::ButtonWandClick);
    connect(TimerReconnect, &QTimer::timeout, this, &TAppForm::TimerReconnectTimer);
    const std::pair<QAction*, void (TAppForm::*)()> items[] = {
        {TOON, &TAppForm::TOONClick},       {TOOFF, &TAppForm::TOOFFClick},
        {XONON, &TAppForm::XONONClick},     {XONOFF, &TAppForm::XONOFFClick},
        {ODSRON, &TAppForm::ODSRONClick},   {ODSROFF, &TAppForm::ODSROFFClick},
        {OCTSON, &TAppForm::OCTSONClick},   {OCTSOFF, &TAppForm::OCTSOFFClick},
        {DTRON, &TAppForm::DTRONClick},     {DTROFF, &TAppForm::DTROFFClick},
        {DTRHS, &TAppForm::DTRHSClick},     {RTSON, &TAppForm::RTSONClick},
        {RTSOFF, &TAppForm::RTSOFFClick},   {RTSHS, &TAppForm::RTSHSClick},
        {RTSTG, &TAppForm::RTSTGClick},     {IDSRON, &TAppForm::IDSRONClick},
        {IDSROFF, &TAppForm::IDSROFFClick},
    };
    for (const auto& [action, handler] : items)
        connect(action, &QAction::triggered, this, handler);
}

void TAppForm::ButtonConnectClick() {
    if (ButtonConnect->text() == QLatin1String("CONNECT")) {
        ComOlustur(ComboBox1->currentText(), true);
    } else {
        ComKapa();
        statusPanel(3)->clear();
    }
}

bool TAppForm::ComOlustur(const QString& comPortText, bool showErrors) {
    if (const DeviceError error = m_port.open(comPortText)) {
        BaglantiBitti();
        if (showErrors)
            m_env.messages->showMessage(MessageIcon::Error, Translate(TranslationKeys::kError),
                                        "Unable to connect to " + ComboBox1->currentText(),
                                        error.detail);
        return false;
    }
    if (ComSetup()) {
        BaglantiBasladi(comPortText);
        return true;
    }
    ComKapa();
    if (showErrors)
        m_env.messages->showMessage(MessageIcon::Error, Translate(TranslationKeys::kError),
                                    "Unable to setup " + ComboBox1->currentText(),
                                    m_setupError.detail);
    return false;
}

ModeInputs TAppForm::modeInputs() const {
    ModeInputs in;
    in.baud = ComboBox2->currentText();
    in.parity = ComboBox3->currentText();
    in.data = ComboBox4->currentText();
    in.stop = ComboBox5->currentText();
    in.timeoutProcessing = TOON->isChecked();
    in.xon = XONON->isChecked();
    in.outDsr = ODSRON->isChecked();
    in.outCts = OCTSON->isChecked();
    in.dtr = DTRON->isChecked()   ? LineSettings::Dtr::On
             : DTRHS->isChecked() ? LineSettings::Dtr::Handshake
                                  : LineSettings::Dtr::Off;
    in.rts = RTSON->isChecked()   ? LineSettings::Rts::On
             : RTSHS->isChecked() ? LineSettings::Rts::Handshake
             : RTSTG->isChecked() ? LineSettings::Rts::Toggle
                                  : LineSettings::Rts::Off;
    in.dsrSensitivity = IDSRON->isChecked();
    return in;
}

bool TAppForm::ComSetup() {
    // The driver sizes its own queues and a non-blocking line needs no time-outs, so the
    // mode string is the whole of the setup.
    m_setupError = m_port.setup(modeInputs());
    return !m_setupError;
}

void TAppForm::ComKapa() {
    m_port.close();
    BaglantiBitti();
}

void TAppForm::BaglantiBasladi(const QString& comPortText) {
    PortConnected = true;
    DeviceGone = false;
    m_connectedPortText = comPortText;
    showConnectionControls(true);
    BytesReadCount = 0;
    BytesSentCount = 0;
    m_shownRead = m_shownSent = ~quint64(0); // the first tick shows the counters
    wakeDisplay();
    watchPortDescriptor();
}

void TAppForm::BaglantiBitti() {
    PortConnected = false;
    DeviceGone = false;
    TimerDisplay->stop();
    TimerReconnect->stop();
    watchPortDescriptor();
    showConnectionControls(false);
}

void TAppForm::watchPortDescriptor() {
    delete ReadPortNotifier;
    ReadPortNotifier = nullptr;
    const SerialDevice* port = PortHandle();
    if (!port || port->readDescriptor() < 0)
        return;
    ReadPortNotifier = new QSocketNotifier(port->readDescriptor(), QSocketNotifier::Read, this);
    ReadPortNotifier->setObjectName(QStringLiteral("ReadPortNotifier"));
    connect(ReadPortNotifier, &QSocketNotifier::activated, this, &TAppForm::TimerReadPortTimer);
}

// The device was unplugged (or the other end of the line closed). The window stays connected,
// sends report that they cannot write, and the same device is opened again when it is back.
void TAppForm::portWentAway() {
    if (DeviceGone)
        return;
    DeviceGone = true;
    m_port.release();
    watchPortDescriptor();
    if (!m_port.canReopen()) {
        // Its name may already belong to another terminal: nothing to wait for.
        showConnectedStatus(QStringLiteral(" (device gone)"));
        return;
    }
    showConnectedStatus(QStringLiteral(" (device gone, waiting)"));
    TimerReconnect->start();
}

void TAppForm::TimerReconnectTimer() {
    if (!PortConnected || !DeviceGone) {
        TimerReconnect->stop();
        return;
    }
    if (m_port.reopen())
        return; // not back yet
    DeviceGone = false;
    TimerReconnect->stop();
    watchPortDescriptor();
    showConnectedStatus(" (device back at " +
                        m_env.clock().time().toString(QStringLiteral("HH:mm:ss")) + ")");
}

void TAppForm::showConnectedStatus(const QString& state) {
    const QString lead = QStringLiteral("Connected: ");
    m_statusPanels[0]->setTextEliding(lead + m_connectedPortText + state, lead.size(),
                                      m_connectedPortText.size());
}

// The rows both states share, in their order: status, connect button, wand, the five boxes,
// the send box and the send button.
void TAppForm::showConnectionControls(bool connected) {
    if (connected)
        showConnectedStatus();
    else
        m_statusPanels[0]->setTextEliding(QString(), 0, 0);
    ButtonConnect->setText(connected ? QStringLiteral("DISCONNECT") : QStringLiteral("CONNECT"));
    ButtonConnect->setIcon(brevaneIcon(connected ? "disconnect" : "connect"));
    ButtonWand->setEnabled(!connected);
    for (QComboBox* box : {ComboBox1, ComboBox2, ComboBox3, ComboBox4, ComboBox5})
        box->setEnabled(!connected);
    EditSend->setEnabled(connected);
    ButtonSend->setEnabled(connected);
}

void TAppForm::ButtonWandClick() {
    bool found = false;
    for (int position = 0; position < ComboBox1->count(); ++position) {
        // The loopback port always opens, and no device answers on it.
        if (ComboBox1->itemText(position) == QLatin1String(kLoopbackPort))
            continue;
        if (!ComOlustur(ComboBox1->itemText(position), false))
            continue;
        found = true;
        {
            // Picking the item is no change of the user's; the key is stored once below.
            const QSignalBlocker quiet(ComboBox1);
            ComboBox1->setCurrentIndex(position);
        }
        ComKapa();
        break;
    }
    if (found)
        ComboBox1Change();
    else
        m_env.messages->showMessage(MessageIcon::Warning, Translate(TranslationKeys::kWarning),
                                    QStringLiteral("No port detected!"));
}

void TAppForm::TOONClick() {
    tickOnly(TOON, {TOON, TOOFF});
}
void TAppForm::TOOFFClick() {
    tickOnly(TOOFF, {TOON, TOOFF});
}
void TAppForm::XONONClick() {
    tickOnly(XONON, {XONON, XONOFF});
}
void TAppForm::XONOFFClick() {
    tickOnly(XONOFF, {XONON, XONOFF});
}
void TAppForm::ODSRONClick() {
    tickOnly(ODSRON, {ODSRON, ODSROFF});
}
void TAppForm::ODSROFFClick() {
    tickOnly(ODSROFF, {ODSRON, ODSROFF});
}
void TAppForm::OCTSONClick() {
    tickOnly(OCTSON, {OCTSON, OCTSOFF});
}
void TAppForm::OCTSOFFClick() {
    tickOnly(OCTSOFF, {OCTSON, OCTSOFF});
}
void TAppForm::DTRONClick() {
    tickOnly(DTRON, {DTRON, DTROFF, DTRHS});
}
void TAppForm::DTROFFClick() {
    tickOnly(DTROFF, {DTRON, DTROFF, DTRHS});
}
void TAppForm::DTRHSClick() {
    tickOnly(DTRHS, {DTRON, DTROFF, DTRHS});
}
void TAppForm::RTSONClick() {
    tickOnly(RTSON, {RTSON, RTSOFF, RTSHS, RTSTG});
}
void TAppForm::RTSOFFClick() {
    tickOnly(RTSOFF, {RTSON, RTSOFF, RTSHS, RTSTG});
}
void TAppForm::RTSHSClick() {
    tickOnly(RTSHS, {RTSON, RTSOFF, RTSHS, RTSTG});
}
void TAppForm::RTSTGClick() {
    tickOnly(RTSTG, {RTSON, RTSOFF, RTSHS, RTSTG});
}
void TAppForm::IDSRONClick() {
    tickOnly(IDSRON, {IDSRON, IDSROFF});
}
void TAppForm::IDSROFFClick() {
    tickOnly(IDSROFF, {IDSRON, IDSROFF});
}
