// The main window's controls, menus, timers and dialogs: names, captions, hints, sizes and
// initial states. Behaviour lives in tappform.cpp.

#include "app/flowlayout.h"
#include "app/icons.h"
#include "app/portbox.h"
#include "app/singlelinevalidator.h"
#include "app/statustext.h"
#include "app/tappform.h"
#include "base/desktopfont.h"
#include "port/serialports.h"
#include "receive/readpane.h"

#include <QActionGroup>
#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// A row or column on `owner` with the given margins and spacing.
template <typename Layout> Layout* boxLayout(QWidget* owner, QMargins margins, int spacing) {
    auto* layout = new Layout(owner);
    layout->setContentsMargins(margins);
    layout->setSpacing(spacing);
    return layout;
}

QWidget* panel(const char* name, QWidget* parent) {
    return named(new QWidget(parent), name);
}

QComboBox* editableBox(const char* name, int width, const QStringList& items, QWidget* parent) {
    auto* box = named(new QComboBox(parent), name);
    box->setEditable(true);
    box->setValidator(new SingleLineValidator(box)); // its text is stored
    // Typed texts stay texts of the box; they never become new items.
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setFixedWidth(width);
    box->addItems(items);
    return box;
}

QPushButton* textButton(const char* name, const QString& caption, const QString& icon, QSize size,
                        QWidget* parent) {
    auto* button = named(new QPushButton(caption, parent), name);
    button->setIcon(brevaneIcon(icon));
    button->setFixedSize(size);
    return button;
}

QToolButton* iconButton(const char* name, const QIcon& icon, int side, QWidget* parent) {
    auto* button = named(new QToolButton(parent), name);
    button->setIcon(icon);
    button->setFixedSize(side, side);
    button->setIconSize(QSize(side - 8, side - 8));
    return button;
}

QAction* item(QMenu* menu, const char* name, const QString& caption,
              const QString& icon = QString()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    if (!icon.isEmpty())
        action->setIcon(brevaneIcon(icon));
    return action;
}

QAction* separator(QMenu* menu, const char* name) {
    QAction* action = menu->addSeparator();
    action->setObjectName(QLatin1String(name));
    return action;
}

QMenu* submenu(QMenu* parent, const char* name, const QString& caption) {
    QMenu* menu = parent->addMenu(caption);
    menu->setObjectName(QLatin1String(name));
    menu->menuAction()->setObjectName(QLatin1String(name) + QLatin1String("Item"));
    return menu;
}

// A group of ticked items of which exactly one is ticked at a time.
QAction* choice(QMenu* menu, QActionGroup* group, const char* name, const QString& caption,
                bool ticked = false) {
    QAction* action = item(menu, name, caption);
    action->setCheckable(true);
    action->setChecked(ticked);
    group->addAction(action);
    return action;
}

QActionGroup* exclusiveGroup(QObject* parent) {
    auto* group = new QActionGroup(parent);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    return group;
}

QTimer* timer(const char* name, int interval, QObject* parent) {
    auto* t = named(new QTimer(parent), name);
    t->setInterval(interval);
    return t;
}

} // namespace

