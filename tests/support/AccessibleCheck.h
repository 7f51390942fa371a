#pragma once
// Checks a window as a screen reader meets it, through Qt's accessibility interfaces: every
// control a user can operate must have a name and be reachable with the keyboard.
#include <QAccessible>
#include <string>
#include <vector>

class QWidget;

namespace arkvale::test {

// One line per shown control that has no accessible name, or that takes no keyboard focus
// although it is enabled and operable; empty for a window a screen reader can use.
std::vector<std::string> AccessibilityFaults(QWidget* window);

// Fails the running test with AccessibilityFaults(window). Show the window first: hidden
// controls are skipped.
void ExpectAccessible(QWidget* window);

// The accessible interface of the window's child with this object name, or null.
QAccessibleInterface* FindAccessible(QWidget* window, const QString& name);

}  // namespace arkvale::test
