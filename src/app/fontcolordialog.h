#pragma once

// FontColorDialog: the font dialog of the read pane. Qt's font dialog offers face, size, bold,
// italic, underline and strike-out; this one adds the text colour beside it.

#include <QColor>
#include <QDialog>
#include <QFont>

class QFontDialog;
class QPushButton;

class FontColorDialog : public QDialog {
    Q_OBJECT
public:
    FontColorDialog(const QFont& font, const QColor& color, QWidget* parent = nullptr);

    QFont selectedFont() const;
    QColor selectedColor() const { return m_color; }

private:
    void showColor();

    QFontDialog* m_fonts = nullptr;
    QPushButton* m_colorButton = nullptr;
    QColor m_color;
};
