#include "form5.h"

#include "drop/fieldtable.h"
#include "drop/mainfields.h"
#include "effect/layers.h"
#include "export/configclass.h"
#include "export/configeffect.h"
#include "export/emitterscript.h"
#include "export/sourcescript.h"
#include "import/effectscript.h"
#include "platform/filedialogs.h"
#include "platform/look.h"
#include "platform/messages.h"
#include "platform/scriptfile.h"
#include "platform/textinput.h"
#include "sqf/configreader.h"
#include "windowfit.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWindow>

#include <cmath>
#include <limits>

namespace preview {
namespace {

QPointer<Form5> instance;

constexpr int kFrameMilliseconds = 16;
// After a stall (a dragged window, a busy machine) the preview goes on instead of catching up.
constexpr double kLongestFrame = 0.1;
// One frame of the views at 60 a second: what Alt+Right and Alt+Left step.
constexpr double kFrameSeconds = 1.0 / 60;
constexpr std::uint32_t kSeed = 20261208;
constexpr double kSpeeds[] = {0.25, 0.5, 1, 2, 4};
constexpr int kNormalSpeed = 2;
const QLatin1String kScriptFolderKey("preview/scriptFolder");
const QLatin1String kNightKey("preview/night");
const QLatin1String kSqsFilter("Game script (*.sqs)");
const QLatin1String kSqfFilter("Script function file (*.sqf)");
constexpr int kOwnEffect = 1; // item data of an own effect; built-ins carry 0
const QString kModified = QStringLiteral(" *");

QDoubleSpinBox *newNumberBox(QWidget *parent, double low, double high, double step, double value, int decimals)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setRange(low, high);
    box->setSingleStep(step);
    box->setDecimals(decimals);
    box->setValue(value);
    box->setAccelerated(true);
    return box;
}

// The same effect, the mute marks aside: they only choose what the preview plays.
bool sameLayers(QList<effect::Layer> a, QList<effect::Layer> b)
{
    for (effect::Layer &layer : a)
        layer.muted = false;
    for (effect::Layer &layer : b)
        layer.muted = false;
    return a == b;
}

} // namespace

ParticleView::ParticleView(const effect::Simulation &simulation, Plane plane, QWidget *parent)
    : QWidget(parent)
    , m_simulation(simulation)
    , m_plane(plane)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

ParticleView::~ParticleView() = default;

void ParticleView::paintAlongside(ParticleView &other, int threads)
{
    m_pool = std::make_shared<PaintPool>(threads);
    other.m_pool = m_pool;
    m_partner = &other;
    other.m_partner = this;
    m_painted.reset();
    other.m_painted.reset();
}

ParticleView::Painted ParticleView::wanted() const
{
    return {m_simulation.revision(), frame, size(), devicePixelRatioF(), font(), night};
}

bool ParticleView::pictureIsCurrent() const
{
    const Painted now = wanted();
    return m_painted && m_painted->revision == now.revision && m_painted->frame.centre.x() == now.frame.centre.x()
           && m_painted->frame.centre.y() == now.frame.centre.y() && m_painted->frame.scale == now.frame.scale
           && m_painted->size == now.size && m_painted->ratio == now.ratio && m_painted->font == now.font
           && m_painted->night == now.night;
}

void ParticleView::paintEvent(QPaintEvent *)
{
    // The first of the two views to be painted paints the pictures of both, at the same time; the
    // other then finds its picture current.
    std::vector<ViewToPaint> views;
    std::array<Lights, 2> lights;
    for (ParticleView *view : {this, m_partner.data()}) {
        if (!view || (view != this && !view->isVisible()) || view->pictureIsCurrent())
            continue;
        view->m_painted = view->wanted();
        const Painted &painted = *view->m_painted;
        // A font of its own for each view: copies of one font share what Qt caches for it, which
        // the threads would take from each other on every label.
        QFont font;
        font.fromString(painted.font.toString());
        Lights &shown = lights[views.size()];
        shown = lightsOf(view->m_simulation, painted.night);
        views.push_back({&view->m_picture, painted.size, painted.ratio, font, painted.frame, view->m_plane,
                         &view->m_simulation.particles(), &shown});
    }
    if (m_pool)
        paintViewImages(views, *m_pool);
    else
        for (const ViewToPaint &view : views)
            paintViewImage(*view.view, view.size, view.ratio, view.font, view.frame, view.plane, *view.particles,
                           *view.lights);
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), m_picture.image);
}

void ParticleView::wheelEvent(QWheelEvent *event)
{
    const double notches = event->angleDelta().y() / 120.0;
    if (notches != 0 && zoomed)
        zoomed(std::pow(1.25, notches));
    event->accept();
}

void EffectComboBox::setDisplayText(const QString &text)
{
    if (text == m_displayText)
        return;
    m_displayText = text;
    update();
}

QString EffectComboBox::displayText() const
{
    if (currentIndex() < 0)
        return placeholderText();
    return m_displayText.isEmpty() ? currentText() : m_displayText;
}

void EffectComboBox::paintEvent(QPaintEvent *)
{
    // As QComboBox paints itself, with the display text in place of the item's.
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (currentIndex() < 0)
        option.palette.setBrush(QPalette::ButtonText, option.palette.placeholderText());
    option.currentText = displayText();
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

Form5 *Form5::existing()
{
    return instance;
}

void Form5::open(drop::MainFields &main, effect::Source &source)
{
    if (!instance) {
        instance = new Form5(main, source);
        instance->fitToScreen(main.Check1 ? main.Check1->window() : nullptr);
    }
    if (instance->isMinimized())
        instance->showNormal();
    instance->show();
    instance->raise();
    instance->activateWindow();
}

Form5::Form5(drop::MainFields &main, effect::Source &source)
    : QWidget(nullptr, Qt::Window)
    , m_main(main)
    , m_source(source)
    , m_mainAlive(main.Check1.data())
    , m_sourceAlive(&source)
    , m_simulation(kSeed)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Particle Preview"));
    setFont(platform::windowFont());
    createControls();
    connectHandlers();
    Form_Load();
}

Form5::~Form5() = default;

void Form5::fitToScreen(const QWidget *mainWindow)
{
    QScreen *screen = mainWindow ? mainWindow->screen() : QGuiApplication::primaryScreen();
    // The frame is known once a window is shown: the main window's is the best guess at this one's.
    const QWindow *framed = mainWindow ? mainWindow->windowHandle() : nullptr;
    const QMargins frame = framed ? framed->frameMargins() : QMargins();
    setScreen(screen);
    setGeometry(fitWindow(sizeHint(), minimumSizeHint(), frame, screen->availableGeometry()));
}

QLayout *Form5::createEffectRow()
{
    EffectBox = new EffectComboBox(this);
    EffectBox->setPlaceholderText(QStringLiteral("choose an effect"));
    EffectBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    EffectBox->setMinimumContentsLength(24);
    EffectLabel = new QLabel(QStringLiteral("Effec&t:"), this);
    EffectLabel->setBuddy(EffectBox);
    SaveAsButton = new QPushButton(QStringLiteral("Save &As…"), this);
    DeleteButton = new QPushButton(QStringLiteral("&Delete"), this);
    auto *row = new QHBoxLayout;
    row->addWidget(EffectLabel);
    row->addWidget(EffectBox);
    row->addWidget(SaveAsButton);
    row->addWidget(DeleteButton);
    row->addStretch(1);
    return row;
}

