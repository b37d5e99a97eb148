#include "base/localeformats.h"
#include "support/locales.h"
#include "support/qtprinters.h"
#include "support/recordingmessageboxservice.h"
#include "transmit/sendlatermodel.h"
#include "transmit/tformsendlater.h"

#include <QApplication>
#include <QDateEdit>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <QtTest/qtestspontaneevent.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

// The Send Later window alone, over a temporary folder, with a clock the test sets.
class SendLaterPickers : public ::testing::Test {
protected:
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    TFormSendLater& makeWindow(const QByteArray& localeName, QWidget* parent = nullptr) {
        window.reset();
        formats = std::make_unique<LocaleFormats>(localeName);
        SendLaterContext context;
        context.filePath = tmp.filePath("sendlater.csv");
        context.separator = formats->listSeparator().at(0);
        context.formats = formats.get();
        context.messages = &messages;
        context.errorCaption = "Brevane";
        context.clock = [this] { return now; };
        context.beep = [this] { ++beeps; };
        window = std::make_unique<TFormSendLater>(std::move(context), parent);
        return *window;
    }
    void clickRow(int row) {
        window->ListView1->selectionModel()->select(window->ListView1Model->index(row, 0),
                                                    QItemSelectionModel::ClearAndSelect |
                                                        QItemSelectionModel::Rows);
        window->ListView1Click();
    }

    QTemporaryDir tmp;
    RecordingMessageBoxService messages;
    QDateTime now{QDate(2026, 12, 10), QTime(21, 5, 7)};
    int beeps = 0;
    std::unique_ptr<LocaleFormats> formats;
    std::unique_ptr<TFormSendLater> window;
};

TEST_F(SendLaterPickers, ShowDatesAndTimesAsTheListDoes) {
    if (!ensureLocales({"en_US.UTF-8", "de_DE.UTF-8", "en_GB.UTF-8", "en_CA.UTF-8"}))
        GTEST_SKIP() << "the test locales cannot be made here";
    // Qt's own default locale says nothing about how the list writes dates: the pickers follow
    // the locale the formats come from.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Switzerland));
    struct Case {
        QByteArray locale;
        QString date, evening, morning;
    };
    const Case cases[] = {
        {"C", "12/10/26", "21:05:07", "09:05:07"},
        {"en_US.UTF-8", "12/10/2026", "09:05:07 PM", "09:05:07 AM"},
        {"en_GB.UTF-8", "10/12/26", "21:05:07", "09:05:07"},
        {"de_DE.UTF-8", "10.12.2026", "21:05:07", "09:05:07"},
        // Qt's own data for Canada would write "P.M."
        {"en_CA.UTF-8", "2026-12-10", "09:05:07 PM", "09:05:07 AM"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale.toStdString());
        QFile::remove(tmp.filePath("sendlater.csv"));
        TFormSendLater& w = makeWindow(c.locale);
        w.show();
        EXPECT_EQ(w.DateTimePicker1->text(), c.date);
        EXPECT_EQ(w.DateTimePicker2->text(), c.evening);

        w.setMemoCommand("PING");
        w.Button1->click();
        w.DateTimePicker2->setTime(QTime(9, 5, 7));
        EXPECT_EQ(w.DateTimePicker2->text(), c.morning);
        w.Button1->click();
        ASSERT_EQ(w.entries().size(), 2);
        EXPECT_EQ(w.entries()[0], (SendLaterEntry{"PING", c.date, c.evening}));
        EXPECT_EQ(w.entries()[1].time, c.morning);

        // Clicked back, an entry shows in the pickers exactly as in the list.
        clickRow(0);
        EXPECT_TRUE(messages.shown.isEmpty());
        EXPECT_EQ(w.Button1->text(), "EDIT");
        EXPECT_EQ(w.DateTimePicker1->text(), c.date);
        EXPECT_EQ(w.DateTimePicker2->text(), c.evening);
        w.hide();
    }
}

