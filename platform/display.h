#pragma once

#include <QString>

namespace platform {

// Why the window system cannot be reached, or an empty text when it can. Checked before the
// application object exists, so that a missing display ends the program with one clear line.
// Only an X11 display can be missing; elsewhere the text is always empty.
QString displayProblem();

} // namespace platform
