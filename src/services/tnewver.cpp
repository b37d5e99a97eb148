#include "services/tnewver.h"

#include "base/desktopfont.h"
#include "i18n/translate.h"
#include "i18n/translationkeys.h"

#include <QCursor>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kAnimationMs = 100;

QFont popupFont(int pointSize, bool bold = false, bool underline = false) {
    QFont font = desktopFont(pointSize);
    font.setBold(bold);
    font.setUnderline(underline);
    return font;
}

} // namespace

QPoint TNewVer::cornerPosition(const QRect& screen, const QSize& size) {
    return {screen.x() + screen.width() - size.width() - 5, screen.y() + 5};
}

TNewVer::TNewVer(NewVerContent content, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                         Qt::WindowDoesNotAcceptFocus),
      m_content(std::move(content)), m_owner(owner) {
    setObjectName(QStringLiteral("TNewVer"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(popupFont(8));

    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setAutoFillBackground(true);
    Panel1 = panel;
    outer->addWidget(Panel1);

    auto* row = new QHBoxLayout(Panel1);
    row->setContentsMargins(3, 3, 0, 3);
    row->setSpacing(3);

    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(60, 60);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(m_content.programIcon.pixmap(48, 48));
    row->addWidget(Image1, 0, Qt::AlignVCenter);

    auto* middle = new QVBoxLayout;
    middle->setSpacing(0);
    Label1 = new QLabel(Translate(QString::fromLatin1(TranslationKeys::kUpdateAvailable)), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(popupFont(10, true));
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    middle->addWidget(Label1);
    Label2 = new QLabel(Translate(QString::fromLatin1(TranslationKeys::kClickToDownload)) +
                            QLatin1Char(' ') + m_content.productName + QLatin1Char(' ') +
                            m_content.newVersion,
                        Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(popupFont(10, false, true));
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setWordWrap(true);
    Label2->setCursor(Qt::PointingHandCursor);
    middle->addWidget(Label2, 1);
    row->addLayout(middle, 1);

    Panel3 = new QWidget(Panel1);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFixedWidth(22);
    auto* strip = new QVBoxLayout(Panel3);
    strip->setContentsMargins(0, 0, 0, 0);
    Button1 = new QToolButton(Panel3);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setFixedSize(22, 22);
    Button1->setIcon(m_content.closeIcon);
    Button1->setAutoRaise(true);
    Button1->setCursor(Qt::PointingHandCursor);
    strip->addWidget(Button1);
    strip->addStretch(1);
    row->addWidget(Panel3);
    connect(Button1, &QToolButton::clicked, this, &TNewVer::Button1Click);

    for (QWidget* body : {static_cast<QWidget*>(this), Panel1, static_cast<QWidget*>(Image1),
                          static_cast<QWidget*>(Label1), Panel3})
        body->installEventFilter(this);
    Label2->installEventFilter(this);

    // The size asked for, or more when the font or scale needs it: nothing is clipped.
    const QSize needed = sizeHint().expandedTo(kClientSize);
    setMinimumSize(needed);
    resize(needed);
    if (const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
        move(cornerPosition(screen->availableGeometry(), size()));

    const auto timer = [this](const char* name, int ms, void (TNewVer::*handler)()) {
        auto* t = new QTimer(this);
        t->setObjectName(QString::fromLatin1(name));
        t->setInterval(ms);
        connect(t, &QTimer::timeout, this, handler);
        t->start();
        return t;
    };
    TimerStart = timer("TimerStart", 1, &TNewVer::TimerStartTimer);
    TimerClose = timer("TimerClose", 1000, &TNewVer::TimerCloseTimer);
    TimerLink = timer("TimerLink", 100, &TNewVer::TimerLinkTimer);
}

void TNewVer::TimerStartTimer() {
    TimerStart->stop();
    setWindowOpacity(0.0);
    show();
    auto* fadeIn = new QPropertyAnimation(this, "windowOpacity", this);
    fadeIn->setDuration(kAnimationMs);
    fadeIn->setStartValue(0.0);
    fadeIn->setEndValue(1.0);
    fadeIn->start(QAbstractAnimation::DeleteWhenStopped);
    // The pop-up must not keep the focus.
    if (m_owner)
        m_owner->activateWindow();
}

void TNewVer::TimerCloseTimer() {
    if (--CloseCountdown > 0)
        return;
    TimerClose->stop();
    closeAnimated();
}

void TNewVer::TimerLinkTimer() {
    setLinkHovered(Label2->rect().contains(Label2->mapFromGlobal(QCursor::pos())));
}

void TNewVer::setLinkHovered(bool hovered) {
    QPalette palette = Label2->palette();
    palette.setColor(QPalette::WindowText,
                     this->palette().color(hovered ? QPalette::Highlight : QPalette::WindowText));
    Label2->setPalette(palette);
}

void TNewVer::Label2Click() {
    // The address comes from the network, perhaps over plain http: only a web page is opened
    // from it, never a file, a program's own scheme or a relative name.
    const QUrl download(m_content.downloadUrl, QUrl::StrictMode);
    const QString scheme = download.scheme().toLower();
    const bool webPage = download.isValid() && !download.host().isEmpty() &&
                         (scheme == QLatin1String("https") || scheme == QLatin1String("http"));
    const QUrl address = webPage ? download : m_content.homePage;
    if (m_content.openUrl)
        m_content.openUrl(address);
    closeAnimated();
}

void TNewVer::Button1Click() {
    closeAnimated();
}

void TNewVer::closeAnimated() {
    TimerClose->stop();
    TimerLink->stop();
    if (m_closing)
        return;
    m_closing = true;
    if (!isVisible()) {
        TimerStart->stop(); // closed before it ever opened: it never opens
        hide();
        return;
    }
    auto* fadeOut = new QPropertyAnimation(this, "windowOpacity", this);
    fadeOut->setDuration(kAnimationMs);
    fadeOut->setStartValue(windowOpacity());
    fadeOut->setEndValue(0.0);
    connect(fadeOut, &QPropertyAnimation::finished, this, &QWidget::hide);
    fadeOut->start(QAbstractAnimation::DeleteWhenStopped);
}

bool TNewVer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label2) {
        // The link takes its presses itself, so they never reach the body and start a drag.
        if (event->type() == QEvent::MouseButtonPress)
            return true;
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
            Label2->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
            Label2Click();
            return true;
        }
        if (event->type() == QEvent::Enter || event->type() == QEvent::Leave)
            setLinkHovered(event->type() == QEvent::Enter);
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::RightButton) {
            m_dragging = true;
            m_dragFrom = mouse->globalPosition().toPoint();
        }
        return false;
    }
    case QEvent::MouseMove:
        if (m_dragging) {
            const QPoint at = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
            move(pos() + (at - m_dragFrom));
            m_dragFrom = at;
        }
        return false;
    case QEvent::MouseButtonRelease:
        m_dragging = false;
        return false;
    default:
        return false;
    }
}