void TAppForm::buildLayout() {
    auto* central = new QWidget(this);
    setCentralWidget(central);
    auto* column = boxLayout<QVBoxLayout>(central, QMargins(0, 0, 0, 0), 0);

    // Top bar: port, line settings, auto-detect and connect.
    Panel1 = panel("Panel1", central);
    auto* top = boxLayout<QHBoxLayout>(Panel1, QMargins(6, 3, 6, 3), 4);
    // The port and line settings wrap into a second row when the window is narrow (a small
    // screen, or a large scale factor) rather than forcing the window wider than the screen.
    auto* settings = new QWidget(Panel1);
    settings->setObjectName(QStringLiteral("Panel1Settings"));
    auto* flow = new FlowLayout(settings, 12, 2);
    flow->setContentsMargins(0, 0, 0, 0);
    Label1 = named(new QLabel(QStringLiteral("Port"), Panel1), "Label1");
    ComboBox1 = editableBox("ComboBox1", 0, {}, Panel1); // its width follows from its list
    preparePortBox(ComboBox1);
    setPortList(ComboBox1, m_env.portList ? m_env.portList() : portBoxList({}));
    ComboBox1->setCurrentIndex(0);
    ComboBox1->setFixedWidth(portBoxWidth(ComboBox1));
    ButtonWand = iconButton("ButtonWand", brevaneIcon("wand", "wand-gray"), 25, Panel1);
    ButtonWand->setToolTip(QStringLiteral("Auto Detect"));
    ButtonWand->setAutoRaise(true);
    Label2 = named(new QLabel(QStringLiteral("Baud rate"), Panel1), "Label2");
    ComboBox2 = editableBox("ComboBox2", 70,
                            {"110", "300", "600", "1200", "2400", "4800", "9600", "14400", "19200",
                             "38400", "56000", "57600", "115200", "128000", "256000"},
                            Panel1);
    ComboBox2->setCurrentIndex(ComboBox2->findText(QStringLiteral("9600")));
    Label3 = named(new QLabel(QStringLiteral("Parity"), Panel1), "Label3");
    ComboBox3 = editableBox("ComboBox3", 60, {"NO", "EVEN", "ODD", "MARK", "SPACE"}, Panel1);
    Label4 = named(new QLabel(QStringLiteral("Data bits"), Panel1), "Label4");
    ComboBox4 = editableBox("ComboBox4", 50, {"5", "6", "7", "8"}, Panel1);
    ComboBox4->setCurrentIndex(3);
    Label5 = named(new QLabel(QStringLiteral("Stop bits"), Panel1), "Label5");
    ComboBox5 = editableBox("ComboBox5", 50, {"1", "1.5", "2"}, Panel1);
    ButtonConnect =
        textButton("ButtonConnect", QStringLiteral("CONNECT"), "connect", QSize(110, 32), Panel1);
    // Each label stays with its box.
    const auto group = [&](std::initializer_list<QWidget*> widgets) {
        auto* g = new QWidget(settings);
        g->setFixedHeight(ButtonConnect->height());
        auto* row = boxLayout<QHBoxLayout>(g, QMargins(0, 0, 0, 0), 4);
        for (QWidget* w : widgets)
            row->addWidget(w);
        flow->addWidget(g);
    };
    group({Label1, ComboBox1, ButtonWand});
    for (auto [label, box] : {std::pair{Label2, ComboBox2}, std::pair{Label3, ComboBox3},
                              std::pair{Label4, ComboBox4}, std::pair{Label5, ComboBox5}})
        group({label, box});
    top->addWidget(settings, 1);
    top->addWidget(ButtonConnect, 0, Qt::AlignTop);
    column->addWidget(Panel1);

    // Send area above the splitter; read-type bar and read pane below it.
    Splitter1 = named(new QSplitter(Qt::Vertical, central), "Splitter1");
    Splitter1->setHandleWidth(5);
    Splitter1->setOpaqueResize(true);
    Splitter1->setChildrenCollapsible(false);

    Panel2 = panel("Panel2", Splitter1);
    auto* send = boxLayout<QHBoxLayout>(Panel2, QMargins(2, 2, 2, 2), 2);
    PanelLeft = panel("PanelLeft", Panel2);
    PanelLeft->setFixedWidth(60);
    auto* modes = boxLayout<QVBoxLayout>(PanelLeft, QMargins(0, 0, 0, 0), 2);
    ButtonText =
        textButton("ButtonText", QStringLiteral("Text"), "textedit32", QSize(57, 30), PanelLeft);
    ButtonText->setEnabled(false);
    ButtonFile =
        textButton("ButtonFile", QStringLiteral("File"), "folderfile32", QSize(57, 30), PanelLeft);
    modes->addWidget(ButtonText);
    modes->addWidget(ButtonFile);
    modes->addStretch(1);

    PanelFile = panel("PanelFile", Panel2);
    PanelFile->setFixedWidth(338);
    auto* fileRow = boxLayout<QHBoxLayout>(PanelFile, QMargins(0, 0, 0, 0), 2);
    ListView1 = named(new QTableView(PanelFile), "ListView1");
    ListView1Model = new FileListModel(ListView1);
    ListView1->setModel(ListView1Model);
    ListView1->horizontalHeader()->hide();
    ListView1->horizontalHeader()->setStretchLastSection(true);
    ListView1->verticalHeader()->hide();
    ListView1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ListView1->verticalHeader()->setDefaultSectionSize(ListView1->fontMetrics().height() + 4);
    ListView1->setShowGrid(true);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* checks = new QWidget(PanelFile);
    checks->setFixedWidth(100);
    auto* checkColumn = new QVBoxLayout(checks);
    checkColumn->setContentsMargins(2, 0, 0, 0);
    CheckBoxStart = named(new QCheckBox(QStringLiteral("Auto Start"), checks), "CheckBoxStart");
    CheckBoxRepeat = named(new QCheckBox(QStringLiteral("Auto Repeat"), checks), "CheckBoxRepeat");
    CheckBoxClose = named(new QCheckBox(QStringLiteral("Auto Close"), checks), "CheckBoxClose");
    checkColumn->addWidget(CheckBoxStart);
    checkColumn->addWidget(CheckBoxRepeat);
    checkColumn->addWidget(CheckBoxClose);
    checkColumn->addStretch(1);
    fileRow->addWidget(ListView1);
    fileRow->addWidget(checks);
    PanelFile->hide();

    EditSend = named(new SendTextEdit(Panel2), "EditSend");
    EditSend->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ButtonSend = named(new QToolButton(Panel2), "ButtonSend");
    ButtonSend->setText(QStringLiteral("SEND"));
    ButtonSend->setIcon(brevaneIcon("send"));
    ButtonSend->setIconSize(QSize(24, 24));
    ButtonSend->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ButtonSend->setPopupMode(QToolButton::MenuButtonPopup);
    ButtonSend->setFixedSize(110, 64);
    ButtonSend->setEnabled(false);
    // The send format stands under the send button, so what the box holds is never a guess;
    // it changes the format exactly as Options > Send Format does.
    PanelSendRight = panel("PanelSendRight", Panel2);
    auto* right = boxLayout<QVBoxLayout>(PanelSendRight, QMargins(0, 0, 0, 0), 2);
    LabelSendFormat =
        named(new QLabel(QStringLiteral("For&mat:"), PanelSendRight), "LabelSendFormat");
    ComboBoxSendFormat = named(new QComboBox(PanelSendRight), "ComboBoxSendFormat");
    ComboBoxSendFormat->addItems(
        {QStringLiteral("ASCII"), QStringLiteral("HEX"), QStringLiteral("BIN")});
    ComboBoxSendFormat->setToolTip(
        QStringLiteral("How the send box is sent: as text (ASCII), or as HEX digit pairs or BIN "
                       "groups of eight digits"));
    LabelSendFormat->setBuddy(ComboBoxSendFormat);
    auto* formatRow = boxLayout<QHBoxLayout>(new QWidget(PanelSendRight), QMargins(0, 0, 0, 0), 4);
    formatRow->addWidget(LabelSendFormat);
    formatRow->addWidget(ComboBoxSendFormat, 1);
    right->addWidget(ButtonSend);
    right->addWidget(formatRow->parentWidget());
    right->addStretch(1);
    send->addWidget(PanelLeft);
    send->addWidget(PanelFile);
    send->addWidget(EditSend, 1);
    send->addWidget(PanelSendRight);

    auto* lower = new QWidget(Splitter1);
    auto* lowerColumn = boxLayout<QVBoxLayout>(lower, QMargins(3, 0, 3, 0), 0);
    Panel3 = panel("Panel3", lower);
    Panel3->setFixedHeight(30);
    auto* readBar = boxLayout<QHBoxLayout>(Panel3, QMargins(0, 0, 0, 0), 0);
    Button1 = iconButton("Button1", brevaneIcon("Item6"), 30, Panel3);
    Button2 = iconButton("Button2", brevaneIcon("Item8"), 30, Panel3);
    Button3 = iconButton("Button3", brevaneIcon("Item2"), 30, Panel3);
    Button4 = iconButton("Button4", brevaneIcon("Item36"), 30, Panel3);
    Button5 = iconButton("Button5", brevaneIcon("Item17"), 30, Panel3);
    for (QToolButton* b : {Button1, Button2, Button3, Button4, Button5})
        readBar->addWidget(b);
    readBar->addSpacing(20);
    ReadTypeGroup = new QButtonGroup(Panel3);
    RadioButton1 = named(new QRadioButton(QStringLiteral("ASCII"), Panel3), "RadioButton1");
    RadioButton2 = named(new QRadioButton(QStringLiteral("HEX"), Panel3), "RadioButton2");
    RadioButton2->setToolTip(QStringLiteral("Hexadecimal"));
    RadioButton3 = named(new QRadioButton(QStringLiteral("DEC"), Panel3), "RadioButton3");
    RadioButton3->setToolTip(QStringLiteral("Decimal"));
    RadioButton4 = named(new QRadioButton(QStringLiteral("OCT"), Panel3), "RadioButton4");
    RadioButton4->setToolTip(QStringLiteral("Octal"));
    RadioButton5 = named(new QRadioButton(QStringLiteral("BIN"), Panel3), "RadioButton5");
    RadioButton5->setToolTip(QStringLiteral("Binary"));
    for (QRadioButton* r : {RadioButton1, RadioButton2, RadioButton3, RadioButton4, RadioButton5}) {
        ReadTypeGroup->addButton(r);
        readBar->addWidget(r);
        readBar->addSpacing(6);
    }
    RadioButton1->setChecked(true);
    readBar->addStretch(1);
    Memo1 = named(new ReadPane(lower), "Memo1");
    lowerColumn->addWidget(Panel3);
    lowerColumn->addWidget(Memo1, 1);

    Splitter1->addWidget(Panel2);
    Splitter1->addWidget(lower);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({70, 300});
    column->addWidget(Splitter1, 1);

    // Log bar.
    Panel4 = panel("Panel4", central);
    Panel4->setFixedHeight(38);
    auto* logRow = boxLayout<QHBoxLayout>(Panel4, QMargins(3, 3, 3, 3), 6);
    ButtonLog = textButton("ButtonLog", QStringLiteral("Start Logging"), "file_extension_log",
                           QSize(130, 32), Panel4);
    Label6 = named(new QLabel(QStringLiteral("Directory:"), Panel4), "Label6");
    Label6->setEnabled(false);
    EditLogDir = named(new QLineEdit(Panel4), "EditLogDir");
    EditLogDir->setValidator(new SingleLineValidator(EditLogDir)); // its text is stored
    EditLogDir->setFixedWidth(235);
    EditLogDir->setEnabled(false);
    Button7 = textButton("Button7", QStringLiteral("Browse..."), "folder32", QSize(90, 32), Panel4);
    Button7->setEnabled(false);
    logRow->addWidget(ButtonLog);
    logRow->addWidget(Label6);
    logRow->addWidget(EditLogDir);
    logRow->addWidget(Button7);
    logRow->addStretch(1);
    column->addWidget(Panel4);

    // Status bar: connection, bytes read, bytes sent, last sent chunk.
    StatusBar1 = named(new QStatusBar(this), "StatusBar1");
    setStatusBar(StatusBar1);
    StatusBar1->setSizeGripEnabled(true);
    const QString texts[4] = {QString(), QStringLiteral("Bytes Read: 0"),
                              QStringLiteral("Bytes Sent: 0"), QString()};
    for (int i = 0; i < 4; ++i) {
        auto* label = new StatusText(texts[i], i < 3 ? 200 : 50, StatusBar1);
        label->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        StatusBar1->addWidget(label, i < 3 ? 0 : 1);
        m_statusPanels[i] = label;
    }
}

