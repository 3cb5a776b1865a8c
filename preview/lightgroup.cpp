#include "lightgroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "sqf/values.h"

namespace preview {
namespace {

using Attenuation = effect::LightAttenuation;

constexpr const char *kAttenuationNames[] = {"Start",     "Constant",         "Linear",
                                             "Quadratic", "Hard limit start", "Hard limit end"};

QLineEdit *newValueField(QWidget *parent, const QString &name)
{
    auto *field = new QLineEdit(parent);
    field->setAccessibleName(name);
    field->setToolTip(name);
    field->setMaximumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("-0.0000+random")) + 12);
    return field;
}

// true or false, or whatever the script wrote.
QComboBox *newSwitchBox(QWidget *parent, const QString &name)
{
    auto *box = new QComboBox(parent);
    box->setEditable(true);
    box->addItems({QStringLiteral("true"), QStringLiteral("false")});
    box->setAccessibleName(name);
    box->setToolTip(name);
    return box;
}

} // namespace

LightGroup::LightGroup(effect::Source &source, QWidget *parent)
    : QGroupBox(QStringLiteral("Light"), parent)
    , m_source(source)
{
    createControls();
    showLight();
    connectHandlers();
}

void LightGroup::createControls()
{
    ShownLabel = new QLabel(this);
    ShownLabel->setTextFormat(Qt::PlainText);
    ShownLabel->setWordWrap(true);

    const auto colourBox = [this](const QString &title, std::array<QLineEdit *, 3> &texts) {
        auto *box = new QGroupBox(title, this);
        box->setCheckable(true);
        auto *row = new QHBoxLayout(box);
        for (int c = 0; c < 3; ++c) {
            const QChar channel = QLatin1Char("rgb"[c]);
            QLineEdit *field = newValueField(box, title + QLatin1Char(' ') + channel);
            field->setPlaceholderText(channel);
            texts.at(std::size_t(c)) = field;
            row->addWidget(field);
        }
        row->addStretch(1);
        return box;
    };
    ColourBox = colourBox(QStringLiteral("setLightColor"), ColourText);
    ColourBox->setToolTip(QStringLiteral("The light's colour, also its flare's: values above 1 are allowed"));
    AmbientBox = colourBox(QStringLiteral("setLightA&mbient"), AmbientText);
    AmbientBox->setToolTip(QStringLiteral("The colour of the surfaces that face away from the light"));

    auto *values = new QGridLayout;
    int row = 0;
    const auto valueRow = [&](const QString &command, QCheckBox *&check, QWidget *field) {
        check = new QCheckBox(command, this);
        values->addWidget(check, row, 0);
        values->addWidget(field, row, 1);
        ++row;
    };
    IntensityText = newValueField(this, QStringLiteral("Intensity"));
    valueRow(QStringLiteral("setLight&Intensity"), IntensityCheck, IntensityText);
    BrightnessText = newValueField(this, QStringLiteral("Brightness"));
    valueRow(QStringLiteral("setLight&Brightness"), BrightnessCheck, BrightnessText);
    BrightnessCheck->setToolTip(QStringLiteral("The older games' command: intensity = 2500 × brightness²"));
    DayLightBox = newSwitchBox(this, QStringLiteral("Day light"));
    valueRow(QStringLiteral("setLightDayLight"), DayLightCheck, DayLightBox);
    DayLightCheck->setToolTip(QStringLiteral("Whether the light shows by day"));
    UseFlareBox = newSwitchBox(this, QStringLiteral("Use flare"));
    valueRow(QStringLiteral("setLightUseFlare"), UseFlareCheck, UseFlareBox);
    FlareSizeText = newValueField(this, QStringLiteral("Flare size"));
    valueRow(QStringLiteral("setLightFlareSize"), FlareSizeCheck, FlareSizeText);
    FlareDistanceText = newValueField(this, QStringLiteral("Flare maximum distance"));
    valueRow(QStringLiteral("setLightFlareMaxDistance"), FlareDistanceCheck, FlareDistanceText);
    values->setColumnStretch(2, 1);

    AttenuationBox = new QGroupBox(QStringLiteral("setLightAtt&enuation"), this);
    AttenuationBox->setCheckable(true);
    AttenuationBox->setToolTip(
        QStringLiteral("Falloff 1 / (constant + linear·d + quadratic·d²), d metres past the start, faded to nothing "
                       "between the hard limits (m)"));
    auto *attenuation = new QGridLayout(AttenuationBox);
    for (int i = 0; i < Attenuation::ValueCount; ++i) {
        const QString name = QString::fromLatin1(kAttenuationNames[i]);
        AttenuationText.at(std::size_t(i)) = newValueField(AttenuationBox, name);
        attenuation->addWidget(new QLabel(name, AttenuationBox), i / 2, (i % 2) * 2);
        attenuation->addWidget(AttenuationText.at(std::size_t(i)), i / 2, (i % 2) * 2 + 1);
    }
    AttenuationWritten = new QLineEdit(AttenuationBox);
    AttenuationWritten->setAccessibleName(QStringLiteral("Attenuation as written"));
    AttenuationWritten->setToolTip(
        QStringLiteral("Not six values: kept as written, since the game does not document what other lengths do"));
    attenuation->addWidget(AttenuationWritten, Attenuation::ValueCount / 2, 0, 1, 4);

    auto *flicker = new QGridLayout;
    FlickerBox = new QComboBox(this);
    FlickerBox->addItems(
        {QStringLiteral("none"), QStringLiteral("of the intensity"), QStringLiteral("of the brightness")});
    auto *flickerLabel = new QLabel(QStringLiteral("Flic&ker:"), this);
    flickerLabel->setBuddy(FlickerBox);
    FlickerBox->setToolTip(
        QStringLiteral("A loop that sets a value drawn between low and high, then waits a period drawn between its "
                       "shortest and longest, until the light is deleted"));
    FlickerLowText = newValueField(this, QStringLiteral("Flicker low"));
    FlickerHighText = newValueField(this, QStringLiteral("Flicker high"));
    PeriodShortestText = newValueField(this, QStringLiteral("Period shortest (s)"));
    PeriodLongestText = newValueField(this, QStringLiteral("Period longest (s)"));
    flicker->addWidget(flickerLabel, 0, 0);
    flicker->addWidget(FlickerBox, 0, 1, 1, 3);
    flicker->addWidget(new QLabel(QStringLiteral("between"), this), 1, 0);
    flicker->addWidget(FlickerLowText, 1, 1);
    flicker->addWidget(new QLabel(QStringLiteral("and"), this), 1, 2);
    flicker->addWidget(FlickerHighText, 1, 3);
    flicker->addWidget(new QLabel(QStringLiteral("every"), this), 2, 0);
    flicker->addWidget(PeriodShortestText, 2, 1);
    flicker->addWidget(new QLabel(QStringLiteral("to"), this), 2, 2);
    flicker->addWidget(PeriodLongestText, 2, 3);
    flicker->addWidget(new QLabel(QStringLiteral("s"), this), 2, 4);
    flicker->setColumnStretch(5, 1);

    OtherCommandsLabel = new QLabel(this);
    OtherCommandsLabel->setTextFormat(Qt::PlainText);
    OtherCommandsLabel->setWordWrap(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ShownLabel);
    layout->addWidget(ColourBox);
    layout->addWidget(AmbientBox);
    layout->addLayout(values);
    layout->addWidget(AttenuationBox);
    layout->addLayout(flicker);
    layout->addWidget(OtherCommandsLabel);
    layout->addStretch(1);
}

