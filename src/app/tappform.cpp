#include "app/tappform.h"

#include "app/icons.h"
#include "app/startupvalues.h"
#include "app/versiondata.h"
#include "base/atomicfile.h"
#include "base/desktopfont.h"
#include "base/localeformats.h"
#include "base/messageboxservice.h"
#include "i18n/loadlanguage.h"
#include "i18n/translate.h"
#include "i18n/translationkeys.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>

namespace {
const QString kSection = QStringLiteral("Settings");
// Room for a window frame and title bar around the client area.
constexpr QSize kFrameAllowance(16, 48);
} // namespace

TAppForm::TAppForm(AppEnvironment env, QWidget* parent)
    : QMainWindow(parent), m_env(std::move(env)), m_port({}, m_env.serialByIdFolder) {
    setObjectName(QStringLiteral("TAppForm"));
    setFont(desktopFont(8));
    setWindowIcon(brevaneIcon("brevane"));
    buildLayout();
    buildMenus();
    buildTimersAndDialogs();
    connectHandlers();
    watchPorts();

    // A client area of 734 x 430 below the menu bar, centred on the screen; wider where the
    // desktop's font needs more room for the top bar (centred at the size it will have).
    // Never larger than the screen, though, room left for the frame: on a small screen or at
    // a large scale factor the settings row wraps instead.
    ensurePolished(); // the style's metrics are part of the minimum size
    QSize size = QSize(734, 430 + menuBar()->sizeHint().height())
                     .expandedTo(QSize(Panel1->sizeHint().width(), 0)) // the settings in one row
                     .expandedTo(minimumSizeHint());
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen)
        size = size.boundedTo(screen->availableGeometry().size() - kFrameAllowance);
    resize(size);
    if (screen)
        move(screen->availableGeometry().center() - rect().center());
}

TAppForm::~TAppForm() = default;

void TAppForm::connectHandlers() {
    connectPortHandlers();
    connectReceiveHandlers();
    connectTransmitHandlers();
    connectAppearanceHandlers();
    connectServiceHandlers();
    connect(TimerStart, &QTimer::timeout, this, &TAppForm::TimerStartTimer);
    connect(Exit1, &QAction::triggered, this, &TAppForm::Exit1Click);
    connect(ResettoDefaults1, &QAction::triggered, this, &TAppForm::ResettoDefaults1Click);

    // Every change of a box's text, typed or picked from the list.
    connect(ComboBox1, &QComboBox::editTextChanged, this, &TAppForm::ComboBox1Change);
    connect(ComboBox2, &QComboBox::editTextChanged, this, &TAppForm::ComboBox2Change);
    connect(ComboBox3, &QComboBox::editTextChanged, this, &TAppForm::ComboBox3Change);
    connect(ComboBox4, &QComboBox::editTextChanged, this, &TAppForm::ComboBox4Change);
    connect(ComboBox5, &QComboBox::editTextChanged, this, &TAppForm::ComboBox5Change);

    connect(RadioButton1, &QRadioButton::clicked, this, &TAppForm::RadioButton1Click);
    connect(RadioButton2, &QRadioButton::clicked, this, &TAppForm::RadioButton2Click);
    connect(RadioButton3, &QRadioButton::clicked, this, &TAppForm::RadioButton3Click);
    connect(RadioButton4, &QRadioButton::clicked, this, &TAppForm::RadioButton4Click);
    connect(RadioButton5, &QRadioButton::clicked, this, &TAppForm::RadioButton5Click);

    // Every change of the text, typing and code alike.
    connect(EditLogDir, &QLineEdit::textChanged, this, &TAppForm::EditLogDirChange);

    // The check boxes react to every change of their tick, by the user or by code.
    connect(CheckBoxRepeat, &QCheckBox::toggled, this, &TAppForm::CheckBoxRepeatClick);
    connect(CheckBoxClose, &QCheckBox::toggled, this, &TAppForm::CheckBoxCloseClick);
    connect(CheckBoxStart, &QCheckBox::toggled, this, &TAppForm::CheckBoxStartClick);
}

