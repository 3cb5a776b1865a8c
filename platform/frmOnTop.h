#pragma once

class QWidget;

// Puts a top-level window into (true) or out of (false) the band of windows that stay above all
// ordinary windows, those of other programs included. The window is neither moved, resized nor
// hidden; failures of the window system are ignored.
void SetOnTop(QWidget *window, bool onTop);
