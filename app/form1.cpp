#include "form1.h"

#include "colour/form2.h"
#include "colour/form3.h"
#include "drop/dropstring.h"
#include "drop/fieldtable.h"
#include "icon.h"
#include "import/form4.h"
#include "input/singleline.h"
#include "platform/look.h"
#include "platform/messages.h"
#include "preview/form5.h"
#include "sqswriter.h"
#include "statusbar.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

using platform::twips;

namespace {

constexpr int kFieldHeight = 285;
constexpr int kLabelHeight = 255;
constexpr int kLabelAbove = 240;
constexpr int kWideField = 1815;
constexpr int kComponentWidth = 615;
constexpr int kComponentStep = 600;
constexpr int kClientWidth = 11895;
constexpr int kStatusTop = 4500;
constexpr int kButtonTop = 2955;
constexpr int kButtonHeight = 375;

// Where each parameter's label and first field stand: row field top and left edge, in twips.
struct Place {
    int top;
    int left;
};
// clang-format off
constexpr std::array<Place, 19> kPlaces{{
    {480, 240}, {480, 2160}, {480, 4080}, {480, 6000}, {480, 7920}, {480, 9840},
    {1320, 240}, {1320, 2160}, {1320, 4080}, {1320, 6000}, {1320, 7920}, {1320, 9840},
    {2160, 240}, {2160, 2160}, {2160, 4080}, {2160, 6000}, {2160, 7920}, {2160, 9840},
    {3000, 240},
}};
// clang-format on

void setBackground(QLineEdit *field, const QColor &colour)
{
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, colour);
    field->setPalette(palette);
}

} // namespace

