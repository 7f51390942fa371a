#pragma once
// The message-box icon of a prompt's icon, for both programs' message boxes.
#include <QMessageBox>

#include "client/settings/Prompt.h"

namespace arkvale {

QMessageBox::Icon MessageBoxIcon(Icon icon);

}  // namespace arkvale
