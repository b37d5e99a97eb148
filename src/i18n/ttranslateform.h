#pragma once

// TTranslateForm: the modal "Language" window. Lists English and one entry per language file
// found at start-up, each with its flag, shows who translated the selected language, and
// opens the page about contributing translations. OK on the language that was in force closes
// the window; OK on another one asks whether to restart and, on Yes, writes start.sh in the
// settings folder, hands the choice to the main window, starts the script detached and ends
// the program. A start.sh that cannot be written is reported, the choice is not kept and the
// window stays open. The window changes nothing else: the language of the running copy never
// changes.

#include <QDialog>
#include <QString>
#include <QUrl>

#include <functional>

class MessageBoxService;
class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;

// Everything the window takes from the program around it.
struct TranslateFormContext {
    QString settingsFolder; // where start.sh is written
    QString programFile;    // the executable start.sh starts again
    MessageBoxService* messages = nullptr;
    QUrl translationPage; // the page about contributing translations
    std::function<void(const QUrl&)> openUrl;
    // Runs the script detached; the result is only logged (the program ends either way).
    std::function<bool(const QString& script)> startScript;
    // Ends the program at once, as File > Exit does.
    std::function<void()> terminate;
    // Keeps the chosen language for the next start: "German.lang.txt", or "English".
    std::function<void(const QString& fileName)> setLanguageFile;
};

class TTranslateForm : public QDialog {
    Q_OBJECT
public:
    explicit TTranslateForm(TranslateFormContext context, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPlainTextEdit* RichEdit1 = nullptr;
    QFrame* Panel2 = nullptr;
    QWidget* Panel1 = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* Button1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* SelectAll1 = nullptr;

    // The entry that was selected when the window had finished opening.
    QString OpeningLanguage;

public slots:
    void ComboBox1Change();
    void Button1Click();
    void Label3Click();
    void Copy1Click();
    void SelectAll1Click();

protected:
    void changeEvent(QEvent* event) override;

private:
    void buildLayout();
    void FormCreate();
    void restart(const QString& selected);
    void paintCreditBackground();

    TranslateFormContext m_context;
};
