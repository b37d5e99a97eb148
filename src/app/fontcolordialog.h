#pragma once

// FontColorDialog: the font dialog of the read pane. Qt's font dialog offers face, size, bold,
// italic, underline and strike-out; this one adds the text colour below it.
//
// It opens on the face text is really drawn with (a font named but not installed shows the
// face standing in for it), and what it returns keeps the font it was given wherever the user
// changed nothing: unchanged, the very same font; with only the size or style changed, the
// original face name. Escape anywhere cancels the whole dialog, Enter anywhere accepts it.

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

    // The embedded font chooser, for tests.
    QFontDialog* fontChooser() const { return m_fonts; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showColor();

    QFont m_original; // as given
    QFont m_shown;    // what the font chooser showed at first
    QFontDialog* m_fonts = nullptr;
    QPushButton* m_colorButton = nullptr;
    QPushButton* m_okButton = nullptr;
    QColor m_color;
};