Form1::Form1(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_scriptDirectory([] { return QCoreApplication::applicationDirPath(); })
{
    setWindowTitle(QStringLiteral(" Plumewright 1.1 by Orvane"));
    // The program gives all its windows the icon; a main window made without it draws its own.
    if (QApplication::windowIcon().isNull())
        setWindowIcon(plumeIcon());
    setFont(platform::windowFont());
    createControls();
    connectHandlers();
    Form_Load();
}

Form1::~Form1()
{
    closeSecondaryWindows();
}

void Form1::setScriptDirectory(std::function<QString()> directory)
{
    m_scriptDirectory = std::move(directory);
}

void Form1::createControls()
{
    const QFont bold = platform::windowFont(true);
    const auto newField = [this](int left, int top, int width) {
        auto *field = new QLineEdit(this);
        field->setGeometry(twips(left), twips(top), twips(width), twips(kFieldHeight));
        input::removeLengthLimit(field);
        field->setMouseTracking(true);
        input::makeSingleLine(field);
        return field;
    };

    int number = 1;
    for (int parameter = 0; parameter < 19; ++parameter) {
        const Place place = kPlaces[parameter];
        auto *label = new QLabel(QString::fromLatin1(drop::kParameterNames[parameter]), this);
        label->setFont(bold);
        label->setGeometry(twips(place.left), twips(place.top - kLabelAbove), twips(kWideField), twips(kLabelHeight));
        m_labels[parameter] = label;
        const bool vector = drop::kFields[number - 1].component == 1;
        for (int component = 0; component < (vector ? 3 : 1); ++component, ++number) {
            QLineEdit *field = vector ? newField(place.left + component * kComponentStep, place.top, kComponentWidth)
                                      : newField(place.left, place.top, kWideField);
            field->setText(QString::fromLatin1(drop::kFields[number - 1].startText));
            m_fields.Text[number - 1] = field;
        }
    }

    Text28 = newField(240, 3600, 11415);
    // Narrower than the row, so that "Preview" stands between it and the check box.
    Text29 = newField(240, 4080, 5895);
    Text29->setReadOnly(true);
    setBackground(Text29, platform::buttonFaceColour());
    Check1 = new QCheckBox(QStringLiteral("Put color(s) into a seperate variable"), this);
    Check1->setGeometry(twips(8280), twips(4080), twips(3495), twips(315));

    const auto newButton = [this, &bold](int column, const char *caption) {
        auto *button = new QPushButton(QString::fromLatin1(caption), this);
        button->setFont(bold);
        button->setAutoDefault(false);
        button->setGeometry(twips(2160 + column * 1920), twips(kButtonTop), twips(kWideField), twips(kButtonHeight));
        return button;
    };
    Command6 = newButton(0, "Import Array");
    Command1 = newButton(1, "Choose Colors");
    Command1->setMouseTracking(true);
    Command4 = newButton(2, "Create SQS");
    Command3 = newButton(3, "Reset");
    Command2 = newButton(4, "Exit");
    Command7 = new QPushButton(QStringLiteral("Preview"), this);
    Command7->setFont(bold);
    Command7->setAutoDefault(false);
    Command7->setGeometry(twips(6255), twips(4035), twips(kWideField), twips(kButtonHeight));

    StatusBar1 = new StatusBar(this);
    StatusBar1->setGeometry(0, twips(kStatusTop), twips(kClientWidth), StatusBar1->sizeHint().height());

    m_fields.Text28 = Text28;
    m_fields.Text29 = Text29;
    m_fields.Check1 = Check1;
    m_fields.Rebuild = [this] { RebuildDropString(); };

    QWidget *previous = Text(1);
    const auto chain = [&previous](QWidget *next) {
        setTabOrder(previous, next);
        previous = next;
    };
    for (int n = 2; n <= drop::kFieldCount; ++n)
        chain(Text(n));
    for (QWidget *next :
         {static_cast<QWidget *>(Text28), static_cast<QWidget *>(Check1), static_cast<QWidget *>(Text29),
          static_cast<QWidget *>(Command6), static_cast<QWidget *>(Command1), static_cast<QWidget *>(Command4),
          static_cast<QWidget *>(Command3), static_cast<QWidget *>(Command2), static_cast<QWidget *>(Command7)})
        chain(next);

    setMouseTracking(true);
    setFixedSize(twips(kClientWidth), twips(kStatusTop) + StatusBar1->height());
}

void Form1::connectHandlers()
{
    for (int n = 1; n <= drop::kFieldCount; ++n) {
        connect(Text(n), &QLineEdit::textChanged, this, [this, n] { Text_Change(n); });
        Text(n)->installEventFilter(this);
    }
    connect(Text28, &QLineEdit::textChanged, this, &Form1::Text28_Change);
    connect(Text29, &QLineEdit::textChanged, this, &Form1::Text29_Change);
    Text28->installEventFilter(this);
    Text29->installEventFilter(this);
    Command1->installEventFilter(this);
    connect(Check1, &QCheckBox::toggled, this, &Form1::Check1_Click);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &Form1::Command7_Click);
    connect(new QShortcut(QKeySequence(Qt::Key_F5), this), &QShortcut::activated, this, &Form1::Command7_Click);
}

void Form1::Form_Load()
{
    m_fields.ColorVarName = QStringLiteral("_color");
    Text28->setText(dropString(false));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    Text(1)->setFocus();
}

QString Form1::dropString(bool separate) const
{
    QStringList texts;
    texts.reserve(drop::kFieldCount);
    for (int n = 1; n <= drop::kFieldCount; ++n)
        texts << Text(n)->text();
    return drop::formatDropString(texts, separate ? drop::ColourMode::Separate : drop::ColourMode::Inline,
                                  m_fields.ColorVarName);
}

QString Form1::colourLine() const
{
    return drop::formatColourLine(m_fields.ColorVarName, Text(drop::kColourField)->text());
}

void Form1::RebuildDropString()
{
    if (!Check1->isChecked())
        Text28->setText(dropString(false));
    if (Check1->isChecked())
        Text28->setText(dropString(true));
    if (Check1->isChecked())
        Text29->setText(colourLine());
}

void Form1::UpdateSizeDisplay()
{
    StatusBar1->setPanelText(
        2, drop::formatSizeDisplay(Check1->isChecked() ? drop::ColourMode::Separate : drop::ColourMode::Inline,
                                   Text28->text().size(), Text29->text().size()));
}

