// The fonts of the window: a small user-interface font that fits the narrow right-hand column,
// and the bold Japanese gothic of the CLOSE button.
#pragma once

#include <QFont>

namespace app {

// Before the window is made: lets the CLOSE button's face fall back to an installed
// proportional gothic, and gives the program a proportional interface font where the desktop's
// is fixed-width.
void setUpFonts();

// The application's face at the largest size, down to a legible minimum, at which the widest
// caption fits its control.
QFont interfaceFont(const QString& widestCaption, int width);
QFont closeButtonFont();

}  // namespace app
