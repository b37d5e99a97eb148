// The main window's transmit side: the send routine and send formats, periodic sending, and
// sending the rows of a file list.

#include "app/icons.h"
#include "app/startupvalues.h"
#include "app/tappform.h"
#include "base/localeformats.h"
#include "base/messageboxservice.h"
#include "i18n/translate.h"
#include "i18n/translationkeys.h"
#include "transmit/sendformat.h"
#include "transmit/sendlatermodel.h"
#include "transmit/sendtextedit.h"
#include "transmit/tformchangeperiod.h"
#include "transmit/tformsendlater.h"
#include "transmit/wallclockwatcher.h"

#include <QApplication>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTextCursor>
#include <QTimer>
#include <QToolButton>

namespace {
const QString kSection = QStringLiteral("Settings");
constexpr qsizetype kChunk = 32;
constexpr qint64 kChunkPause = 50;
} // namespace

void TAppForm::connectTransmitHandlers() {
    connect(ButtonSend, &QToolButton::clicked, this, &TAppForm::ButtonSendClick);
    // Ctrl+Enter in the send box does what the button does, while the button can be used.
    connect(EditSend, &SendTextEdit::submitRequested, this, [this] {
        if (ButtonSend->isEnabled())
            ButtonSend->click();
    });
    connect(ComboBoxSendFormat, &QComboBox::activated, this, [this](int index) {
        sendFormatItem(SendFormat(index))->trigger(); // its items stand in the enum's order
    });
    connect(EditSend, &SendTextEdit::inputRefused, this,
            [this](const QString& text, qsizetype position, bool pasted) {
                // A key is refused with a beep; a paste, which may be long, says what was wrong.
                if (!pasted) {
                    if (m_env.beep)
                        m_env.beep();
                    else
                        QApplication::beep();
                    return;
                }
                m_env.messages->showMessage(MessageIcon::Warning,
                                            Translate(TranslationKeys::kWarning),
                                            sendFormatRefusal(text.at(position), sendFormat()));
            });
    connect(ASCII1, &QAction::triggered, this, &TAppForm::ASCII1Click);
    connect(HEX1, &QAction::triggered, this, &TAppForm::HEX1Click);
    connect(BIN1, &QAction::triggered, this, &TAppForm::BIN1Click);
    connect(SendPeriodically1, &QAction::triggered, this, &TAppForm::SendPeriodically1Click);
    connect(TimerSendPeriodically, &QTimer::timeout, this, &TAppForm::TimerSendPeriodicallyTimer);
    connect(ChangeSendPeriod1, &QAction::triggered, this, &TAppForm::ChangeSendPeriod1Click);
    connect(ButtonFile, &QPushButton::clicked, this, &TAppForm::ButtonFileClick);
    connect(ButtonText, &QPushButton::clicked, this, &TAppForm::ButtonTextClick);
    connect(Delete1, &QAction::triggered, this, &TAppForm::Delete1Click);
    connect(DeleteAll1, &QAction::triggered, this, &TAppForm::DeleteAll1Click);
    connect(SendLater1, &QAction::triggered, this, &TAppForm::SendLater1Click);
    connect(SendLater2, &QAction::triggered, this, &TAppForm::SendLater2Click);
    connect(TimerSendLater, &QTimer::timeout, this, &TAppForm::TimerSendLaterTimer);
}

void TAppForm::createSendLaterWindow() {
    SendLaterContext context;
    context.filePath = startupValues().SettingsFolder + "sendlater.csv";
    context.separator = startupValues().ListSeparator.at(0);
    context.formats = m_formats.get();
    context.messages = m_env.messages;
    context.errorCaption = startupValues().ProductName;
    context.clock = m_env.clock;
    context.beep = m_env.beep ? m_env.beep : [] { QApplication::beep(); };
    FormSendLater = new TFormSendLater(std::move(context), this);

    m_sendLaterScheduler = std::make_unique<SendLaterScheduler>(*m_formats, m_env.clock);
    // Any change of the list may bring the next due second nearer or take it away.
    SendLaterModel* schedule = FormSendLater->ListView1Model;
    connect(schedule, &QAbstractItemModel::rowsInserted, this, &TAppForm::armSendLater);
    connect(schedule, &QAbstractItemModel::rowsRemoved, this, &TAppForm::armSendLater);
    connect(schedule, &QAbstractItemModel::dataChanged, this, &TAppForm::armSendLater);
    connect(schedule, &QAbstractItemModel::modelReset, this, &TAppForm::armSendLater);
    m_wallClock = new WallClockWatcher(this);
    connect(m_wallClock, &WallClockWatcher::clockChanged, this, &TAppForm::armSendLater);
    armSendLater();
}

void TAppForm::armSendLater() {
    if (!FormSendLater || !m_sendLaterScheduler)
        return;
    const std::optional<qint64> wait = m_sendLaterScheduler->nextTickMs(FormSendLater->entries());
    if (wait)
        TimerSendLater->start(int(*wait));
    else
        TimerSendLater->stop();
}

