#pragma once

#include <QWidget>

namespace drop {
struct MainFields;
}

namespace colour {

// "Choose Color": composes the colour list of the main window's Color field.
class Form2 : public QWidget {
    Q_OBJECT
public:
    // The loaded chooser, or nullptr.
    static Form2 *existing();
    // The single chooser, created and loaded first when none exists; not shown.
    static Form2 *load(drop::MainFields &main);
    // Shows the single chooser, loading it first when needed.
    static void open(drop::MainFields &main);

private:
    explicit Form2(drop::MainFields &main);
    void Form_Load();

    drop::MainFields &m_main;
};

} // namespace colour
