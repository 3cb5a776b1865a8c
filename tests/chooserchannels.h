#pragma once

#include "colour/form2.h"

#include <QLineEdit>
#include <QSlider>

#include <array>

// One colour channel of the chooser as a test reaches it.
struct ChooserChannel {
    QLineEdit *value;
    QSlider *slider;
    QLineEdit *fraction;
};

// Red, green, blue and alpha, in that order.
inline std::array<ChooserChannel, 4> chooserChannels(const colour::Form2 *chooser)
{
    return {{{chooser->Text1, chooser->Slider1, chooser->Text4},
             {chooser->Text2, chooser->Slider2, chooser->Text5},
             {chooser->Text3, chooser->Slider3, chooser->Text6},
             {chooser->Text8, chooser->Slider4, chooser->Text9}}};
}
