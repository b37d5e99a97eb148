#include "about/taboutbox.h"

#include "base/desktopfont.h"
#include "base/messageboxservice.h"
#include "base/shippedfiles.h"
#include "i18n/translate.h"
#include "i18n/translationkeys.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegion>
#include <QScreen>
#include <QSvgRenderer>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kRainIntervalMs = 50;
constexpr int kEggStepMs = 5;
constexpr int kEggStepPixels = 5;
constexpr qint64 kReclickGuardMs = 100;

QString translated(const char* key) {
    return Translate(QString::fromLatin1(key));
}

QFont pixelFont(int pixels, bool underline = false) {
    QFont font(desktopFontFamily());
    font.setPixelSize(pixels);
    font.setUnderline(underline);
    return font;
}

// An SVG of the resources drawn at `size` for the given device pixel ratio.
QPixmap svgPixmap(const QString& resource, QSize size, qreal ratio) {
    QPixmap pixmap(size * ratio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

QFrame* frame(QWidget* parent, const char* name, QRect geometry, int style) {
    auto* f = new QFrame(parent);
    f->setObjectName(QString::fromLatin1(name));
    f->setGeometry(geometry);
    f->setFrameStyle(style);
    return f;
}

QLabel* label(QWidget* parent, const char* name, QRect geometry) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    return l;
}

} // namespace

// Draws the animation on the window's off-screen image and collects the cells it touched, so
// the window repaints only those.
class TAboutBox::ImageCanvas : public RainMatrix::Canvas {
public:
    ImageCanvas(QImage& image, QHash<quint64, QImage>& glyphs)
        : m_image(image), m_glyphs(glyphs), m_painter(&image) {}
    void clear() override {
        m_image.fill(Qt::black);
        m_dirty = QRect(QPoint(0, 0), m_image.deviceIndependentSize().toSize());
    }
    void eraseCell(int column, int row) override {
        const QRect r = cell(column, row);
        m_painter.fillRect(r, Qt::black);
        m_dirty += r;
    }
    void drawChar(int column, int row, QChar c, QRgb color) override {
        const QRect r = cell(column, row);
        m_painter.drawImage(r.topLeft(), glyph(c, color));
        m_dirty += r;
    }
    const QRegion& dirty() const { return m_dirty; }

private:
    static QRect cell(int column, int row) {
        return {column * RainMatrix::charWidth, row * RainMatrix::charHeight, RainMatrix::charWidth,
                RainMatrix::charHeight};
    }
    // A cell with one character in one colour, drawn once and then only copied: laying out
    // text for every cell of every tick would cost more than the rest of the animation.
    const QImage& glyph(QChar c, QRgb color) {
        const quint64 key = (quint64(c.unicode()) << 32) | color;
        auto it = m_glyphs.find(key);
        if (it == m_glyphs.end()) {
            const qreal ratio = m_image.devicePixelRatio();
            QImage cellImage(QSize(RainMatrix::charWidth, RainMatrix::charHeight) * ratio,
                             QImage::Format_RGB32);
            cellImage.setDevicePixelRatio(ratio);
            cellImage.fill(Qt::black);
            QPainter painter(&cellImage);
            painter.setFont(pixelFont(RainMatrix::charHeight));
            painter.setPen(QColor(color));
            painter.drawText(QRect(0, 0, RainMatrix::charWidth, RainMatrix::charHeight),
                             Qt::AlignLeft | Qt::AlignTop, QString(c));
            painter.end();
            it = m_glyphs.insert(key, cellImage);
        }
        return *it;
    }

    QImage& m_image;
    QHash<quint64, QImage>& m_glyphs;
    QPainter m_painter;
    QRegion m_dirty;
};

