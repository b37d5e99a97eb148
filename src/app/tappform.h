#pragma once

// TAppForm: the main window. Builds the whole layout, menus, timers and dialogs; at creation
// computes the start-up values, opens the settings store and applies every stored setting to
// the controls in a fixed order, and from then on writes every setting change to the file at
// once. Controls and handlers carry the names used throughout the program so that each
// behaviour can be found by name; they are public so tests can drive the window as a user
// would.
//
// Creating the window is two steps: the constructor builds the controls, FormCreate() (called
// once, before the window is shown) computes the start-up values and applies the settings.
// Between the two, tests can watch the controls to see the order of start-up.

#include "app/colorvalues.h"
#include "app/settingsstore.h"
#include "app/statustext.h"
#include "base/appenvironment.h"
#include "port/portsession.h"
#include "receive/receivestamper.h"
#include "transmit/filelistmodel.h"
#include "transmit/sendformat.h"
#include "transmit/sendlaterscheduler.h"
#include "transmit/sendtextedit.h"

#include <QColor>
#include <QFont>
#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QActionGroup;
class QButtonGroup;
class QCheckBox;
class QColorDialog;
class QComboBox;
class QFileDialog;
class QFontDialog;
class QLabel;
class QLineEdit;
class QMenu;
class PortWatcher;
class ReadPane;
class LocaleFormats;
class TChecker;
class TFormSendLater;
class TNewVer;
class WallClockWatcher;
class QPushButton;
class QRadioButton;
class QSocketNotifier;
class QSplitter;
class QStatusBar;
class QTableView;
class QTimer;
class QToolButton;

class TAppForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TAppForm(AppEnvironment env, QWidget* parent = nullptr);
    ~TAppForm() override;

    SettingsStore& settings() { return *m_settings; }
    const AppEnvironment& environment() const { return m_env; }
    QLabel* statusPanel(int index) const { return m_statusPanels[index]; }

    // Writes one key of section "Settings" and the whole file; a failed write is shown.
    void writeSetting(const QString& key, const QString& value);
    // Keeps the language chosen in the language window for the next start (key LanguageFile):
    // a file name such as "German.lang.txt", or "English".
    void SetLanguageFile(const QString& Filename);

    // The port session: the open line (null while disconnected) and the connected flag.
    SerialDevice* PortHandle() const { return m_port.device(); }
    const PortSession& portSession() const { return m_port; }
    bool PortConnected = false;
    // Connected, but the device went away (unplugged); it is opened again when it comes back.
    bool DeviceGone = false;
    // Bytes read from and written to the port since the last connect or Clear.
    quint64 BytesReadCount = 0;
    quint64 BytesSentCount = 0;

    // Opens and configures the port named `comPortText`; true on success. With showErrors the
    // reason of a failure is shown in a message box.
    bool ComOlustur(const QString& comPortText, bool showErrors);
    // Configures the open port from the boxes and the Advanced ticks; true only if every step
    // succeeded.
    bool ComSetup();
    void ComKapa();

    // Received text not yet shown; kept across disconnects until a display tick shows it.
    QString PendingReceived;
    // The folder last picked with Browse... in this run.
    QString LastBrowseFolder;
    // Reads everything that has arrived (bounded per call), counting every byte read.
    QString ComOku();
    // Appends one entry to today's "incoming" or "outgoing" log file; silent on failure.
    void LogKaydet(const QString& appendStr, const QString& fileNameType);

    // The one send routine: `str` in the current send format, in chunks of at most 32 bytes
    // with 50 ms between them, counted, shown and logged; reports its own failures.
    void ComTextGonder(const QString& str);
    // Waits `milliseconds` while handling every event (timers, clicks, other sends).
    void PumpedDelay(qint64 milliseconds);
    // Loads the lines of the file at `path` into the file list and switches to file mode; does
    // nothing when no file is there.
    void DosyaSec(const QString& path);
    // The position of the next file-list row to send.
    int FileLineIndex = 0;
    // The send format in force (Options > Send Format, or the box under the send button).
    SendFormat sendFormat() const;
    // The send box's text with its line breaks as CR LF, as it is sent.
    QString sendBoxText() const;

    // Restores the read pane's colours and font from the settings; false when a stored value
    // does not convert (the message is shown and start-up stops there).
    bool FontHatirla();
    // Stores the pane's text colour and font (four keys, one write of the file).
    void FontKaydet();
    // The pane's colours as the settings file keeps them (0x00BBGGRR or a system colour). With
    // none stored, the system colours of the palette's base and text, so a dark desktop theme
    // gives a dark pane; system colours follow the palette as it changes.
    quint32 BackgroundColorValue = kWindowColor;
    quint32 TextColorValue = kWindowTextColor;

    // The window's dialogs, replaceable by tests; unset: the real dialogs.
    struct Dialogs {
        std::function<std::optional<QColor>(const QColor& initial)> chooseColor;
        std::function<std::optional<std::pair<QFont, QColor>>(const QFont&, const QColor&)>
            chooseFont;
        std::function<QString()> chooseSaveFile;
    } dialogs;

    // The Send Later window: created once, right after the main window's start-up, and only
    // hidden when closed.
    void createSendLaterWindow();
    TFormSendLater* FormSendLater = nullptr;
    const LocaleFormats& localeFormats() const { return *m_formats; }
    void BaglantiBasladi(const QString& comPortText);
    void BaglantiBitti();
    // Reads the port box's list anew (devices came or went); the box's text stays as it is.
    void refreshPortList();

    // Top bar.
    QWidget* Panel1 = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr,
           *Label5 = nullptr;
    QComboBox *ComboBox1 = nullptr, *ComboBox2 = nullptr, *ComboBox3 = nullptr,
              *ComboBox4 = nullptr, *ComboBox5 = nullptr;
    QToolButton* ButtonWand = nullptr;
    QPushButton* ButtonConnect = nullptr;

    // Send area.
    QWidget* Panel2 = nullptr;
    QWidget* PanelLeft = nullptr;
    QPushButton *ButtonText = nullptr, *ButtonFile = nullptr;
    QWidget* PanelFile = nullptr;
    QTableView* ListView1 = nullptr;
    FileListModel* ListView1Model = nullptr;
    QCheckBox *CheckBoxStart = nullptr, *CheckBoxRepeat = nullptr, *CheckBoxClose = nullptr;
    SendTextEdit* EditSend = nullptr;
    QToolButton* ButtonSend = nullptr;
    // Under the send button: the send format in force, changeable there (Alt+M).
    QWidget* PanelSendRight = nullptr;
    QLabel* LabelSendFormat = nullptr;
    QComboBox* ComboBoxSendFormat = nullptr;
    QSplitter* Splitter1 = nullptr;

    // Read-type bar and read pane.
    QWidget* Panel3 = nullptr;
    QToolButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr,
                *Button5 = nullptr;
    QRadioButton *RadioButton1 = nullptr, *RadioButton2 = nullptr, *RadioButton3 = nullptr,
                 *RadioButton4 = nullptr, *RadioButton5 = nullptr;
    QButtonGroup* ReadTypeGroup = nullptr;
    ReadPane* Memo1 = nullptr;

    // Log bar and status bar.
    QWidget* Panel4 = nullptr;
    QPushButton* ButtonLog = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* EditLogDir = nullptr;
    QPushButton* Button7 = nullptr;
    QStatusBar* StatusBar1 = nullptr;

    // Main menu.
    QMenu *File1 = nullptr, *Edit1 = nullptr, *Options1 = nullptr, *ools1 = nullptr,
          *Help1 = nullptr;
    QAction *Clear1 = nullptr, *Save1 = nullptr, *N2 = nullptr, *Exit1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* Find1 = nullptr;
    QAction *ChangeBackgroundColor1 = nullptr, *ChangeFont1 = nullptr, *N4 = nullptr;
    // Ticked: received data is shown and logged with the time it was read.
    QAction* Timestamps1 = nullptr;
    QMenu* Advanced1 = nullptr;
    QMenu *O1 = nullptr, *XON1 = nullptr, *ODSR1 = nullptr, *OCTS1 = nullptr, *DTR1 = nullptr,
          *RTS1 = nullptr, *IDSR1 = nullptr;
    QAction *TOON = nullptr, *TOOFF = nullptr, *XONON = nullptr, *XONOFF = nullptr,
            *ODSRON = nullptr, *ODSROFF = nullptr, *OCTSON = nullptr, *OCTSOFF = nullptr,
            *DTRON = nullptr, *DTROFF = nullptr, *DTRHS = nullptr, *RTSON = nullptr,
            *RTSOFF = nullptr, *RTSHS = nullptr, *RTSTG = nullptr, *IDSRON = nullptr,
            *IDSROFF = nullptr;
    QAction* ChangeSendPeriod1 = nullptr;
    QMenu* SendFormat1 = nullptr;
    QAction *ASCII1 = nullptr, *HEX1 = nullptr, *BIN1 = nullptr;
    QAction *N1 = nullptr, *ResettoDefaults1 = nullptr;
    QAction* SendLater2 = nullptr;
    QAction *Help2 = nullptr, *N3 = nullptr, *UpdateNotifications1 = nullptr,
            *UpdateNotificationsBar = nullptr, *Language1 = nullptr, *SendFeedback1 = nullptr,
            *About1 = nullptr;

    // Pop-up menus.
    QMenu* PopupMenu1 = nullptr;
    QAction *SendPeriodically1 = nullptr, *SendLater1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QAction *Delete1 = nullptr, *DeleteAll1 = nullptr;

    // Timers.
    // The read tick runs when the port's descriptor is readable.
    QSocketNotifier* ReadPortNotifier = nullptr;
    // While the device is gone: looks for it once a second.
    QTimer* TimerReconnect = nullptr;
    // TimerSendPeriodically is precise, so no period is cut short; TimerSendLater is a precise
    // single shot aimed at the middle of the next second with a waiting entry, off while none
    // waits.
    QTimer *TimerStart = nullptr, *TimerDisplay = nullptr, *TimerSendPeriodically = nullptr,
           *TimerSendLater = nullptr, *TimerChecker = nullptr;

    // The update pop-up, once a check has asked for it (at most one a run).
    TNewVer* NewVer = nullptr;

    // Dialogs.
    QFontDialog* FontDialog = nullptr;
    QColorDialog* ColorDialog = nullptr;
    QFileDialog* SaveDialog = nullptr;
    QFileDialog* OpenDialog1 = nullptr;

