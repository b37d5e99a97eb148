#include "services/tfeedbackform.h"

#include "base/desktopfont.h"
#include "base/messageboxservice.h"
#include "i18n/translate.h"
#include "i18n/translationkeys.h"

#include <QApplication>
#include <QFrame>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPromise>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include <memory>
#include <thread>

namespace {

using namespace TranslationKeys;

// Between the two sentences of a result message: a line break as the message box draws it.
const QString kEmptyLine = QStringLiteral("\n\n");

QFont tahoma(int points, bool bold = false) {
    QFont font = desktopFont(points);
    font.setBold(bold);
    return font;
}

template <typename T> T* named(T* object, const char* name) {
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

QFrame* choicePanel(const char* name, QLabel*& image, QLabel*& caption, const QString& face,
                    QWidget* parent) {
    auto* panel = named(new QFrame(parent), name);
    panel->setCursor(Qt::PointingHandCursor);
    panel->setAutoFillBackground(true);
    panel->setLineWidth(2);
    panel->setMinimumHeight(40);
    image = new QLabel(panel);
    image->setFixedSize(32, 32);
    image->setPixmap(QIcon(face).pixmap(QSize(32, 32), panel->devicePixelRatioF()));
    caption = new QLabel(panel);
    caption->setFont(tahoma(12));
    caption->setAlignment(Qt::AlignCenter);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(6, 3, 6, 3);
    row->addWidget(image);
    row->addWidget(caption, 1);
    // Keeps the caption centred in the panel, not in the room right of the face.
    row->addSpacing(32);
    return panel;
}

} // namespace

TFeedbackForm::TFeedbackForm(FeedbackFormContext context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_context(std::move(context)) {
    setObjectName(QStringLiteral("TFeedbackForm"));
    setFont(tahoma(8));
    buildLayout();
    FormCreate();

    // The designed client area, grown where the desktop's fonts need more; fixed, as the
    // window has a fixed border.
    setFixedSize(sizeHint().expandedTo(QSize(525, 326)));
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - rect().center());
}

TFeedbackForm::~TFeedbackForm() {
    // A post still running finishes on its own thread; its result goes nowhere.
    setBusy(false);
}

void TFeedbackForm::buildLayout() {
    Panel3 = named(new QWidget(this), "Panel3");
    Panel4 = choicePanel("Panel4", Image1, Panel4Caption, QStringLiteral(":/services/smile.svg"),
                         Panel3);
    Panel5 =
        choicePanel("Panel5", Image2, Panel5Caption, QStringLiteral(":/services/sad.svg"), Panel3);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image2->setObjectName(QStringLiteral("Image2"));
    auto* choices = new QHBoxLayout(Panel3);
    choices->setContentsMargins(3, 3, 3, 3);
    choices->setSpacing(0);
    choices->addWidget(Panel4, 1);
    choices->addWidget(Panel5, 1);
    for (QObject* clickable : {static_cast<QObject*>(Panel4), static_cast<QObject*>(Image1),
                               static_cast<QObject*>(Panel5), static_cast<QObject*>(Image2)})
        clickable->installEventFilter(this);

    Label1 = named(new QLabel(this), "Label1");
    Label1->setFont(tahoma(12));
    Label2 = named(new QLabel(this), "Label2");
    Label2->setFont(tahoma(10, true));

    Memo1 = named(new QPlainTextEdit(this), "Memo1");
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTabChangesFocus(true);
    connect(Memo1->document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int added) { limitMemoLength(position, added); });

    Panel1 = named(new QWidget(this), "Panel1");
    Label3 = named(new QLabel(Panel1), "Label3");
    Edit1 = named(new QLineEdit(Panel1), "Edit1");
    Edit1->setMaxLength(kEmailMaxLength);
    Label3->setBuddy(Edit1);
    auto* emailRow = new QHBoxLayout(Panel1);
    emailRow->setContentsMargins(0, 0, 0, 0);
    emailRow->addWidget(Label3);
    emailRow->addWidget(Edit1, 1);