void Form5::createControls()
{
    // First, so that it comes first in the tab order.
    QLayout *effectRow = createEffectRow();
    ShapeCaption = new QLabel(this);
    ShapeCaption->setTextFormat(Qt::PlainText);

    SideView = new ParticleView(m_simulation, Plane::Side, this);
    TopView = new ParticleView(m_simulation, Plane::Top, this);
    auto *sideTitle = new QLabel(QStringLiteral("Side view"), this);
    auto *topTitle = new QLabel(QStringLiteral("Top view"), this);
    auto *views = new QGridLayout;
    views->addWidget(sideTitle, 0, 0);
    views->addWidget(topTitle, 0, 1);
    views->addWidget(SideView, 1, 0);
    views->addWidget(TopView, 1, 1);
    views->setRowStretch(1, 1);

    // Beside the views and before the controls below them in the tab order; the column scrolls
    // where the window is too short for the groups.
    SettingsPanel = new SidePanel(this);
    LayerBox = new LayerGroup(m_source, this);
    SettingsPanel->addGroup(LayerBox);
    SourceBox = new SourceGroup(m_source, this);
    SettingsPanel->addGroup(SourceBox);
    LightBox = new LightGroup(m_source, this);
    SettingsPanel->addGroup(LightBox);
    LightBox->hide();
    CopySourceButton = new QPushButton(QStringLiteral("C&opy Source"), this);
    CopySourceButton->setToolTip(
        QStringLiteral("Copies the source's commands, to paste after a createVehicleLocal (Ctrl+Shift+C)"));
    CopySourceShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), this);
    CopySourceShortcut->setContext(Qt::WindowShortcut);
    CopyEffectButton = new QPushButton(QStringLiteral("Copy Effect"), this);
    CopyEffectButton->setToolTip(QStringLiteral(
        "Copies every layer's source: its createVehicleLocal, its commands and its attachTo (Ctrl+Shift+E)"));
    CopyEffectShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E), this);
    CopyEffectShortcut->setContext(Qt::WindowShortcut);
    PasteLayerShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V), this);
    PasteLayerShortcut->setContext(Qt::WindowShortcut);
    SaveSourceButton = new QPushButton(QStringLiteral("Sa&ve Source Script…"), this);
    SaveSourceButton->setToolTip(QStringLiteral(
        "Saves a script that creates the effect's particle sources in the game, each at its times (Ctrl+Shift+S)"));
    SaveSourceShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), this);
    SaveSourceShortcut->setContext(Qt::WindowShortcut);
    CopyClassButton = new QPushButton(QStringLiteral("Copy Config C&lass"), this);
    CopyClassButton->setToolTip(
        QStringLiteral("Copies the effect as a config class, to paste into a mod's CfgCloudlets (Ctrl+Shift+K)"));
    CopyClassShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K), this);
    CopyClassShortcut->setContext(Qt::WindowShortcut);
    CopyConfigEffectButton = new QPushButton(QStringLiteral("Copy Config Effect"), this);
    CopyConfigEffectButton->setToolTip(QStringLiteral(
        "Copies every layer as a mod's config declares a complex effect: its CfgCloudlets and CfgLights classes "
        "and the root class that puts them together (Ctrl+Shift+X)"));
    CopyConfigEffectShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_X), this);
    CopyConfigEffectShortcut->setContext(Qt::WindowShortcut);
    // Below the column, in sight however far it is scrolled.
    auto *sourceColumn = new QVBoxLayout;
    sourceColumn->addWidget(SettingsPanel, 1);
    sourceColumn->addWidget(CopySourceButton);
    sourceColumn->addWidget(CopyEffectButton);
    sourceColumn->addWidget(SaveSourceButton);
    sourceColumn->addWidget(CopyClassButton);
    sourceColumn->addWidget(CopyConfigEffectButton);
    // Under the views, as wide as they are.
    TimeBox = new TimeLine(this);
    views->addWidget(TimeBox->Bar, 2, 0, 1, 2);
    GoToTimeShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_G), this);
    GoToTimeShortcut->setContext(Qt::WindowShortcut);
    StepForwardShortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Right), this);
    StepForwardShortcut->setContext(Qt::WindowShortcut);
    StepBackShortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Left), this);
    StepBackShortcut->setContext(Qt::WindowShortcut);
    NewDrawShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R), this);
    NewDrawShortcut->setContext(Qt::WindowShortcut);
    auto *viewsAndSource = new QHBoxLayout;
    viewsAndSource->addLayout(views, 1);
    viewsAndSource->addLayout(sourceColumn);

    PlayButton = new QPushButton(QStringLiteral("&Pause"), this);
    RestartButton = new QPushButton(QStringLiteral("&Restart"), this);
    SpeedBox = new QComboBox(this);
    for (const double speed : kSpeeds)
        SpeedBox->addItem(QStringLiteral("%1×").arg(speed));
    SpeedBox->setCurrentIndex(kNormalSpeed);
    DurationBox = newNumberBox(this, 0, 3600, 0.5, 0, 1);
    DurationBox->setSuffix(QStringLiteral(" s"));
    DurationBox->setSpecialValueText(QStringLiteral("without end"));
    WindXBox = newNumberBox(this, -100, 100, 0.5, 0, 1);
    WindXBox->setSuffix(QStringLiteral(" m/s"));
    WindYBox = newNumberBox(this, -100, 100, 0.5, 0, 1);
    WindYBox->setSuffix(QStringLiteral(" m/s"));
    NightCheck = new QCheckBox(QStringLiteral("Ni&ght"), this);
    NightCheck->setToolTip(QStringLiteral(
        "Dark views, in which every light and its flare show; by day only lights with day light, without flares"));
    // Last in the row and in the tab order.
    SaveButton = new QPushButton(QStringLiteral("Save S&cript…"), this);
    SaveButton->setToolTip(QStringLiteral("Saves a script that drops these particles in the game (Ctrl+S)"));
    SaveShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), this);
    SaveShortcut->setContext(Qt::WindowShortcut);

    const auto labelFor = [this](const QString &caption, QWidget *buddy) {
        auto *label = new QLabel(caption, this);
        label->setBuddy(buddy);
        return label;
    };
    auto *controls = new QHBoxLayout;
    controls->addWidget(PlayButton);
    controls->addWidget(RestartButton);
    controls->addWidget(TimeBox->TimeLabel);
    controls->addWidget(TimeBox->TimeText);
    controls->addWidget(TimeBox->NewDrawButton);
    controls->addWidget(TimeBox->WorkingLabel);
    controls->addSpacing(12);
    // In the row's order, though made with the views.
    setTabOrder(RestartButton, TimeBox->TimeText);
    setTabOrder(TimeBox->TimeText, TimeBox->NewDrawButton);
    setTabOrder(TimeBox->NewDrawButton, SpeedBox);
    controls->addWidget(labelFor(QStringLiteral("&Speed:"), SpeedBox));
    controls->addWidget(SpeedBox);
    controls->addWidget(labelFor(QStringLiteral("Emit &for:"), DurationBox));
    controls->addWidget(DurationBox);
    controls->addWidget(labelFor(QStringLiteral("Wind &x:"), WindXBox));
    controls->addWidget(WindXBox);
    controls->addWidget(labelFor(QStringLiteral("Wind &y:"), WindYBox));
    controls->addWidget(WindYBox);
    controls->addWidget(NightCheck);
    controls->addStretch(1);
    controls->addWidget(SaveButton);

    CountLabel = new QLabel(this);
    ApproximationLabel = new QLabel(
        QStringLiteral("An approximation: the particles move by the old game's engine step, assumed the same in the "
                       "later games, in the wind set here, not the game's changing weather; the game's textures make "
                       "them look different, and the source's randomness, circle and bounce are played by a model of "
                       "the preview's own, as are the lights, drawn as glows whose size follows their attenuation."),
        this);
    ApproximationLabel->setWordWrap(true);
    QFont italic = ApproximationLabel->font();
    italic.setItalic(true);
    ApproximationLabel->setFont(italic);

    // In the column, which scrolls however many variables the fields name.
    VariablesBox = new QGroupBox(QStringLiteral("Variables (values assumed for the preview)"), this);
    m_variablesLayout = new QFormLayout(VariablesBox);
    VariablesBox->hide();
    SettingsPanel->addGroup(VariablesBox);

    // The notes fold away under their title, leaving their height to the views.
    NotesButton = new QToolButton(this);
    NotesButton->setText(QStringLiteral("Not previewed:"));
    NotesButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    NotesButton->setAutoRaise(true);
    NotesButton->setCheckable(true);
    NotesButton->setChecked(true);
    NotesButton->setArrowType(Qt::DownArrow);
    NotesButton->setToolTip(QStringLiteral("Shows or hides what the preview leaves out"));
    NotesList = new QListWidget(this);
    NotesList->setSelectionMode(QAbstractItemView::NoSelection);
    NotesList->setWordWrap(true);
    NotesList->setMaximumHeight(NotesList->fontMetrics().height() * 7);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(effectRow);
    layout->addWidget(ShapeCaption);
    layout->addLayout(viewsAndSource, 1);
    layout->addLayout(controls);
    layout->addWidget(CountLabel);
    ImportStatus = new QLabel(this);
    ImportStatus->setTextFormat(Qt::PlainText);
    ImportStatus->setWordWrap(true);
    ImportStatus->hide();
    layout->addWidget(ImportStatus);
    SaveStatus = new QLabel(this);
    SaveStatus->setTextFormat(Qt::PlainText);
    SaveStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    SaveStatus->hide();
    layout->addWidget(SaveStatus);
    layout->addWidget(ApproximationLabel);
    layout->addWidget(NotesButton, 0, Qt::AlignLeft);
    layout->addWidget(NotesList);

    FrameTimer = new QTimer(this);
    FrameTimer->setInterval(kFrameMilliseconds);
    SeekTimer = new QTimer(this);
    SeekTimer->setSingleShot(true);
    SeekTimer->setInterval(0);

    SideView->zoomed = [this](double factor) { zoom(factor); };
    TopView->zoomed = [this](double factor) { zoom(factor); };
    SideView->paintAlongside(*TopView);
}

