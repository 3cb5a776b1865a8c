#include "form5.h"

#include "drop/fieldtable.h"
#include "drop/mainfields.h"
#include "platform/look.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>

namespace preview {
namespace {

QPointer<Form5> instance;

constexpr int kFrameMilliseconds = 16;
// After a stall (a dragged window, a busy machine) the preview goes on instead of catching up.
constexpr double kLongestFrame = 0.1;
constexpr std::uint32_t kSeed = 20261208;
constexpr double kSpeeds[] = {0.25, 0.5, 1, 2, 4};
constexpr int kNormalSpeed = 2;

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

} // namespace

ParticleView::ParticleView(const Simulation &simulation, Plane plane, QWidget *parent)
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
    return {m_simulation.revision(), frame, size(), devicePixelRatioF(), font()};
}

bool ParticleView::pictureIsCurrent() const
{
    const Painted now = wanted();
    return m_painted && m_painted->revision == now.revision && m_painted->frame.centre.x() == now.frame.centre.x()
           && m_painted->frame.centre.y() == now.frame.centre.y() && m_painted->frame.scale == now.frame.scale
           && m_painted->size == now.size && m_painted->ratio == now.ratio && m_painted->font == now.font;
}

void ParticleView::paintEvent(QPaintEvent *)
{
    // The first of the two views to be painted paints the pictures of both, at the same time; the
    // other then finds its picture current.
    std::vector<std::function<void()>> jobs;
    for (ParticleView *view : {this, m_partner.data()}) {
        if (!view || (view != this && !view->isVisible()) || view->pictureIsCurrent())
            continue;
        view->m_painted = view->wanted();
        // A font of its own for each view: copies of one font share what Qt caches for it, which
        // the threads would take from each other on every label.
        QFont font;
        font.fromString(view->m_painted->font.toString());
        jobs.emplace_back([view, font, painted = *view->m_painted] {
            paintViewImage(view->m_picture, painted.size, painted.ratio, font, painted.frame, view->m_plane,
                           view->m_simulation.particles());
        });
    }
    if (m_pool)
        m_pool->run(jobs);
    else
        for (const auto &job : jobs)
            job();
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

Form5 *Form5::existing()
{
    return instance;
}

void Form5::open(drop::MainFields &main)
{
    if (!instance)
        instance = new Form5(main);
    if (instance->isMinimized())
        instance->showNormal();
    instance->show();
    instance->raise();
    instance->activateWindow();
}

Form5::Form5(drop::MainFields &main)
    : QWidget(nullptr, Qt::Window)
    , m_main(main)
    , m_mainAlive(main.Check1.data())
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

void Form5::createControls()
{
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

    PlayButton = new QPushButton(QStringLiteral("&Pause"), this);
    RestartButton = new QPushButton(QStringLiteral("&Restart"), this);
    SpeedBox = new QComboBox(this);
    for (const double speed : kSpeeds)
        SpeedBox->addItem(QStringLiteral("%1×").arg(speed));
    SpeedBox->setCurrentIndex(kNormalSpeed);
    IntervalBox = newNumberBox(this, 0.01, 10, 0.01, 0.05, 2);
    IntervalBox->setSuffix(QStringLiteral(" s"));
    WindXBox = newNumberBox(this, -100, 100, 0.5, 0, 1);
    WindXBox->setSuffix(QStringLiteral(" m/s"));
    WindYBox = newNumberBox(this, -100, 100, 0.5, 0, 1);
    WindYBox->setSuffix(QStringLiteral(" m/s"));

    const auto labelFor = [this](const QString &caption, QWidget *buddy) {
        auto *label = new QLabel(caption, this);
        label->setBuddy(buddy);
        return label;
    };
    auto *controls = new QHBoxLayout;
    controls->addWidget(PlayButton);
    controls->addWidget(RestartButton);
    controls->addSpacing(12);
    controls->addWidget(labelFor(QStringLiteral("&Speed:"), SpeedBox));
    controls->addWidget(SpeedBox);
    controls->addWidget(labelFor(QStringLiteral("Emit &every:"), IntervalBox));
    controls->addWidget(IntervalBox);
    controls->addWidget(labelFor(QStringLiteral("Wind &x:"), WindXBox));
    controls->addWidget(WindXBox);
    controls->addWidget(labelFor(QStringLiteral("Wind &y:"), WindYBox));
    controls->addWidget(WindYBox);
    controls->addStretch(1);

    CountLabel = new QLabel(this);
    ApproximationLabel = new QLabel(
        QStringLiteral("An approximation: the game's own physics and textures make the particles look different."),
        this);
    ApproximationLabel->setWordWrap(true);
    QFont italic = ApproximationLabel->font();
    italic.setItalic(true);
    ApproximationLabel->setFont(italic);

    VariablesBox = new QGroupBox(QStringLiteral("Variables (values assumed for the preview)"), this);
    m_variablesLayout = new QFormLayout(VariablesBox);
    VariablesBox->hide();

    NotesList = new QListWidget(this);
    NotesList->setSelectionMode(QAbstractItemView::NoSelection);
    NotesList->setWordWrap(true);
    NotesList->setMaximumHeight(NotesList->fontMetrics().height() * 7);
    auto *notesTitle = new QLabel(QStringLiteral("Not previewed:"), this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ShapeCaption);
    layout->addLayout(views, 1);
    layout->addLayout(controls);
    layout->addWidget(CountLabel);
    layout->addWidget(ApproximationLabel);
    layout->addWidget(VariablesBox);
    layout->addWidget(notesTitle);
    layout->addWidget(NotesList);

    FrameTimer = new QTimer(this);
    FrameTimer->setInterval(kFrameMilliseconds);

    SideView->zoomed = [this](double factor) { zoom(factor); };
    TopView->zoomed = [this](double factor) { zoom(factor); };
    SideView->paintAlongside(*TopView);
    resize(920, 680);
}

void Form5::connectHandlers()
{
    for (int n = 1; n <= drop::kFieldCount; ++n)
        if (QLineEdit *field = m_main.text(n))
            connect(field, &QLineEdit::textChanged, this, &Form5::MainFields_Change);
    connect(PlayButton, &QPushButton::clicked, this, &Form5::PlayButton_Click);
    connect(RestartButton, &QPushButton::clicked, this, &Form5::RestartButton_Click);
    connect(IntervalBox, &QDoubleSpinBox::valueChanged, this, &Form5::IntervalBox_Change);
    connect(WindXBox, &QDoubleSpinBox::valueChanged, this, &Form5::Wind_Change);
    connect(WindYBox, &QDoubleSpinBox::valueChanged, this, &Form5::Wind_Change);
    connect(FrameTimer, &QTimer::timeout, this, &Form5::FrameTimer_Timer);
}

void Form5::Form_Load()
{
    m_simulation.setInterval(IntervalBox->value());
    readFields();
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
}

void Form5::PlayButton_Click()
{
    m_playing = !m_playing;
    PlayButton->setText(m_playing ? QStringLiteral("&Pause") : QStringLiteral("&Play"));
    updateTimer();
}

void Form5::RestartButton_Click()
{
    restartPreview();
}

void Form5::IntervalBox_Change()
{
    m_simulation.setInterval(IntervalBox->value());
}

void Form5::Wind_Change()
{
    m_simulation.setWind({WindXBox->value(), WindYBox->value(), 0});
}

void Form5::Variable_Change()
{
    const QStringList &names = m_simulation.recipe().variables;
    for (int i = 0; i < m_variableFields.size() && i < names.size(); ++i)
        m_variableValues.insert(names.at(i).toLower(), m_variableFields.at(i)->value());
    const bool wasEmitting = m_simulation.emitting();
    m_simulation.setVariables(m_variableValues);
    if (!wasEmitting && m_simulation.emitting())
        restartPreview();
    updateNotes();
    updateTimer();
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
    updateCount();
    SideView->update();
    TopView->update();
}

QDoubleSpinBox *Form5::variableField(const QString &name) const
{
    const QStringList &names = m_simulation.recipe().variables;
    for (int i = 0; i < names.size() && i < m_variableFields.size(); ++i)
        if (names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return m_variableFields.at(i);
    return nullptr;
}

void Form5::readFields()
{
    QStringList texts;
    for (int n = 1; n <= drop::kFieldCount; ++n) {
        const QLineEdit *field = m_mainAlive ? m_main.text(n) : nullptr;
        texts << (field ? field->text() : QString());
    }
    const bool wasEmitting = m_simulation.emitting();
    const QStringList oldNames = m_simulation.recipe().variables;
    m_simulation.setRecipe(readRecipe(texts));
    if (m_simulation.recipe().variables != oldNames)
        rebuildVariableFields();
    m_simulation.setVariables(m_variableValues);

    const QString shape = m_simulation.recipe().shapeName;
    ShapeCaption->setText(shape.isEmpty() ? QStringLiteral("Shape: (none given)")
                                          : QStringLiteral("Shape: %1 (drawn as soft discs)").arg(shape));
    if (!m_simulation.emitting()) {
        // Nothing is shown until the fields can be previewed again.
        m_simulation.restart();
        SideView->update();
        TopView->update();
    } else if (!wasEmitting && m_started) {
        restartPreview();
    }
    updateNotes();
    updateCount();
    updateTimer();
}

void Form5::restartPreview()
{
    m_simulation.restart();
    const Recipe &recipe = m_simulation.recipe();
    const Bounds bounds = pathBounds(recipe, m_simulation.variables(), m_simulation.wind(), kSeed);
    const double scale = fitScale(bounds, SideView->size(), TopView->size());
    SideView->frame = fitFrame(bounds, Plane::Side, scale);
    TopView->frame = fitFrame(bounds, Plane::Top, scale);
    m_clock.restart();
    runFor(0);
}

void Form5::rebuildVariableFields()
{
    while (m_variablesLayout->rowCount() > 0)
        m_variablesLayout->removeRow(0);
    m_variableFields.clear();
    const QStringList &names = m_simulation.recipe().variables;
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
    const bool run = isVisible() && !isMinimized() && m_playing && m_simulation.emitting();
    if (run && !FrameTimer->isActive()) {
        m_clock.restart();
        FrameTimer->start();
    } else if (!run) {
        FrameTimer->stop();
    }
}

void Form5::updateNotes()
{
    QStringList lines;
    for (const QString &problem : m_simulation.recipe().problems)
        lines << QStringLiteral("Nothing is shown: ") + problem;
    for (const QString &problem : valueProblems(m_simulation.recipe(), m_simulation.variables()))
        lines << QStringLiteral("Nothing is shown: ") + problem;
    lines << m_simulation.recipe().notes;
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
    if (m_simulation.atLimit())
        text +=
            QStringLiteral(" — at most %1 particles live at once: no new ones until some are gone.").arg(kMaxParticles);
    CountLabel->setText(text);
}

void Form5::zoom(double factor)
{
    SideView->frame.scale *= factor;
    TopView->frame.scale *= factor;
    SideView->update();
    TopView->update();
}

} // namespace preview
