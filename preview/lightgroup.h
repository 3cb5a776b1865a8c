#pragma once

#include "effect/layers.h"

#include <QGroupBox>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace preview {

// "Light": the commands of the selected light layer, each a check box that is checked when the
// command is set and its values as written, and the flicker its loop makes. Every edit goes
// straight into the layer, which the preview plays at once. The main window keeps the particle
// layer it shows: the group says so.
class LightGroup : public QGroupBox {
    Q_OBJECT
public:
    LightGroup(effect::Source &source, QWidget *parent);

    QLabel *ShownLabel = nullptr;   // which particle layer the main window shows meanwhile
    QGroupBox *ColourBox = nullptr; // setLightColor
    std::array<QLineEdit *, 3> ColourText{};
    QGroupBox *AmbientBox = nullptr; // setLightAmbient
    std::array<QLineEdit *, 3> AmbientText{};
    QCheckBox *IntensityCheck = nullptr; // setLightIntensity
    QLineEdit *IntensityText = nullptr;
    QCheckBox *BrightnessCheck = nullptr; // setLightBrightness
    QLineEdit *BrightnessText = nullptr;
    QGroupBox *AttenuationBox = nullptr; // setLightAttenuation
    std::array<QLineEdit *, effect::LightAttenuation::ValueCount> AttenuationText{};
    QLineEdit *AttenuationWritten = nullptr; // an argument of another length, as written
    QCheckBox *DayLightCheck = nullptr;      // setLightDayLight
    QComboBox *DayLightBox = nullptr;
    QCheckBox *UseFlareCheck = nullptr; // setLightUseFlare
    QComboBox *UseFlareBox = nullptr;
    QCheckBox *FlareSizeCheck = nullptr; // setLightFlareSize
    QLineEdit *FlareSizeText = nullptr;
    QCheckBox *FlareDistanceCheck = nullptr; // setLightFlareMaxDistance
    QLineEdit *FlareDistanceText = nullptr;
    QComboBox *FlickerBox = nullptr; // none, intensity or brightness
    QLineEdit *FlickerLowText = nullptr;
    QLineEdit *FlickerHighText = nullptr;
    QLineEdit *PeriodShortestText = nullptr;
    QLineEdit *PeriodLongestText = nullptr;
    QLabel *OtherCommandsLabel = nullptr;

private:
    void createControls();
    void connectHandlers();

    void Source_LayersChanged();
    void Source_Changed();
    void Control_Change();
    void FlickerBox_Change();

    // The controls as the selected light says; no edit is reported while they are written.
    void showLight();
    void showShownLayer();
    effect::LightSettings shownLight() const;
    void enableControls();

    effect::Source &m_source;
    bool m_showing = false;
};

} // namespace preview