void LightGroup::connectHandlers()
{
    connect(&m_source, &effect::Source::layersChanged, this, &LightGroup::Source_LayersChanged);
    connect(&m_source, &effect::Source::changed, this, &LightGroup::Source_Changed);
    const auto edits = [this](QLineEdit *field) {
        connect(field, &QLineEdit::textChanged, this, &LightGroup::Control_Change);
    };
    for (QLineEdit *field : ColourText)
        edits(field);
    for (QLineEdit *field : AmbientText)
        edits(field);
    for (QLineEdit *field : AttenuationText)
        edits(field);
    for (QLineEdit *field : {IntensityText, BrightnessText, FlareSizeText, FlareDistanceText, AttenuationWritten,
                             FlickerLowText, FlickerHighText, PeriodShortestText, PeriodLongestText})
        edits(field);
    for (QGroupBox *box : {ColourBox, AmbientBox, AttenuationBox})
        connect(box, &QGroupBox::toggled, this, &LightGroup::Control_Change);
    for (QCheckBox *check :
         {IntensityCheck, BrightnessCheck, DayLightCheck, UseFlareCheck, FlareSizeCheck, FlareDistanceCheck})
        connect(check, &QCheckBox::toggled, this, &LightGroup::Control_Change);
    for (QComboBox *box : {DayLightBox, UseFlareBox})
        connect(box, &QComboBox::currentTextChanged, this, &LightGroup::Control_Change);
    connect(FlickerBox, &QComboBox::currentIndexChanged, this, &LightGroup::FlickerBox_Change);
}

