#pragma once

// TFeedbackForm: the modal window that sends the user's like, dislike and comments to the
// maker, with an optional e-mail address for a reply. Empty comments beep and go back to the
// memo; an address that fails the pattern is refused with a message. The post runs on a
// worker thread while the window stays modal with the busy cursor and Send disabled, so the
// rest of the program (its port reads and display) keeps running; the window's own event loop
// delivers the result. Success is reported and closes the window; failure is reported and
// leaves everything as typed. Closed during a post, the window drops the result. A copy with
// no web service to post to says so beside Send, which stays disabled: nothing could arrive.

#include "services/feedbackrequest.h"

#include <QDialog>
#include <QIcon>
#include <QString>

#include <functional>

class MessageBoxService;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
template <typename T> class QFutureWatcher;

// Everything the window takes from the program around it.
struct FeedbackFormContext {
    QString productName;  // the caption's first word
    QString mainCaption;  // appname
    QString shortVersion; // version
    MessageBoxService* messages = nullptr;
    std::function<void()> beep;
    QIcon sendIcon; // Send's picture ("feedback")
    FeedbackPost post;
    // False when no web service is set up: Send is disabled and the window tells why.
    bool canDeliver = true;
};

class TFeedbackForm : public QDialog {
    Q_OBJECT
public:
    explicit TFeedbackForm(FeedbackFormContext context, QWidget* parent = nullptr);
    ~TFeedbackForm() override;

    static constexpr int kMemoMaxLength = 10000;
    static constexpr int kEmailMaxLength = 100;

    FeedbackChoice choice() const { return m_choice; }
    // True from the start of a post until its result is shown.
    bool isPosting() const { return m_watcher != nullptr; }

    QWidget* Panel3 = nullptr;
    QFrame* Panel4 = nullptr;
    QFrame* Panel5 = nullptr;
    QLabel* Panel4Caption = nullptr;
    QLabel* Panel5Caption = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QWidget* Panel1 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QWidget* Panel2 = nullptr;
    QLabel* LabelNoService = nullptr; // shown only when nothing can be delivered
    QPushButton* BitBtn1 = nullptr;

public slots:
    void Image1MouseDown(Qt::MouseButton button);
    void Image2MouseDown(Qt::MouseButton button);
    void BitBtn1Click();

signals:
    // The post's result has been shown (tests wait for it).
    void postFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildLayout();
    void FormCreate();
    void showChoice();
    void limitMemoLength(int position, int added);
    void startPost(const QStringList& fields);
    void finishPost();
    void setBusy(bool busy);

    FeedbackFormContext m_context;
    FeedbackChoice m_choice = FeedbackChoice::None;
    QFutureWatcher<PostResult>* m_watcher = nullptr;
    bool m_busyCursor = false;
};
