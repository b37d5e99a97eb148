#include "transmit/sendtextedit.h"

#include "receive/bytecodecs.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kStandInObject = QTextFormat::UserObject + 1;
constexpr int kCodeProperty = QTextFormat::UserProperty + 1;
// What these boxes put on the clipboard beside plain text, so a copy between them keeps every
// character: UTF-16, little-endian.
const QString kExactMime = QStringLiteral("application/x-brevane-exact-text");
constexpr char16_t kObject = QChar::ObjectReplacementCharacter;
constexpr qreal kLabelScale = 0.7;
constexpr qreal kLabelPadding = 2.0;
constexpr qreal kLabelOpacity = 0.6;

// Characters a document would turn into breaks or objects, or that draw as nothing or as an
// anonymous box. A tab draws as itself and stays text.
bool needsStandIn(char16_t c) {
    return (c < 0x20 && c != u'\t') || (c >= 0x7F && c <= 0xA0) || c == 0xAD ||
           c == QChar::LineSeparator || c == QChar::ParagraphSeparator || c == 0xFDD0 ||
           c == 0xFDD1 || c == kObject;
}

QString standInLabel(char16_t c) {
    if (const QLatin1StringView name = ControlName(c); !name.isEmpty())
        return name;
    switch (c) {
    case 0xA0:
        return QStringLiteral("NBSP");
    case 0xAD:
        return QStringLiteral("SHY");
    case QChar::LineSeparator:
        return QStringLiteral("LS");
    case QChar::ParagraphSeparator:
        return QStringLiteral("PS");
    default:
        return QString::number(c, 16).toUpper();
    }
}

QTextCharFormat standInFormat(char16_t c) {
    QTextCharFormat format;
    format.setObjectType(kStandInObject);
    format.setProperty(kCodeProperty, int(c));
    // Drawn over the whole line's height without changing it.
    format.setVerticalAlignment(QTextCharFormat::AlignBottom);
    return format;
}

// The character a stand-in holds; -1 for any other format. Text typed next to a stand-in takes
// over its properties but never its object type, so only a stand-in itself is read as one.
int standInCode(const QTextFormat& format) {
    if (format.objectType() != kStandInObject || !format.hasProperty(kCodeProperty))
        return -1;
    return format.intProperty(kCodeProperty);
}

// The characters between two document positions, a line break (a block boundary, or a line
// separator typed with Shift+Enter) given as `lineBreak`.
QString exactSlice(const QTextDocument* doc, int from, int to, QStringView lineBreak) {
    QString out;
    for (QTextBlock block = doc->findBlock(from); block.isValid(); block = block.next()) {
        if (block.position() >= to)
            break;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int start = std::max(fragment.position(), from);
            const int end = std::min(fragment.position() + fragment.length(), to);
            if (start >= end)
                continue;
            const QString text = fragment.text().mid(start - fragment.position(), end - start);
            const int code = standInCode(fragment.charFormat());
            for (QChar c : text) {
                if (code >= 0 && c == kObject)
                    out += QChar(code);
                else if (code < 0 && c == QChar::LineSeparator)
                    out += lineBreak;
                else
                    out += c;
            }
        }
        const int separator = block.position() + block.length() - 1;
        if (separator >= from && separator < to && block.next().isValid())
            out += lineBreak;
    }
    return out;
}

// Inserts `text` at the cursor, over its selection, as one undo step: a CR LF pair as a line
// break, characters that need it as stand-ins, the rest as plain text (never in the format of
// the neighbouring character, which may be a stand-in's).
void insertExact(QTextCursor& cursor, QStringView text) {
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    const QTextCharFormat plain;
    qsizetype runStart = 0;
    const auto flush = [&](qsizetype end) {
        if (end > runStart)
            cursor.insertText(text.sliced(runStart, end - runStart).toString(), plain);
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            flush(i);
            cursor.insertBlock(cursor.blockFormat(), plain);
            runStart = ++i + 1;
        } else if (needsStandIn(c)) {
            flush(i);
            cursor.insertText(QString(QChar(kObject)), standInFormat(c));
            runStart = i + 1;
        }
    }
    flush(text.size());
    cursor.endEditBlock();
}

// Pasted text from elsewhere: each of its line breaks, in whatever convention, is one the user
// meant, so it becomes CR LF like a typed one.
QString withTypedLineBreaks(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r' || c == u'\n' || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator) {
            out += QLatin1String("\r\n");
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            out += QChar(c);
        }
    }
    return out;
}

QByteArray utf16le(QStringView text) {
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (QChar c : text) {
        bytes += char(c.unicode() & 0xFF);
        bytes += char(c.unicode() >> 8);
    }
    return bytes;
}