void TAppForm::FormCreate() {
    // Names and version come from the record carried by the program file; a program file
    // that cannot be read falls back on the record this very build carries.
    VersionReadResult version = ReadVersionData(m_env.programFile);
    if (!version.ok())
        version = ReadVersionData(QCoreApplication::applicationFilePath());
    StartupValues values;
    values.CompanyName = version.data.CompanyName;
    values.ProductName = version.data.ProductName;
    values.ShortVersion = shortVersionOf(version.fileVersion);
    values.MainCaption = values.CompanyName + QStringLiteral(" - ") + values.ProductName;
    setWindowTitle(values.MainCaption);
    values.SettingsFolder = chooseSettingsFolder(m_env.programFolder, m_env.configHome,
                                                 values.CompanyName, values.ProductName);
    m_formats = std::make_unique<LocaleFormats>(m_env.localeName);
    values.ListSeparator = m_formats->listSeparator();
    setStartupValues(values);

    // Writes that a killed copy left half done; the files themselves are whole either way.
    for (const char* file : {"settings.ini", "sendlater.csv", "start.sh"})
        removeStaleTemporaries(values.SettingsFolder + file);
    m_settings = std::make_unique<SettingsStore>(values.SettingsFolder + "settings.ini");
    if (const SettingsStore::FileError error = m_settings->Load())
        m_env.messages->showMessage(MessageIcon::Error, Translate(TranslationKeys::kError),
                                    error.text);

    applyStoredLineSettings();

    const QString readType = m_settings->ReadString(kSection, "ReadType", QString());
    if (readType == QLatin1String("HEX"))
        RadioButton2->click();
    else if (readType == QLatin1String("DEC"))
        RadioButton3->click();
    else if (readType == QLatin1String("OCT"))
        RadioButton4->click();
    else if (readType == QLatin1String("BIN"))
        RadioButton5->click();
    if (m_settings->ReadString(kSection, "Timestamps", QString()) == QLatin1String("ON"))
        Timestamps1->setChecked(true);

    // A stored appearance value that does not convert ends start-up here; the window still shows.
    if (!FontHatirla())
        return;

    EditLogDir->setText(m_settings->ReadString(kSection, "LogDirectory", m_env.desktopFolder));

    DosyaSec(m_settings->ReadString(kSection, "FilePath", QString()));

    if (m_settings->ReadString(kSection, "FileAutoRepeat", QString()) == QLatin1String("ON"))
        CheckBoxRepeat->setChecked(true);
    if (m_settings->ReadString(kSection, "FileAutoClose", QString()) == QLatin1String("ON"))
        CheckBoxClose->setChecked(true);
    if (m_settings->ReadString(kSection, "FileAutoStart", QString()) == QLatin1String("ON"))
        CheckBoxStart->setChecked(true);

    // Last, the language of the run: the one chosen in the language window (kept across the
    // restart), else the one LanguageCodes.csv gives for the messages locale.
    const QByteArray locale =
        m_env.messagesLocaleName.isEmpty() ? messagesLocale() : m_env.messagesLocaleName;
    const QString languageError = LoadLanguage(
        findLanguageFolder(m_env.programFolder),
        m_settings->ReadString(kSection, "LanguageFile", QString()), uiLanguageIdFor(locale));
    if (!languageError.isEmpty())
        showMessageFromConversion(languageError);
}

void TAppForm::applyStoredLineSettings() {
    // Shown exactly as stored, even when no item matches; putting them in is no user change.
    const std::pair<QComboBox*, std::pair<const char*, const char*>> boxes[] = {
        {ComboBox1, {"Port", "COM1"}},  {ComboBox2, {"BaudRate", "9600"}},
        {ComboBox3, {"Parity", "NO"}},  {ComboBox4, {"DataBits", "8"}},
        {ComboBox5, {"StopBits", "1"}},
    };
    for (const auto& [box, key] : boxes) {
        const QSignalBlocker quiet(box);
        box->setEditText(m_settings->ReadString(kSection, key.first, key.second));
    }
}