void Form5::connectHandlers()
{
    for (int n = 1; n <= drop::kFieldCount; ++n)
        if (QLineEdit *field = m_main.text(n))
            connect(field, &QLineEdit::textChanged, this, &Form5::MainFields_Change);
    if (m_main.Check1)
        connect(m_main.Check1, &QCheckBox::toggled, this, &Form5::updateEffectBox);
    connect(&m_main.Notifier, &drop::FieldsNotifier::replaced, this, &Form5::MainFields_Replaced);
    connect(EffectBox, &QComboBox::activated, this, &Form5::EffectBox_Activated);
    connect(SaveAsButton, &QPushButton::clicked, this, &Form5::SaveAsButton_Click);
    connect(DeleteButton, &QPushButton::clicked, this, &Form5::DeleteButton_Click);
    connect(PlayButton, &QPushButton::clicked, this, &Form5::PlayButton_Click);
    connect(RestartButton, &QPushButton::clicked, this, &Form5::RestartButton_Click);
    connect(DurationBox, &QDoubleSpinBox::valueChanged, this, &Form5::DurationBox_Change);
    connect(SaveButton, &QPushButton::clicked, this, &Form5::SaveButton_Click);
    connect(SaveShortcut, &QShortcut::activated, this, &Form5::SaveShortcut_Activated);
    connect(CopySourceButton, &QPushButton::clicked, this, &Form5::CopySourceButton_Click);
    connect(CopySourceShortcut, &QShortcut::activated, this, &Form5::CopySourceShortcut_Activated);
    connect(SaveSourceButton, &QPushButton::clicked, this, &Form5::SaveSourceButton_Click);
    connect(SaveSourceShortcut, &QShortcut::activated, this, &Form5::SaveSourceShortcut_Activated);
    connect(CopyClassButton, &QPushButton::clicked, this, &Form5::CopyClassButton_Click);
    connect(CopyClassShortcut, &QShortcut::activated, this, &Form5::CopyClassShortcut_Activated);
    connect(TimeBox, &TimeLine::seekAsked, this, &Form5::TimeBox_SeekAsked);
    connect(TimeBox, &TimeLine::newDrawAsked, this, &Form5::TimeBox_NewDrawAsked);
    connect(GoToTimeShortcut, &QShortcut::activated, this, &Form5::GoToTimeShortcut_Activated);
    connect(StepForwardShortcut, &QShortcut::activated, this, &Form5::StepForwardShortcut_Activated);
    connect(StepBackShortcut, &QShortcut::activated, this, &Form5::StepBackShortcut_Activated);
    connect(NewDrawShortcut, &QShortcut::activated, this, &Form5::NewDrawShortcut_Activated);
    connect(SeekTimer, &QTimer::timeout, this, &Form5::SeekTimer_Timer);
    connect(CopyConfigEffectButton, &QPushButton::clicked, this, &Form5::CopyConfigEffectButton_Click);
    connect(CopyConfigEffectShortcut, &QShortcut::activated, this, &Form5::CopyConfigEffectShortcut_Activated);
    connect(LayerBox, &LayerGroup::chosen, this, &Form5::LayerBox_Chosen);
    connect(LayerBox, &LayerGroup::addAsked, this, &Form5::LayerBox_AddAsked);
    connect(LayerBox, &LayerGroup::removeAsked, this, &Form5::LayerBox_RemoveAsked);
    connect(LayerBox, &LayerGroup::renameAsked, this, &Form5::LayerBox_RenameAsked);
    connect(LayerBox, &LayerGroup::moveAsked, this, &Form5::LayerBox_MoveAsked);
    connect(LayerBox, &LayerGroup::muteAsked, this, &Form5::LayerBox_MuteAsked);
    connect(LayerBox, &LayerGroup::pasteAsked, this, &Form5::LayerBox_PasteAsked);
    connect(PasteLayerShortcut, &QShortcut::activated, this, &Form5::PasteLayerShortcut_Activated);
    connect(CopyEffectButton, &QPushButton::clicked, this, &Form5::CopyEffectButton_Click);
    connect(CopyEffectShortcut, &QShortcut::activated, this, &Form5::CopyEffectShortcut_Activated);
    connect(&m_source, &effect::Source::changed, this, &Form5::Source_Change);
    connect(&m_source, &effect::Source::layersChanged, this, &Form5::Source_LayersChange);
    connect(LayerBox->SoloCheck, &QCheckBox::toggled, this, &Form5::SoloCheck_Toggled);
    connect(&m_source, &effect::Source::importNotesChanged, this, &Form5::Source_ImportNotesChange);
    connect(WindXBox, &QDoubleSpinBox::valueChanged, this, &Form5::Wind_Change);
    connect(WindYBox, &QDoubleSpinBox::valueChanged, this, &Form5::Wind_Change);
    connect(NightCheck, &QCheckBox::toggled, this, &Form5::NightCheck_Toggled);
    connect(LayerBox, &LayerGroup::addLightAsked, this, &Form5::LayerBox_AddLightAsked);
    connect(NotesButton, &QToolButton::toggled, this, &Form5::NotesButton_Toggled);
    connect(FrameTimer, &QTimer::timeout, this, &Form5::FrameTimer_Timer);
}

