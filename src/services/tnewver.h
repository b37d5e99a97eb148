#pragma once

// TNewVer: the update pop-up. A small borderless window that stays on top, opens in the
// top-right corner of the available screen area (5 px in) with a short animation and without
// taking the keyboard focus, offers a link to the new version's download page, and closes
// itself after CloseCountdown ticks of TimerClose (about 11 s), by its link (after opening the
// page) or by its close button. Its body can be dragged. Closing only hides it.

#include <QIcon>
#include <QPoint>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>

class QLabel;
class QTimer;
class QToolButton;

struct NewVerContent {
    QString productName;
    QString newVersion;
    QString downloadUrl; // the reply's download page; empty: homePage
    QUrl homePage;
    QIcon programIcon;
    QIcon closeIcon;
    std::function<void(const QUrl&)> openUrl; // failures go unnoticed
};

class TNewVer : public QWidget {
    Q_OBJECT
public:
    // Created hidden; TimerStart shows it once the event loop runs. `owner` gets the focus back.
    explicit TNewVer(NewVerContent content, QWidget* owner);

    // The client area the pop-up asks for at scale 1; larger when its content needs it.
    static constexpr QSize kClientSize{320, 68};
    // Where the pop-up goes in an available screen area of `screen`.
    static QPoint cornerPosition(const QRect& screen, const QSize& size);

    int CloseCountdown = 11;

    QWidget* Panel1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QWidget* Panel3 = nullptr;
    QToolButton* Button1 = nullptr;
    QTimer* TimerStart = nullptr;
    QTimer* TimerClose = nullptr;
    QTimer* TimerLink = nullptr;

public slots:
    void TimerStartTimer();
    void TimerCloseTimer();
    void TimerLinkTimer();
    void Label2Click();
    void Button1Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Plays the closing animation, then hides.
    void closeAnimated();
    void setLinkHovered(bool hovered);

    NewVerContent m_content;
    QWidget* m_owner = nullptr;
    bool m_dragging = false;
    QPoint m_dragFrom;
    bool m_closing = false;
};
