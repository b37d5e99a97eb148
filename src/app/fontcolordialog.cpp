#include "app/fontcolordialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

FontColorDialog::FontColorDialog(const QFont& font, const QColor& color, QWidget* parent)
    : QDialog(parent), m_color(color) {
    setWindowTitle(QStringLiteral("Font"));
    m_fonts = new QFontDialog(font, this);
    // Shown inside this window, without its own buttons.
    m_fonts->setWindowFlags(Qt::Widget);
    m_fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);

    m_colorButton = new QPushButton(this);
    m_colorButton->setObjectName(QStringLiteral("ColorButton"));
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
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addWidget(m_fonts);
    column->addLayout(colorRow);
    column->addWidget(buttons);
}

QFont FontColorDialog::selectedFont() const {
    return m_fonts->currentFont();
}

void FontColorDialog::showColor() {
    QPixmap swatch(32, 16);
    swatch.fill(m_color);
    m_colorButton->setIcon(QIcon(swatch));
    m_colorButton->setText(m_color.name());
}
