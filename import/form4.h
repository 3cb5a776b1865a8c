#pragma once

#include <QWidget>

namespace drop {
struct MainFields;
}

namespace import {

// "Import Drop Array": cuts a pasted drop array back into the main window's fields.
class Form4 : public QWidget {
    Q_OBJECT
public:
    // The open dialog, or nullptr.
    static Form4 *existing();
    // Shows the single dialog, creating and loading it first when none is open.
    static void open(drop::MainFields &main);

private:
    explicit Form4(drop::MainFields &main);
    void Form_Load();

    drop::MainFields &m_main;
};

} // namespace import
