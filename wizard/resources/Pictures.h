#pragma once
// The wizard's pictures, drawn at run time: the welcome picture and the program icon.
#include <QIcon>
#include <QPixmap>

namespace arkvale {

QPixmap WelcomePicture();
QIcon WizardIcon();

}  // namespace arkvale
