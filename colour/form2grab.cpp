#include "form2.h"

// The screen colour grab of the chooser. (Being written; the handlers do nothing yet.)

namespace colour {

void Form2::Picture1_MouseDown() {}
void Form2::Picture1_MouseUp() {}
void Form2::Timer1_Timer() {}
void Form2::StartGrab() {}
void Form2::StopGrab() {}

} // namespace colour
