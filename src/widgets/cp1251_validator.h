// Refuses text that code page 1251 cannot hold, so that whatever is typed into an edit can
// be searched for in, or written into, a map file.
#pragma once

#include <QValidator>

class Cp1251Validator : public QValidator {
 public:
  // digitsOnly: the edit takes only the digits 0 to 9 (the empty text included).
  explicit Cp1251Validator(bool digitsOnly, QObject* parent = nullptr)
      : QValidator(parent), digitsOnly_(digitsOnly) {}

  State validate(QString& input, int& pos) const override;

 private:
  bool digitsOnly_;
};
