// The pictures of the README, made by scripts/screenshots: the main window receiving from a
// pseudo-terminal in the HEX view (main-hex.png) and the Send Later window holding two entries
// (send-later.png), saved into the folder given. Into any folder but the README's, one picture
// of each other window follows, for looking at them: font.png, language.png, about.png,
// feedback.png, update.png, change-period.png, read-pane.png (line noise drawn as boxes, and
// the "New data below" mark) and message.png (a connection error with its details shown). Runs the
// program's own windows over a temporary settings folder with a fixed clock, so the pictures come
// out the same each time and nothing of the user's is touched.
//
// usage: brevane_screenshots FOLDER [--dark]
//   --dark: a dark desktop palette, for looking at the windows under one.

#include "app/icons.h"
#include "app/qtmessageboxservice.h"
#include "app/startupvalues.h"
#include "app/tappform.h"
#include "base/appenvironment.h"
#include "darkpalette.h"
#include "i18n/loadlanguage.h"
#include "port/serialports.h"
#include "receive/readpane.h"
#include "services/tnewver.h"
#include "transmit/tformchangeperiod.h"
#include "transmit/tformsendlater.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <functional>
#include <pty.h>
#include <unistd.h>

namespace {

// Messages go to the terminal: a picture must never wait for a click. Only the picture of a
// message box sets `boxes`, and closes the box it opens.
class PrintedMessages : public MessageBoxService {
public:
    MessageBoxService* boxes = nullptr;
    MessageButton show(const MessageRequest& r) override {
        if (boxes)
            return boxes->show(r);
        std::fprintf(stderr, "message: %s\n", qPrintable(r.text));
        return MessageButton::None;
    }
};

void pumpFor(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool save(QWidget& window, const QString& path) {
    pumpFor(300); // the last paint
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "cannot save %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// Saves the modal window `open` brings up and closes it, from a timer that runs inside the
// window's own event loop; `prepare` may change the window first.
bool saveModal(const std::function<void()>& open, const QString& path,
               const std::function<void(QWidget&)>& prepare = {}) {
    bool ok = false;
    QTimer grab; // gone on return, should no window have opened
    grab.setSingleShot(true);
    QObject::connect(&grab, &QTimer::timeout, [&] {
        auto* window = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!window) {
            std::fprintf(stderr, "no window opened for %s\n", qPrintable(path));
            return;
        }
        if (prepare)
            prepare(*window);
        ok = save(*window, path);
        window->reject();
    });
    grab.start(0);
    open();
    if (grab.isActive())
        std::fprintf(stderr, "no window opened for %s\n", qPrintable(path));
    return ok;
}

// Opens the details of a message box, as its Show Details button does.
void showDetails(QWidget& window) {
    if (auto* buttons = window.findChild<QDialogButtonBox*>())
        for (QAbstractButton* button : buttons->buttons())
            if (buttons->buttonRole(button) == QDialogButtonBox::ActionRole)
                button->click();
}

// One picture of each window the main window opens besides the two of the README.
bool saveOtherWindows(TAppForm& form, PrintedMessages& messages, const QDir& out) {
    // The shipped languages listed, as the program finds them beside itself, and none loaded
    // (no table entry for English), so every window stays in English.
    LoadLanguage(QStringLiteral(BREVANE_SOURCE_DIR "/Languages"), QString(), uiLanguageIdFor("C"));
    bool ok = true;
    const std::pair<QAction*, const char*> modals[] = {
        {form.ChangeFont1, "font.png"},
        {form.Language1, "language.png"},
        {form.About1, "about.png"},
        {form.SendFeedback1, "feedback.png"},
    };
    for (const auto& [opener, name] : modals) {
        const QString path = out.filePath(QString::fromLatin1(name));
        ok = saveModal([opener] { opener->trigger(); }, path) && ok;
    }

    // Made as the update check's answer makes it: a check needs a web host.
    NewVerContent content;
    content.productName = startupValues().ProductName;
    content.newVersion = QStringLiteral("9.9");
    content.programIcon = brevaneIcon(QStringLiteral("brevane"));
    content.closeIcon = brevaneIcon(QStringLiteral("close"));
    auto* update = new TNewVer(std::move(content), &form);
    pumpFor(300); // its opening animation
    ok = save(*update, out.filePath(QStringLiteral("update.png"))) && ok;
    update->Button1Click();

    form.ChangeSendPeriod1->trigger();
    if (auto* period = form.findChild<TFormChangePeriod*>()) {
        ok = save(*period, out.filePath(QStringLiteral("change-period.png"))) && ok;
        period->close();
    } else {
        std::fprintf(stderr, "no Change Send Period window\n");
        ok = false;
    }

    // The read pane with line noise in the ASCII view (bytes 0x80 to 0x9F and 0xAD among
    // controls) on its last line in view while more arrives, so the "New data below" mark
    // shows under it.
    ReadPane& pane = *form.Memo1;
    for (int i = 0; i < 30; ++i)
        pane.appendText(QStringLiteral("\r\nline %1 of what came before").arg(i));
    QString noise = QStringLiteral("\r\nnoise:");
    for (char16_t c = 0x80; c <= 0x9F; ++c)
        noise += QChar(c);
    noise += QStringLiteral(":END soft") + QChar(0xAD) + QStringLiteral("hyphen ") + QChar(0) +
             QChar(0x1B) + QChar(0x7F) + QStringLiteral("\r\n");
    pane.appendBytes(noise, ReadView::Ascii);
    for (int i = 0; i < 5; ++i)
        pane.appendText(QStringLiteral("line %1 after it\r\n").arg(i));
    pane.verticalScrollBar()->setValue(pane.verticalScrollBar()->maximum() - 6);
    pane.appendText(QStringLiteral("more\r\n"));
    ok = save(pane, out.filePath(QStringLiteral("read-pane.png"))) && ok;
    pane.followEnd();

    // A port that is not there gives the usual error, with the system's reason as details.
    QtMessageBoxService boxes;
    messages.boxes = &boxes;
    form.ComKapa();
    form.ComboBox1->setEditText(QStringLiteral("/dev/ttyUSB7"));
    const QString path = out.filePath(QStringLiteral("message.png"));
    ok = saveModal([&] { form.ButtonConnect->click(); }, path, showDetails) && ok;
    messages.boxes = nullptr;
    return ok;
}

// What a GPS receiver and a modem might say, with a few raw bytes between.
QByteArray deviceOutput() {
    return QByteArray("$GPRMC,092750.000,A,5321.6802,N,00630.3372,W,0.02,31.66,101226,,,A*43\r\n"
                      "$GPGGA,092751.000,5321.6802,N,00630.3371,W,1,8,1.03,61.7,M,55.2,M,,*76\r\n"
                      "OK\r\n") +
           QByteArray("\x02\x10\x7E\xFF\x00\x03", 6) + QByteArray("AT+CSQ\r\n+CSQ: 24,99\r\n");
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brevane"));
    QApplication::setOrganizationName(QStringLiteral("TARNICK"));
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [--dark]\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot make %s\n", argv[1]);
        return 1;
    }
    for (int i = 2; i < argc; ++i)
        if (!std::strcmp(argv[i], "--dark"))
            useDarkPalette();

    int master = -1, slave = -1;
    char slaveName[256] = {};
    if (openpty(&master, &slave, slaveName, nullptr, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }

    QTemporaryDir tmp;
    PrintedMessages messages;
    AppEnvironment env = AppEnvironment::system(messages);
    env.programFolder = tmp.path();
    env.configHome = tmp.filePath(QStringLiteral("config"));
    env.desktopFolder = QStringLiteral("/home/user/Desktop"); // never written: no logging
    const QDateTime now(QDate(2026, 12, 10), QTime(9, 27, 50));
    env.clock = [&now] { return now; };
    env.webHost = QString(); // no update check from a picture
    env.startProgram = [](const QString&) {};
    env.terminate = [] {};
    env.portList = [] { return portBoxList({}); };

    auto form = std::make_unique<TAppForm>(std::move(env));
    form->FormCreate();
    form->createSendLaterWindow();
    form->show();
    pumpFor(300);

    // Connected to the pseudo-terminal, the HEX view picked as a user would, then the device
    // talks.
    form->ComboBox1->setEditText(QString::fromLocal8Bit(slaveName));
    form->ButtonConnect->click();
    if (!form->PortConnected) {
        std::fprintf(stderr, "could not connect to %s\n", slaveName);
        return 1;
    }
    form->RadioButton2->click();
    form->EditSend->setPlainText(QStringLiteral("AT+CSQ"));
    const QByteArray data = deviceOutput();
    if (::write(master, data.constData(), size_t(data.size())) != data.size()) {
        std::perror("write");
        return 1;
    }
    QElapsedTimer waited;
    waited.start();
    while (form->Memo1->isEmpty() && waited.elapsed() < 5000)
        pumpFor(50);
    pumpFor(500); // the rest of it, and the status bar's counters

    bool ok = save(*form, out.filePath(QStringLiteral("main-hex.png")));

    // Two commands for later, the text box holding a third being written.
    TFormSendLater& later = *form->FormSendLater;
    form->SendLater2Click();
    const struct {
        const char* command;
        QDateTime when;
    } entries[] = {
        {"AT+CSQ", now.addSecs(30 * 60)},
        {"AT+CFUN=1,1", QDateTime(now.date().addDays(1), QTime(6, 0, 0))},
    };
    for (const auto& e : entries) {
        later.setMemoCommand(QString::fromLatin1(e.command));
        later.DateTimePicker1->setDate(e.when.date());
        later.DateTimePicker2->setTime(e.when.time());
        later.Button1->click();
    }
    later.setMemoCommand(QStringLiteral("AT+COPS?"));
    later.DateTimePicker1->setDate(now.date());
    later.DateTimePicker2->setTime(QTime(17, 45, 0));
    ok = save(later, out.filePath(QStringLiteral("send-later.png"))) && ok;

    // The repository keeps only the README's pictures.
    const QFileInfo readmeFolder(QStringLiteral(BREVANE_SOURCE_DIR "/docs/screenshots"));
    if (QFileInfo(out.path()).canonicalFilePath() != readmeFolder.canonicalFilePath())
        ok = saveOtherWindows(*form, messages, out) && ok;

    form->ComKapa();
    form.reset();
    ::close(master);
    ::close(slave);
    return ok ? 0 : 1;
}
