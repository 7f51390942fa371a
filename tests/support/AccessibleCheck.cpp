#include "tests/support/AccessibleCheck.h"

#include <gtest/gtest.h>

#include <QWidget>
#include <functional>
#include <set>

namespace arkvale::test {
namespace {

// Roles a user operates; each needs a name for a screen reader to announce.
bool IsInteractive(QAccessible::Role role) {
  switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ButtonDropDown:
    case QAccessible::ButtonMenu:
    case QAccessible::ComboBox:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::EditableText:
    case QAccessible::Link:
    case QAccessible::PageTab:
    case QAccessible::List:
    case QAccessible::Tree:
    case QAccessible::Table:
    case QAccessible::ProgressBar:
      return true;
    default:
      return false;
  }
}

// Item views list their rows as children; their cells are checked through the view's model.
bool IsItemView(QAccessible::Role role) {
  return role == QAccessible::List || role == QAccessible::Tree || role == QAccessible::Table;
}

std::string Describe(QAccessibleInterface* iface) {
  QObject* object = iface->object();
  std::string text = object != nullptr ? object->metaObject()->className() : "item";
  if (object != nullptr && !object->objectName().isEmpty()) {
    text += " '" + object->objectName().toStdString() + "'";
  }
  return text + " (role " + std::to_string(static_cast<int>(iface->role())) + ")";
}

void Walk(QAccessibleInterface* iface, std::set<QAccessibleInterface*>& seen,
          std::vector<std::string>& faults) {
  if (iface == nullptr || !iface->isValid() || !seen.insert(iface).second) return;
  const QAccessible::State state = iface->state();
  if (state.invisible) return;
  const QAccessible::Role role = iface->role();
  if (IsInteractive(role)) {
    if (iface->text(QAccessible::Name).trimmed().isEmpty()) {
      faults.push_back(Describe(iface) + " has no accessible name");
    }
    // A progress bar only reports; everything else must be reachable without a mouse.
    if (role != QAccessible::ProgressBar && !state.disabled && !state.focusable) {
      faults.push_back(Describe(iface) + " cannot take the keyboard focus");
    }
  }
  if (IsItemView(role)) return;
  for (int i = 0; i < iface->childCount(); ++i) Walk(iface->child(i), seen, faults);
}

}  // namespace

std::vector<std::string> AccessibilityFaults(QWidget* window) {
  std::vector<std::string> faults;
  std::set<QAccessibleInterface*> seen;
  Walk(QAccessible::queryAccessibleInterface(window), seen, faults);
  return faults;
}

void ExpectAccessible(QWidget* window) {
  for (const std::string& fault : AccessibilityFaults(window)) {
    ADD_FAILURE() << window->objectName().toStdString() << ": " << fault;
  }
}

QAccessibleInterface* FindAccessible(QWidget* window, const QString& name) {
  QObject* child = window->findChild<QObject*>(name);
  return child != nullptr ? QAccessible::queryAccessibleInterface(child) : nullptr;
}

}  // namespace arkvale::test
