#include "form4.h"

#include "classimport.h"
#include "configeffect.h"
#include "drop/mainfields.h"
#include "effect/layers.h"
#include "input/singleline.h"
#include "platform/frmOnTop.h"
#include "platform/look.h"
#include "platform/messages.h"
#include "sourceblock.h"
#include "sqf/configreader.h"
#include "sqf/values.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QToolTip>

using platform::twips;

namespace import {
namespace {

QPointer<Form4> instance;

constexpr int kClientWidth = 9390;
constexpr int kClientHeight = 1890;

void setBackground(QLineEdit *field, const QColor &colour)
{
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, colour);
    field->setPalette(palette);
}

void setTextColour(QLineEdit *field, const QColor &colour)
{
    QPalette palette = field->palette();
    palette.setColor(QPalette::Text, colour);
    field->setPalette(palette);
}

} // namespace

Form4 *Form4::existing()
{
    return instance;
}

void Form4::open(drop::MainFields &main, effect::Source &source)
{
    if (!instance)
        instance = new Form4(main, source);
    instance->show();
    instance->raise();
    instance->activateWindow();
}

Form4::Form4(drop::MainFields &main, effect::Source &source)
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                           | Qt::MSWindowsFixedSizeDialogHint)
    , m_main(main)
    , m_source(source)
    , m_mainAlive(main.Check1.data())
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Import Drop Array"));
    setFont(platform::windowFont());
    createControls();
    connectHandlers();
    Form_Load();
}

void Form4::createControls()
{
    const QFont bold = platform::windowFont(true);
    const auto place = [](QWidget *control, int left, int top, int width, int height) {
        control->setGeometry(twips(left), twips(top), twips(width), twips(height));
    };

    Text1 = new QLineEdit(this);
    place(Text1, 120, 120, 9135, 285);
    // A whole script pasted at once must not be cut.
    input::removeLengthLimit(Text1);
    // A script's "//" comments and a config's preprocessor lines end with their line: they go
    // before the lines are joined.
    input::makeSingleLine(Text1, [](const QString &text) { return sqf::removeDirectives(sqf::removeComments(text)); });

    Text2 = new QLineEdit(this);
    place(Text2, 120, 600, 6855, 285);
    input::removeLengthLimit(Text2);
    input::makeSingleLine(Text2);
    Text2->setEnabled(false);
    Text2->setReadOnly(true);
    setBackground(Text2, platform::buttonFaceColour());

    Check1 = new QCheckBox(QStringLiteral("Seperate color(s)"), this);
    Check1->setFont(bold);
    place(Check1, 7200, 600, 2055, 255);

    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setFont(bold);
    Command1->setAutoDefault(false);
    place(Command1, 6720, 1320, 1215, 375);

    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command2->setFont(bold);
    Command2->setAutoDefault(false);
    place(Command2, 8160, 1320, 1095, 375);

    Label1 = new QLabel(QStringLiteral("Important:"), this);
    Label1->setFont(bold);
    place(Label1, 120, 960, 1095, 255);

    Label2 = new QLabel(
        QStringLiteral("Only if you're using a variable for the color(s) instead of the whole color array in "
                       "the drop array, you must check the checkbox and copy the color(s) into the "
                       "bottom field."),
        this);
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(Label2, 120, 1200, 5775, 615);

    // Lies below the client area: the user never sees it, and the keyboard never reaches it.
    List1 = new QListWidget(this);
    List1->setSortingEnabled(false);
    List1->setFocusPolicy(Qt::NoFocus);
    place(List1, 240, 2280, 2055, 3960);

    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Check1);
    setTabOrder(Check1, Command1);
    setTabOrder(Command1, Command2);

    setFixedSize(twips(kClientWidth), twips(kClientHeight));
}

void Form4::connectHandlers()
{
    connect(Text1, &QLineEdit::textChanged, this, &Form4::Text1_Change);
    connect(Check1, &QCheckBox::toggled, this, &Form4::Check1_Click);
    connect(Command1, &QPushButton::clicked, this, &Form4::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form4::Command2_Click);
}

void Form4::Form_Load()
{
    SetOnTop(this, true);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    Text1->setFocus();
}

void Form4::Text1_Change()
{
    // An edit ends the report of the last failure.
    if (Text1->toolTip().isEmpty())
        return;
    Text1->setToolTip(QString());
    setTextColour(Text1, QApplication::palette().color(QPalette::Text));
    QToolTip::hideText();
}

// The reason stays with the field, as its tool tip and its text in the error colour, until the
// next edit; nothing else of the dialog changes, and the focus stays where it is.
void Form4::showFailure(const QString &reason)
{
    Text1->setToolTip(reason);
    setTextColour(Text1, platform::errorTextColour());
    if (Text1->isVisible())
        QToolTip::showText(Text1->mapToGlobal(QPoint(0, Text1->height())), reason, Text1);
}

