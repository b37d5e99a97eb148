#include "transmit/tformsendlater.h"

#include "base/atomicfile.h"
#include "base/keepaside.h"
#include "base/localeformats.h"
#include "base/messageboxservice.h"
#include "base/regularfile.h"
#include "transmit/sendlatermodel.h"

#include <QAction>
#include <QDateEdit>
#include <QFile>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTableView>
#include <QTimeEdit>

namespace {

QString asSentence(const QString& text) {
    return text.endsWith(u'.') ? text : text + u'.';
}

QString whatWasLost(const ParsedSchedule& parsed) {
    QStringList parts;
    if (parsed.unreadableLines == 1)
        parts << QStringLiteral("1 unreadable line");
    else if (parsed.unreadableLines > 1)
        parts << QStringLiteral("%1 unreadable lines").arg(parsed.unreadableLines);
    if (!parsed.lossless)
        parts << QStringLiteral("characters that could not be decoded");
    return parts.join(QStringLiteral(", "));
}

} // namespace

TFormSendLater::TFormSendLater(SendLaterContext context, QWidget* parent)
    : QWidget(parent, Qt::Window), m_context(std::move(context)) {
    setObjectName(QStringLiteral("TFormSendLater"));
    setWindowTitle(QStringLiteral("Send Later"));
    resize(615, 370);

    Memo1 = new SendTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    DateTimePicker1 = new QDateEdit(this);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker2 = new QTimeEdit(this);
    DateTimePicker2->setObjectName(QStringLiteral("DateTimePicker2"));
    // The pickers read and show dates and times as the list does, in the locale's formats.
    DateTimePicker1->setLocale(m_context.formats->dateDisplayLocale());
    DateTimePicker1->setDisplayFormat(m_context.formats->dateDisplayFormat());
    DateTimePicker2->setLocale(m_context.formats->timeDisplayLocale());
    DateTimePicker2->setDisplayFormat(m_context.formats->timeDisplayFormat());
    Button1 = new QPushButton(QStringLiteral("ADD"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setFixedSize(110, 53);

    ListView1 = new QTableView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1Model = new SendLaterModel(ListView1);
    ListView1->setModel(ListView1Model);
    ListView1->verticalHeader()->hide();
    ListView1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ListView1->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    ListView1->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Fixed);
    ListView1->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Fixed);
    ListView1->horizontalHeader()->resizeSection(1, 100);
    ListView1->horizontalHeader()->resizeSection(2, 100);
    ListView1->setShowGrid(true);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    ListView1->viewport()->installEventFilter(this);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Delete1 = PopupMenu1->addAction(QStringLiteral("Delete"));
    Delete1->setObjectName(QStringLiteral("Delete1"));
    SelectAll1 = PopupMenu1->addAction(QStringLiteral("Select All"));
    SelectAll1->setObjectName(QStringLiteral("SelectAll1"));
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at));
    });
    connect(Delete1, &QAction::triggered, this, &TFormSendLater::Delete1Click);
    connect(SelectAll1, &QAction::triggered, this, &TFormSendLater::SelectAll1Click);
    connect(Button1, &QPushButton::clicked, this, &TFormSendLater::Button1Click);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->addWidget(Memo1, 0, 0, 2, 1);
    grid->addWidget(DateTimePicker1, 0, 1);
    grid->addWidget(DateTimePicker2, 1, 1);
    grid->addWidget(Button1, 0, 2, 2, 1);
    grid->addWidget(ListView1, 2, 0, 1, 3);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(0, 1);

    FormCreate();
}

TFormSendLater::~TFormSendLater() = default;

const QList<SendLaterEntry>& TFormSendLater::entries() const {
    return ListView1Model->entries();
}

QString TFormSendLater::memoCommand() const {
    return Memo1->exactText();
}

void TFormSendLater::setMemoCommand(const QString& command) {
    Memo1->setExactText(command);
}

void TFormSendLater::FormCreate() {
    SendLaterHatirla();
}

void TFormSendLater::FormShow() {
    const QDateTime now = m_context.clock();
    DateTimePicker1->setDate(now.date());
    DateTimePicker2->setTime(now.time());
}