TAboutBox::TAboutBox(AboutBoxContext context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_context(std::move(context)), m_rain(m_context.random ? m_context.random : [](int bound) {
          return int(QRandomGenerator::global()->bounded(bound));
      }) {
    setObjectName(QStringLiteral("TAboutBox"));
    setAttribute(Qt::WA_DeleteOnClose, false); // the caller owns it; each opening builds anew
    setFixedSize(kClientSize);
    setFont(pixelFont(11));
    // The window paints its whole area itself (black and the animation).
    setAttribute(Qt::WA_OpaquePaintEvent);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    black.setColor(QPalette::WindowText, Qt::white);
    setPalette(black);

    // Back to front: the hidden picture, then the card over it.
    PanelEgg = frame(this, "PanelEgg", QRect(0, 0, 324, 220), QFrame::NoFrame);
    PanelEgg->hide();
    ImageEgg = label(PanelEgg, "ImageEgg", QRect(2, 3, 320, 214));
    ImageEgg->setScaledContents(true);

    Panel1 = frame(this, "Panel1", QRect(48, 42, 350, 291), QFrame::Panel | QFrame::Raised);
    QPalette card = black;
    card.setColor(QPalette::Light, QColor(0x80, 0x80, 0x80));
    card.setColor(QPalette::Dark, QColor(0x30, 0x30, 0x30));
    Panel1->setPalette(card);
    Panel1->setAutoFillBackground(true);

    Image2 = label(Panel1, "Image2", QRect(3, 3, 344, 105));
    Bevel1 = frame(Panel1, "Bevel1", QRect(9, 122, 34, 34), QFrame::Box | QFrame::Sunken);
    VirtualImage1 = label(Panel1, "VirtualImage1", QRect(10, 123, 32, 32));
    VirtualImage1->setAlignment(Qt::AlignCenter);

    Label2 = label(Panel1, "Label2", QRect(49, 122, 290, 40));
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setFont(pixelFont(16));
    Label2->setText(m_context.productName + QLatin1Char(' ') + m_context.shortVersion);

    // Light text on dark buttons, as on the card, under any desktop theme.
    const QString buttonStyle =
        QStringLiteral("QPushButton { color: white; background: #1c1c1c; border: 1px solid #6a6a6a;"
                       " border-radius: 3px; padding: 0 8px; }"
                       "QPushButton:hover { background: #2a2a2a; border-color: #9a9a9a; }"
                       "QPushButton:focus { border-color: #7dff6a; }"
                       "QPushButton:pressed { background: #0e0e0e; }");
    const auto button = [&](const char* name, QRect geometry, const char* key) {
        auto* b = new QPushButton(translated(key), Panel1);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(geometry);
        b->setFont(pixelFont(16));
        b->setStyleSheet(buttonStyle);
        return b;
    };
    BitBtn1 = button("BitBtn1", QRect(49, 226, 122, 33), TranslationKeys::kOk);
    BitBtn1->setDefault(true);
    BitBtn2 = button("BitBtn2", QRect(177, 226, 122, 33), TranslationKeys::kInfo);
    // The arrow stands on the button's right side.
    BitBtn2->setLayoutDirection(Qt::RightToLeft);
    BitBtn2->setIconSize(QSize(16, 16));

    Label5 = label(Panel1, "Label5", QRect(2, 291 - 2 - 22, 346, 20));
    Label5->setAlignment(Qt::AlignCenter);
    Label5->setFont(pixelFont(13, true));
    QPalette link = card;
    link.setColor(QPalette::WindowText, QColor(0x32, 0xcd, 0x32)); // lime green
    Label5->setPalette(link);
    Label5->setCursor(Qt::PointingHandCursor);
    Label5->setText(m_context.webHost.isEmpty() ? translated(TranslationKeys::kOnlineHelp)
                                                : m_context.webHost);
    Label5->setToolTip(homePageUrl().toString());

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    // The menu looks like every other menu of the desktop, not like the black window.
    PopupMenu1->setPalette(QGuiApplication::palette());
    const auto item = [this](const char* name, const char* key, void (TAboutBox::*handler)()) {
        QAction* action = PopupMenu1->addAction(translated(key));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    Credits1 = item("Credits1", TranslationKeys::kAcknowledgements, &TAboutBox::Credits1Click);
    Howtouninstall1 =
        item("Howtouninstall1", TranslationKeys::kHowToUninstall, &TAboutBox::Howtouninstall1Click);
    LicensePrivacyPolicy1 = item("LicensePrivacyPolicy1", TranslationKeys::kLicenseMenu,
                                 &TAboutBox::LicensePrivacyPolicy1Click);

    connect(BitBtn1, &QPushButton::clicked, this, &TAboutBox::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TAboutBox::BitBtn2Click);

    tmTimer = new QTimer(this);
    tmTimer->setObjectName(QStringLiteral("tmTimer"));
    connect(tmTimer, &QTimer::timeout, this, &TAboutBox::tmTimerTimer);
    TimerEgg = new QTimer(this);
    TimerEgg->setObjectName(QStringLiteral("TimerEgg"));
    TimerEgg->setInterval(kEggStepMs);
    connect(TimerEgg, &QTimer::timeout, this, &TAboutBox::TimerEggTimer);

    for (QWidget* w :
         {static_cast<QWidget*>(this), static_cast<QWidget*>(Panel1), static_cast<QWidget*>(Image2),
          static_cast<QWidget*>(Label2), static_cast<QWidget*>(VirtualImage1),
          static_cast<QWidget*>(ImageEgg), static_cast<QWidget*>(Label5)})
        w->installEventFilter(this);

    // FormCreate, in its order.
    startAnimation();
    setWindowTitle(
        TranslateFormat(QString::fromLatin1(TranslationKeys::kAbout), m_context.productName));
    HighDPIImageYukle();
    PanelEgg->move((width() - PanelEgg->width()) / 2, (height() - PanelEgg->height()) / 2);

    // Centred on the screen of the window that opened it.
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QUrl TAboutBox::homePageUrl() const {
    return sitePageUrl(m_context.webHost, QStringLiteral("https"), QStringLiteral("/"),
                       m_context.programFile, QStringLiteral("index.html"));
}

QUrl TAboutBox::creditsUrl() const {
    return sitePageUrl(m_context.webHost, QStringLiteral("https"),
                       QStringLiteral("/blog/credits-and-acknowledgements/"), m_context.programFile,
                       QStringLiteral("acknowledgements.html"));
}

QUrl TAboutBox::uninstallUrl() const {
    return sitePageUrl(m_context.webHost, QStringLiteral("http"),
                       QStringLiteral("/blog/how-to-uninstall-tarnick-software/"),
                       m_context.programFile, QStringLiteral("uninstall.html"));
}

void TAboutBox::HighDPIImageYukle() {
    const qreal ratio = devicePixelRatioF();
    Image2->setPixmap(
        svgPixmap(QStringLiteral(":/about/tarnick-logo-big-ai-black.svg"), Image2->size(), ratio));
    ImageEgg->setPixmap(svgPixmap(QStringLiteral(":/about/cat.svg"), ImageEgg->size(), ratio));
    VirtualImage1->setPixmap(m_context.programIcon.pixmap(VirtualImage1->size(), ratio));
    BitBtn2->setIcon(QIcon(svgPixmap(QStringLiteral(":/about/arrow.svg"), QSize(16, 16), ratio)));
}

void TAboutBox::startAnimation() {
    const qreal ratio = devicePixelRatioF();
    const QSize outer = frameGeometry().size();
    m_canvasRatio = ratio;
    m_glyphs.clear();
    // The grid spans the outer size; the image holds whole cells of it.
    const QSize cells((outer.width() / RainMatrix::charWidth) * RainMatrix::charWidth,
                      (outer.height() / RainMatrix::charHeight) * RainMatrix::charHeight);
    m_canvas = QImage(cells.expandedTo(QSize(1, 1)) * ratio, QImage::Format_RGB32);
    m_canvas.setDevicePixelRatio(ratio);
    ImageCanvas canvas(m_canvas, m_glyphs);
    m_rain.start(outer.width(), outer.height(), canvas);
    tmTimer->start(kRainIntervalMs);
    update();
}

void TAboutBox::FormAfterMonitorDpiChanged() {
    HighDPIImageYukle();
    startAnimation();
}

void TAboutBox::tmTimerTimer() {
    // A new outer size (the window manager's frame arrives after the first show) or a new
    // scale lays the grid out anew.
    if (!qFuzzyCompare(devicePixelRatioF(), m_canvasRatio))
        FormAfterMonitorDpiChanged();
    else if (frameGeometry().size() != QSize(m_rain.bitmapWidth(), m_rain.bitmapHeight()))
        startAnimation();
    ImageCanvas canvas(m_canvas, m_glyphs);
    m_rain.tick(canvas);
    update(canvas.dirty());
}

void TAboutBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const qreal ratio = m_canvas.devicePixelRatio();
    for (const QRect& r : event->region()) {
        painter.fillRect(r, Qt::black);
        const QRectF source(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio);
        painter.drawImage(QRectF(r), m_canvas, source);
    }
}

void TAboutBox::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (frameGeometry().size() != QSize(m_rain.bitmapWidth(), m_rain.bitmapHeight()))
        startAnimation();
}

void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QWindow* window = windowHandle()) {
        connect(window, &QWindow::screenChanged, this, &TAboutBox::FormAfterMonitorDpiChanged,
                Qt::UniqueConnection);
    }
}

