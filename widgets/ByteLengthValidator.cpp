#include "widgets/ByteLengthValidator.h"

CByteLengthValidator::CByteLengthValidator(int maxBytes, QObject* parent)
    : QValidator(parent), maxBytes_(maxBytes) {}

QValidator::State CByteLengthValidator::validate(QString& input, int& /*pos*/) const {
  return input.toUtf8().size() <= maxBytes_ ? Acceptable : Invalid;
}
