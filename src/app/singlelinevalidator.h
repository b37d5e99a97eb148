#pragma once

// SingleLineValidator: put on a single-line box whose text is stored; the box then never holds
// CR or LF (a paste or a text set from code keeps its first line) and accepts everything else.

#include <QValidator>

class SingleLineValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};