void TAppForm::SendLater1Click() {
    FormSendLater->setMemoCommand(sendBoxText());
    SendLater2Click();
}

void TAppForm::SendLater2Click() {
    FormSendLater->show();
    FormSendLater->raise();
    FormSendLater->activateWindow();
}

void TAppForm::TimerSendLaterTimer() {
    if (!FormSendLater || !m_sendLaterScheduler)
        return;
    const QList<SendLaterEntry> due = m_sendLaterScheduler->takeDue(FormSendLater->entries());
    // Aimed again before sending: a long send pauses between chunks, and a tick that comes in
    // such a pause finds only what has become due since this one.
    armSendLater();
    for (const SendLaterEntry& entry : due) {
        if (m_ending)
            return;
        ComTextGonder(entry.command);
    }
}

bool TAppForm::isTextMode() const {
    return !EditSend->isHidden();
}

bool TAppForm::isLogging() const {
    return ButtonLog->text() == QLatin1String("Stop Logging");
}

QString TAppForm::sendBoxText() const {
    // A typed line break is sent as CR LF; every other character as it stands in the box.
    return EditSend->exactText();
}

SendFormat TAppForm::sendFormat() const {
    return formatOf(HEX1->isChecked() ? HEX1 : BIN1->isChecked() ? BIN1 : ASCII1);
}

SendFormat TAppForm::formatOf(const QAction* item) const {
    return item == HEX1 ? SendFormat::Hex : item == BIN1 ? SendFormat::Bin : SendFormat::Ascii;
}

QAction* TAppForm::sendFormatItem(SendFormat format) const {
    return format == SendFormat::Hex ? HEX1 : format == SendFormat::Bin ? BIN1 : ASCII1;
}

void TAppForm::ComTextGonder(const QString& str) {
    const QByteArray bytes = bytesToSend(str, sendFormat());
    for (qsizetype from = 0; from < bytes.size(); from += kChunk) {
        if (from > 0) {
            PumpedDelay(kChunkPause);
            if (m_ending)
                return;
        }
        const QByteArray chunk = bytes.mid(from, kChunk);
        SerialDevice* port = PortHandle();
        DeviceError error;
        const qint64 written = port ? port->write(chunk.constData(), chunk.size(), &error) : -1;
        if (written < 0) {
            m_env.messages->showMessage(MessageIcon::Error, Translate(TranslationKeys::kError),
                                        "Unable to write to " + ComboBox1->currentText(),
                                        port ? error.detail : noPortReason());
            return;
        }
        BytesSentCount += quint64(written);
        wakeDisplay();
        const QString shown = QString::fromLatin1(chunk);
        statusPanel(3)->setText("Sent: " + shown);
        if (isLogging())
            LogKaydet(shown, QStringLiteral("outgoing"));
    }
}

QString TAppForm::noPortReason() const {
    if (PortConnected && DeviceGone)
        return m_connectedPortText +
               QStringLiteral(": the device is gone (unplugged or closed at its other end)") +
               (TimerReconnect->isActive() ? QStringLiteral("; it is opened again once it is back")
                                           : QString());
    return QStringLiteral("The port is not connected.");
}

void TAppForm::PumpedDelay(qint64 milliseconds) {
    QEventLoop pause;
    QTimer::singleShot(int(milliseconds), Qt::PreciseTimer, &pause, &QEventLoop::quit);
    pause.exec();
}

// In text mode, while idle, the send button carries the drop-down of "Send Periodically" and
// "Send Later..."; otherwise it is a plain push button.
void TAppForm::setSendButtonSplit(bool split) {
    ButtonSend->setMenu(split ? PopupMenu1 : nullptr);
    ButtonSend->setPopupMode(split ? QToolButton::MenuButtonPopup : QToolButton::DelayedPopup);
}

void TAppForm::ButtonSendClick() {
    if (ButtonSend->text() == QLatin1String("STOP")) {
        ButtonSend->setText(QStringLiteral("SEND"));
        TimerSendPeriodically->stop();
        ButtonSend->setIcon(brevaneIcon("send"));
        if (isTextMode())
            setSendButtonSplit(true);
        else
            ButtonText->setEnabled(true);
        return;
    }
    if (isTextMode()) {
        if (EditSend->toPlainText().isEmpty())
            m_env.messages->showMessage(MessageIcon::Warning, Translate(TranslationKeys::kWarning),
                                        QStringLiteral("Nothing to send!"));
        else
            ComTextGonder(sendBoxText());
        return;
    }
    ButtonText->setEnabled(false);
    FileLineIndex = 0;
    SendPeriodically1Click();
}