void Form5::Form_Load()
{
    NightCheck->setChecked(QSettings().value(kNightKey, false).toBool());
    m_simulation.setDuration(DurationBox->value());
    readFields();
    Source_ImportNotesChange();
    m_library = std::make_unique<effect::EffectLibrary>(effect::EffectLibrary::defaultPath());
    fillEffectList();
    updateEffectBox();
}

void Form5::closeEvent(QCloseEvent *event)
{
    // Deletion follows later; an opening meanwhile must create a fresh preview, not show this one.
    if (instance == this)
        instance = nullptr;
    FrameTimer->stop();
    QWidget::closeEvent(event);
}

void Form5::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The scale needs the views' sizes, which the first show settles.
    if (!m_started) {
        m_started = true;
        restartPreview();
        // Once the window stands, so that the message box has it to stand over.
        if (!m_library->problem().isEmpty())
            QTimer::singleShot(0, this, &Form5::reportLibraryProblem);
    }
    updateTimer();
}

void Form5::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    updateTimer();
}

void Form5::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        updateTimer();
}

void Form5::MainFields_Change()
{
    readFields();
    updateEffectBox();
}

void Form5::MainFields_Replaced()
{
    // A new effect as a whole: the old one's scale would leave it out of view or tiny.
    if (m_started)
        restartPreview();
}

void Form5::EffectBox_Activated(int index)
{
    const effect::Effect *chosen = effectAt(index);
    const auto keepPrevious = [this] {
        EffectBox->setCurrentIndex(m_current ? indexOfEffect(m_current->name, m_current->builtIn) : -1);
        updateEffectBox();
    };
    if (!chosen || !m_mainAlive) {
        keepPrevious();
        return;
    }
    const effect::Effect effect = *chosen;
    if (fieldsUnsaved()
        && !platform::messages().askYesNo(
            this, QStringLiteral("Load Effect"),
            QStringLiteral("The fields hold changes that are not saved as an effect.\n\nLoad \"%1\" and "
                           "discard them?")
                .arg(effect.name))) {
        keepPrevious();
        return;
    }
    m_current = effect;
    m_source.setConfigEffect(effect.configEffect);
    m_source.setLayers(effect.layers, 0);
    showSelectedLayer();
    EffectBox->setCurrentIndex(indexOfEffect(effect.name, effect.builtIn));
    updateEffectBox();
}

void Form5::SaveAsButton_Click()
{
    const QString title = QStringLiteral("Save Effect");
    m_library->reload();
    if (!m_library->problem().isEmpty()) {
        platform::messages().fail(this, title, m_library->problem());
        return;
    }
    QString name = m_current ? m_current->name : QString();
    for (;;) {
        const std::optional<QString> answer =
            platform::textInput().askText(this, title, QStringLiteral("Name of the effect:"), name);
        if (!answer || answer->trimmed().isEmpty())
            return;
        name = answer->trimmed();
        if (const auto refusal = effect::EffectLibrary::nameRefusal(name)) {
            platform::messages().fail(this, title, *refusal);
            continue;
        }
        const effect::Effect *existing = m_library->find(name);
        if (existing
            && !platform::messages().askYesNo(
                this, title,
                QStringLiteral("An effect named \"%1\" is saved already. Replace it?").arg(existing->name)))
            continue;
        break;
    }
    if (const auto failure =
            m_library->save(name, currentLayers(), QDateTime::currentDateTimeUtc(), m_source.configEffect())) {
        platform::messages().fail(this, title, *failure);
        return;
    }
    fillEffectList();
    if (const effect::Effect *saved = m_library->find(name))
        m_current = *saved;
    EffectBox->setCurrentIndex(m_current ? indexOfEffect(m_current->name, false) : -1);
    updateEffectBox();
}

void Form5::DeleteButton_Click()
{
    const QString title = QStringLiteral("Delete Effect");
    const effect::Effect *chosen = effectAt(EffectBox->currentIndex());
    if (!chosen || chosen->builtIn)
        return;
    const QString name = chosen->name;
    if (!platform::messages().askYesNo(this, title,
                                       QStringLiteral("Delete the effect \"%1\" from the effects file?").arg(name)))
        return;
    if (const auto failure = m_library->remove(name)) {
        platform::messages().fail(this, title, *failure);
        return;
    }
    // The fields stay as they are, now kept nowhere.
    m_current.reset();
    fillEffectList();
    EffectBox->setCurrentIndex(-1);
    updateEffectBox();
}

void Form5::PlayButton_Click()
{
    // Playing goes on from the moment shown: a replay still under way is finished first.
    if (m_seekSteps) {
        SeekTimer->stop();
        replaySeek(std::nullopt);
    }
    m_playing = !m_playing;
    PlayButton->setText(m_playing ? QStringLiteral("&Pause") : QStringLiteral("&Play"));
    updateTimer();
}

void Form5::RestartButton_Click()
{
    restartPreview();
    // The timer stops once an emission of limited duration is over and its particles are gone.
    updateTimer();
}

void Form5::DurationBox_Change()
{
    m_simulation.setDuration(DurationBox->value());
    m_effectEnd = effect::effectEnd(m_simulation.layers(), m_simulation.duration());
    updateTimeLine();
    // The preview shows the script's run from its start; paused, the moment shown with the new
    // duration.
    if (m_started && !m_playing)
        replayMoment(shownMoment());
    else if (m_started)
        restartPreview();
    updateTimer();
}

void Form5::SaveButton_Click()
{
    saveScript();
}

void Form5::SaveShortcut_Activated()
{
    saveScript();
}

void Form5::CopySourceButton_Click()
{
    copySource();
}

void Form5::CopySourceShortcut_Activated()
{
    copySource();
}

void Form5::CopyEffectButton_Click()
{
    copyEffect();
}

void Form5::CopyEffectShortcut_Activated()
{
    copyEffect();
}

void Form5::LayerBox_PasteAsked()
{
    pasteLayers();
}

void Form5::PasteLayerShortcut_Activated()
{
    pasteLayers();
}

void Form5::SaveSourceButton_Click()
{
    saveSourceScript();
}

void Form5::SaveSourceShortcut_Activated()
{
    saveSourceScript();
}

void Form5::CopyClassButton_Click()
{
    copyConfigClass();
}

void Form5::CopyClassShortcut_Activated()
{
    copyConfigClass();
}

void Form5::TimeBox_SeekAsked(double seconds)
{
    seekTo(seconds);
}

void Form5::TimeBox_NewDrawAsked()
{
    newDraw();
}

void Form5::GoToTimeShortcut_Activated()
{
    TimeBox->TimeText->setFocus(Qt::ShortcutFocusReason);
    TimeBox->TimeText->selectAll();
}

void Form5::StepForwardShortcut_Activated()
{
    if (!m_playing)
        seekTo(shownMoment() + kFrameSeconds);
}

void Form5::StepBackShortcut_Activated()
{
    if (!m_playing)
        seekTo(shownMoment() - kFrameSeconds);
}

void Form5::NewDrawShortcut_Activated()
{
    newDraw();
}

void Form5::SeekTimer_Timer()
{
    // A slice of the replay, no longer than a frame, so that the window answers meanwhile.
    replaySeek(kFrameMilliseconds);
}