public slots:
    void ChangeBackgroundColor1Click();
    void ChangeFont1Click();
    void Clear1Click();
    void Save1Click();
    void Copy1Click();

    void SendLater1Click();
    void SendLater2Click();
    void TimerSendLaterTimer();

    void ButtonSendClick();
    void ASCII1Click();
    void HEX1Click();
    void BIN1Click();
    void SendPeriodically1Click();
    void TimerSendPeriodicallyTimer();
    void ChangeSendPeriod1Click();
    void ButtonFileClick();
    void ButtonTextClick();
    void Delete1Click();
    void DeleteAll1Click();

    void TimerReadPortTimer();
    void TimerDisplayTimer();
    void Timestamps1Click();
    void TimerReconnectTimer();
    void ButtonLogClick();
    void Button7Click();

    void ButtonConnectClick();
    void ButtonWandClick();

    void TOONClick();
    void TOOFFClick();
    void XONONClick();
    void XONOFFClick();
    void ODSRONClick();
    void ODSROFFClick();
    void OCTSONClick();
    void OCTSOFFClick();
    void DTRONClick();
    void DTROFFClick();
    void DTRHSClick();
    void RTSONClick();
    void RTSOFFClick();
    void RTSHSClick();
    void RTSTGClick();
    void IDSRONClick();
    void IDSROFFClick();

    void FormCreate();
    void FormShow();
    void FormClose();
    void TimerStartTimer();
    void Exit1Click();
    void ResettoDefaults1Click();
    void Language1Click();
    void SendFeedback1Click();
    void About1Click();

    void ComboBox1Change();
    void ComboBox2Change();
    void ComboBox3Change();
    void ComboBox4Change();
    void ComboBox5Change();

    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    void RadioButton4Click();
    void RadioButton5Click();

    void EditLogDirChange();

    void CheckBoxRepeatClick();
    void CheckBoxCloseClick();
    void CheckBoxStartClick();

    void TimerCheckerTimer();
    void UpdateNotifications1Click();
    void Help2Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void buildMenus();
    void buildTimersAndDialogs();
    void connectHandlers();
    void applyStoredLineSettings();
    void storeExclusiveTick(QCheckBox* box, const char* key, QCheckBox* other);
    void connectPortHandlers();
    void watchPorts();
    void connectReceiveHandlers();
    void connectTransmitHandlers();
    void connectAppearanceHandlers();
    void connectServiceHandlers();
    QString serviceHost() const;
    // Opens a page or file for any window; what nothing could open is shown as an address.
    std::function<void(const QUrl&)> pageOpener() const;
    QColor displayColor(quint32 value, bool background) const;
    // Shows BackgroundColorValue and TextColorValue in the pane, as the palette now gives them.
    void showPaneColors();
    void showMessageFromConversion(const QString& text);
    bool isTextMode() const;
    bool isLogging() const;
    void setSendButtonSplit(bool split);
    void changeSendFormat(QAction* clicked);
    // The format a Send Format item stands for, and the item of a format.
    SendFormat formatOf(const QAction* item) const;
    QAction* sendFormatItem(SendFormat format) const;
    void fileLineStep();
    // Aims TimerSendLater at the next second with a waiting entry; stops it when none waits.
    void armSendLater();
    void showConnectionControls(bool connected);
    // The first status panel while connected: "Connected: " + the port + `state`; the port's
    // name gives way before the state when room is short.
    void showConnectedStatus(const QString& state = QString());
    // Why a send found no open line: not connected, or the device went away.
    QString noPortReason() const;
    ModeInputs modeInputs() const;
    // Reading follows the open device's descriptor; none while disconnected or gone.
    void watchPortDescriptor();
    void portWentAway();
    // Starts the display tick if it is not running: something is pending or a counter changed.
    void wakeDisplay();
    ReadView readView() const;
    // Shows the pending text with the times it was read, adding what is shown to `shown`.
    void showStampedPending(ReadView view, QString* shown);

    AppEnvironment m_env;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<LocaleFormats> m_formats;
    PortSession m_port;
    QString m_connectedPortText; // what the status bar names while connected
    // The counters as the status bar shows them; the display tick stops once they are shown.
    quint64 m_shownRead = ~quint64(0);
    quint64 m_shownSent = ~quint64(0);
    // While Timestamps1 is ticked: where each read's text starts in PendingReceived and when it
    // was read, so the display tick can stamp the read time rather than its own.
    QList<std::pair<qsizetype, QDateTime>> m_pendingReadTimes;
    ReceiveStamper m_stamper;
    DeviceError m_setupError;            // why the last ComSetup failed, for the message's detail
    QAction* m_sendFormatItem = nullptr; // the send format in force; null: ASCII
    StatusText* m_statusPanels[4] = {};
    std::shared_ptr<TChecker> m_checker; // shared: its incomplete type may die anywhere
    bool m_ending = false; // set once this copy is on its way out: nothing more is written
    // Tells when devices come or go; null when the list is read only once.
    PortWatcher* m_portWatcher = nullptr;
    // Which Send Later entries are due, and when to look next; with the Send Later window.
    std::unique_ptr<SendLaterScheduler> m_sendLaterScheduler;
    WallClockWatcher* m_wallClock = nullptr; // aims the Send Later tick again when the clock is set
};
