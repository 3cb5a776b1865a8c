#pragma once

#include <QWidget>

namespace colour {

// "Enter a decimal color value...": one colour number for the chooser's sliders.
class Form3 : public QWidget {
    Q_OBJECT
public:
    // The open dialog, or nullptr.
    static Form3 *existing();

private:
    Form3();
};

} // namespace colour