void Form4::Check1_Click()
{
    const bool separate = Check1->isChecked();
    setBackground(Text2, separate ? platform::windowBackgroundColour() : platform::buttonFaceColour());
    Text2->setEnabled(separate);
    Text2->setReadOnly(!separate);
}

void Form4::Command1_Click()
{
    List1->clear();
    // A config class, as mods write particle effects, is read by its own reader; a complex effect's
    // root class among the classes makes the whole config one effect of layers.
    if (sqf::startsWithClass(Text1->text())) {
        const ConfigEffectOutcome effect = parseConfigEffect(Text1->text());
        if (effect.isEffect && effect.layers) {
            importLayers(*effect.layers, effect.notes, {}, effect.root);
            return;
        }
        const ClassOutcome outcome = parseConfigClass(Text1->text());
        if (!outcome.imported) {
            showFailure(outcome.problem);
            return;
        }
        if (!m_mainAlive)
            return;
        m_source.setConfigClass(outcome.imported->configClass);
        m_source.setConfigEffect({});
        m_source.setSettings(outcome.imported->settings);
        m_source.setImportNotes(outcome.imported->notes);
        drop::writeFields(m_main, outcome.imported->fields, false);
        close();
        return;
    }
    // A script of several sources, or of one placed off the anchor or at its times, is an effect of
    // layers; one plain source goes into the selected layer as it always has.
    const EffectOutcome effect = parseEffectScript(Text1->text(), Check1->isChecked(), Text2->text());
    if (effect.layers && isLayered(*effect.layers)) {
        importLayers(*effect.layers, effect.notes, effect.colourNames, {});
        return;
    }
    const BlockOutcome outcome = parseSourceBlock(Text1->text(), Check1->isChecked(), Text2->text());
    Text1->setText(outcome.cleanedText);
    if (!outcome.block) {
        if (outcome.failure)
            showFailure(blockFailureReason(*outcome.failure));
        return;
    }
    if (!m_mainAlive)
        return;
    const ImportedBlock &block = *outcome.block;
    List1->addItems(block.array.tokens);
    // The source's settings first: the fields' writing tells the preview that a new effect is
    // there as a whole, and the preview fits its views to it, circle and spread included.
    m_source.setConfigClass({});
    m_source.setConfigEffect({});
    m_source.setSettings(block.settings);
    m_source.setImportNotes(block.notes);
    drop::writeFields(m_main, block.array.fields, block.separateColours, block.array.colorVarName);
    close();
}

bool Form4::isLayered(const QList<effect::Layer> &layers)
{
    const effect::Layer plain = effect::layerOf(layers.front().fields);
    return layers.size() > 1 || layers.front().classOnly || layers.front().offset != plain.offset
           || layers.front().start != plain.start || layers.front().end != plain.end;
}

void Form4::importLayers(const QList<effect::Layer> &layers, const QStringList &notes, const QStringList &colourNames,
                         const effect::ConfigEffect &root)
{
    if (!m_mainAlive)
        return;
    const qsizetype kept = m_source.layers().size();
    if (kept > 1
        && !platform::messages().askYesNo(
            this, QStringLiteral("Import Array"),
            QStringLiteral("The effect has %1 layers. Replace them with the %2 of the pasted %3?")
                .arg(kept)
                .arg(layers.size() == 1 ? QStringLiteral("layer") : QStringLiteral("%1 layers").arg(layers.size()),
                     root.name.isEmpty() ? QStringLiteral("script") : QStringLiteral("complex effect"))))
        return;
    // The layers first, then the selected one's settings and fields, whose writing tells the
    // preview that a new effect is there as a whole.
    m_source.setLayers(layers, 0);
    // The first particle layer, where the script creates a light first.
    const effect::Layer shown = m_source.layers().at(m_source.shown());
    m_source.setConfigClass(shown.fields.configClass);
    m_source.setConfigEffect(root);
    m_source.setSettings(shown.fields.source);
    m_source.setImportNotes(notes);
    const QString colourName = colourNames.value(m_source.shown());
    drop::writeFields(m_main, shown.fields.texts, shown.fields.separateColours,
                      colourName.isEmpty() ? std::nullopt : std::optional<QString>(colourName));
    close();
}

void Form4::Command2_Click()
{
    close();
}

void Form4::closeEvent(QCloseEvent *event)
{
    // Deletion follows later; a new opening meanwhile must start a fresh dialog.
    if (instance == this)
        instance = nullptr;
    event->accept();
}

} // namespace import
