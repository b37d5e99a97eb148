#include "i18n/ttranslateform.h"

#include "base/desktopfont.h"
#include "base/messageboxservice.h"
#include "base/regularfile.h"
#include "i18n/languageicons.h"
#include "i18n/restartscript.h"
#include "i18n/translate.h"
#include "i18n/translationkeys.h"
#include "i18n/translatorcredit.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace {

using namespace TranslationKeys;

const QString kEnglish = QStringLiteral("English");
const QString kLanguageSuffix = QStringLiteral(".lang.txt");

QFont tahoma(int points) {
    return desktopFont(points);
}

template <typename T> T* named(T* object, const char* name) {
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

// "English" and the files' names before their first ".lang.txt", in the box's sorted order.
QStringList languageEntries(const QStringList& languageFiles) {
    QStringList entries{kEnglish};
    for (const QString& file : languageFiles) {
        const qsizetype end = file.indexOf(kLanguageSuffix);
        entries << (end < 0 ? QString() : file.left(end));
    }
    // Letter case is ignored as in any sorted list box; equal names keep the order they came.
    std::stable_sort(entries.begin(), entries.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return entries;
}

} // namespace

TTranslateForm::TTranslateForm(TranslateFormContext context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_context(std::move(context)) {
    setObjectName(QStringLiteral("TTranslateForm"));
    setFont(tahoma(8));
    buildLayout();
    FormCreate();

    // The designed client area, grown where the desktop's fonts or a translation need more;
    // fixed, as the window has a fixed border.
    setFixedSize(sizeHint().expandedTo(QSize(622, 227)));
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - rect().center());
}

void TTranslateForm::buildLayout() {
    Label1 = named(new QLabel(this), "Label1");
    Label1->setFont(tahoma(12));
    Label2 = named(new QLabel(this), "Label2");
    Label2->setFont(tahoma(12));

    ComboBox1 = named(new QComboBox(this), "ComboBox1");
    ComboBox1->setFont(tahoma(10));
    ComboBox1->setIconSize(kFlagSize);
    ComboBox1->setMinimumWidth(355);
    ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);

    RichEdit1 = named(new QPlainTextEdit(this), "RichEdit1");
    RichEdit1->setFont(tahoma(12));
    RichEdit1->setReadOnly(true);
    RichEdit1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    RichEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
    RichEdit1->setMinimumSize(355, 151);
    RichEdit1->setContextMenuPolicy(Qt::CustomContextMenu);
    paintCreditBackground();

    PopupMenu1 = named(new QMenu(this), "PopupMenu1");
    Copy1 = named(PopupMenu1->addAction(languageIcon(QStringLiteral("copy")), QString()), "Copy1");
    SelectAll1 = named(PopupMenu1->addAction(QString()), "SelectAll1");

    auto* top = new QGridLayout;
    top->setContentsMargins(8, 4, 4, 4);
    top->setHorizontalSpacing(8);
    top->setVerticalSpacing(6);
    // The box starts 263 pixels in, as designed, unless a label needs more.
    top->setColumnMinimumWidth(0, 263 - 8 - 8);
    top->setColumnStretch(1, 1);
    top->setRowStretch(1, 1);
    top->addWidget(Label1, 0, 0, Qt::AlignLeft | Qt::AlignVCenter);
    top->addWidget(ComboBox1, 0, 1);
    top->addWidget(Label2, 1, 0, Qt::AlignLeft | Qt::AlignTop);
    top->addWidget(RichEdit1, 1, 1);

    Panel2 = named(new QFrame(this), "Panel2");
    Panel2->setFrameShape(QFrame::HLine);
    Panel2->setFrameShadow(QFrame::Plain);
    Panel2->setForegroundRole(QPalette::Mid);
    Panel2->setFixedHeight(1);

    Panel1 = named(new QWidget(this), "Panel1");
    Panel1->setMinimumHeight(39);
    Label3 = named(new QLabel(Panel1), "Label3");
    Label3->setFont(tahoma(12));
    Label3->setTextFormat(Qt::RichText);
    Label3->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    Label3->setCursor(Qt::PointingHandCursor);
    Button1 = named(new QPushButton(Panel1), "Button1");
    Button1->setFont(tahoma(12));
    Button1->setIcon(languageIcon(QStringLiteral("tick_button")));
    Button1->setMinimumSize(172, 33);
    Button1->setDefault(true);
    auto* bottom = new QHBoxLayout(Panel1);
    bottom->setContentsMargins(8, 3, 4, 3);
    bottom->addWidget(Label3, 0, Qt::AlignVCenter);
    bottom->addStretch(1);
    bottom->addSpacing(12);
    bottom->addWidget(Button1, 0, Qt::AlignVCenter);

    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);
    main->addLayout(top, 1);
    main->addWidget(Panel2);
    main->addWidget(Panel1);

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TTranslateForm::ComboBox1Change);
    connect(Button1, &QPushButton::clicked, this, &TTranslateForm::Button1Click);
    connect(Label3, &QLabel::linkActivated, this, &TTranslateForm::Label3Click);
    connect(Copy1, &QAction::triggered, this, &TTranslateForm::Copy1Click);
    connect(SelectAll1, &QAction::triggered, this, &TTranslateForm::SelectAll1Click);
    connect(RichEdit1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenu1->popup(RichEdit1->viewport()->mapToGlobal(at));
    });
}