void TFormSendLater::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A window brought back from the taskbar was never hidden: the pickers keep what the user
    // set in them.
    if (event->spontaneous())
        return;
    if (!m_placed) {
        // Centred on the main window's screen the first time; afterwards where the user left it.
        m_placed = true;
        const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
        if (const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    FormShow();
}

void TFormSendLater::keyPressEvent(QKeyEvent* event) {
    // Escape closes the window wherever the focus is, as in a dialog; closing only hides it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

// A click anywhere in the list, on a row or on empty space, once the selection has followed it.
bool TFormSendLater::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListView1->viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        ListView1Click();
    return QWidget::eventFilter(watched, event);
}

int TFormSendLater::firstSelectedRow() const {
    int first = -1;
    for (const QModelIndex& index : ListView1->selectionModel()->selectedRows())
        if (first < 0 || index.row() < first)
            first = index.row();
    return first;
}

SendLaterEntry TFormSendLater::entryFromControls() const {
    return {memoCommand(), m_context.formats->shortDate(DateTimePicker1->date()),
            m_context.formats->longTime(DateTimePicker2->time())};
}

void TFormSendLater::Button1Click() {
    if (Button1->text() == QLatin1String("ADD")) {
        if (Memo1->toPlainText().isEmpty()) {
            if (m_context.beep)
                m_context.beep();
        } else {
            ListView1Model->append(entryFromControls());
        }
    } else {
        const int row = firstSelectedRow();
        if (row >= 0)
            ListView1Model->replace(row, entryFromControls());
    }
    SendLaterKaydet();
}

void TFormSendLater::ListView1Click() {
    const int row = firstSelectedRow();
    if (row < 0) {
        Memo1->clear();
        Button1->setText(QStringLiteral("ADD"));
        return;
    }
    const SendLaterEntry entry = entries().at(row);
    setMemoCommand(entry.command);
    const auto date = m_context.formats->readDate(entry.date);
    if (!date) {
        m_context.messages->showMessage(
            MessageIcon::Error, m_context.errorCaption,
            QStringLiteral("'%1' is not a valid date.").arg(entry.date));
        return;
    }
    DateTimePicker1->setDate(*date);
    const auto time = m_context.formats->readTime(entry.time);
    if (!time) {
        m_context.messages->showMessage(
            MessageIcon::Error, m_context.errorCaption,
            QStringLiteral("'%1' is not a valid time.").arg(entry.time));
        return;
    }
    DateTimePicker2->setTime(*time);
    Button1->setText(QStringLiteral("EDIT"));
}

void TFormSendLater::Delete1Click() {
    QList<int> rows;
    for (const QModelIndex& index : ListView1->selectionModel()->selectedRows())
        rows.append(index.row());
    ListView1Model->removeRowsAt(rows);
    Memo1->clear();
    Button1->setText(QStringLiteral("ADD"));
    SendLaterKaydet();
}

void TFormSendLater::SelectAll1Click() {
    ListView1->selectAll();
}

void TFormSendLater::SendLaterHatirla() {
    const QString& path = m_context.filePath;
    const RegularFileRead read = readRegularFile(path);
    if (read.status == RegularFileRead::Status::Missing)
        return; // no schedule yet
    if (!read.ok()) {
        // Nothing of it can be loaded: it moves out of the way, so the first save makes a new
        // file instead of writing over it.
        reportUnreadable(QStringLiteral("Cannot read file \"%1\". %2 The schedule starts empty")
                             .arg(path, asSentence(read.reason)),
                         moveAside(path), QStringLiteral("the file was moved to"),
                         QStringLiteral("moved"));
        return;
    }
    const ParsedSchedule parsed = parseSchedule(read.bytes, m_context.separator);
    ListView1Model->setEntries(parsed.entries);
    if (parsed.complete())
        return;
    // The next save writes only what was read, so the file as it is goes aside first.
    const KeptAside kept = copyAside(path, read.bytes);
    reportUnreadable(
        QStringLiteral("Part of file \"%1\" could not be read (%2). The other entries are loaded")
            .arg(path, whatWasLost(parsed)),
        kept, QStringLiteral("the file as it was is kept as"), QStringLiteral("copied"));
}

void TFormSendLater::reportUnreadable(const QString& problem, const KeptAside& kept,
                                      const QString& done, const QString& failed) {
    QString text = problem + QStringLiteral("; ");
    if (kept.ok()) {
        text += QStringLiteral("%1 \"%2\".").arg(done, kept.path);
    } else {
        m_memoryOnly = true;
        text += QStringLiteral("the file could not be %1 aside (%2), so it is left as it is and "
                               "changes to the schedule last only until the program ends.")
                    .arg(failed, qt_error_string(kept.sysErrno));
    }
    m_context.messages->showMessage(MessageIcon::Error, m_context.errorCaption, text);
}

void TFormSendLater::SendLaterKaydet() {
    if (m_memoryOnly)
        return;
    const int err = replaceFileAtomically(m_context.filePath,
                                          serializeSchedule(entries(), m_context.separator));
    if (err != 0)
        m_context.messages->showMessage(MessageIcon::Error, m_context.errorCaption,
                                        QStringLiteral("Cannot create file \"%1\". %2")
                                            .arg(m_context.filePath, qt_error_string(err)));
}