void Form1::NormalizeShapeType()
{
    // Only the lower-case spellings are corrected; the correction cannot itself need correcting.
    QLineEdit *type = Text(drop::kShapeTypeField);
    if (const auto corrected = drop::correctedShapeType(type->text()))
        type->setText(*corrected);
}

void Form1::Text_Change(int number)
{
    RebuildDropString();
    if (number == drop::kShapeTypeField)
        NormalizeShapeType();
}

void Form1::Text28_Change()
{
    UpdateSizeDisplay();
}

void Form1::Text29_Change()
{
    UpdateSizeDisplay();
    if (const auto name = drop::colourVarNameFromLine(Text29->text()))
        m_fields.ColorVarName = *name;
}

void Form1::Check1_Click()
{
    const bool separate = Check1->isChecked();
    if (separate)
        Text29->setText(colourLine());
    if (!separate)
        Text29->setText(QString());
    if (separate)
        Text28->setText(dropString(true));
    if (!separate)
        Text28->setText(dropString(false));
    setBackground(Text29, separate ? platform::windowBackgroundColour() : platform::buttonFaceColour());
    Text29->setReadOnly(!separate);
}

void Form1::Command1_Click()
{
    colour::Form2::open(m_fields);
}

void Form1::Command6_Click()
{
    import::Form4::open(m_fields, m_source);
}

void Form1::Command7_Click()
{
    preview::Form5::open(m_fields, m_source);
}

void Form1::Command3_Click()
{
    if (!platform::messages().askYesNo(this, QStringLiteral("PLW"),
                                       QStringLiteral("Do you really want to reset all fields ?")))
        return;
    // The source's settings are part of the effect the fields make: they start anew with them.
    m_source.setSettings({});
    m_source.setConfigClass({});
    m_source.setConfigEffect({});
    m_source.setLayers({}, 0);
    for (int n = 1; n <= drop::kFieldCount; ++n)
        Text(n)->setText(QString::fromLatin1(drop::kFields[n - 1].startText));
    emit m_fields.Notifier.replaced();
}

void Form1::Command4_Click()
{
    const QString path = sqs::scriptPath(m_scriptDirectory());
    if (sqs::writeScript(path, Text29->text(), Text28->text()))
        platform::messages().inform(this, QStringLiteral("Info"), QStringLiteral("Successful generated:\r\n") + path);
    else
        platform::messages().fail(this, QStringLiteral("Error"), QStringLiteral("Can't create file"));
}

void Form1::Command2_Click()
{
    if (import::Form4 *dialog = import::Form4::existing())
        dialog->close();
    if (colour::Form3 *dialog = colour::Form3::existing())
        dialog->close();
    if (colour::Form2 *chooser = colour::Form2::existing())
        chooser->close();
    if (preview::Form5 *window = preview::Form5::existing())
        window->close();
    close();
}

void Form1::closeSecondaryWindows()
{
    if (colour::Form2 *chooser = colour::Form2::existing())
        chooser->close();
    if (colour::Form3 *dialog = colour::Form3::existing())
        dialog->close();
    if (import::Form4 *dialog = import::Form4::existing())
        dialog->close();
    if (preview::Form5 *window = preview::Form5::existing())
        window->close();
}

void Form1::closeEvent(QCloseEvent *event)
{
    closeSecondaryWindows();
    event->accept();
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        QString help;
        if (watched == Text28)
            help = QString::fromLatin1(drop::kResultHelp);
        else if (watched == Text29)
            help = QString::fromLatin1(drop::kColourLineHelp);
        else if (watched == Command1)
            help = QStringLiteral("Choose one or more colors for the 'Color' field");
        else
            for (int n = 1; n <= drop::kFieldCount; ++n)
                if (watched == Text(n))
                    help = QString::fromLatin1(drop::kFields[n - 1].helpText);
        StatusBar1->setPanelText(1, help);
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::mouseMoveEvent(QMouseEvent *event)
{
    // Moves over controls without a help text of their own reach the window too; only the bare
    // background clears the help panel.
    if (!childAt(event->position().toPoint()))
        StatusBar1->setPanelText(1, QString());
    QWidget::mouseMoveEvent(event);
}
