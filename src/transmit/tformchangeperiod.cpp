#include "transmit/tformchangeperiod.h"

#include "base/singleline.h"
#include "transmit/sendformat.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScreen>

PeriodSpinBox::PeriodSpinBox(QWidget* parent) : QSpinBox(parent) {
    setObjectName(QStringLiteral("SpinEdit1"));
    setRange(1, 999999999);
    setSingleStep(1);
    setValue(100);
}

int PeriodSpinBox::settledValue() const {
    return periodFromText(lineEdit()->text());
}

QValidator::State PeriodSpinBox::validate(QString& input, int& pos) const {
    keepFirstLine(input, pos); // a pasted "250" plus a line break is still 250
    const QChar decimal = locale().decimalPoint().at(0);
    for (QChar c : input) {
        if (!c.isDigit() && c != u'+' && c != u'-' && c != decimal) {
            QApplication::beep();
            return QValidator::Invalid;
        }
    }
    // Anything else is settled when the field is left, so typing is never fought.
    return QValidator::Intermediate;
}

int PeriodSpinBox::valueFromText(const QString& text) const {
    return periodFromText(text);
}

void PeriodSpinBox::fixup(QString& input) const {
    input = QString::number(periodFromText(input));
}

void PeriodSpinBox::keyPressEvent(QKeyEvent* event) {
    // Enter settles the text as leaving the field does. Left to the spin box, which never sees
    // a final text here, it would put back the last value before OK reads the field.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        setValue(settledValue());
        lineEdit()->setText(QString::number(value()));
    }
    QSpinBox::keyPressEvent(event);
}

void PeriodSpinBox::focusOutEvent(QFocusEvent* event) {
    setValue(settledValue());
    lineEdit()->setText(QString::number(value()));
    QSpinBox::focusOutEvent(event);
}

TFormChangePeriod::TFormChangePeriod(int period, std::function<void(int)> accepted, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_accepted(std::move(accepted)) {
    setObjectName(QStringLiteral("TFormChangePeriod"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Change Send Period"));
    setFixedSize(263, 81);

    Label1 = new QLabel(QStringLiteral("Period:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(12, 14, 50, 22);
    SpinEdit1 = new PeriodSpinBox(this);
    SpinEdit1->setGeometry(62, 12, 150, 24);
    SpinEdit1->setValue(clampSendPeriod(period));
    Label2 = new QLabel(QStringLiteral("ms"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(218, 14, 30, 22);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(62, 46, 75, 26);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(142, 46, 75, 26);
    connect(Button1, &QPushButton::clicked, this, &TFormChangePeriod::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TFormChangePeriod::Button2Click);

    // Centred on the main window's screen, not over the main window as a dialog would be.
    const QWidget* owner = parent ? parent->window() : nullptr;
    if (const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TFormChangePeriod::Button1Click() {
    const int period = SpinEdit1->settledValue();
    SpinEdit1->setValue(period);
    if (m_accepted)
        m_accepted(period);
    accept();
}

// Escape and the close box end up here too (QDialog rejects on both).
void TFormChangePeriod::Button2Click() {
    reject();
}