void TAppForm::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    // Each title's first letter is its access key (Alt+F, Alt+E, Alt+O, Alt+T, Alt+H).

    File1 = named(bar->addMenu(QStringLiteral("&File")), "File1");
    Clear1 = item(File1, "Clear1", QStringLiteral("Clear"), "Item6");
    Save1 = item(File1, "Save1", QStringLiteral("Save to File..."), "Item8");
    N2 = separator(File1, "N2");
    Exit1 = item(File1, "Exit1", QStringLiteral("Exit"), "exit");

    Edit1 = named(bar->addMenu(QStringLiteral("&Edit")), "Edit1");
    Copy1 = item(Edit1, "Copy1", QStringLiteral("Copy to Clipboard"), "Item2");
    // Searches everything received since the last Clear, in a bar over the read pane.
    Find1 = item(Edit1, "Find1", QStringLiteral("Find..."));
    Find1->setShortcut(QKeySequence::Find);
    connect(Find1, &QAction::triggered, this, [this] { Memo1->showFindBar(); });

    Options1 = named(bar->addMenu(QStringLiteral("&Options")), "Options1");
    ChangeBackgroundColor1 = item(Options1, "ChangeBackgroundColor1",
                                  QStringLiteral("Change Background Color..."), "Item17");
    ChangeFont1 = item(Options1, "ChangeFont1", QStringLiteral("Change Font..."), "Item36");
    Timestamps1 = item(Options1, "Timestamps1", QStringLiteral("Timestamps"));
    Timestamps1->setCheckable(true);
    N4 = separator(Options1, "N4");
    Advanced1 = submenu(Options1, "Advanced1", QStringLiteral("Advanced"));
    O1 = submenu(Advanced1, "O1", QStringLiteral("TO (Time-out Processing)"));
    QActionGroup* g = exclusiveGroup(O1);
    TOON = choice(O1, g, "TOON", QStringLiteral("ON"));
    TOOFF = choice(O1, g, "TOOFF", QStringLiteral("OFF"), true);
    XON1 = submenu(Advanced1, "XON1", QStringLiteral("XON Protocol"));
    g = exclusiveGroup(XON1);
    XONON = choice(XON1, g, "XONON", QStringLiteral("ON"));
    XONOFF = choice(XON1, g, "XONOFF", QStringLiteral("OFF"), true);
    ODSR1 = submenu(Advanced1, "ODSR1", QStringLiteral("ODSR (Data Set Ready)"));
    g = exclusiveGroup(ODSR1);
    ODSRON = choice(ODSR1, g, "ODSRON", QStringLiteral("ON"));
    ODSROFF = choice(ODSR1, g, "ODSROFF", QStringLiteral("OFF"), true);
    OCTS1 = submenu(Advanced1, "OCTS1", QStringLiteral("OCTS (Clear To Send)"));
    g = exclusiveGroup(OCTS1);
    OCTSON = choice(OCTS1, g, "OCTSON", QStringLiteral("ON"));
    OCTSOFF = choice(OCTS1, g, "OCTSOFF", QStringLiteral("OFF"), true);
    DTR1 = submenu(Advanced1, "DTR1", QStringLiteral("DTR (Data Terminal Ready)"));
    g = exclusiveGroup(DTR1);
    DTRON = choice(DTR1, g, "DTRON", QStringLiteral("ON"));
    DTROFF = choice(DTR1, g, "DTROFF", QStringLiteral("OFF"), true);
    DTRHS = choice(DTR1, g, "DTRHS", QStringLiteral("Handshake"));
    RTS1 = submenu(Advanced1, "RTS1", QStringLiteral("RTS (Request To Send)"));
    g = exclusiveGroup(RTS1);
    RTSON = choice(RTS1, g, "RTSON", QStringLiteral("ON"));
    RTSOFF = choice(RTS1, g, "RTSOFF", QStringLiteral("OFF"), true);
    RTSHS = choice(RTS1, g, "RTSHS", QStringLiteral("Handshake"));
    RTSTG = choice(RTS1, g, "RTSTG", QStringLiteral("Toggle"));
    IDSR1 = submenu(Advanced1, "IDSR1", QStringLiteral("IDSR (DSR Circuit Sensitivity)"));
    g = exclusiveGroup(IDSR1);
    IDSRON = choice(IDSR1, g, "IDSRON", QStringLiteral("ON"));
    IDSROFF = choice(IDSR1, g, "IDSROFF", QStringLiteral("OFF"), true);
    ChangeSendPeriod1 =
        item(Options1, "ChangeSendPeriod1", QStringLiteral("Change Send Period..."));
    SendFormat1 = submenu(Options1, "SendFormat1", QStringLiteral("Send Format"));
    g = exclusiveGroup(SendFormat1);
    ASCII1 = choice(SendFormat1, g, "ASCII1", QStringLiteral("ASCII"), true);
    HEX1 = choice(SendFormat1, g, "HEX1", QStringLiteral("HEX"));
    BIN1 = choice(SendFormat1, g, "BIN1", QStringLiteral("BIN"));
    N1 = separator(Options1, "N1");
    ResettoDefaults1 = item(Options1, "ResettoDefaults1", QStringLiteral("Reset to Defaults..."));

    ools1 = named(bar->addMenu(QStringLiteral("&Tools")), "ools1");
    SendLater2 = item(ools1, "SendLater2", QStringLiteral("Send Later..."));

    Help1 = named(bar->addMenu(QStringLiteral("&Help")), "Help1");
    Help2 = item(Help1, "Help2", QStringLiteral("Online Help"), "help");
    Help2->setShortcut(QKeySequence(Qt::Key_F1));
    N3 = separator(Help1, "N3");
    UpdateNotifications1 =
        item(Help1, "UpdateNotifications1", QStringLiteral("Update Notifications"));
    UpdateNotifications1->setCheckable(true);
    UpdateNotifications1->setChecked(true);
    // Shown, and enabled once the update check has finished: a user must be able to turn off
    // the request to the network.
    UpdateNotifications1->setEnabled(false);
    UpdateNotificationsBar = separator(Help1, "UpdateNotificationsBar");
    // Shown: a user must be able to choose the language.
    Language1 = item(Help1, "Language1", QStringLiteral("Language..."), "flag");
    connect(Language1, &QAction::triggered, this, &TAppForm::Language1Click);
    SendFeedback1 = item(Help1, "SendFeedback1", QStringLiteral("Send &Feedback..."), "feedback");
    connect(SendFeedback1, &QAction::triggered, this, &TAppForm::SendFeedback1Click);
    About1 = item(Help1, "About1", QStringLiteral("&About..."), "about");
    connect(About1, &QAction::triggered, this, &TAppForm::About1Click);

    PopupMenu1 = named(new QMenu(this), "PopupMenu1");
    SendPeriodically1 =
        item(PopupMenu1, "SendPeriodically1", QStringLiteral("Send Periodically"), "time_go");
    SendLater1 = item(PopupMenu1, "SendLater1", QStringLiteral("Send Later..."));
    ButtonSend->setMenu(PopupMenu1);

    PopupMenu2 = named(new QMenu(this), "PopupMenu2");
    Delete1 = item(PopupMenu2, "Delete1", QStringLiteral("Delete Selected"));
    DeleteAll1 = item(PopupMenu2, "DeleteAll1", QStringLiteral("Delete All"));
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenu2->popup(ListView1->viewport()->mapToGlobal(at));
    });

    // The icon buttons of the read-type bar do exactly what their menu items do.
    connect(Button1, &QToolButton::clicked, Clear1, &QAction::trigger);
    connect(Button2, &QToolButton::clicked, Save1, &QAction::trigger);
    connect(Button3, &QToolButton::clicked, Copy1, &QAction::trigger);
    connect(Button4, &QToolButton::clicked, ChangeFont1, &QAction::trigger);
    connect(Button5, &QToolButton::clicked, ChangeBackgroundColor1, &QAction::trigger);
}

