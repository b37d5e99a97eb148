#pragma once

// TFormSendLater: the "Send Later" window. Edits the schedule of commands to be sent at a date
// and time, and keeps it in sendlater.csv (rewritten atomically after every change). Created
// once at start, after the main window; closing it (or Escape) only hides it. The main window's
// one-second timer does the sending from entries(). Each showing sets the pickers to the
// clock's now; the pickers show the locale's date and time formats, as the list does.
// A file that cannot be read, wholly or in part, is kept aside under a name of its own before
// anything is written in its place, and the user is told once; if it cannot be kept aside,
// the schedule lives in memory only until the program ends and the file is left alone.

#include "transmit/sendlaterfile.h"
#include "transmit/sendtextedit.h"

#include <QDateTime>
#include <QWidget>

#include <functional>

struct KeptAside;
class LocaleFormats;
class MessageBoxService;
class QAction;
class QDateEdit;
class QMenu;
class QPushButton;
class QTableView;
class QTimeEdit;
class SendLaterModel;

struct SendLaterContext {
    QString filePath; // sendlater.csv in the settings folder
    QChar separator;  // the locale's list separator
    const LocaleFormats* formats = nullptr;
    MessageBoxService* messages = nullptr;
    QString errorCaption; // caption of the error messages
    std::function<QDateTime()> clock;
    std::function<void()> beep;
};

class TFormSendLater : public QWidget {
    Q_OBJECT
public:
    TFormSendLater(SendLaterContext context, QWidget* parent = nullptr);
    ~TFormSendLater() override;

    const QList<SendLaterEntry>& entries() const;
    // The text box's command, its line breaks as CR LF; and the reverse, every character kept.
    QString memoCommand() const;
    void setMemoCommand(const QString& command);

    SendTextEdit* Memo1 = nullptr;
    QDateEdit* DateTimePicker1 = nullptr;
    QTimeEdit* DateTimePicker2 = nullptr;
    QPushButton* Button1 = nullptr;
    QTableView* ListView1 = nullptr;
    SendLaterModel* ListView1Model = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Delete1 = nullptr;
    QAction* SelectAll1 = nullptr;

public slots:
    void FormCreate();
    void FormShow();
    void Button1Click();
    void ListView1Click();
    void Delete1Click();
    void SelectAll1Click();
    void SendLaterHatirla();
    void SendLaterKaydet();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int firstSelectedRow() const;
    SendLaterEntry entryFromControls() const;
    void reportUnreadable(const QString& problem, const KeptAside& kept, const QString& done,
                          const QString& failed);

    SendLaterContext m_context;
    bool m_memoryOnly = false; // the unreadable file could not be kept aside: never write it
    bool m_placed = false;     // centred once, at the first showing
};