void TAppForm::changeSendFormat(QAction* clicked) {
    // The menu's group has already moved the tick when this runs, so the format in force is
    // taken from the window's own record.
    const SendFormat from = formatOf(m_sendFormatItem ? m_sendFormatItem : ASCII1);
    // Exactly the converted characters: a CR or LF of the data must not come back as CR LF.
    EditSend->setExactText(convertSendText(sendBoxText(), from, formatOf(clicked)));
    EditSend->moveCursor(QTextCursor::End);
    for (QAction* item : {ASCII1, HEX1, BIN1})
        item->setChecked(item == clicked);
    m_sendFormatItem = clicked;
    const SendFormat to = formatOf(clicked);
    ComboBoxSendFormat->setCurrentIndex(int(to));
    if (to == SendFormat::Ascii)
        EditSend->setAcceptedCharacters({});
    else
        EditSend->setAcceptedCharacters([to](QChar c) { return fitsSendFormat(c, to); });
}

void TAppForm::ASCII1Click() {
    changeSendFormat(ASCII1);
}
void TAppForm::HEX1Click() {
    changeSendFormat(HEX1);
}
void TAppForm::BIN1Click() {
    changeSendFormat(BIN1);
}

void TAppForm::SendPeriodically1Click() {
    if (isTextMode() && EditSend->toPlainText().isEmpty()) {
        m_env.messages->showMessage(MessageIcon::Warning, Translate(TranslationKeys::kWarning),
                                    QStringLiteral("Nothing to send!"));
        return;
    }
    setSendButtonSplit(false);
    ButtonSend->setText(QStringLiteral("STOP"));
    TimerSendPeriodically->setInterval(
        clampSendPeriod(m_settings->ReadInteger(kSection, "SendPeriod", 100)));
    TimerSendPeriodically->start();
    ButtonSend->setIcon(brevaneIcon("time_go"));
}

void TAppForm::TimerSendPeriodicallyTimer() {
    TimerSendPeriodically->stop();
    if (ButtonSend->text() == QLatin1String("SEND"))
        return;
    if (!PortConnected) {
        // The button is disabled after a disconnect, so its stop action is run directly.
        if (ButtonSend->text() == QLatin1String("STOP"))
            ButtonSendClick();
        return;
    }
    if (isTextMode()) {
        ComTextGonder(sendBoxText());
        TimerSendPeriodically->start();
    } else {
        fileLineStep();
    }
}

void TAppForm::fileLineStep() {
    if (FileLineIndex < ListView1Model->rowCount()) {
        ComTextGonder(ListView1Model->rowText(FileLineIndex));
        ++FileLineIndex;
        TimerSendPeriodically->start();
        return;
    }
    if (CheckBoxClose->isChecked())
        Exit1Click(); // the event loop ends once this tick returns
    if (CheckBoxRepeat->isChecked()) {
        FileLineIndex = 0;
        TimerSendPeriodically->start();
    } else if (ButtonSend->text() == QLatin1String("STOP")) {
        ButtonSendClick();
    }
}

void TAppForm::ChangeSendPeriod1Click() {
    auto* window = new TFormChangePeriod(
        m_settings->ReadInteger(kSection, "SendPeriod", 100),
        [this](int period) {
            writeSetting("SendPeriod", QString::number(period));
            // Restarts the countdown at once when sending runs; leaves a stopped timer off.
            TimerSendPeriodically->setInterval(period);
        },
        this);
    window->show();
}

void TAppForm::ButtonFileClick() {
    QString path;
    if (m_env.chooseOpenFile) {
        path = m_env.chooseOpenFile();
    } else if (OpenDialog1->exec() == QDialog::Accepted &&
               !OpenDialog1->selectedFiles().isEmpty()) {
        path = OpenDialog1->selectedFiles().constFirst();
    }
    if (!path.isEmpty())
        DosyaSec(path);
}

void TAppForm::DosyaSec(const QString& path) {
    FileLinesRead file = readFileLines(path);
    if (!file.exists)
        return;
    if (!file.error.isEmpty()) {
        m_env.messages->showMessage(MessageIcon::Error, Translate(TranslationKeys::kError),
                                    file.error);
        return;
    }
    ListView1Model->setLines(std::move(file.lines));
    EditSend->hide();
    PanelFile->show();
    ButtonFile->setEnabled(false);
    ButtonText->setEnabled(true);
    setSendButtonSplit(false);
    writeSetting("FilePath", path);
}

void TAppForm::ButtonTextClick() {
    PanelFile->hide();
    EditSend->show();
    ButtonFile->setEnabled(true);
    ButtonText->setEnabled(false);
    setSendButtonSplit(true);
    writeSetting("FilePath", QString());
}

void TAppForm::Delete1Click() {
    const QModelIndex current = ListView1->currentIndex();
    if (current.isValid() && ListView1->selectionModel()->isSelected(current))
        ListView1Model->removeRow(current.row());
}

void TAppForm::DeleteAll1Click() {
    ListView1Model->clear();
}
