#pragma once
// Refuses an edit whose text would take more than a given number of bytes once written out
// (UTF-8): a field's character limit alone lets non-ASCII text outgrow a fixed-size line buffer.
#include <QValidator>

class CByteLengthValidator : public QValidator {
 public:
  CByteLengthValidator(int maxBytes, QObject* parent);

  State validate(QString& input, int& pos) const override;

 private:
  const int maxBytes_;
};
