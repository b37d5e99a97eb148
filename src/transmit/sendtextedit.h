#pragma once

// SendTextEdit: a text box for data to be sent (the send box, the Send Later command box) that
// gives back exactly the characters it holds. A plain text box would turn a lone CR or LF into
// a line break and lose the difference, and hides control characters; here a line break the
// user types or pastes stands for CR LF, while characters set through setExactText() or copied
// between these boxes keep their codes. Such characters (controls, a lone CR or LF, no-break
// space, soft hyphen, and the few codes the document would treat as breaks or objects) are held
// as one labelled box each ("LF", "ESC", "A0"), never as text the user could type.
// Enter makes a new line; Ctrl+Enter asks for the text to be sent (submitRequested) instead.
// The box can be told which characters it takes (the digits of a send format): typing, pasting
// or dropping anything else adds nothing and says so (inputRefused).

#include <QPlainTextEdit>
#include <QTextObjectInterface>

#include <functional>

class SendTextEdit : public QPlainTextEdit, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    explicit SendTextEdit(QWidget* parent = nullptr);

    // The box's characters; each line break is CR LF.
    QString exactText() const;
    // Replaces the box's text (not undoable, caret at the start); a CR LF pair becomes a line
    // break, every other character is kept as itself.
    void setExactText(const QString& text);
    // Limits what typing, pasting and dropping may add, beside line breaks; unset: anything.
    // Text given to setExactText() is not checked.
    void setAcceptedCharacters(std::function<bool(QChar)> accepts);

signals:
    // Ctrl+Enter (either Enter key) was pressed; nothing was inserted.
    void submitRequested();
    // Typed (`pasted` false) or pasted or dropped text was refused whole: its character at
    // `position` is the first the box does not take.
    void inputRefused(const QString& text, qsizetype position, bool pasted);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    // The position of the first character of `text` the box does not take; -1: none.
    qsizetype firstRefused(QStringView text) const;

    std::function<bool(QChar)> m_accepts;

    QSizeF intrinsicSize(QTextDocument* doc, int posInDocument, const QTextFormat& format) override;
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int posInDocument,
                    const QTextFormat& format) override;
};
