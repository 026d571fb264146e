// The fonts of the window: a small user-interface font that fits the narrow right-hand column,
// and the bold Japanese gothic of the CLOSE button.
#pragma once

#include <QFont>

namespace app {

// Lets the requested Japanese face fall back to an installed proportional gothic.
void registerFontSubstitutes();

// The platform's default face at the largest size, down to a legible minimum, at which the
// widest caption fits its control.
QFont interfaceFont(const QString& widestCaption, int width);
QFont closeButtonFont();

}  // namespace app
