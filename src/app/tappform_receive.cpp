// The main window's receive path: the read and display ticks, and the traffic log controls.

#include "app/tappform.h"
#include "receive/bytecodecs.h"
#include "receive/readpane.h"
#include "receive/trafficlog.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {
// One tick takes at most this much, so a flood of data cannot stall the window; what is left
// keeps the descriptor readable, so the next tick follows as soon as other events are handled.
constexpr qint64 kMaxReadPerTick = 1 << 20;
constexpr qint64 kReadChunk = 64 * 1024;
} // namespace

void TAppForm::connectReceiveHandlers() {
    connect(TimerDisplay, &QTimer::timeout, this, &TAppForm::TimerDisplayTimer);
    connect(Timestamps1, &QAction::triggered, this, &TAppForm::Timestamps1Click);
    connect(ButtonLog, &QPushButton::clicked, this, &TAppForm::ButtonLogClick);
    connect(Button7, &QPushButton::clicked, this, &TAppForm::Button7Click);
}

QString TAppForm::ComOku() {
    QByteArray bytes;
    SerialDevice* port = PortHandle();
    if (!port)
        return QString();
    char buffer[kReadChunk];
    while (bytes.size() < kMaxReadPerTick) {
        DeviceError error;
        const qint64 n = port->read(buffer, kReadChunk, &error);
        if (n < 0 && error.kind == DeviceError::NotFound) {
            // Gone: its descriptor would stay readable and spin the window; stop reading it.
            portWentAway();
            break;
        }
        if (n <= 0) // nothing more has arrived, or a failed read: silent either way
            break;
        bytes.append(buffer, n);
        BytesReadCount += quint64(n);
    }
    // Each byte is one character of the same code (Latin-1).
    return QString::fromLatin1(bytes);
}

void TAppForm::TimerReadPortTimer() {
    const QString received = ComOku();
    if (!received.isEmpty()) {
        if (Timestamps1->isChecked())
            m_pendingReadTimes.append({PendingReceived.size(), m_env.clock()});
        PendingReceived += received;
        wakeDisplay();
    }
}

void TAppForm::wakeDisplay() {
    if (PortConnected && !TimerDisplay->isActive())
        TimerDisplay->start();
}

void TAppForm::TimerDisplayTimer() {
    if (PendingReceived.isEmpty() && m_shownRead == BytesReadCount &&
        m_shownSent == BytesSentCount) {
        // Nothing new since the last tick: sleep until a read or a send wakes it again.
        TimerDisplay->stop();
        return;
    }
    statusPanel(1)->setText("Bytes Read: " + QString::number(BytesReadCount));
    statusPanel(2)->setText("Bytes Sent: " + QString::number(BytesSentCount));
    m_shownRead = BytesReadCount;
    m_shownSent = BytesSentCount;
    if (PendingReceived.isEmpty())
        return;
    QString rendering;
    if (Timestamps1->isChecked()) {
        rendering = stampedPending();
    } else {
        if (RadioButton2->isChecked())
            rendering = HexLine(PendingReceived);
        else if (RadioButton3->isChecked())
            rendering = DecLine(PendingReceived);
        else if (RadioButton4->isChecked())
            rendering = OctLine(PendingReceived);
        else if (RadioButton5->isChecked())
            rendering = BinLine(PendingReceived);
        else
            rendering = PendingReceived;
        m_stamper.shownUnstamped(rendering);
    }
    Memo1->appendText(rendering);
    if (ButtonLog->text() == QLatin1String("Stop Logging"))
        LogKaydet(rendering, QStringLiteral("incoming"));
    PendingReceived.clear();
    m_pendingReadTimes.clear(); // times of text read while stamping, shown without: dropped
}

ReceiveStamper::View TAppForm::readView() const {
    if (RadioButton2->isChecked())
        return ReceiveStamper::View::Hex;
    if (RadioButton3->isChecked())
        return ReceiveStamper::View::Dec;
    if (RadioButton4->isChecked())
        return ReceiveStamper::View::Oct;
    if (RadioButton5->isChecked())
        return ReceiveStamper::View::Bin;
    return ReceiveStamper::View::Ascii;
}

QString TAppForm::stampedPending() {
    const ReceiveStamper::View view = readView();
    const QStringView pending(PendingReceived);
    QString rendering;
    // Text with no read time of its own takes this tick's.
    const qsizetype unmarked =
        m_pendingReadTimes.isEmpty() ? pending.size() : m_pendingReadTimes.first().first;
    if (unmarked > 0)
        m_stamper.render(rendering, m_env.clock(), pending.first(unmarked), view);
    for (qsizetype i = 0; i < m_pendingReadTimes.size(); ++i) {
        const auto& [from, readTime] = m_pendingReadTimes[i];
        const qsizetype to =
            i + 1 < m_pendingReadTimes.size() ? m_pendingReadTimes[i + 1].first : pending.size();
        m_stamper.render(rendering, readTime, pending.sliced(from, to - from), view);
    }
    return rendering;
}

void TAppForm::Timestamps1Click() {
    const bool on = Timestamps1->isChecked();
    // Text read just before, still waiting for the display tick: now is the nearest time known.
    if (on && !PendingReceived.isEmpty() && m_pendingReadTimes.isEmpty())
        m_pendingReadTimes.append({0, m_env.clock()});
    writeSetting("Timestamps", on ? "ON" : "OFF");
}

void TAppForm::LogKaydet(const QString& appendStr, const QString& fileNameType) {
    appendTrafficLog(EditLogDir->text(), m_env.clock().date(), fileNameType, appendStr);
}

void TAppForm::ButtonLogClick() {
    const bool start = ButtonLog->text() == QLatin1String("Start Logging");
    ButtonLog->setText(start ? QStringLiteral("Stop Logging") : QStringLiteral("Start Logging"));
    for (QWidget* w : {static_cast<QWidget*>(Label6), static_cast<QWidget*>(EditLogDir),
                       static_cast<QWidget*>(Button7)})
        w->setEnabled(start);
}

void TAppForm::Button7Click() {
    const QString title = QStringLiteral("Select folder:");
    const QString accept = QStringLiteral("Select");
    QString folder;
    if (m_env.chooseFolder) {
        folder = m_env.chooseFolder(title, accept, LastBrowseFolder);
    } else {
        QFileDialog dialog(this, title, LastBrowseFolder);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
        dialog.setLabelText(QFileDialog::Accept, accept);
        if (!LastBrowseFolder.isEmpty())
            dialog.selectFile(LastBrowseFolder);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            folder = dialog.selectedFiles().constFirst();
    }
    if (folder.isEmpty())
        return;
    LastBrowseFolder = folder;
    EditLogDir->setText(folder);
}