TEST_F(SendLaterPickers, FieldsAreEditedInTheLocalesFormat) {
    if (!ensureLocales({"en_US.UTF-8"}))
        GTEST_SKIP() << "the test locale cannot be made here";
    TFormSendLater& w = makeWindow("en_US.UTF-8");
    w.show();
    QApplication::setActiveWindow(&w);

    // AM/PM is a field of its own: stepping it moves the time by twelve hours.
    w.DateTimePicker2->setFocus();
    w.DateTimePicker2->setCurrentSection(QDateTimeEdit::AmPmSection);
    QTest::keyClick(w.DateTimePicker2, Qt::Key_Down);
    EXPECT_EQ(w.DateTimePicker2->time(), QTime(9, 5, 7));
    EXPECT_EQ(w.DateTimePicker2->text(), "09:05:07 AM");

    // A two-digit year stays in its century.
    makeWindow("C").show();
    window->DateTimePicker1->setFocus();
    window->DateTimePicker1->setSelectedSection(QDateTimeEdit::YearSection);
    QTest::keyClicks(window->DateTimePicker1, "27");
    EXPECT_EQ(window->DateTimePicker1->date(), QDate(2027, 12, 10));
    window->setMemoCommand("PING");
    window->Button1->click();
    EXPECT_EQ(window->entries().value(0).date, "12/10/27");
}

TEST_F(SendLaterPickers, EveryShowingStartsAtTheClocksNow) {
    TFormSendLater& w = makeWindow("C");
    w.show();
    EXPECT_EQ(w.DateTimePicker1->date(), now.date());
    EXPECT_EQ(w.DateTimePicker2->time(), now.time());

    // Restored from the taskbar, the window was never hidden: what the user set stays.
    w.DateTimePicker2->setTime(QTime(6, 0, 0));
    now = now.addSecs(60);
    QShowEvent restored;
    QSpontaneKeyEvent::setSpontaneous(&restored);
    qApp->notify(&w, &restored); // as the system delivers it; sendEvent() would unmark it
    EXPECT_EQ(w.DateTimePicker2->time(), QTime(6, 0, 0));

    // Closed and shown again later: the pickers move on to the new now, so ADD without a
    // change schedules the present, not the moment of the first opening.
    w.close();
    now = now.addDays(1).addSecs(3600);
    w.show();
    EXPECT_EQ(w.DateTimePicker1->date(), now.date());
    EXPECT_EQ(w.DateTimePicker2->time(), now.time());
    w.setMemoCommand("PING");
    w.Button1->click();
    EXPECT_EQ(w.entries().value(0), (SendLaterEntry{"PING", "12/11/26", "22:06:07"}));
}

TEST_F(SendLaterPickers, EscapeHidesTheWindowFromEveryControl) {
    TFormSendLater& w = makeWindow("C");
    w.setMemoCommand("PING");
    w.Button1->click();
    QWidget* controls[] = {w.Memo1, w.DateTimePicker1, w.DateTimePicker2, w.Button1, w.ListView1};
    for (QWidget* control : controls) {
        SCOPED_TRACE(control->objectName().toStdString());
        w.show();
        QApplication::setActiveWindow(&w);
        control->setFocus();
        QTest::keyClick(control, Qt::Key_Escape);
        EXPECT_FALSE(w.isVisible());
    }
    EXPECT_EQ(w.entries().size(), 1) << "hiding keeps the schedule";

    // The window has no default button: Enter in the text box is a line break, not ADD.
    w.show();
    QApplication::setActiveWindow(&w);
    w.Memo1->setFocus();
    w.Memo1->moveCursor(QTextCursor::End);
    QTest::keyClick(w.Memo1, Qt::Key_Return);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.entries().size(), 1);
    EXPECT_EQ(w.memoCommand(), "PING\r\n");
}

TEST_F(SendLaterPickers, OpensCentredOnTheMainWindowsScreenThenStaysWhereLeft) {
    QWidget mainWindow;
    mainWindow.move(0, 0);
    mainWindow.show();
    TFormSendLater& w = makeWindow("C", &mainWindow);
    w.show();
    const QRect screen = mainWindow.screen()->availableGeometry();
    // Centred as placed before the frame was known: off by at most the frame's thickness.
    const QSize frame = w.frameGeometry().size() - w.size();
    const QPoint off = w.geometry().center() - screen.center();
    EXPECT_LE(std::abs(off.x()), frame.width() / 2 + 1) << off.x();
    EXPECT_LE(std::abs(off.y()), frame.height() + 1) << off.y();

    w.move(10, 20); // moved by the user
    w.close();
    w.show();
    EXPECT_EQ(w.pos(), QPoint(10, 20));
    window.reset(); // before its parent
}

} // namespace