void LightGroup::FlickerBox_Change()
{
    // A flicker chosen anew starts from a fifth below to a fifth above the light's own value,
    // changing every 0.05 to 0.15 s, as most authors' loops do.
    if (!m_showing && FlickerBox->currentIndex() > 0 && FlickerLowText->text().isEmpty()
        && FlickerHighText->text().isEmpty() && PeriodShortestText->text().isEmpty()
        && PeriodLongestText->text().isEmpty()) {
        const bool brightness = FlickerBox->currentIndex() == effect::LightFlicker::Brightness;
        const std::optional<double> own =
            sqf::plainNumber((brightness ? BrightnessText : IntensityText)->text().trimmed());
        const double value = own.value_or(brightness ? 1 : 2500);
        m_showing = true;
        FlickerLowText->setText(sqf::formatNumber(value * 0.8));
        FlickerHighText->setText(sqf::formatNumber(value * 1.2));
        PeriodShortestText->setText(QStringLiteral("0.05"));
        PeriodLongestText->setText(QStringLiteral("0.15"));
        m_showing = false;
    }
    Control_Change();
}

void LightGroup::Source_LayersChanged()
{
    const effect::Layer &layer = m_source.selectedLayer();
    if (layer.light && shownLight() != *layer.light)
        showLight();
    showShownLayer();
}

void LightGroup::Source_Changed()
{
    showShownLayer();
}

void LightGroup::Control_Change()
{
    enableControls();
    if (m_showing || !m_source.selectedLayer().light)
        return;
    const effect::LightSettings light = shownLight();
    if (light == *m_source.selectedLayer().light)
        return;
    QList<effect::Layer> layers = m_source.layers();
    layers[m_source.selected()].light = light;
    m_source.setLayers(layers, m_source.selected());
}

void LightGroup::showLight()
{
    const effect::Layer &layer = m_source.selectedLayer();
    const effect::LightSettings light = layer.light.value_or(effect::LightSettings{});
    m_showing = true;
    ColourBox->setChecked(light.colour.set);
    AmbientBox->setChecked(light.ambient.set);
    for (std::size_t c = 0; c < 3; ++c) {
        ColourText.at(c)->setText(light.colour.texts.at(c));
        AmbientText.at(c)->setText(light.ambient.texts.at(c));
    }
    IntensityCheck->setChecked(light.intensity.set);
    IntensityText->setText(light.intensity.text);
    BrightnessCheck->setChecked(light.brightness.set);
    BrightnessText->setText(light.brightness.text);
    DayLightCheck->setChecked(light.dayLight.set);
    DayLightBox->setCurrentText(light.dayLight.text);
    UseFlareCheck->setChecked(light.useFlare.set);
    UseFlareBox->setCurrentText(light.useFlare.text);
    FlareSizeCheck->setChecked(light.flareSize.set);
    FlareSizeText->setText(light.flareSize.text);
    FlareDistanceCheck->setChecked(light.flareMaxDistance.set);
    FlareDistanceText->setText(light.flareMaxDistance.text);
    AttenuationBox->setChecked(light.attenuation.set);
    for (std::size_t i = 0; i < AttenuationText.size(); ++i)
        AttenuationText.at(i)->setText(light.attenuation.texts.at(i));
    AttenuationWritten->setText(light.attenuation.asWritten);
    FlickerBox->setCurrentIndex(int(light.flicker.kind));
    FlickerLowText->setText(light.flicker.low);
    FlickerHighText->setText(light.flicker.high);
    PeriodShortestText->setText(light.flicker.shortest);
    PeriodLongestText->setText(light.flicker.longest);
    OtherCommandsLabel->setText(light.otherCommands.isEmpty()
                                    ? QString()
                                    : QStringLiteral("Also kept: ") + light.otherCommands.join(QStringLiteral("; ")));
    OtherCommandsLabel->setVisible(!light.otherCommands.isEmpty());
    setTitle(light.type.compare(QLatin1String("#lightreflector"), Qt::CaseInsensitive) == 0
                 ? QStringLiteral("Light (#lightreflector)")
                 : QStringLiteral("Light"));
    m_showing = false;
    enableControls();
}

