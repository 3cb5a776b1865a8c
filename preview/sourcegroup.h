#pragma once

#include "effect/layers.h"

#include <QGroupBox>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace preview {

// "Particle source": the commands the later games give a particle source beside its
// setParticleParams, each a group that is checked when the command is set. Every field holds the
// value as written, a number, a variable or an expression, and every edit goes straight into the
// source settings, which the preview plays at once.
class SourceGroup : public QGroupBox {
    Q_OBJECT
public:
    SourceGroup(effect::Source &source, QWidget *parent);

    QLineEdit *NameText = nullptr;  // the source's variable
    QGroupBox *RandomBox = nullptr; // setParticleRandom
    std::array<QLineEdit *, effect::SourceRandom::ValueCount> RandomText{};
    QComboBox *ElementsBox = nullptr; // 8, 9 or 10 elements
    QGroupBox *CircleBox = nullptr;   // setParticleCircle
    std::array<QLineEdit *, effect::SourceCircle::ValueCount> CircleText{};
    QGroupBox *IntervalGroup = nullptr;
    QLineEdit *IntervalText = nullptr;  // "Emit every"
    QCheckBox *IntervalCheck = nullptr; // setDropInterval
    QLabel *OtherCommandsLabel = nullptr;

private:
    void createControls();
    void connectHandlers();

    void Source_Changed();
    void Control_Change();

    // The controls as the settings say; no edit is reported while they are written.
    void showSettings();
    void showOtherCommands();
    effect::SourceSettings shownSettings() const;
    void enableOptionalElements();

    effect::Source &m_source;
    bool m_showing = false;
};

} // namespace preview
