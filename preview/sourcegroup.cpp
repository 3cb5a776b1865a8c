#include "sourcegroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace preview {
namespace {

using Random = effect::SourceRandom;
using Circle = effect::SourceCircle;

// The rows of setParticleRandom by the game's names, with the values each row holds.
struct RandomRow {
    const char *name;
    Random::Value first;
    int components;
    const char *axes; // the component letters, one per component
};
constexpr RandomRow kRandomRows[] = {
    {"LifeTime", Random::LifeTime, 1, ""},
    {"Position", Random::PositionX, 3, "xyz"},
    {"MoveVelocity", Random::VelocityX, 3, "xyz"},
    {"RotationVelocity", Random::RotationVelocity, 1, ""},
    {"Size", Random::Size, 1, ""},
    {"Color", Random::ColorR, 4, "rgba"},
    {"RndmDirPeriod", Random::DirPeriod, 1, ""},
    {"RndmDirIntensity", Random::DirIntensity, 1, ""},
};
constexpr int kElementsRow = std::size(kRandomRows);
constexpr int kFirstElements = 8;

QLineEdit *newValueField(QWidget *parent, const QString &name)
{
    auto *field = new QLineEdit(parent);
    field->setAccessibleName(name);
    field->setToolTip(name);
    field->setMaximumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("-0.0000+random")) + 12);
    return field;
}

} // namespace

SourceGroup::SourceGroup(effect::Source &source, QWidget *parent)
    : QGroupBox(QStringLiteral("Particle so&urce"), parent)
    , m_source(source)
{
    createControls();
    showSettings();
    connectHandlers();
}

void SourceGroup::createControls()
{
    NameText = newValueField(this, QStringLiteral("The source's name"));
    auto *nameLabel = new QLabel(QStringLiteral("&Name:"), this);
    nameLabel->setBuddy(NameText);
    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(nameLabel);
    nameRow->addWidget(NameText);
    nameRow->addStretch(1);

    RandomBox = new QGroupBox(QStringLiteral("setParticleRando&m"), this);
    RandomBox->setCheckable(true);
    RandomBox->setToolTip(QStringLiteral("How much each value varies from particle to particle, ± the value"));
    auto *random = new QGridLayout(RandomBox);
    for (int row = 0; row < kElementsRow; ++row) {
        const RandomRow &entry = kRandomRows[row];
        const QString name = QString::fromLatin1(entry.name);
        random->addWidget(new QLabel(name, RandomBox), row, 0);
        for (int c = 0; c < entry.components; ++c) {
            const QString component =
                entry.components > 1 ? name + QLatin1Char(' ') + QLatin1Char(entry.axes[c]) : name;
            QLineEdit *field = newValueField(RandomBox, component);
            if (entry.components > 1)
                field->setPlaceholderText(QString(QLatin1Char(entry.axes[c])));
            RandomText.at(entry.first + c) = field;
            random->addWidget(field, row, 1 + c);
        }
    }
    ElementsBox = new QComboBox(RandomBox);
    ElementsBox->addItems(
        {QStringLiteral("8 elements"), QStringLiteral("9, with Angle"), QStringLiteral("10, with BounceOnSurface")});
    ElementsBox->setAccessibleName(QStringLiteral("Elements written"));
    random->addWidget(new QLabel(QStringLiteral("Written:"), RandomBox), kElementsRow, 0);
    random->addWidget(ElementsBox, kElementsRow, 1, 1, 3);
    RandomText.at(Random::Angle) = newValueField(RandomBox, QStringLiteral("Angle"));
    RandomText.at(Random::BounceOnSurface) = newValueField(RandomBox, QStringLiteral("BounceOnSurface"));
    random->addWidget(new QLabel(QStringLiteral("Angle"), RandomBox), kElementsRow + 1, 0);
    random->addWidget(RandomText.at(Random::Angle), kElementsRow + 1, 1);
    random->addWidget(new QLabel(QStringLiteral("BounceOnSurface"), RandomBox), kElementsRow + 2, 0);
    random->addWidget(RandomText.at(Random::BounceOnSurface), kElementsRow + 2, 1);
    random->setColumnStretch(5, 1);

    CircleBox = new QGroupBox(QStringLiteral("setParticleCirc&le"), this);
    CircleBox->setCheckable(true);
    CircleBox->setToolTip(QStringLiteral("Particles are born on a horizontal circle around the Position"));
    auto *circle = new QGridLayout(CircleBox);
    CircleText.at(Circle::Radius) = newValueField(CircleBox, QStringLiteral("Radius"));
    circle->addWidget(new QLabel(QStringLiteral("Radius"), CircleBox), 0, 0);
    circle->addWidget(CircleText.at(Circle::Radius), 0, 1);
    circle->addWidget(new QLabel(QStringLiteral("Velocity"), CircleBox), 1, 0);
    for (int c = 0; c < 3; ++c) {
        const QChar axis = QLatin1Char("xyz"[c]);
        QLineEdit *field = newValueField(CircleBox, QStringLiteral("Velocity ") + axis);
        field->setPlaceholderText(axis);
        CircleText.at(Circle::VelocityX + c) = field;
        circle->addWidget(field, 1, 1 + c);
    }
    circle->setColumnStretch(4, 1);

    // The preview and the drop loop emit at the interval whether or not the source sets it, so its
    // field stays open and the command has a check box of its own.
    IntervalGroup = new QGroupBox(QStringLiteral("Emission"), this);
    IntervalText = newValueField(IntervalGroup, QStringLiteral("Emit every"));
    IntervalText->setToolTip(
        QStringLiteral("Seconds between two particles: a number (0 emits nothing), a variable or an expression"));
    auto *intervalLabel = new QLabel(QStringLiteral("Emit &every:"), IntervalGroup);
    intervalLabel->setBuddy(IntervalText);
    IntervalCheck = new QCheckBox(QStringLiteral("Set by setDrop&Interval"), IntervalGroup);
    IntervalCheck->setToolTip(QStringLiteral("Checked, the source's commands set this interval"));
    auto *interval = new QGridLayout(IntervalGroup);
    interval->addWidget(intervalLabel, 0, 0);
    interval->addWidget(IntervalText, 0, 1);
    interval->addWidget(new QLabel(QStringLiteral("s"), IntervalGroup), 0, 2);
    interval->addWidget(IntervalCheck, 1, 0, 1, 3);
    interval->setColumnStretch(3, 1);

    OtherCommandsLabel = new QLabel(this);
    OtherCommandsLabel->setTextFormat(Qt::PlainText);
    OtherCommandsLabel->setWordWrap(true);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(nameRow);
    layout->addWidget(RandomBox);
    layout->addWidget(CircleBox);
    layout->addWidget(IntervalGroup);
    layout->addWidget(OtherCommandsLabel);
    layout->addStretch(1);
}

