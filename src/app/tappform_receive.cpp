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
// Text waiting for the display tick is shown at once when it reaches this much: a fast line
// would otherwise pile up a tick's worth of it, at two bytes a character, on top of the pane.
constexpr qsizetype kMaxPending = 512 * 1024;
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
        if (PendingReceived.size() >= kMaxPending)
            TimerDisplayTimer();
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
    const ReadView view = readView();
    const bool logging = ButtonLog->text() == QLatin1String("Stop Logging");
    // What the pane shows, for the incoming log; built only while logging, since the pane keeps
    // bytes shown as digits as bytes.
    QString shown;
    if (Timestamps1->isChecked()) {
        showStampedPending(view, logging ? &shown : nullptr);
    } else {
        Memo1->appendBytes(PendingReceived, view);
        m_stamper.shownUnstamped(view == ReadView::Ascii ? QStringView(PendingReceived).last(1)
                                                         : QStringView(u" "));
        if (logging)
            shown = ReadViewLine(PendingReceived, view);
    }
    if (logging)
        LogKaydet(shown, QStringLiteral("incoming"));
    PendingReceived.clear();
    m_pendingReadTimes.clear(); // times of text read while stamping, shown without: dropped
}

ReadView TAppForm::readView() const {
    if (RadioButton2->isChecked())
        return ReadView::Hex;
    if (RadioButton3->isChecked())
        return ReadView::Dec;
    if (RadioButton4->isChecked())
        return ReadView::Oct;
    if (RadioButton5->isChecked())
        return ReadView::Bin;
    return ReadView::Ascii;
}

void TAppForm::showStampedPending(ReadView view, QString* shown) {
    const QStringView pending(PendingReceived);
    const auto show = [&](const QDateTime& readTime, QStringView piece) {
        if (view == ReadView::Ascii) {
            const QString text = m_stamper.render(readTime, piece, view);
            Memo1->appendText(text);
            if (shown)
                *shown += text;
            return;
        }
        const QString lead = m_stamper.digitLead(readTime, view);
        Memo1->appendText(lead);
        Memo1->appendBytes(piece, view);
        if (shown)
            *shown += lead + ReadViewLine(piece, view);
    };
    // Text with no read time of its own takes this tick's.
    const qsizetype unmarked =
        m_pendingReadTimes.isEmpty() ? pending.size() : m_pendingReadTimes.first().first;
    if (unmarked > 0)
        show(m_env.clock(), pending.first(unmarked));
    for (qsizetype i = 0; i < m_pendingReadTimes.size(); ++i) {
        const auto& [from, readTime] = m_pendingReadTimes[i];
        const qsizetype to =
            i + 1 < m_pendingReadTimes.size() ? m_pendingReadTimes[i + 1].first : pending.size();
        if (to > from)
            show(readTime, pending.sliced(from, to - from));
    }
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
