#pragma once

#include <QPoint>
#include <QWidget>

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTimer;
class clsTBRestrNumbers;

namespace drop {
struct MainFields;
}

namespace colour {

class ClickableLabel;
class GrabPicture;

// "Choose Color": composes the colour list of the main window's Color field.
class Form2 : public QWidget {
    Q_OBJECT
public:
    ~Form2() override;

    // The loaded chooser, or nullptr.
    static Form2 *existing();
    // The single chooser, created and loaded first when none exists; not shown.
    static Form2 *load(drop::MainFields &main);
    // Shows the single chooser, loading it first when needed.
    static void open(drop::MainFields &main);

    // Channel value fields (red, green, blue, alpha) and their fraction fields.
    QLineEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QLineEdit *Text3 = nullptr;
    QLineEdit *Text8 = nullptr;
    QLineEdit *Text4 = nullptr;
    QLineEdit *Text5 = nullptr;
    QLineEdit *Text6 = nullptr;
    QLineEdit *Text9 = nullptr;
    QLineEdit *Text7 = nullptr;  // the current colour array
    QLineEdit *Text10 = nullptr; // the colour list
    QSlider *Slider1 = nullptr;
    QSlider *Slider2 = nullptr;
    QSlider *Slider3 = nullptr;
    QSlider *Slider4 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label6 = nullptr;          // "Grab Color :"
    ClickableLabel *Label4 = nullptr;  // the preview swatch
    GrabPicture *Picture1 = nullptr;   // the grab picture
    QTimer *Timer1 = nullptr;          // the grab timer
    QPushButton *Command1 = nullptr;   // "Add Color"
    QPushButton *Command2 = nullptr;   // "Apply"
    QPushButton *Command3 = nullptr;   // "Cancel"
    QPushButton *Command4 = nullptr;   // "R G B"
    QPushButton *Command5 = nullptr;   // "Reset"
    QPushButton *Command6 = nullptr;   // "X" beside Text7
    QPushButton *Command7 = nullptr;   // "X" beside Text10

private:
    explicit Form2(drop::MainFields &main);
    void createControls();
    void connectHandlers();
    void Form_Load();

    void Label4_Click();

    // The screen colour grab (form2grab.cpp).
    void Picture1_MouseDown();
    void Picture1_MouseUp();
    void Timer1_Timer();
    void StartGrab();
    void StopGrab();

    drop::MainFields &m_main;
    QPoint m_grabPosition; // where the last grab tick read the pointer
};

} // namespace colour