void TAboutBox::Image1DblClick() {
    if (TimerEgg->isActive())
        return;
    PanelEgg->show();
    // The step interval scales with the window's DPI against the screen's, as the slide's speed
    // is given in screen pixels.
    const QScreen* s = screen();
    const qreal screenDpi = s ? s->logicalDotsPerInch() : 96.0;
    const qreal windowDpi = logicalDpiX() > 0 ? logicalDpiX() : 96.0;
    TimerEgg->setInterval(std::max(1, int(std::lround(kEggStepMs * screenDpi / windowDpi))));
    TimerEgg->start();
}

void TAboutBox::TimerEggTimer() {
    Panel1->move(Panel1->x() + kEggStepPixels, Panel1->y());
    if (Panel1->x() > width())
        TimerEgg->stop();
}

void TAboutBox::ImageEggDblClick() {
    if (TimerEgg->isActive())
        return;
    PanelEgg->hide();
    Panel1->move((width() - Panel1->width()) / 2, Panel1->y());
}

void TAboutBox::BitBtn1Click() {
    accept();
}

void TAboutBox::BitBtn2Click() {
    const auto now = [this] {
        if (m_context.tickCount)
            return m_context.tickCount();
        static QElapsedTimer clock;
        if (!clock.isValid())
            clock.start();
        return clock.elapsed();
    };
    // A click on the button while its menu is open first closes the menu; that click must not
    // open it again.
    if (m_popupButton == BitBtn2 && m_popupMenu == PopupMenu1 &&
        now() - m_popupClosedAt < kReclickGuardMs) {
        m_popupButton = nullptr;
        m_popupMenu = nullptr;
        return;
    }
    const QPoint at = BitBtn2->mapToGlobal(QPoint(0, BitBtn2->height()));
    if (m_context.popupMenu)
        m_context.popupMenu(PopupMenu1, at);
    else
        PopupMenu1->exec(at);
    m_popupClosedAt = now();
    m_popupButton = BitBtn2;
    m_popupMenu = PopupMenu1;
}

