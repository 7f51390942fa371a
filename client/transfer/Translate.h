#pragma once
// Texts of our own making go through Qt's translation; the protocol's words and the messages
// users and their tools already know stay as they are.
#include <QCoreApplication>
#include <string>

namespace arkvale {

inline std::string Tr(const char* context, const char* text) {
  return QCoreApplication::translate(context, text).toStdString();
}

}  // namespace arkvale
