#include "app/fontcolordialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QListView>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The font as the chooser can show it: the face drawn, the rest as given.
QFont installedFace(QFont font) {
    const QFontInfo drawn(font);
    const QString family = drawn.family();
    font.setFamily(family);
    // The chooser looks a style up by name, and the generic name it derives from weight and
    // slant ("Normal") misses a face whose regular style is called otherwise ("Book"); it
    // would then show the family's first style, maybe an italic one. The drawn face's own
    // style name is exact, unless that face is slanted or emboldened by the font engine.
    const QString style = drawn.styleName();
    if (QFontDatabase::styles(family).contains(style)) {
        const QFont face = QFontDatabase::font(family, style, font.pointSize());
        if (face.bold() == font.bold() && face.italic() == font.italic())
            font.setStyleName(style);
    }
    return font;
}

bool isEnter(const QKeyEvent* key) {
    return (key->key() == Qt::Key_Return && key->modifiers() == Qt::NoModifier) ||
           (key->key() == Qt::Key_Enter && (key->modifiers() & ~Qt::KeypadModifier) == 0);
}

} // namespace

FontColorDialog::FontColorDialog(const QFont& font, const QColor& color, QWidget* parent)
    : QDialog(parent), m_original(font), m_color(color) {
    setWindowTitle(QStringLiteral("Font"));
    m_fonts = new QFontDialog(installedFace(font), this);
    // Shown inside this window, without its own buttons and margins: its columns line up with
    // the colour row and the buttons below.
    m_fonts->setWindowFlags(Qt::Widget);
    m_fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    m_fonts->setSizeGripEnabled(false); // it would sit in the middle of this window
    if (QLayout* inner = m_fonts->layout())
        inner->setContentsMargins(0, 0, 0, 0);
    m_shown = m_fonts->currentFont();

    // The chooser is a dialog of its own: left alone, Escape would close just it and Enter in
    // its lists would accept just it, leaving this window with the colour row only. Its lists
    // filter their keys themselves, so they are watched too (a later filter runs first); keys
    // the other controls leave unhandled reach the chooser. A drop-down's list is a window of
    // its own and keeps Escape for closing itself.
    m_fonts->installEventFilter(this);
    for (QListView* list : m_fonts->findChildren<QListView*>())
        if (list->window() == this)
            list->installEventFilter(this);
    connect(m_fonts, &QDialog::finished, this, &QDialog::done);

    m_colorButton = new QPushButton(this);
    m_colorButton->setObjectName(QStringLiteral("ColorButton"));
    m_colorButton->setAutoDefault(false);
    m_colorButton->setIconSize(QSize(32, 16));
    connect(m_colorButton, &QPushButton::clicked, this, [this] {
        const QColor chosen = QColorDialog::getColor(m_color, this, QStringLiteral("Color"));
        if (chosen.isValid()) {
            m_color = chosen;
            showColor();
        }
    });
    showColor();

    auto* colorRow = new QHBoxLayout;
    colorRow->addWidget(new QLabel(QStringLiteral("Color:"), this));
    colorRow->addWidget(m_colorButton);
    colorRow->addStretch(1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_okButton = buttons->button(QDialogButtonBox::Ok);
    m_okButton->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addWidget(m_fonts);
    column->addLayout(colorRow);
    column->addWidget(buttons);
}

QFont FontColorDialog::selectedFont() const {
    QFont chosen = m_fonts->currentFont();
    if (chosen == m_shown)
        return m_original;
    // The face shown in place of one that is not installed still stands for it.
    if (chosen.family() == m_shown.family())
        chosen.setFamily(m_original.family());
    return chosen;
}

bool FontColorDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Cancel)) {
            reject();
            return true;
        }
        if (isEnter(key)) {
            m_okButton->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FontColorDialog::showColor() {
    // Drawn at the screen's pixel ratio, so it stays sharp on a scaled desktop.
    const qreal ratio = devicePixelRatio();
    QPixmap swatch(QSize(32, 16) * ratio);
    swatch.setDevicePixelRatio(ratio);
    swatch.fill(m_color);
    m_colorButton->setIcon(QIcon(swatch));
    m_colorButton->setText(m_color.name());
}
