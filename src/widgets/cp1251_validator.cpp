#include "widgets/cp1251_validator.h"

#include "text/cp1251.h"

QValidator::State Cp1251Validator::validate(QString& input, int&) const {
  if (digitsOnly_) {
    for (const QChar c : input) {
      if (c < QLatin1Char('0') || c > QLatin1Char('9')) return Invalid;
    }
    return Acceptable;
  }
  return pomvelt::Utf8ToCp1251(input.toStdString()) ? Acceptable : Invalid;
}
