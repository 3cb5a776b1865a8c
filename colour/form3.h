#pragma once

#include <QWidget>

#include <functional>

namespace colour {

class Form2;

// "Enter a decimal color value...": one colour number for the chooser's sliders.
class Form3 : public QWidget {
    Q_OBJECT
public:
    // The open dialog, or nullptr.
    static Form3 *existing();
    // Shows the single dialog, creating and loading it first when none is open. `chooser` gives the
    // colour chooser that "OK" sets, loading it first if it was closed meanwhile.
    static void open(std::function<Form2 *()> chooser);

private:
    explicit Form3(std::function<Form2 *()> chooser);

    std::function<Form2 *()> m_chooser;
};

} // namespace colour