void TAboutBox::open(const QUrl& url) const {
    if (m_context.openUrl)
        m_context.openUrl(url);
}

void TAboutBox::Label5Click() {
    open(homePageUrl());
}

void TAboutBox::Credits1Click() {
    open(creditsUrl());
}

void TAboutBox::Howtouninstall1Click() {
    open(uninstallUrl());
}

void TAboutBox::LicensePrivacyPolicy1Click() {
    const QString path = shippedFilePath(m_context.programFile, QStringLiteral("license.txt"));
    if (QFileInfo(path).isFile()) {
        open(QUrl::fromLocalFile(path));
        return;
    }
    if (m_context.messages)
        m_context.messages->showMessage(MessageIcon::Error, translated(TranslationKeys::kLicense),
                                        translated(TranslationKeys::kFileNotFound));
}

bool TAboutBox::startsDrag(QObject* watched) const {
    return watched == this || watched == Panel1 || watched == Image2 || watched == Label2 ||
           watched == VirtualImage1 || watched == ImageEgg;
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
        if (watched == VirtualImage1)
            Image1DblClick();
        else if (watched == ImageEgg)
            ImageEggDblClick();
        break;
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (watched == Label5) {
            return true; // the link takes its own presses: no drag starts there
        }
        if (startsDrag(watched) && mouse->button() != Qt::RightButton) {
            m_dragging = true;
            m_dragFrom = mouse->globalPosition().toPoint();
            return true;
        }
        break;
    }
    case QEvent::MouseMove:
        if (m_dragging && startsDrag(watched)) {
            const QPoint at = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
            move(pos() + (at - m_dragFrom));
            m_dragFrom = at;
            return true;
        }
        break;
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (watched == Label5) {
            if (mouse->button() == Qt::LeftButton &&
                Label5->rect().contains(mouse->position().toPoint()))
                Label5Click();
            return true;
        }
        if (m_dragging) {
            m_dragging = false;
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}