    Panel2 = named(new QWidget(this), "Panel2");
    LabelNoService = named(new QLabel(Panel2), "LabelNoService");
    LabelNoService->setWordWrap(true);
    LabelNoService->setVisible(!m_context.canDeliver);
    BitBtn1 = named(new QPushButton(Panel2), "BitBtn1");
    BitBtn1->setFont(tahoma(12));
    BitBtn1->setIcon(m_context.sendIcon);
    BitBtn1->setIconSize(QSize(24, 24));
    BitBtn1->setMinimumSize(172, 33);
    // Enter in the address box must not send by surprise.
    BitBtn1->setAutoDefault(false);
    connect(BitBtn1, &QPushButton::clicked, this, &TFeedbackForm::BitBtn1Click);
    auto* buttonRow = new QHBoxLayout(Panel2);
    buttonRow->setContentsMargins(0, 3, 0, 3);
    buttonRow->addWidget(LabelNoService, 1);
    if (m_context.canDeliver)
        buttonRow->addStretch(1); // the hidden label takes no room; Send stays at the right
    buttonRow->addWidget(BitBtn1);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 4, 8, 6);
    column->setSpacing(6);
    column->addWidget(Panel3);
    column->addWidget(Label1);
    column->addWidget(Label2);
    column->addWidget(Memo1, 1);
    column->addWidget(Panel1);
    column->addWidget(Panel2);
}

void TFeedbackForm::FormCreate() {
    setWindowTitle(m_context.productName + QLatin1Char(' ') + Translate(kFeedback));
    Panel4Caption->setText(Translate(kILikeIt));
    Panel5Caption->setText(Translate(kIDislikeIt));
    Label1->setText(Translate(kWeWouldAppreciate));
    Label2->setText(Translate(kWhatDidYouLike));
    Label3->setText(Translate(kIncludeMyEmail));
    BitBtn1->setText(Translate(kSend));
    if (!m_context.canDeliver) {
        LabelNoService->setText(Translate(kFeedbackNoService));
        BitBtn1->setToolTip(LabelNoService->text());
        BitBtn1->setEnabled(false);
    }
    showChoice();
}

bool TFeedbackForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        const auto button = static_cast<QMouseEvent*>(event)->button();
        if (watched == Panel4 || watched == Image1) {
            Image1MouseDown(button);
            return true;
        }
        if (watched == Panel5 || watched == Image2) {
            Image2MouseDown(button);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// The panels take their colours from the desktop's palette, so a change of theme repaints them.
void TFeedbackForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange)
        showChoice();
    QDialog::changeEvent(event);
}

void TFeedbackForm::Image1MouseDown(Qt::MouseButton button) {
    if (button != Qt::LeftButton)
        return;
    m_choice = m_choice == FeedbackChoice::Like ? FeedbackChoice::None : FeedbackChoice::Like;
    showChoice();
}

void TFeedbackForm::Image2MouseDown(Qt::MouseButton button) {
    if (button != Qt::LeftButton)
        return;
    m_choice = m_choice == FeedbackChoice::Dislike ? FeedbackChoice::None : FeedbackChoice::Dislike;
    showChoice();
}

// Selected: highlight colours and a lowered bevel; plain: button face and a raised one.
void TFeedbackForm::showChoice() {
    const auto paint = [](QFrame* panel, QLabel* caption, bool selected) {
        QPalette colours = panel->palette();
        const QPalette base = QApplication::palette(panel);
        colours.setColor(QPalette::Window,
                         base.color(selected ? QPalette::Highlight : QPalette::Button));
        colours.setColor(QPalette::WindowText,
                         base.color(selected ? QPalette::HighlightedText : QPalette::ButtonText));
        panel->setPalette(colours);
        caption->setPalette(colours);
        panel->setFrameStyle(QFrame::Panel | (selected ? QFrame::Sunken : QFrame::Raised));
    };
    paint(Panel4, Panel4Caption, m_choice == FeedbackChoice::Like);
    paint(Panel5, Panel5Caption, m_choice == FeedbackChoice::Dislike);
}

