#pragma once

#include "effect/effectlibrary.h"
#include "effect/simulation.h"
#include "export/emitterscript.h"
#include "layergroup.h"
#include "lightgroup.h"
#include "painting.h"
#include "paintpool.h"
#include "sidepanel.h"
#include "sourcegroup.h"
#include "timeline.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QDoubleSpinBox;
class QFormLayout;
class QGroupBox;
class QLayout;
class QLabel;
class QListWidget;
class QPushButton;
class QShortcut;
class QTimer;
class QToolButton;

namespace drop {
struct MainFields;
}
namespace effect {
class Source;
}

namespace preview {

// One of the two views: paints the simulation in its plane at the window's scale, into an image of
// its own that is painted anew only when the particles, the frame or the size changed.
class ParticleView : public QWidget {
public:
    ParticleView(const effect::Simulation &simulation, Plane plane, QWidget *parent);
    ~ParticleView() override;

    // From now on, whenever either view is painted, both get their new pictures at the same time,
    // each on a thread of its own where the machine has two cores.
    void paintAlongside(ParticleView &other, int threads = PaintPool::defaultThreadCount());

    Frame frame;
    bool night = false; // dark, with every light and its flare
    // Called with the factor of a wheel turn, so that both views zoom together.
    std::function<void(double factor)> zoomed;

    QSize sizeHint() const override { return {420, 360}; }
    QSize minimumSizeHint() const override { return {160, 140}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    // What the picture was painted from.
    struct Painted {
        std::uint64_t revision = 0;
        Frame frame;
        QSize size;
        qreal ratio = 0;
        QFont font;
        bool night = false;
    };
    Painted wanted() const;
    bool pictureIsCurrent() const;

    const effect::Simulation &m_simulation;
    Plane m_plane;
    ViewImage m_picture;
    std::optional<Painted> m_painted;
    QPointer<ParticleView> m_partner;
    std::shared_ptr<PaintPool> m_pool;
};

// The list of effects: shows the effect's name with a mark of its own (" *" once the fields
// differ from it) instead of the bare item text.
class EffectComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;

    void setDisplayText(const QString &text);
    // What the closed box shows: the display text, the item's text or the placeholder.
    QString displayText() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_displayText;
};

// "Particle Preview": the particles of the main window's fields, emitted in a loop and moved,
// sized and coloured as the fields say, in a side view and a top view.
class Form5 : public QWidget {
    Q_OBJECT
public:
    ~Form5() override;

    // The open preview, or nullptr; a closed preview is gone at once.
    static Form5 *existing();
    // Shows the single preview, creating it first when none is open.
    static void open(drop::MainFields &main, effect::Source &source);

    QLabel *EffectLabel = nullptr; // "Effect:"
    EffectComboBox *EffectBox = nullptr;
    QPushButton *SaveAsButton = nullptr;
    QPushButton *DeleteButton = nullptr;
    QLabel *ShapeCaption = nullptr;
    ParticleView *SideView = nullptr;
    ParticleView *TopView = nullptr;
    QPushButton *PlayButton = nullptr;
    QPushButton *RestartButton = nullptr;
    QComboBox *SpeedBox = nullptr;
    QDoubleSpinBox *DurationBox = nullptr;
    QPushButton *SaveButton = nullptr;
    QShortcut *SaveShortcut = nullptr;
    QLabel *SaveStatus = nullptr;
    SidePanel *SettingsPanel = nullptr; // the column of groups beside the views
    LayerGroup *LayerBox = nullptr;
    SourceGroup *SourceBox = nullptr;
    LightGroup *LightBox = nullptr; // in the source group's place while a light is selected
    QPushButton *CopySourceButton = nullptr;
    QShortcut *CopySourceShortcut = nullptr;
    QPushButton *CopyEffectButton = nullptr;
    QShortcut *CopyEffectShortcut = nullptr;
    QShortcut *PasteLayerShortcut = nullptr;
    QPushButton *SaveSourceButton = nullptr;
    QShortcut *SaveSourceShortcut = nullptr;
    QPushButton *CopyClassButton = nullptr;
    QShortcut *CopyClassShortcut = nullptr;
    QPushButton *CopyConfigEffectButton = nullptr;
    QShortcut *CopyConfigEffectShortcut = nullptr;
    TimeLine *TimeBox = nullptr;              // under the views: the effect's time, to scrub and type
    QShortcut *GoToTimeShortcut = nullptr;    // Ctrl+G: the time field
    QShortcut *StepForwardShortcut = nullptr; // Alt+Right, paused: one frame on
    QShortcut *StepBackShortcut = nullptr;    // Alt+Left, paused: one frame back, replayed
    QShortcut *NewDrawShortcut = nullptr;     // Ctrl+Shift+R
    QTimer *SeekTimer = nullptr;              // the next slice of a seek that takes longer than a frame
    QLabel *ImportStatus = nullptr;           // what the last import left out of its block
    QDoubleSpinBox *WindXBox = nullptr;
    QDoubleSpinBox *WindYBox = nullptr;
    QCheckBox *NightCheck = nullptr; // dark views with every light, kept between runs
    QLabel *CountLabel = nullptr;
    QLabel *ApproximationLabel = nullptr;
    QGroupBox *VariablesBox = nullptr;
    QToolButton *NotesButton = nullptr; // "Not previewed:", folding the notes away and back
    QListWidget *NotesList = nullptr;
    QTimer *FrameTimer = nullptr;