void TAppForm::writeSetting(const QString& key, const QString& value) {
    if (m_ending)
        return;
    if (!m_settings->WriteString(kSection, key, value)) {
        // The boxes whose text is stored cannot hold a line break, so this is a bug.
        qCritical("settings: refused a value with a line break for %s", qPrintable(key));
        return;
    }
    if (const SettingsStore::FileError error = m_settings->UpdateFile())
        m_env.messages->showMessage(MessageIcon::Error, Translate(TranslationKeys::kError),
                                    error.text);
}

void TAppForm::FormShow() {
    ButtonConnect->setFocus(Qt::OtherFocusReason);
}

void TAppForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    FormShow();
}

void TAppForm::FormClose() {
    ComKapa();
}

void TAppForm::closeEvent(QCloseEvent* event) {
    m_ending = true; // a send paused between chunks stops instead of reporting a closed port
    FormClose();
    event->accept();
}

void TAppForm::TimerStartTimer() {
    TimerStart->stop();
    if (ListView1Model->rowCount() >= 1 && CheckBoxStart->isChecked()) {
        ButtonConnect->click();
        if (ButtonSend->isEnabled())
            ButtonSend->click();
    }
}

void TAppForm::Exit1Click() {
    m_ending = true;
    m_env.terminate();
}

void TAppForm::ResettoDefaults1Click() {
    const MessageButton answer = CustomMessageDialog(
        *m_env.messages, Translate(TranslationKeys::kRestartApplication), MessageIcon::Question,
        {MessageButton::Yes, MessageButton::No}, Translate(TranslationKeys::kConfirmation),
        {Translate(TranslationKeys::kYes), Translate(TranslationKeys::kNo)});
    if (answer != MessageButton::Yes)
        return;
    m_ending = true;
    m_settings->DeleteFile(); // a failure is ignored: the new copy starts anyway
    QCoreApplication::processEvents();
    m_env.startProgram(m_env.programFile);
    m_env.terminate();
}

void TAppForm::ComboBox1Change() {
    writeSetting("Port", ComboBox1->currentText());
}
void TAppForm::ComboBox2Change() {
    writeSetting("BaudRate", ComboBox2->currentText());
}
void TAppForm::ComboBox3Change() {
    writeSetting("Parity", ComboBox3->currentText());
}
void TAppForm::ComboBox4Change() {
    writeSetting("DataBits", ComboBox4->currentText());
}
void TAppForm::ComboBox5Change() {
    writeSetting("StopBits", ComboBox5->currentText());
}

void TAppForm::RadioButton1Click() {
    writeSetting("ReadType", "ASCII");
}
void TAppForm::RadioButton2Click() {
    writeSetting("ReadType", "HEX");
}
void TAppForm::RadioButton3Click() {
    writeSetting("ReadType", "DEC");
}
void TAppForm::RadioButton4Click() {
    writeSetting("ReadType", "OCT");
}
void TAppForm::RadioButton5Click() {
    writeSetting("ReadType", "BIN");
}

void TAppForm::EditLogDirChange() {
    writeSetting("LogDirectory", EditLogDir->text());
}

void TAppForm::CheckBoxRepeatClick() {
    storeExclusiveTick(CheckBoxRepeat, "FileAutoRepeat", CheckBoxClose);
}

void TAppForm::CheckBoxCloseClick() {
    storeExclusiveTick(CheckBoxClose, "FileAutoClose", CheckBoxRepeat);
}

// Auto Repeat and Auto Close exclude each other: ticking one unticks and disables the other.
void TAppForm::storeExclusiveTick(QCheckBox* box, const char* key, QCheckBox* other) {
    const bool on = box->isChecked();
    writeSetting(key, on ? "ON" : "OFF");
    if (on)
        other->setChecked(false);
    other->setEnabled(!on);
}

void TAppForm::CheckBoxStartClick() {
    writeSetting("FileAutoStart", CheckBoxStart->isChecked() ? "ON" : "OFF");
}