void TAppForm::buildTimersAndDialogs() {
    TimerStart = timer("TimerStart", 10, this);
    TimerDisplay = timer("TimerDisplay", 100, this);
    TimerReconnect = timer("TimerReconnect", 1000, this);
    TimerSendPeriodically = timer("TimerSendPeriodically", 100, this);
    // A coarse timer may fire up to 5 % early: a period is never cut short.
    TimerSendPeriodically->setTimerType(Qt::PreciseTimer);
    TimerSendLater = timer("TimerSendLater", 1000, this);
    // Aimed at a moment of the wall clock, once the Send Later window has its schedule.
    TimerSendLater->setTimerType(Qt::PreciseTimer);
    TimerSendLater->setSingleShot(true);
    TimerChecker = timer("TimerChecker", 1000, this);
    // Running from the start; they tick once the message loop runs, after FormCreate().
    TimerStart->start();
    TimerChecker->start();

    FontDialog = named(new QFontDialog(desktopFont(8), this), "FontDialog");
    ColorDialog = named(new QColorDialog(this), "ColorDialog");
    // The custom-colour part is shown expanded: only Qt's own dialog has it.
    ColorDialog->setOption(QColorDialog::DontUseNativeDialog, true);
    SaveDialog = named(new QFileDialog(this), "SaveDialog");
    SaveDialog->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog->setDefaultSuffix(QStringLiteral("txt"));
    SaveDialog->setNameFilters(
        {QStringLiteral("TXT File (*.txt)"), QStringLiteral("Any File (*)")});
    SaveDialog->setOption(QFileDialog::DontConfirmOverwrite, false);
    OpenDialog1 = named(new QFileDialog(this), "OpenDialog1");
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog1->setFileMode(QFileDialog::ExistingFile);
}