void Form5::replaySeek(std::optional<qint64> milliseconds)
{
    if (!m_seekSteps)
        return;
    QElapsedTimer spent;
    spent.start();
    while (m_simulation.steps() < *m_seekSteps && !(milliseconds && spent.elapsed() >= *milliseconds))
        m_simulation.step();
    const bool reached = m_simulation.steps() >= *m_seekSteps;
    if (reached)
        m_seekSteps.reset();
    else
        SeekTimer->start();
    TimeBox->setWorking(!reached);
    runFor(0);
}

void Form5::seekTo(double seconds)
{
    pausePlaying();
    const std::int64_t steps = effect::Simulation::stepsTo(seconds);
    if (m_simulation.steps() > steps)
        m_simulation.restart();
    m_seekSteps = steps;
    SeekTimer_Timer();
}

double Form5::shownMoment() const
{
    return m_seekSteps ? double(*m_seekSteps) * effect::kStep : m_simulation.time();
}

void Form5::replayMoment(double seconds)
{
    m_simulation.restart();
    seekTo(seconds);
}

void Form5::pausePlaying()
{
    if (!m_playing)
        return;
    m_playing = false;
    PlayButton->setText(QStringLiteral("&Play"));
    updateTimer();
}

void Form5::newDraw()
{
    // Another spread of the same effect, at the moment shown.
    const double shown = shownMoment();
    m_simulation.setSeed(QRandomGenerator::global()->generate());
    m_simulation.restart();
    if (m_playing) {
        m_simulation.advance(shown);
        runFor(0);
    } else {
        seekTo(shown);
    }
}

void Form5::updateTimeLine()
{
    QList<TimeBar::Span> spans;
    static const QList<QColor> colours{QColor(0x4c, 0x8b, 0xd6), QColor(0xd6, 0x6a, 0x3c), QColor(0x5a, 0xa8, 0x5a),
                                       QColor(0x9b, 0x6c, 0xc4), QColor(0xc4, 0xa2, 0x3a), QColor(0x3a, 0xa8, 0xa8)};
    const auto &layers = m_simulation.layers();
    for (std::size_t i = 0; i < layers.size(); ++i) {
        const effect::LayerRecipe &layer = layers[i];
        QColor colour = layer.light ? QColor(0xf0, 0xc0, 0x30) : colours.at(qsizetype(i) % colours.size());
        if (layer.muted)
            colour.setAlpha(60);
        spans << TimeBar::Span{std::max(0.0, layer.start), layer.end, colour};
    }
    TimeBox->Bar->setSpans(spans);
    showTime();
}

void Form5::showTime()
{
    TimeBox->Bar->setRange(timeRange(m_effectEnd, m_simulation.time()));
    TimeBox->setTime(m_simulation.time());
}

void Form5::CopyConfigEffectButton_Click()
{
    copyConfigEffect();
}

void Form5::CopyConfigEffectShortcut_Activated()
{
    copyConfigEffect();
}

void Form5::Source_Change()
{
    readFields();
    updateEffectBox();
}

void Form5::Source_LayersChange()
{
    const bool light = m_source.selectedLayer().isLight();
    // Hidden first, so that the column never holds both.
    (light ? static_cast<QWidget *>(SourceBox) : LightBox)->hide();
    (light ? static_cast<QWidget *>(LightBox) : SourceBox)->show();
    readFields();
    updateEffectBox();
}

void Form5::SoloCheck_Toggled()
{
    readFields();
}

void Form5::Source_ImportNotesChange()
{
    const QStringList &notes = m_source.importNotes();
    ImportStatus->setText(notes.isEmpty() ? QString() : QStringLiteral("Import: ") + notes.join(QStringLiteral("; ")));
    ImportStatus->setVisible(!notes.isEmpty());
}

void Form5::Wind_Change()
{
    m_simulation.setWind({WindXBox->value(), WindYBox->value(), 0});
    // Paused, the moment shown is replayed in the new wind; playing, it blows from now on.
    if (m_started && !m_playing)
        replayMoment(shownMoment());
}

void Form5::NightCheck_Toggled(bool night)
{
    QSettings().setValue(kNightKey, night);
    SideView->night = night;
    TopView->night = night;
    SideView->update();
    TopView->update();
}

void Form5::NotesButton_Toggled(bool shown)
{
    NotesList->setVisible(shown);
    NotesButton->setArrowType(shown ? Qt::DownArrow : Qt::RightArrow);
}

void Form5::Variable_Change()
{
    const QStringList names = variableNames();
    for (int i = 0; i < m_variableFields.size() && i < names.size(); ++i)
        m_variableValues.insert(names.at(i).toLower(), m_variableFields.at(i)->value());
    readFields();
}

void Form5::FrameTimer_Timer()
{
    const double seconds = std::min(double(m_clock.restart()) / 1000, kLongestFrame);
    runFor(seconds);
}

void Form5::runFor(double seconds)
{
    const int speed = SpeedBox->currentIndex();
    m_simulation.advance(seconds * kSpeeds[speed >= 0 ? speed : kNormalSpeed]);
    if (effect::settled(m_simulation))
        updateTimer();
    updateCount();
    showTime();
    SideView->update();
    TopView->update();
}

