// What assistive technology is told about the window beyond what Qt's own widgets tell it: the
// plot is a picture, and the window lists its controls in the order of the tab chain.
#pragma once

namespace app {

// Installs the accessible interfaces of the plot and of the window; before the window is made,
// as interfaces are kept once made.
void installAccessibleInterfaces();

}  // namespace app
