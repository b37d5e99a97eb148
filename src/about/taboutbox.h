#pragma once

// TAboutBox: the About window. A fixed-size black window, centred on the main window's screen,
// with the product name and version, the program icon, the maker's logo, OK, an Info button
// whose menu opens the acknowledgements and uninstall pages and the licence text, a link to the
// maker's home page, and a falling-characters animation behind a central card. A double-click on
// the icon slides the card away to uncover a hidden picture; a double-click on that picture puts
// the card back. The window can be dragged by its body. Nothing survives between openings.
// The animation is drawn on an off-screen image that the window paints, so nothing flickers at
// any scale; the grid follows the window's outer size and device pixel ratio.

#include "about/rainmatrix.h"

#include <QDialog>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QUrl>

#include <functional>

class MessageBoxService;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;

struct AboutBoxContext {
    QString productName;  // "Brevane"
    QString shortVersion; // "2.0"
    QString programFile;  // the running executable: license.txt and the bundled help lie near it
    QString webHost;      // the maker's web host; empty: pages open from the bundled help
    QIcon programIcon;
    MessageBoxService* messages = nullptr;
    std::function<void(const QUrl&)> openUrl; // reports its own failures
    // Milliseconds of a steady clock, for the Info button's re-click guard.
    std::function<qint64()> tickCount;
    // Shows the menu at a global position and returns when it has closed.
    std::function<void(QMenu*, const QPoint&)> popupMenu;
    RainMatrix::Random random; // empty: a real random generator
};

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(AboutBoxContext context, QWidget* parent = nullptr);

    static constexpr QSize kClientSize{446, 374};

    QFrame* PanelEgg = nullptr;
    QLabel* ImageEgg = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* Image2 = nullptr;
    QFrame* Bevel1 = nullptr;
    QLabel* VirtualImage1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QLabel* Label5 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Credits1 = nullptr;
    QAction* Howtouninstall1 = nullptr;
    QAction* LicensePrivacyPolicy1 = nullptr;
    QTimer* tmTimer = nullptr;
    QTimer* TimerEgg = nullptr;

    const RainMatrix& rain() const { return m_rain; }
    // The off-screen picture of the animation, in device pixels.
    const QImage& rainImage() const { return m_canvas; }
    bool dragging() const { return m_dragging; }

    // The page each link opens.
    QUrl homePageUrl() const;
    QUrl creditsUrl() const;
    QUrl uninstallUrl() const;

public slots:
    void tmTimerTimer();
    void TimerEggTimer();
    void Image1DblClick();
    void ImageEggDblClick();
    void BitBtn1Click();
    void BitBtn2Click();
    void Label5Click();
    void Credits1Click();
    void Howtouninstall1Click();
    void LicensePrivacyPolicy1Click();
    // Loads the pictures at the current device pixel ratio.
    void HighDPIImageYukle();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    class ImageCanvas;

    void startAnimation();
    void FormAfterMonitorDpiChanged();
    void open(const QUrl& url) const;
    bool startsDrag(QObject* watched) const;

    AboutBoxContext m_context;
    RainMatrix m_rain;
    QImage m_canvas;
    QHash<quint64, QImage> m_glyphs; // cell pictures by character and colour
    qreal m_canvasRatio = 0;
    bool m_dragging = false;
    QPoint m_dragFrom;
    // The Info button's last menu: which button dropped which menu, and when it closed.
    QPointer<QPushButton> m_popupButton;
    QPointer<QMenu> m_popupMenu;
    qint64 m_popupClosedAt = 0;
};
