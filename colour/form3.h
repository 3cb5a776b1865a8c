#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

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

    QLabel *Label1 = nullptr;        // "Decimal value:"
    QLineEdit *Text1 = nullptr;      // the colour number
    QLabel *Label2 = nullptr;        // the preview swatch
    QPushButton *Command1 = nullptr; // "OK"
    QPushButton *Command2 = nullptr; // "Cancel"

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    explicit Form3(std::function<Form2 *()> chooser);
    void createControls();
    void connectHandlers();
    void Form_Load();

    void Text1_Change();
    void Command1_Click();
    void Command2_Click();

    std::function<Form2 *()> m_chooser;
};

} // namespace colour