    const effect::Simulation &simulation() const { return m_simulation; }
    bool playing() const { return m_playing; }
    // Moves the preview on by the given seconds of real time at the chosen speed, as the frame
    // timer does.
    void runFor(double seconds);
    // The number field of a variable the fields name, or nullptr.
    QDoubleSpinBox *variableField(const QString &name) const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    Form5(drop::MainFields &main, effect::Source &source);
    void createControls();
    QLayout *createEffectRow();
    void connectHandlers();
    void Form_Load();
    // Sizes the new window to the screen the main window stands on, and places it there.
    void fitToScreen(const QWidget *mainWindow);

    void MainFields_Change();
    void MainFields_Replaced();
    void EffectBox_Activated(int index);
    void SaveAsButton_Click();
    void DeleteButton_Click();
    void PlayButton_Click();
    void RestartButton_Click();
    void DurationBox_Change();
    void SaveButton_Click();
    void SaveShortcut_Activated();
    void CopySourceButton_Click();
    void CopySourceShortcut_Activated();
    void SaveSourceButton_Click();
    void SaveSourceShortcut_Activated();
    void CopyClassButton_Click();
    void CopyClassShortcut_Activated();
    void CopyConfigEffectButton_Click();
    void CopyConfigEffectShortcut_Activated();
    void TimeBox_SeekAsked(double seconds);
    void TimeBox_NewDrawAsked();
    void GoToTimeShortcut_Activated();
    void StepForwardShortcut_Activated();
    void StepBackShortcut_Activated();
    void NewDrawShortcut_Activated();
    void SeekTimer_Timer();
    // Steps the replay on toward its moment, for at most `milliseconds` where that is given; ends the
    // seek once there.
    void replaySeek(std::optional<qint64> milliseconds);
    void LayerBox_Chosen(int index);
    void LayerBox_AddAsked();
    void LayerBox_AddLightAsked();
    void LayerBox_RemoveAsked();
    void LayerBox_RenameAsked();
    void LayerBox_MoveAsked(int from, int to);
    void LayerBox_MuteAsked(int index, bool muted);
    void LayerBox_PasteAsked();
    void PasteLayerShortcut_Activated();
    void CopyEffectButton_Click();
    void CopyEffectShortcut_Activated();
    void Source_Change();
    void Source_LayersChange();
    void SoloCheck_Toggled();
    void Source_ImportNotesChange();
    void Wind_Change();
    void NightCheck_Toggled(bool night);
    void NotesButton_Toggled(bool shown);
    void Variable_Change();
    void FrameTimer_Timer();

    void readFields();
    // The selected layer's recipe and interval as the simulation plays them.
    const effect::Recipe &selectedRecipe() const;
    std::optional<double> selectedInterval() const;
    // The variables every layer names, each once, in the order first named.
    QStringList variableNames() const;
    // True while some layer that is not muted can be previewed.
    bool effectEmitting() const;
    void saveScript();
    void copySource();
    void copyEffect();
    void pasteLayers();
    void copyConfigClass();
    void copyConfigEffect();
    // Shows the moment `seconds` after the start, paused: played on to it, or replayed from the
    // start when it lies before the shown one, in slices of a frame's time; a newer seek takes the
    // place of one still replaying.
    void seekTo(double seconds);
    // The moment shown, or the one a seek under way goes to.
    double shownMoment() const;
    // The moment again from the start, with what changed since: paused, an edit shows there.
    void replayMoment(double seconds);
    void pausePlaying();
    void newDraw();
    // The layers' spans, and the time now.
    void updateTimeLine();
    void showTime();
    // The main window's texts and the preview's settings, as the script writers take them.
    exporter::EmitterSettings emitterSettings() const;
    void saveSourceScript();
    // The file name the user chose in the save dialog, in the folder last used; empty when cancelled.
    QString askScriptPath(const QString &caption, const QString &proposed, const QString &filters,
                          const QString &suffix, QString *filter);
    // Writes the script's lines and reports the outcome in SaveStatus and, on failure, a message.
    void writeScript(const QString &path, const QStringList &lines, bool previewed);
    void restartPreview();
    void rebuildVariableFields();
    void updateTimer();
    void updateNotes();
    void updateCount();
    void zoom(double factor);

    void fillEffectList();
    const effect::Effect *effectAt(int index) const;
    int indexOfEffect(const QString &name, bool builtIn) const;
    effect::EffectFields currentFields() const;
    // The effect's layers with the selected one's fields as the main window and the source hold them.
    QList<effect::Layer> currentLayers() const;
    // Writes the shown layer into the main window's fields and the source settings.
    void showSelectedLayer();
    // Stores the layers with the given one selected; writes the shown layer into the main window
    // where another particle layer is shown now.
    void selectLayers(const QList<effect::Layer> &layers, int selected);
    bool fieldsUnsaved() const;
    void updateEffectBox();
    void reportLibraryProblem();

    drop::MainFields &m_main;
    effect::Source &m_source;
    QPointer<QWidget> m_mainAlive;
    QPointer<effect::Source> m_sourceAlive;
    effect::Simulation m_simulation;
    QFormLayout *m_variablesLayout = nullptr;
    QList<QDoubleSpinBox *> m_variableFields;
    sqf::VariableValues m_variableValues; // kept by lower-case name while names come and go
    QElapsedTimer m_clock;
    bool m_playing = true;
    std::optional<std::int64_t> m_seekSteps; // the moment a seek replays to, in whole steps
    std::optional<double> m_heldMoment;      // paused, the moment to show once the fields play again
    std::optional<double> m_effectEnd;       // of the layers as last read; none without end
    bool m_started = false;

    std::unique_ptr<effect::EffectLibrary> m_library;
    // The effect last loaded or saved, as it was then.
    std::optional<effect::Effect> m_current;
};

} // namespace preview
