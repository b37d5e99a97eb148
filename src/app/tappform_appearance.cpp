// The read pane's appearance (colours and font, stored in the settings) and the output commands
// Clear, Save to File and Copy to Clipboard.

#include "app/colorvalues.h"
#include "app/fontcolordialog.h"
#include "app/startupvalues.h"
#include "app/tappform.h"
#include "base/messageboxservice.h"
#include "i18n/translate.h"
#include "i18n/translationkeys.h"
#include "receive/readpane.h"
#include "transmit/sendformat.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSaveFile>

namespace {

const QString kSection = QStringLiteral("Settings");

// The palette colour that stands for each system colour index.
QPalette::ColorRole systemRole(int index) {
    switch (index) {
    case 0:
        return QPalette::Button; // scroll bar
    case 2:
        return QPalette::Highlight; // active caption
    case 3:
        return QPalette::Mid; // inactive caption
    case 5:
        return QPalette::Base; // window
    case 6:
        return QPalette::Shadow; // window frame
    case 7:
        return QPalette::WindowText; // menu text
    case 8:
        return QPalette::Text; // window text
    case 9:
        return QPalette::HighlightedText; // caption text
    case 12:
        return QPalette::Dark; // application workspace
    case 13:
        return QPalette::Highlight;
    case 14:
        return QPalette::HighlightedText;
    case 15:
        return QPalette::Button; // button face
    case 16:
        return QPalette::Mid; // button shadow
    case 17:
        return QPalette::PlaceholderText; // grey text
    case 18:
        return QPalette::ButtonText;
    case 19:
        return QPalette::WindowText; // inactive caption text
    case 20:
        return QPalette::Light; // button highlight
    case 21:
        return QPalette::Shadow; // 3D dark shadow
    case 22:
        return QPalette::Midlight; // 3D light
    case 23:
        return QPalette::ToolTipText;
    case 24:
        return QPalette::ToolTipBase;
    case 26:
        return QPalette::Link; // hot light
    case 27:
        return QPalette::Highlight; // gradient active caption
    case 28:
        return QPalette::Mid; // gradient inactive caption
    case 29:
        return QPalette::Highlight; // menu highlight
    default:
        return QPalette::Window; // desktop, menu, borders, menu bar
    }
}

// Style number: 1 bold, 2 underline, 4 italic; reading keeps the original's rules, so 8 and
// above read as italic.
int styleNumber(const QFont& font) {
    return (font.bold() ? 1 : 0) + (font.underline() ? 2 : 0) + (font.italic() ? 4 : 0);
}

void applyStyleNumber(QFont& font, int n) {
    font.setBold(n % 2 != 0);
    font.setUnderline(n == 2 || n == 3 || n == 6 || n == 7);
    font.setItalic(n > 3);
    font.setStrikeOut(false);
}

// An integer as the settings reader of the original takes it: decimal, "$" or "0x" hexadecimal.
std::optional<int> storedInteger(const QString& text) {
    bool ok = false;
    int v = 0;
    if (text.startsWith(u'$'))
        v = int(text.mid(1).toUInt(&ok, 16));
    else if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = int(text.mid(2).toUInt(&ok, 16));
    else
        v = text.toInt(&ok, 10);
    return ok ? std::optional<int>(v) : std::nullopt;
}

} // namespace

void TAppForm::connectAppearanceHandlers() {
    connect(ChangeBackgroundColor1, &QAction::triggered, this,
            &TAppForm::ChangeBackgroundColor1Click);
    connect(ChangeFont1, &QAction::triggered, this, &TAppForm::ChangeFont1Click);
    connect(Clear1, &QAction::triggered, this, &TAppForm::Clear1Click);
    connect(Save1, &QAction::triggered, this, &TAppForm::Save1Click);
    connect(Copy1, &QAction::triggered, this, &TAppForm::Copy1Click);
    // Until the settings are read (or when reading them stops early), the palette's colours.
    showPaneColors();
    // The application hears of a new palette in every Qt version; its windows not in all.
    qApp->installEventFilter(this);
}

QColor TAppForm::displayColor(quint32 value, bool background) const {
    if (isSystemColor(value))
        return QApplication::palette(Memo1).color(systemRole(systemColorIndex(value)));
    if ((value & 0xFF000000u) != 0) // clDefault, clNone and other special values: the default
        return displayColor(background ? kWindowColor : kWindowTextColor, background);
    return QColor(redOf(value), greenOf(value), blueOf(value));
}

void TAppForm::showPaneColors() {
    Memo1->setBackgroundColor(displayColor(BackgroundColorValue, true));
    Memo1->setTextColor(displayColor(TextColorValue, false));
}

bool TAppForm::eventFilter(QObject* watched, QEvent* event) {
    // A new desktop palette: the system colours (the defaults among them) take its colours.
    if (event->type() == QEvent::ApplicationPaletteChange && watched == qApp)
        showPaneColors();
    return QMainWindow::eventFilter(watched, event);
}

void TAppForm::showMessageFromConversion(const QString& text) {
    m_env.messages->showMessage(MessageIcon::Error, startupValues().ProductName, text);
}

