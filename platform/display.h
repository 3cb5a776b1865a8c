#pragma once

#include <QString>

namespace platform {

// Why the window system cannot be reached, or an empty text when it can. Checked before the
// application object exists, so that a missing display ends the program with one clear line.
QString displayProblem();

} // namespace platform