QString fromUtf16le(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        text += QChar(char16_t(quint8(bytes[i]) | quint8(bytes[i + 1]) << 8));
    return text;
}

QFont labelFont(QFont font) {
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * kLabelScale);
    else
        font.setPixelSize(std::max(1, int(font.pixelSize() * kLabelScale)));
    return font;
}

} // namespace

SendTextEdit::SendTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
    document()->documentLayout()->registerHandler(kStandInObject, this);
}

QString SendTextEdit::exactText() const {
    return exactSlice(document(), 0, document()->characterCount() - 1, u"\r\n");
}

void SendTextEdit::setExactText(const QString& text) {
    setPlainText(QString()); // as setPlainText: no undo history, caret at the start
    QTextDocument* doc = document();
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    QTextCursor cursor(doc);
    insertExact(cursor, text);
    doc->setUndoRedoEnabled(undo);
    doc->setModified(false);
    moveCursor(QTextCursor::Start);
}

void SendTextEdit::setAcceptedCharacters(std::function<bool(QChar)> accepts) {
    m_accepts = std::move(accepts);
}

qsizetype SendTextEdit::firstRefused(QStringView text) const {
    if (!m_accepts)
        return -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const bool lineBreak =
            c == u'\r' || c == u'\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
        if (!lineBreak && !m_accepts(text[i]))
            return i;
    }
    return -1;
}

void SendTextEdit::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (enter && mods == Qt::ControlModifier) {
        event->accept();
        emit submitRequested();
        return;
    }
    // Only printable text is checked: control codes here are editing keys and shortcuts.
    const QString typed = event->text();
    const bool printable = !typed.isEmpty() && std::all_of(typed.begin(), typed.end(), [](QChar c) {
        return c.unicode() >= 0x20 && c.unicode() != 0x7F;
    });
    if (printable) {
        if (const qsizetype bad = firstRefused(typed); bad >= 0) {
            event->accept();
            emit inputRefused(typed, bad, false);
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void SendTextEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (const qsizetype bad = firstRefused(event->commitString()); bad >= 0) {
        const QString committed = event->commitString();
        // The composition ends with nothing added.
        QInputMethodEvent nothing;
        QPlainTextEdit::inputMethodEvent(&nothing);
        event->accept();
        emit inputRefused(committed, bad, false);
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

QMimeData* SendTextEdit::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    const int from = cursor.selectionStart();
    const int to = cursor.selectionEnd();
    auto* data = new QMimeData;
    data->setData(kExactMime, utf16le(exactSlice(document(), from, to, u"\r\n")));
    // Other programs get the characters themselves, line breaks as this system writes them.
    data->setText(exactSlice(document(), from, to, u"\n"));
    return data;
}

bool SendTextEdit::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasFormat(kExactMime) || QPlainTextEdit::canInsertFromMimeData(source);
}

void SendTextEdit::insertFromMimeData(const QMimeData* source) {
    const bool exact = source->hasFormat(kExactMime);
    if (!exact && !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    const QString text =
        exact ? fromUtf16le(source->data(kExactMime)) : withTypedLineBreaks(source->text());
    if (const qsizetype bad = firstRefused(text); bad >= 0) {
        emit inputRefused(text, bad, true);
        return;
    }
    QTextCursor cursor = textCursor();
    insertExact(cursor, text);
    setTextCursor(cursor);
    ensureCursorVisible();
}

QSizeF SendTextEdit::intrinsicSize(QTextDocument* doc, int, const QTextFormat& format) {
    const QFont font = doc->defaultFont();
    const QFontMetricsF text(font);
    const QFontMetricsF label(labelFont(font));
    const qreal width = label.horizontalAdvance(standInLabel(char16_t(standInCode(format))));
    return QSizeF(std::ceil(width + 4 * kLabelPadding), text.ascent() + text.descent());
}

void SendTextEdit::drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int,
                              const QTextFormat& format) {
    // The pen is the text's colour where the stand-in is drawn, selected or not; faded, so a
    // stand-in reads apart from typed text on any background.
    QColor muted = painter->pen().color();
    muted.setAlphaF(muted.alphaF() * kLabelOpacity);
    const QRectF box = rect.adjusted(kLabelPadding / 2, 1.5, -kLabelPadding / 2, -1.5);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(muted, 1.0));
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(box, 2.5, 2.5);
    painter->setFont(labelFont(doc->defaultFont()));
    painter->drawText(box, Qt::AlignCenter, standInLabel(char16_t(standInCode(format))));
    painter->restore();
}
