#pragma once

#include <QColor>
#include <QPoint>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>

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

    // The loaded chooser, or nullptr; a closed chooser is gone at once.
    static Form2 *existing();
    // The single chooser, created and loaded first when none exists; not shown.
    static Form2 *load(drop::MainFields &main);
    // Shows the single chooser, loading it first when needed.
    static void open(drop::MainFields &main);

    // The system colour dialog of "R G B": the chosen colour, or nothing when it was cancelled.
    using ColourDialog = std::function<std::optional<QColor>(QWidget *parent)>;
    // Puts another colour dialog in place (an empty function restores the system one).
    static void setColourDialog(ColourDialog dialog);

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
    QLabel *Label6 = nullptr;         // "Grab Color :"
    ClickableLabel *Label4 = nullptr; // the preview swatch
    GrabPicture *Picture1 = nullptr;  // the grab picture
    QTimer *Timer1 = nullptr;         // the grab timer
    QPushButton *Command1 = nullptr;  // "Add Color"
    QPushButton *Command2 = nullptr;  // "Apply"
    QPushButton *Command3 = nullptr;  // "Cancel"
    QPushButton *Command4 = nullptr;  // "R G B"
    QPushButton *Command5 = nullptr;  // "Reset"
    QPushButton *Command6 = nullptr;  // "X" beside Text7
    QPushButton *Command7 = nullptr;  // "X" beside Text10

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // One colour channel: its value field, slider, fraction field and maximum.
    struct Channel {
        QLineEdit *value;
        QSlider *slider;
        QLineEdit *fraction;
        int maximum;
        int decimals;
    };
    enum ChannelIndex { Red, Green, Blue, Alpha };

    explicit Form2(drop::MainFields &main);
    void createControls();
    void connectHandlers();
    void Form_Load();

    void Text1_Change();
    void Text2_Change();
    void Text3_Change();
    void Text8_Change();
    void Text4_Change();
    void Text5_Change();
    void Text6_Change();
    void Text9_Change();
    void Slider1_Change();
    void Slider2_Change();
    void Slider3_Change();
    void Slider4_Change();
    void Slider1_MouseMove();
    void Slider2_MouseMove();
    void Slider3_MouseMove();
    void Slider4_MouseMove();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Label4_Click();

    void ChannelChange(ChannelIndex index);
    void FractionEndPointFix(ChannelIndex index);
    void SliderToValue(ChannelIndex index);
    void ShowPreview();
    void ShowColourArray();
    clsTBRestrNumbers &filter();

    // The screen colour grab (form2grab.cpp).
    void Picture1_MouseDown();
    void Picture1_MouseUp();
    void Timer1_Timer();
    void StartGrab();
    void StopGrab();

    drop::MainFields &m_main;
    std::array<Channel, 4> m_channels{};
    std::unique_ptr<clsTBRestrNumbers> m_filter; // created at its first use
    QPoint m_grabPosition;                       // where the last grab tick read the pointer
};

} // namespace colour