void TTranslateForm::FormCreate() {
    setWindowTitle(Translate(kLanguage));
    Label1->setText(Translate(kUserInterfaceLanguage));
    Label2->setText(Translate(kTranslatedBy));
    Button1->setText(Translate(kOk));
    Label3->setText(QStringLiteral("<a href=\"translation\">%1</a>")
                        .arg(Translate(kContributeToTranslation).toHtmlEscaped()));
    Label3->setToolTip(m_context.translationPage.toDisplayString());
    Copy1->setText(Translate(kCopy));
    SelectAll1->setText(Translate(kSelectAll));

    const LanguageState& language = activeLanguage();
    {
        const QSignalBlocker quiet(ComboBox1);
        for (const QString& entry : languageEntries(language.LanguageFiles))
            ComboBox1->addItem(languageIcon(flagIconName(entry)), entry);
        // With no language loaded the name is empty by definition, not the name of an entry
        // whose file lacks ".lang.txt".
        int selected = -1;
        if (!language.ActiveLanguagePath.isEmpty())
            selected = ComboBox1->findText(language.ActiveLanguageName,
                                           Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (selected < 0)
            selected = ComboBox1->findText(kEnglish, Qt::MatchExactly | Qt::MatchCaseSensitive);
        ComboBox1->setCurrentIndex(selected);
    }
    ComboBox1Change();
    OpeningLanguage = ComboBox1->currentText();
}

void TTranslateForm::ComboBox1Change() {
    const QString entry = ComboBox1->currentText();
    QString credit;
    if (entry == kEnglish) {
        credit = QStringLiteral("Tarnick");
    } else {
        // A FIFO or device named like a language file is refused rather than waited on.
        const RegularFileRead file = readRegularFile(activeLanguage().LanguageFolder +
                                                     QLatin1Char('/') + entry + kLanguageSuffix);
        if (file.ok())
            credit = translatorCredit(languageFileLines(file.bytes));
    }
    RichEdit1->setPlainText(creditLines(credit).join(QLatin1Char('\n')));
}

void TTranslateForm::Button1Click() {
    const QString selected = ComboBox1->currentText();
    if (selected == OpeningLanguage) {
        accept();
        return;
    }
    const MessageButton answer =
        CustomMessageDialog(*m_context.messages, Translate(kRestartApplication),
                            MessageIcon::Question, {MessageButton::Yes, MessageButton::No},
                            Translate(kConfirmation), {Translate(kYes), Translate(kNo)});
    if (answer == MessageButton::Yes)
        restart(selected);
}

void TTranslateForm::restart(const QString& selected) {
    const RestartScriptWrite script =
        writeRestartScript(m_context.settingsFolder, m_context.programFile);
    if (!script.ok()) {
        m_context.messages->showMessage(MessageIcon::Error, Translate(kError),
                                        QStringLiteral("Cannot create file \"%1\". %2")
                                            .arg(script.path, qt_error_string(script.sysErrno)));
        return;
    }
    // Kept only now: with no restart the running copy stays in its language, and so must the
    // next start. English needs no file; the name says so to the next start.
    m_context.setLanguageFile(selected == kEnglish ? kEnglish : selected + kLanguageSuffix);
    QCoreApplication::processEvents();
    if (!m_context.startScript(script.path))
        qWarning("language: could not start %s", qPrintable(script.path));
    QCoreApplication::processEvents();
    m_context.terminate();
    accept();
}

void TTranslateForm::Label3Click() {
    m_context.openUrl(m_context.translationPage);
}

void TTranslateForm::Copy1Click() {
    RichEdit1->copy();
}

void TTranslateForm::SelectAll1Click() {
    RichEdit1->selectAll();
}

void TTranslateForm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        paintCreditBackground();
}

// The credit box is read-only text on the button face, as in the rest of the desktop's
// read-only panels; it follows the palette when the desktop's theme changes.
void TTranslateForm::paintCreditBackground() {
    if (!RichEdit1)
        return;
    QPalette p = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setBrush(group, QPalette::Base, p.brush(group, QPalette::Button));
    RichEdit1->setPalette(p);
}