void SourceGroup::connectHandlers()
{
    connect(&m_source, &effect::Source::changed, this, &SourceGroup::Source_Changed);
    const auto edits = [this](QLineEdit *field) {
        connect(field, &QLineEdit::textChanged, this, &SourceGroup::Control_Change);
    };
    edits(NameText);
    for (QLineEdit *field : RandomText)
        edits(field);
    for (QLineEdit *field : CircleText)
        edits(field);
    edits(IntervalText);
    for (QGroupBox *box : {RandomBox, CircleBox})
        connect(box, &QGroupBox::toggled, this, &SourceGroup::Control_Change);
    connect(IntervalCheck, &QCheckBox::toggled, this, &SourceGroup::Control_Change);
    connect(ElementsBox, &QComboBox::currentIndexChanged, this, &SourceGroup::Control_Change);
}

void SourceGroup::Source_Changed()
{
    if (shownSettings() != m_source.settings())
        showSettings();
    else
        showOtherCommands(); // the one part of the settings that shownSettings() takes as it is
}

void SourceGroup::Control_Change()
{
    enableOptionalElements();
    if (!m_showing)
        m_source.setSettings(shownSettings());
}

void SourceGroup::showSettings()
{
    const effect::SourceSettings &settings = m_source.settings();
    m_showing = true;
    NameText->setText(settings.name);
    RandomBox->setChecked(settings.random.set);
    for (int i = 0; i < Random::ValueCount; ++i)
        RandomText.at(i)->setText(settings.random.texts.at(i));
    ElementsBox->setCurrentIndex(std::clamp(settings.random.elements, 8, 10) - kFirstElements);
    CircleBox->setChecked(settings.circle.set);
    for (int i = 0; i < Circle::ValueCount; ++i)
        CircleText.at(i)->setText(settings.circle.texts.at(i));
    IntervalCheck->setChecked(settings.interval.set);
    IntervalText->setText(settings.interval.text);
    showOtherCommands();
    m_showing = false;
    enableOptionalElements();
}

void SourceGroup::showOtherCommands()
{
    const QStringList &commands = m_source.settings().otherCommands;
    OtherCommandsLabel->setText(
        commands.isEmpty() ? QString() : QStringLiteral("Also kept: ") + commands.join(QStringLiteral("; ")));
    OtherCommandsLabel->setVisible(!commands.isEmpty());
}

effect::SourceSettings SourceGroup::shownSettings() const
{
    effect::SourceSettings settings = m_source.settings();
    settings.name = NameText->text();
    settings.random.set = RandomBox->isChecked();
    for (int i = 0; i < Random::ValueCount; ++i)
        settings.random.texts.at(i) = RandomText.at(i)->text();
    settings.random.elements = kFirstElements + std::max(0, ElementsBox->currentIndex());
    settings.circle.set = CircleBox->isChecked();
    for (int i = 0; i < Circle::ValueCount; ++i)
        settings.circle.texts.at(i) = CircleText.at(i)->text();
    settings.interval.set = IntervalCheck->isChecked();
    settings.interval.text = IntervalText->text();
    return settings;
}

void SourceGroup::enableOptionalElements()
{
    if (!RandomBox->isChecked())
        return;
    const int elements = kFirstElements + std::max(0, ElementsBox->currentIndex());
    RandomText.at(Random::Angle)->setEnabled(elements >= 9);
    RandomText.at(Random::BounceOnSurface)->setEnabled(elements >= 10);
}

} // namespace preview