bool TAppForm::FontHatirla() {
    const auto read = [this](const char* key) {
        return m_settings->ReadString(kSection, QLatin1String(key), QString());
    };
    const auto color = [this](const QString& text) -> std::optional<quint32> {
        const auto value = StringToColor(text);
        if (!value)
            showMessageFromConversion(QStringLiteral("'%1' is not a valid color value").arg(text));
        return value;
    };
    const auto integer = [this](const QString& text) -> std::optional<int> {
        const auto value = storedInteger(text);
        if (!value)
            showMessageFromConversion(
                QStringLiteral("'%1' is not a valid integer value").arg(text));
        return value;
    };

    const QString background = read("BackgroundColor");
    std::optional<quint32> value = background.isEmpty() ? kWindowColor : color(background);
    if (!value)
        return false;
    BackgroundColorValue = *value;
    Memo1->setBackgroundColor(displayColor(BackgroundColorValue, true));

    const QString text = read("Textcolor");
    value = text.isEmpty() ? kWindowTextColor : color(text);
    if (!value)
        return false;
    TextColorValue = *value;
    Memo1->setTextColor(displayColor(TextColorValue, false));

    QFont font = Memo1->font();
    if (const QString name = read("Fontname"); !name.isEmpty()) {
        font.setFamily(name);
        Memo1->setFont(font);
    }
    if (const QString size = read("Fontsize"); !size.isEmpty()) {
        const auto points = integer(size);
        if (!points)
            return false;
        if (*points > 0) // Qt has no font of 0 points or less
            font.setPointSize(*points);
        Memo1->setFont(font);
    }
    const QString style = read("Fontstyle");
    int n = 0;
    if (!style.isEmpty()) {
        const auto number = integer(style);
        if (!number)
            return false;
        n = *number;
    }
    applyStyleNumber(font, n);
    Memo1->setFont(font);
    return true;
}

void TAppForm::FontKaydet() {
    if (m_ending)
        return;
    const QFont font = Memo1->font();
    m_settings->WriteString(kSection, "Textcolor", ColorToString(TextColorValue));
    m_settings->WriteString(kSection, "Fontname", font.family());
    m_settings->WriteInteger(kSection, "Fontsize", font.pointSize());
    m_settings->WriteInteger(kSection, "Fontstyle", styleNumber(font));
    if (const SettingsStore::FileError error = m_settings->UpdateFile())
        m_env.messages->showMessage(MessageIcon::Error, Translate(TranslationKeys::kError),
                                    error.text);
}

void TAppForm::ChangeBackgroundColor1Click() {
    const QColor initial = displayColor(BackgroundColorValue, true);
    std::optional<QColor> chosen;
    if (dialogs.chooseColor) {
        chosen = dialogs.chooseColor(initial);
    } else {
        ColorDialog->setCurrentColor(initial);
        if (ColorDialog->exec() == QDialog::Accepted)
            chosen = ColorDialog->selectedColor();
    }
    if (!chosen || !chosen->isValid())
        return;
    BackgroundColorValue = colorFromRgb(chosen->red(), chosen->green(), chosen->blue());
    Memo1->setBackgroundColor(*chosen);
    writeSetting("BackgroundColor", ColorToString(BackgroundColorValue));
}

void TAppForm::ChangeFont1Click() {
    const QFont initialFont = Memo1->font();
    const QColor initialColor = displayColor(TextColorValue, false);
    std::optional<std::pair<QFont, QColor>> chosen;
    if (dialogs.chooseFont) {
        chosen = dialogs.chooseFont(initialFont, initialColor);
    } else {
        FontColorDialog dialog(initialFont, initialColor, this);
        if (dialog.exec() == QDialog::Accepted)
            chosen = std::pair{dialog.selectedFont(), dialog.selectedColor()};
    }
    if (!chosen)
        return;
    const auto& [font, color] = *chosen;
    // OK without a change changes nothing: a stored face that is not installed keeps its name,
    // a colour that follows the palette keeps following it, and nothing is written.
    const bool colorChanged = color.rgb() != initialColor.rgb();
    if (font == initialFont && !colorChanged)
        return;
    Memo1->setFont(font); // strike-out included, for this run only
    if (colorChanged) {
        TextColorValue = colorFromRgb(color.red(), color.green(), color.blue());
        Memo1->setTextColor(color);
    }
    FontKaydet();
}

void TAppForm::Clear1Click() {
    Memo1->clear();
    m_stamper.clear();
    EditSend->clear();
    ListView1Model->clear();
    BytesReadCount = 0;
    BytesSentCount = 0;
    wakeDisplay();
    statusPanel(3)->clear();
}

void TAppForm::Save1Click() {
    QString path;
    if (dialogs.chooseSaveFile) {
        path = dialogs.chooseSaveFile();
    } else if (SaveDialog->exec() == QDialog::Accepted && !SaveDialog->selectedFiles().isEmpty()) {
        path = SaveDialog->selectedFiles().constFirst();
    }
    if (path.isEmpty())
        return;
    // One byte per character, as received; replaced only once the whole text is on disk.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    // Written a piece at a time: the whole text of a long capture in digits would be several
    // times the size of what the pane holds.
    constexpr qsizetype kPiece = qsizetype(1) << 20;
    bool written = file.open(QIODevice::WriteOnly);
    for (qsizetype at = 0; written && at < Memo1->length(); at += kPiece) {
        const QByteArray bytes = textToBytes(Memo1->textBetween(at, at + kPiece));
        written = file.write(bytes) == bytes.size();
    }
    if (!written || !file.commit())
        m_env.messages->showMessage(
            MessageIcon::Error, startupValues().ProductName,
            QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString()));
}

void TAppForm::Copy1Click() {
    QApplication::clipboard()->setText(Memo1->toPlainText());
}