// The memo's limit, as a text box with a maximum length has it: what goes past it is cut
// from the end of the text just typed or pasted. A line break counts as the two characters
// (CR LF) it is sent as, so the text sent never passes the limit the service holds to.
void TFeedbackForm::limitMemoLength(int position, int added) {
    QTextDocument* document = Memo1->document();
    const int lineBreaks = document->blockCount() - 1;
    int excess = document->characterCount() - 1 + lineBreaks - kMemoMaxLength;
    if (excess <= 0 || added <= 0)
        return;
    QTextCursor cursor(document);
    cursor.setPosition(position);
    cursor.setPosition(position + added, QTextCursor::KeepAnchor);
    const QString addedText = cursor.selectedText(); // line breaks as U+2029
    int cut = 0;
    while (excess > 0 && cut < addedText.size()) {
        excess -= addedText[addedText.size() - 1 - cut] == QChar::ParagraphSeparator ? 2 : 1;
        ++cut;
    }
    cursor.setPosition(position + added - cut);
    cursor.setPosition(position + added, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void TFeedbackForm::BitBtn1Click() {
    if (isPosting() || !m_context.canDeliver)
        return;
    QString memo = Memo1->toPlainText();
    memo.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    const QString feedback =
        feedbackText(m_choice, Panel4Caption->text(), Panel5Caption->text(), memo);
    if (trimControls(memo).isEmpty()) {
        Memo1->setFocus();
        if (m_context.beep)
            m_context.beep();
        return;
    }
    const QString email = trimControls(Edit1->text());
    if (!email.isEmpty() && !isValidEmail(email)) {
        Edit1->setFocus();
        m_context.messages->showMessage(MessageIcon::Error, Translate(kFailure),
                                        Translate(kInvalidEmail));
        return;
    }
    startPost(feedbackFields(m_context.mainCaption, m_context.shortVersion, feedback, email));
}

void TFeedbackForm::startPost(const QStringList& fields) {
    setBusy(true);
    auto promise = std::make_shared<QPromise<PostResult>>();
    m_watcher = new QFutureWatcher<PostResult>(this);
    connect(m_watcher, &QFutureWatcherBase::finished, this, &TFeedbackForm::finishPost);
    m_watcher->setFuture(promise->future());
    promise->start();
    // The worker holds its own copies; the window may be gone when it ends. A thread of its
    // own rather than Qt's shared pool, which the program waits for when it ends: quitting
    // during a post must not wait for the network.
    std::thread([promise, post = m_context.post, fields] {
        PostResult result;
        if (post)
            result = post(fields, kFeedbackTimeoutMs);
        promise->addResult(result);
        promise->finish();
    }).detach();
}

void TFeedbackForm::finishPost() {
    const PostResult result =
        m_watcher->future().resultCount() > 0 ? m_watcher->result() : PostResult{};
    m_watcher->deleteLater();
    m_watcher = nullptr;
    setBusy(false);
    if (result.ok && feedbackReplyOk(result.reply)) {
        m_context.messages->showMessage(MessageIcon::Information, Translate(kSuccess),
                                        Translate(kFeedbackReceived) + kEmptyLine +
                                            Translate(kThankYou));
        emit postFinished();
        accept();
        return;
    }
    m_context.messages->showMessage(MessageIcon::Error, Translate(kFailure),
                                    Translate(kFeedbackNotDelivered) + kEmptyLine +
                                        Translate(kTryAgainLater));
    emit postFinished();
}

void TFeedbackForm::setBusy(bool busy) {
    BitBtn1->setEnabled(!busy && m_context.canDeliver);
    if (busy == m_busyCursor)
        return;
    m_busyCursor = busy;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}