void LightGroup::showShownLayer()
{
    ShownLabel->setText(QStringLiteral("The main window keeps showing the particle layer %1: a light has no array, "
                                       "nothing changes there.")
                            .arg(m_source.settings().name));
}

effect::LightSettings LightGroup::shownLight() const
{
    effect::LightSettings light = m_source.selectedLayer().light.value_or(effect::LightSettings{});
    light.colour.set = ColourBox->isChecked();
    light.ambient.set = AmbientBox->isChecked();
    for (std::size_t c = 0; c < 3; ++c) {
        light.colour.texts.at(c) = ColourText.at(c)->text();
        light.ambient.texts.at(c) = AmbientText.at(c)->text();
    }
    light.intensity = {IntensityCheck->isChecked(), IntensityText->text()};
    light.brightness = {BrightnessCheck->isChecked(), BrightnessText->text()};
    light.dayLight = {DayLightCheck->isChecked(), DayLightBox->currentText()};
    light.useFlare = {UseFlareCheck->isChecked(), UseFlareBox->currentText()};
    light.flareSize = {FlareSizeCheck->isChecked(), FlareSizeText->text()};
    light.flareMaxDistance = {FlareDistanceCheck->isChecked(), FlareDistanceText->text()};
    light.attenuation.set = AttenuationBox->isChecked();
    for (std::size_t i = 0; i < AttenuationText.size(); ++i)
        light.attenuation.texts.at(i) = AttenuationText.at(i)->text();
    light.attenuation.asWritten = AttenuationWritten->text();
    light.flicker.kind = effect::LightFlicker::Kind(std::clamp(FlickerBox->currentIndex(), 0, 2));
    light.flicker.low = FlickerLowText->text();
    light.flicker.high = FlickerHighText->text();
    light.flicker.shortest = PeriodShortestText->text();
    light.flicker.longest = PeriodLongestText->text();
    return light;
}

void LightGroup::enableControls()
{
    // An argument kept as written stands in for the six fields while it holds anything.
    const bool asWritten = !AttenuationWritten->text().isEmpty();
    for (QLineEdit *field : AttenuationText)
        field->setVisible(!asWritten);
    for (QLabel *label : AttenuationBox->findChildren<QLabel *>())
        label->setVisible(!asWritten);
    AttenuationWritten->setVisible(asWritten);
    IntensityText->setEnabled(IntensityCheck->isChecked());
    BrightnessText->setEnabled(BrightnessCheck->isChecked());
    DayLightBox->setEnabled(DayLightCheck->isChecked());
    UseFlareBox->setEnabled(UseFlareCheck->isChecked());
    FlareSizeText->setEnabled(FlareSizeCheck->isChecked());
    FlareDistanceText->setEnabled(FlareDistanceCheck->isChecked());
    const bool flickers = FlickerBox->currentIndex() > 0;
    for (QLineEdit *field : {FlickerLowText, FlickerHighText, PeriodShortestText, PeriodLongestText})
        field->setEnabled(flickers);
}

} // namespace preview
