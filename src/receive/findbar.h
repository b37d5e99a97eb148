#pragma once

// FindBar: the read pane's find bar, docked above its text while open: the search text,
// Previous and Next, "Match case", the match count and a close button. Enter and Shift+Enter
// in the text step forward and back and Esc closes the bar, winning over any window shortcut
// on those keys. The bar only reports what the user asks for; the pane does the searching.

#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;

class FindBar : public QWidget {
public:
    explicit FindBar(QWidget* parent);

    std::function<void(bool forward)> onStep;
    std::function<void()> onClose;
    QLineEdit* text;
    QToolButton* previous;
    QToolButton* next;
    QCheckBox* matchCase;
    QLabel* count;
    QToolButton* close;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
