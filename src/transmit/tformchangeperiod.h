#pragma once

// TFormChangePeriod: the small non-modal "Change Send Period" window. Shows the period in a
// field of whole milliseconds (1 to 999999999); OK (or Enter) hands the value to the caller,
// Cancel, Escape and the close box hand nothing. It opens centred on the main window's screen
// and deletes itself when closed.

#include <QDialog>
#include <QSpinBox>

#include <functional>

class QLabel;
class QPushButton;

// The period field: accepts whatever could become a number while typing (digits, signs, the
// decimal separator) and settles the text by the field's rule when it loses the focus or Enter
// is pressed in it.
class PeriodSpinBox : public QSpinBox {
    Q_OBJECT
public:
    explicit PeriodSpinBox(QWidget* parent = nullptr);
    using QSpinBox::lineEdit; // typed into by tests as a user would
    // The value the current text stands for.
    int settledValue() const;

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    int valueFromText(const QString& text) const override;
    void fixup(QString& input) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

class TFormChangePeriod : public QDialog {
    Q_OBJECT
public:
    TFormChangePeriod(int period, std::function<void(int)> accepted, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    PeriodSpinBox* SpinEdit1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

public slots:
    void Button1Click();
    void Button2Click();

private:
    std::function<void(int)> m_accepted;
};