QDoubleSpinBox *Form5::variableField(const QString &name) const
{
    const QStringList names = variableNames();
    for (int i = 0; i < names.size() && i < m_variableFields.size(); ++i)
        if (names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return m_variableFields.at(i);
    return nullptr;
}

const effect::Recipe &Form5::selectedRecipe() const
{
    static const effect::Recipe none;
    const auto &layers = m_simulation.layers();
    const std::size_t shown = std::size_t(m_source.shown());
    return shown < layers.size() ? layers[shown].recipe : none;
}

std::optional<double> Form5::selectedInterval() const
{
    const std::size_t shown = std::size_t(m_source.shown());
    return shown < m_simulation.layers().size() ? m_simulation.layerInterval(shown) : std::nullopt;
}

QStringList Form5::variableNames() const
{
    QStringList names;
    for (const effect::LayerRecipe &layer : m_simulation.layers())
        for (const QString &name : layer.recipe.variables)
            if (!names.contains(name, Qt::CaseInsensitive))
                names << name;
    return names;
}

bool Form5::effectEmitting() const
{
    const auto &layers = m_simulation.layers();
    for (std::size_t i = 0; i < layers.size(); ++i)
        if (!layers[i].muted && (layers[i].light ? layers[i].recipe.usable() : m_simulation.layerEmitting(i)))
            return true;
    return false;
}

void Form5::readFields()
{
    // The main window's source goes with it: the layers then play on as they were.
    if (!m_sourceAlive)
        return;
    const QList<effect::Layer> layers = m_mainAlive ? currentLayers() : m_source.layers();
    const int selected = m_source.selected();
    const bool solo = LayerBox->SoloCheck->isChecked();
    std::vector<effect::LayerRecipe> recipes;
    for (qsizetype i = 0; i < layers.size(); ++i) {
        effect::LayerRecipe recipe = effect::readLayer(layers.at(i), m_variableValues);
        recipe.muted = recipe.muted || (solo && i != selected);
        recipes.push_back(std::move(recipe));
    }
    const bool wasEmitting = effectEmitting();
    const QStringList oldNames = variableNames();
    const bool sameCount = recipes.size() == m_simulation.layers().size();
    const double shown = shownMoment();
    m_simulation.setLayers(std::move(recipes));
    m_effectEnd = effect::effectEnd(m_simulation.layers(), m_simulation.duration());
    if (variableNames() != oldNames)
        rebuildVariableFields();

    const QString shape = selectedRecipe().shapeName;
    ShapeCaption->setText(shape.isEmpty() ? QStringLiteral("Shape: (none given)")
                                          : QStringLiteral("Shape: %1 (drawn as soft discs)").arg(shape));
    if (!effectEmitting()) {
        // Nothing is shown until the fields can be previewed again; paused, the moment shown is
        // kept for then.
        if (!m_playing && m_started && !m_heldMoment)
            m_heldMoment = shown;
        m_simulation.restart();
        SideView->update();
        TopView->update();
    } else if (!m_playing && m_started && sameCount) {
        // Paused, the moment shown is replayed with the edit.
        const double moment = m_heldMoment.value_or(shown);
        m_heldMoment.reset();
        replayMoment(moment);
    } else if ((!wasEmitting || !sameCount) && m_started) {
        restartPreview();
    }
    updateNotes();
    updateCount();
    updateTimeLine();
    updateTimer();
}

void Form5::restartPreview()
{
    m_heldMoment.reset();
    m_seekSteps.reset();
    SeekTimer->stop();
    TimeBox->setWorking(false);
    m_simulation.restart();
    const effect::Bounds bounds = effect::pathBounds(m_simulation.layers(), m_simulation.wind(), kSeed);
    const double scale = fitScale(bounds, SideView->size(), TopView->size());
    SideView->frame = fitFrame(bounds, Plane::Side, scale);
    TopView->frame = fitFrame(bounds, Plane::Top, scale);
    m_clock.restart();
    runFor(0);
}

void Form5::saveScript()
{
    if (!m_mainAlive) {
        SaveStatus->setText(QStringLiteral("Nothing to save: the main window with the fields is closed."));
        SaveStatus->show();
        return;
    }
    if (const std::optional<QString> refusal = exporter::emitterScriptRefusal(emitterSettings())) {
        platform::messages().fail(this, QStringLiteral("Save Emitter Script"), *refusal);
        return;
    }
    const QString shape = selectedRecipe().shapeName;
    QString filter = kSqsFilter;
    const QString path = askScriptPath(QStringLiteral("Save Emitter Script"), exporter::proposedScriptName(shape),
                                       kSqsFilter + QLatin1String(";;") + kSqfFilter, QStringLiteral("sqs"), &filter);
    // The dialog ran an event loop: the main window may have gone meanwhile.
    if (path.isEmpty() || !m_mainAlive)
        return;
    exporter::EmitterSettings emitter = emitterSettings();
    emitter.shapeName = shape;
    const QString fileName = QFileInfo(path).fileName();
    writeScript(path, exporter::emitterScriptLines(emitter, exporter::scriptFormatFor(fileName), fileName),
                effectEmitting());
}

void Form5::saveSourceScript()
{
    if (!m_mainAlive) {
        SaveStatus->setText(QStringLiteral("Nothing to save: the main window with the fields is closed."));
        SaveStatus->show();
        return;
    }
    const QString path =
        askScriptPath(QStringLiteral("Save Particle Source Script"),
                      exporter::proposedScriptName(selectedRecipe().shapeName, exporter::ScriptFormat::Sqf), kSqfFilter,
                      QStringLiteral("sqf"), nullptr);
    if (path.isEmpty() || !m_mainAlive)
        return;
    writeScript(path, exporter::effectScriptLines(emitterSettings(), currentLayers(), QFileInfo(path).fileName()),
                effectEmitting());
}

void Form5::copySource()
{
    if (!m_mainAlive) {
        SaveStatus->setText(QStringLiteral("Nothing to copy: the main window with the fields is closed."));
        SaveStatus->show();
        return;
    }
    const effect::Layer &selected = m_source.selectedLayer();
    if (selected.isLight()) {
        const QStringList lines = exporter::layerCommandLines(selected, exporter::layerColourName(emitterSettings()));
        QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
        SaveStatus->setText(QStringLiteral("The light's %1 commands are on the clipboard.").arg(lines.size()));
        SaveStatus->show();
        return;
    }
    const QStringList lines = exporter::sourceCommandLines(m_source.settings(), m_main.Text28->text(),
                                                           m_main.Check1->isChecked(), m_main.Text29->text());
    QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
    SaveStatus->setText(QStringLiteral("The source's %1 commands are on the clipboard.").arg(lines.size()));
    SaveStatus->show();
}

void Form5::copyEffect()
{
    if (!m_mainAlive) {
        SaveStatus->setText(QStringLiteral("Nothing to copy: the main window with the fields is closed."));
        SaveStatus->show();
        return;
    }
    const QList<effect::Layer> layers = currentLayers();
    const QStringList lines = exporter::effectCommandLines(layers, emitterSettings());
    QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
    const auto lights =
        std::count_if(layers.cbegin(), layers.cend(), [](const effect::Layer &layer) { return layer.isLight(); });
    const auto sources = layers.size() - lights;
    QString parts = sources == 1 ? QStringLiteral("one source") : QStringLiteral("%1 sources").arg(sources);
    if (lights > 0)
        parts += lights == 1 ? QStringLiteral(" and one light") : QStringLiteral(" and %1 lights").arg(lights);
    SaveStatus->setText(QStringLiteral("The effect's %1 %2 on the clipboard, %3 commands.")
                            .arg(parts, layers.size() == 1 ? QStringLiteral("is") : QStringLiteral("are"))
                            .arg(lines.size()));
    SaveStatus->show();
}

void Form5::pasteLayers()
{
    if (!m_mainAlive)
        return;
    const QString title = QStringLiteral("Paste Layer");
    const QString text = QGuiApplication::clipboard()->text();
    if (text.trimmed().isEmpty()) {
        platform::messages().fail(this, title, QStringLiteral("The clipboard holds no text to paste as a layer."));
        return;
    }
    const import::EffectOutcome outcome = import::parsePastedLayers(text);
    if (!outcome.layers) {
        platform::messages().fail(
            this, title,
            QStringLiteral("The clipboard's %1 cannot be a layer: %2")
                .arg(sqf::startsWithClass(text) ? QStringLiteral("class") : QStringLiteral("text"), outcome.problem));
        return;
    }
    QList<effect::Layer> layers = currentLayers();
    const int last = effect::insertLayers(layers, m_source.selected() + 1, *outcome.layers);
    m_source.setImportNotes(outcome.notes);
    selectLayers(layers, last);
}

void Form5::copyConfigClass()
{
    if (!m_mainAlive) {
        SaveStatus->setText(QStringLiteral("Nothing to copy: the main window with the fields is closed."));
        SaveStatus->show();
        return;
    }
    const effect::EffectClass name =
        exporter::classNameFor(m_source.configClass(), m_current ? m_current->name : QString());
    const QStringList lines = exporter::configClassLines(m_main.texts(), m_source.settings(), name, m_variableValues);
    QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
    SaveStatus->setText(QStringLiteral("The config class %1 is on the clipboard.").arg(name.name));
    SaveStatus->show();
}

void Form5::copyConfigEffect()
{
    if (!m_mainAlive) {
        SaveStatus->setText(QStringLiteral("Nothing to copy: the main window with the fields is closed."));
        SaveStatus->show();
        return;
    }
    const QString effectName = m_current ? m_current->name : QString();
    const QStringList lines =
        exporter::configEffectLines(currentLayers(), m_source.configEffect(), effectName, m_variableValues);
    QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
    const QString rootName =
        m_source.configEffect().name.isEmpty() ? exporter::configIdentifier(effectName) : m_source.configEffect().name;
    SaveStatus->setText(
        QStringLiteral("The complex effect %1 is on the clipboard: the classes of its layers and its root class.")
            .arg(rootName));
    SaveStatus->show();
}

exporter::EmitterSettings Form5::emitterSettings() const
{
    exporter::EmitterSettings emitter;
    emitter.shapeName = selectedRecipe().shapeName;
    emitter.objectText = m_main.text(drop::kFieldCount)->text();
    emitter.dropString = m_main.Text28->text();
    emitter.separateColours = m_main.Check1->isChecked();
    emitter.colourLine = m_main.Text29->text();
    for (const QString &name : variableNames())
        emitter.variables.append({name, m_variableValues.value(name.toLower(), 0.0)});
    // An interval that cannot be read is no time to wait: the drop loop refuses it.
    emitter.interval = selectedInterval().value_or(std::numeric_limits<double>::quiet_NaN());
    emitter.duration = DurationBox->value();
    emitter.sourceRandom = m_source.settings().random.set;
    emitter.sourceCircle = m_source.settings().circle.set;
    return emitter;
}

QString Form5::askScriptPath(const QString &caption, const QString &proposed, const QString &filters,
                             const QString &suffix, QString *filter)
{
    QString folder = QSettings().value(kScriptFolderKey).toString();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QCoreApplication::applicationDirPath();
    return platform::fileDialogs().saveFileName(this, caption, QDir(folder).filePath(proposed), filters, suffix,
                                                filter);
}

void Form5::writeScript(const QString &path, const QStringList &lines, bool previewed)
{
    const QString shownPath = QDir::toNativeSeparators(path);
    const platform::ScriptBytes script = platform::encodeScriptLines(lines);
    if (script.unencodable) {
        SaveStatus->setText(QStringLiteral("The script was not saved."));
        SaveStatus->show();
        platform::messages().fail(this, QStringLiteral("Error"),
                                  QStringLiteral("Nothing was written to %1:\r\nthe fields hold the character \"%2\", "
                                                 "which the system's code page cannot hold.")
                                      .arg(shownPath, *script.unencodable));
        return;
    }
    QString reason;
    if (!platform::writeFileWhole(path, script.bytes, &reason)) {
        SaveStatus->setText(QStringLiteral("The script was not saved."));
        SaveStatus->show();
        platform::messages().fail(this, QStringLiteral("Error"),
                                  QStringLiteral("Can't save the script to %1:\r\n%2").arg(shownPath, reason));
        return;
    }
    QSettings().setValue(kScriptFolderKey, QFileInfo(path).absolutePath());
    SaveStatus->setText(QStringLiteral("Script saved to %1").arg(shownPath));
    SaveStatus->show();
    if (!previewed)
        platform::messages().inform(this, QStringLiteral("Info"),
                                    QStringLiteral("Script saved to %1\r\nThe preview could not show the fields "
                                                   "(see \"Not previewed\"): the script holds them as written.")
                                        .arg(shownPath));
}

void Form5::rebuildVariableFields()
{
    while (m_variablesLayout->rowCount() > 0)
        m_variablesLayout->removeRow(0);
    m_variableFields.clear();
    const QStringList names = variableNames();
    for (const QString &name : names) {
        const double value = m_variableValues.value(name.toLower(), 0.0);
        m_variableValues.insert(name.toLower(), value);
        auto *box = newNumberBox(VariablesBox, -1e6, 1e6, 0.1, value, 3);
        box->setToolTip(
            QStringLiteral("The fields name %1; the game knows its value, the preview assumes it").arg(name));
        connect(box, &QDoubleSpinBox::valueChanged, this, &Form5::Variable_Change);
        m_variablesLayout->addRow(QStringLiteral("%1 (assumed):").arg(name), box);
        m_variableFields << box;
    }
    VariablesBox->setVisible(!names.isEmpty());
}

void Form5::updateTimer()
{
    const bool run = isVisible() && !isMinimized() && m_playing && effectEmitting() && !effect::settled(m_simulation);
    if (run && !FrameTimer->isActive()) {
        m_clock.restart();
        FrameTimer->start();
    } else if (!run) {
        FrameTimer->stop();
    }
}

void Form5::updateNotes()
{
    // The selected layer's notes; of the others, only what keeps them from being shown.
    if (!m_sourceAlive)
        return;
    QStringList lines;
    const auto &layers = m_simulation.layers();
    const bool several = layers.size() > 1;
    for (std::size_t i = 0; i < layers.size(); ++i) {
        const effect::LayerRecipe &layer = layers[i];
        const QString prefix =
            several ? m_source.layers().value(qsizetype(i)).name() + QStringLiteral(": ") : QString();
        if (m_source.layers().value(qsizetype(i)).classOnly) {
            lines << prefix + QStringLiteral("a class of the game or a mod, not in the text: not previewed.");
            continue;
        }
        QStringList problems = layer.recipe.problems;
        problems << effect::valueProblems(layer.recipe, layer.variables);
        for (const QString &problem : problems)
            lines << prefix + QStringLiteral("Nothing is shown: ") + problem;
        // With a light selected, its notes and those of the particle layer the main window shows.
        if (int(i) == m_source.selected() || int(i) == m_source.shown())
            for (const QString &note : layer.recipe.notes)
                lines << (m_source.selected() == m_source.shown() ? note : prefix + note);
    }
    const QStringList shown = [this] {
        QStringList items;
        for (int i = 0; i < NotesList->count(); ++i)
            items << NotesList->item(i)->text();
        return items;
    }();
    if (shown != lines) {
        NotesList->clear();
        NotesList->addItems(lines);
    }
}

void Form5::updateCount()
{
    QString text =
        QStringLiteral("%1 particles, %2 s").arg(m_simulation.particles().size()).arg(m_simulation.time(), 0, 'f', 1);
    if (m_simulation.emissionOver())
        text += QStringLiteral(" — emission over after %1 s (Restart shows it again)").arg(m_simulation.duration());
    QList<int> counts;
    QList<bool> atLimit;
    QStringList limited;
    if (!m_sourceAlive) {
        CountLabel->setText(text);
        return;
    }
    QStringList lights;
    for (std::size_t i = 0; i < m_simulation.layers().size(); ++i) {
        if (!m_simulation.layers()[i].light)
            continue;
        const double intensity = m_simulation.lightIntensity(i);
        lights << QStringLiteral("%1 %2").arg(m_source.layers().value(qsizetype(i)).name(),
                                              m_simulation.lightStatus(i).on
                                                  ? QString::number(intensity, 'f', intensity < 10 ? 2 : 0)
                                                  : QStringLiteral("off"));
    }
    if (!lights.isEmpty())
        text += (lights.size() == 1 ? QStringLiteral("; light ") : QStringLiteral("; lights "))
                + lights.join(QStringLiteral(", "));
    for (std::size_t i = 0; i < m_simulation.layers().size(); ++i) {
        const effect::LayerStatus &status = m_simulation.layerStatus(i);
        counts << status.live;
        atLimit << status.atLimit;
        if (status.atLimit)
            limited << m_source.layers().value(qsizetype(i)).name();
    }
    if (m_simulation.atLimit())
        text += QStringLiteral(" — at most %1 particles live at once in all layers: no new ones until some are gone%2.")
                    .arg(effect::kMaxParticles)
                    .arg(counts.size() > 1 ? QStringLiteral(" (held back: %1)").arg(limited.join(QStringLiteral(", ")))
                                           : QString());
    CountLabel->setText(text);
    LayerBox->showCounts(counts.size() > 1 ? counts : QList<int>{}, counts.size() > 1 ? atLimit : QList<bool>{});
}

void Form5::fillEffectList()
{
    EffectBox->clear();
    for (const effect::Effect &effect : effect::builtInEffects()) {
        EffectBox->addItem(effect.name, 0);
        EffectBox->setItemData(EffectBox->count() - 1, effect.description, Qt::ToolTipRole);
    }
    const QList<effect::Effect> &own = m_library->effects();
    if (!own.isEmpty())
        EffectBox->insertSeparator(EffectBox->count());
    for (const effect::Effect &effect : own) {
        EffectBox->addItem(effect.name, kOwnEffect);
        const QString when = QLocale().toString(effect.saved.toLocalTime(), QLocale::ShortFormat);
        EffectBox->setItemData(EffectBox->count() - 1, QStringLiteral("Saved %1").arg(when), Qt::ToolTipRole);
    }
    EffectBox->setCurrentIndex(m_current ? indexOfEffect(m_current->name, m_current->builtIn) : -1);
}

const effect::Effect *Form5::effectAt(int index) const
{
    if (index < 0 || index >= EffectBox->count())
        return nullptr;
    const QString name = EffectBox->itemText(index);
    const QVariant kind = EffectBox->itemData(index);
    if (!kind.isValid())
        return nullptr; // the separator
    return kind.toInt() == kOwnEffect ? m_library->find(name) : effect::findBuiltIn(name);
}

int Form5::indexOfEffect(const QString &name, bool builtIn) const
{
    for (int i = 0; i < EffectBox->count(); ++i)
        if (EffectBox->itemData(i).isValid() && (EffectBox->itemData(i).toInt() == kOwnEffect) != builtIn
            && EffectBox->itemText(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

effect::EffectFields Form5::currentFields() const
{
    return {m_main.texts(), m_main.Check1 && m_main.Check1->isChecked(), m_source.settings(), m_source.configClass()};
}

QList<effect::Layer> Form5::currentLayers() const
{
    QList<effect::Layer> layers = m_source.layers();
    layers[m_source.shown()].fields = currentFields();
    return layers;
}

bool Form5::fieldsUnsaved() const
{
    const QList<effect::Layer> layers = currentLayers();
    return !sameLayers(layers, {effect::layerOf(effect::startFields())})
           && !(m_current && sameLayers(layers, m_current->layers));
}

void Form5::showSelectedLayer()
{
    const effect::Layer &layer = m_source.layers().at(m_source.shown());
    m_source.setConfigClass(layer.fields.configClass);
    m_source.setSettings(layer.fields.source);
    drop::writeFields(m_main, layer.fields.texts, layer.fields.separateColours);
}

void Form5::selectLayers(const QList<effect::Layer> &layers, int selected)
{
    const QString shown = m_source.layers().at(m_source.shown()).name();
    m_source.setLayers(layers, selected);
    // The main window holds the shown layer's fields already while it stays shown.
    if (m_source.layers().at(m_source.shown()).name() != shown)
        showSelectedLayer();
}

void Form5::LayerBox_Chosen(int index)
{
    if (!m_mainAlive)
        return;
    selectLayers(currentLayers(), index);
}

void Form5::LayerBox_AddAsked()
{
    if (!m_mainAlive)
        return;
    QList<effect::Layer> layers = currentLayers();
    const int selected = m_source.selected();
    effect::Layer copy = layers.at(selected);
    copy.muted = false;
    // A new part of a complex effect, with a class of its own where it is written as one.
    copy.part.reset();
    copy.fields.configClass.name.clear();
    const int added = effect::insertLayers(layers, selected + 1, {copy});
    selectLayers(layers, added);
}

void Form5::LayerBox_AddLightAsked()
{
    if (!m_mainAlive)
        return;
    QList<effect::Layer> layers = currentLayers();
    const int added = effect::insertLayers(layers, m_source.selected() + 1,
                                           {effect::lightLayerOf(QStringLiteral("_light"), effect::newLight())});
    selectLayers(layers, added);
}

void Form5::LayerBox_RemoveAsked()
{
    if (!m_mainAlive || m_source.layers().size() < 2)
        return;
    const QString title = QStringLiteral("Remove Layer");
    const int selected = m_source.selected();
    QList<effect::Layer> layers = currentLayers();
    const effect::Layer &layer = layers.at(selected);
    if (!layer.isLight() && std::none_of(layers.cbegin(), layers.cend(), [&layer](const effect::Layer &other) {
            return !other.isLight() && &other != &layer;
        })) {
        platform::messages().fail(this, title,
                                  QStringLiteral("%1 is the effect's only particle layer: the main window shows its "
                                                 "fields, and an effect keeps one at least.")
                                      .arg(layer.name()));
        return;
    }
    if (!platform::messages().askYesNo(
            this, title,
            layer.isLight() ? QStringLiteral("Remove the light %1 from the effect?").arg(layer.name())
                            : QStringLiteral("Remove the layer %1 and its fields from the effect?").arg(layer.name())))
        return;
    layers.removeAt(selected);
    selectLayers(layers, std::min<int>(selected, int(layers.size()) - 1));
}

void Form5::LayerBox_RenameAsked()
{
    const QString title = QStringLiteral("Rename Layer");
    QList<effect::Layer> layers = currentLayers();
    const int selected = m_source.selected();
    QString name = layers.at(selected).name();
    for (;;) {
        const std::optional<QString> answer = platform::textInput().askText(
            this, title,
            layers.at(selected).isLight() ? QStringLiteral("Name of the layer (its light's variable in the script):")
                                          : QStringLiteral("Name of the layer (its source's variable in the script):"),
            name);
        if (!answer || answer->trimmed() == layers.at(selected).name())
            return;
        name = answer->trimmed();
        QList<effect::Layer> others = layers;
        others.removeAt(selected);
        if (name.isEmpty())
            platform::messages().fail(this, title, QStringLiteral("A layer needs a name."));
        else if (effect::uniqueLayerName(others, name) != name)
            platform::messages().fail(this, title, QStringLiteral("Another layer is named %1.").arg(name));
        else
            break;
    }
    if (selected == m_source.shown()) {
        effect::SourceSettings settings = m_source.settings();
        settings.name = name;
        m_source.setSettings(settings);
    }
    layers[selected].fields.source.name = name;
    m_source.setLayers(layers, selected);
}

void Form5::LayerBox_MoveAsked(int from, int to)
{
    QList<effect::Layer> layers = currentLayers();
    if (from < 0 || to < 0 || from >= layers.size() || to >= layers.size() || from == to)
        return;
    layers.move(from, to);
    m_source.setLayers(layers, to);
    // The particles keep the place of their layer in the list: they start anew in the new order.
    if (m_started)
        restartPreview();
}

void Form5::LayerBox_MuteAsked(int index, bool muted)
{
    QList<effect::Layer> layers = m_source.layers();
    if (index < 0 || index >= layers.size())
        return;
    layers[index].muted = muted;
    m_source.setLayers(layers, m_source.selected());
}

void Form5::updateEffectBox()
{
    const bool changed = m_current && !sameLayers(currentLayers(), m_current->layers);
    EffectBox->setDisplayText(m_current ? m_current->name + (changed ? kModified : QString()) : QString());
    const effect::Effect *chosen = effectAt(EffectBox->currentIndex());
    DeleteButton->setEnabled(chosen && !chosen->builtIn);
}

void Form5::reportLibraryProblem()
{
    platform::messages().fail(this, QStringLiteral("Effects"), m_library->problem());
}

void Form5::zoom(double factor)
{
    SideView->frame.scale *= factor;
    TopView->frame.scale *= factor;
    SideView->update();
    TopView->update();
}

} // namespace preview
