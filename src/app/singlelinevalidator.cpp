#include "app/singlelinevalidator.h"

#include "base/singleline.h"

QValidator::State SingleLineValidator::validate(QString& input, int& pos) const {
    keepFirstLine(input, pos);
    return Acceptable;
}
