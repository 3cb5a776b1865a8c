#include "form2.h"

#include "clickablelabel.h"
#include "drop/mainfields.h"
#include "form3.h"
#include "grabpicture.h"
#include "input/clsTBRestrNumbers.h"
#include "input/singleline.h"
#include "numbers.h"
#include "platform/look.h"
#include "platform/messages.h"

#include <QCloseEvent>
#include <QColorDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTimer>

#include <cmath>

using platform::twips;

namespace colour {
namespace {

QPointer<Form2> instance;

std::optional<QColor> systemColourDialog(QWidget *parent)
{
    // The dialog opens with the colour of its previous use.
    static QColor previous = Qt::black;
    const QColor chosen = QColorDialog::getColor(previous, parent);
    if (!chosen.isValid())
        return std::nullopt;
    previous = chosen;
    return chosen;
}

Form2::ColourDialog &colourDialog()
{
    static Form2::ColourDialog dialog = systemColourDialog;
    return dialog;
}

// The separator a fraction is written with: the locale's own when it is the comma that the bound
// filter turns into "."; any other separator would be removed by the filter as a foreign
// character, so "." is written directly then.
QChar fractionSeparator()
{
    return QLocale().decimalPoint() == QLatin1String(",") ? QLatin1Char(',') : QLatin1Char('.');
}

void setTextColour(QWidget *widget, QPalette::ColorRole role, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

const QString kAllowed = QStringLiteral("0123456789");
const QString kDelimiter = QStringLiteral(".");

} // namespace

Form2 *Form2::existing()
{
    return instance;
}

Form2 *Form2::load(drop::MainFields &main)
{
    if (!instance)
        instance = new Form2(main);
    return instance;
}

void Form2::open(drop::MainFields &main)
{
    Form2 *chooser = load(main);
    chooser->show();
    chooser->raise();
    chooser->activateWindow();
}

void Form2::setColourDialog(ColourDialog dialog)
{
    colourDialog() = dialog ? std::move(dialog) : ColourDialog(systemColourDialog);
}

// A tool window: a fixed dialog border without minimise and maximise buttons, and no task-bar
// entry on X11; without an owner it is not kept above other windows.
Form2::Form2(drop::MainFields &main)
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                           | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_main(main)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Choose Color"));
    setFont(platform::windowFont());
    createControls();
    connectHandlers();
    Form_Load();
}

Form2::~Form2() = default;

void Form2::closeEvent(QCloseEvent *event)
{
    // Deletion follows later; an opening meanwhile must load a fresh chooser, not show this one.
    if (instance == this)
        instance = nullptr;
    QWidget::closeEvent(event);
}

void Form2::createControls()
{
    const auto newLabel = [this](const QString &caption, int left, int top, int width, int height) {
        auto *label = new QLabel(caption, this);
        label->setGeometry(twips(left), twips(top), twips(width), twips(height));
        return label;
    };
    const auto newField = [this](const QString &text, int left, int top, int width) {
        auto *field = new QLineEdit(text, this);
        field->setGeometry(twips(left), twips(top), twips(width), twips(285));
        input::removeLengthLimit(field);
        input::makeSingleLine(field);
        return field;
    };
    const auto newButton = [this](const QString &caption, int left, int top, int width, int height) {
        auto *button = new QPushButton(caption, this);
        button->setAutoDefault(false);
        button->setGeometry(twips(left), twips(top), twips(width), twips(height));
        return button;
    };

    // The left column: one block per channel, label above value and fraction, slider below.
    const auto newChannel = [&](const QString &caption, const QColor &colour, int block, int maximum, QLabel *&label,
                                QLineEdit *&value, QLineEdit *&fraction, QSlider *&slider) {
        const int top = 105 + block * 990;
        label = newLabel(caption, 120, top, 1335, 240);
        setTextColour(label, QPalette::WindowText, colour);
        value = newField(QString::number(maximum), 120, top + 240, 615);
        value->setMaxLength(3);
        setTextColour(value, QPalette::Text, colour);
        fraction = newField(QStringLiteral("1"), 840, top + 240, 2175);
        fraction->setReadOnly(true);
        slider = new QSlider(Qt::Horizontal, this);
        slider->setRange(0, maximum);
        slider->setGeometry(twips(60), twips(top + 555), twips(3015), twips(375));
        slider->setMouseTracking(true);
    };
    newChannel(QStringLiteral("Red"), QColor(255, 0, 0), 0, 255, Label1, Text1, Text4, Slider1);
    newChannel(QStringLiteral("Green"), QColor(0, 192, 0), 1, 255, Label2, Text2, Text5, Slider2);
    newChannel(QStringLiteral("Blue"), QColor(0, 0, 255), 2, 255, Label3, Text3, Text6, Slider3);
    newChannel(QStringLiteral("Alpha"), QColor(0, 0, 0), 3, 100, Label5, Text8, Text9, Slider4);
    m_channels = {{{Text1, Slider1, Text4, 255, 4},
                   {Text2, Slider2, Text5, 255, 4},
                   {Text3, Slider3, Text6, 255, 4},
                   {Text8, Slider4, Text9, 100, 2}}};

    // The right column.
    constexpr int right = 3300;
    Label4 = new ClickableLabel(this);
    Label4->setGeometry(twips(right), twips(120), twips(1935), twips(735));
    Label4->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Label4->setAutoFillBackground(true);
    Label4->setToolTip(QStringLiteral("Click here to enter a decimal color value"));
    setTextColour(Label4, QPalette::Window, platform::windowBackgroundColour());
    Command4 = newButton(QStringLiteral("R G B"), 5340, 120, 1185, 375);

    Text7 = newField(QStringLiteral("[1,1,1,1]"), right, 990, 2835);
    Command6 = newButton(QStringLiteral("X"), 6180, 990, 345, 285);
    Command1 = newButton(QStringLiteral("Add Color"), right, 1395, 3225, 375);
    Text10 = newField(QString(), right, 1890, 2835);
    Command7 = newButton(QStringLiteral("X"), 6180, 1890, 345, 285);

    Label6 = newLabel(QStringLiteral("Grab Color :"), right, 2610, 1335, 255);
    Picture1 = new GrabPicture(this);
    Picture1->move(twips(4710), twips(2490));
    Picture1->setFocusPolicy(Qt::TabFocus);
    Timer1 = new QTimer(this);

    Command2 = newButton(QStringLiteral("Apply"), right, 3555, 1005, 375);
    Command5 = newButton(QStringLiteral("Reset"), 4410, 3555, 1005, 375);
    Command3 = newButton(QStringLiteral("Cancel"), 5520, 3555, 1005, 375);

    QWidget *previous = Text1;
    for (QWidget *next : std::initializer_list<QWidget *>{
             Text2, Text3,    Text8,    Slider1, Slider2,  Slider3,  Slider4,  Text4,    Text5,    Text6,   Text9,
             Text7, Command1, Command6, Text10,  Command7, Command2, Command5, Command3, Picture1, Command4}) {
        setTabOrder(previous, next);
        previous = next;
    }

    setFixedSize(twips(6645), twips(4095));
}

void Form2::connectHandlers()
{
    connect(Text1, &QLineEdit::textChanged, this, &Form2::Text1_Change);
    connect(Text2, &QLineEdit::textChanged, this, &Form2::Text2_Change);
    connect(Text3, &QLineEdit::textChanged, this, &Form2::Text3_Change);
    connect(Text8, &QLineEdit::textChanged, this, &Form2::Text8_Change);
    connect(Text4, &QLineEdit::textChanged, this, &Form2::Text4_Change);
    connect(Text5, &QLineEdit::textChanged, this, &Form2::Text5_Change);
    connect(Text6, &QLineEdit::textChanged, this, &Form2::Text6_Change);
    connect(Text9, &QLineEdit::textChanged, this, &Form2::Text9_Change);
    connect(Slider1, &QSlider::valueChanged, this, &Form2::Slider1_Change);
    connect(Slider2, &QSlider::valueChanged, this, &Form2::Slider2_Change);
    connect(Slider3, &QSlider::valueChanged, this, &Form2::Slider3_Change);
    connect(Slider4, &QSlider::valueChanged, this, &Form2::Slider4_Change);
    for (QSlider *slider : {Slider1, Slider2, Slider3, Slider4})
        slider->installEventFilter(this); // Slider1_MouseMove .. Slider4_MouseMove
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form2::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form2::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form2::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Form2::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &Form2::Command7_Click);
    connect(Label4, &ClickableLabel::clicked, this, &Form2::Label4_Click);
    connect(Picture1, &GrabPicture::pressed, this, &Form2::Picture1_MouseDown);
    connect(Picture1, &GrabPicture::released, this, &Form2::Picture1_MouseUp);
    connect(Timer1, &QTimer::timeout, this, &Form2::Timer1_Timer);
}

bool Form2::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        if (watched == Slider1)
            Slider1_MouseMove();
        else if (watched == Slider2)
            Slider2_MouseMove();
        else if (watched == Slider3)
            Slider3_MouseMove();
        else if (watched == Slider4)
            Slider4_MouseMove();
    }
    return QWidget::eventFilter(watched, event);
}

void Form2::Form_Load()
{
    // The value fields already hold their maxima, so setting the sliders runs no channel change.
    Slider1->setValue(255);
    Slider2->setValue(255);
    Slider3->setValue(255);
    Slider4->setValue(100);
    Timer1->setInterval(50);
    Timer1->stop();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void Form2::Text1_Change()
{
    ChannelChange(Red);
}

void Form2::Text2_Change()
{
    ChannelChange(Green);
}

void Form2::Text3_Change()
{
    ChannelChange(Blue);
}

void Form2::Text8_Change()
{
    ChannelChange(Alpha);
}

void Form2::Text4_Change()
{
    FractionEndPointFix(Red);
}

void Form2::Text5_Change()
{
    FractionEndPointFix(Green);
}

void Form2::Text6_Change()
{
    FractionEndPointFix(Blue);
}

void Form2::Text9_Change()
{
    FractionEndPointFix(Alpha);
}

void Form2::Slider1_Change()
{
    SliderToValue(Red);
}

void Form2::Slider2_Change()
{
    SliderToValue(Green);
}

void Form2::Slider3_Change()
{
    SliderToValue(Blue);
}

void Form2::Slider4_Change()
{
    SliderToValue(Alpha);
}

void Form2::Slider1_MouseMove()
{
    SliderToValue(Red);
}

void Form2::Slider2_MouseMove()
{
    SliderToValue(Green);
}

void Form2::Slider3_MouseMove()
{
    SliderToValue(Blue);
}

void Form2::Slider4_MouseMove()
{
    SliderToValue(Alpha);
}

clsTBRestrNumbers &Form2::filter()
{
    if (!m_filter)
        m_filter = std::make_unique<clsTBRestrNumbers>();
    return *m_filter;
}

// Every step stands on its own: a step whose text is not a number is skipped, and the writes into
// the value field run this change again for the corrected text before the next step here.
void Form2::ChannelChange(ChannelIndex index)
{
    const Channel &channel = m_channels.at(index);
    filter().Init(channel.fraction, kAllowed, kDelimiter);

    if (const auto position = readInteger(channel.value->text());
        position && *position >= 0 && *position <= channel.maximum)
        channel.slider->setValue(*position);

    // A negative value is corrected like the empty text, so that slider, fraction and preview stay
    // in range.
    if (const auto number = readNumber(channel.value->text());
        channel.value->text().isEmpty() || (number && std::signbit(*number)))
        channel.value->setText(QStringLiteral("0"));

    if (const auto number = readNumber(channel.value->text()); !number || *number > channel.maximum)
        channel.value->setText(QString::number(channel.maximum));

    if (const auto number = readNumber(channel.value->text()))
        channel.fraction->setText(formatFixed(*number / channel.maximum, channel.decimals, fractionSeparator()));

    if (index != Alpha)
        ShowPreview();
    ShowColourArray();
}

void Form2::FractionEndPointFix(ChannelIndex index)
{
    const Channel &channel = m_channels.at(index);
    const auto number = readNumber(channel.value->text());
    if (number && *number == 0)
        channel.fraction->setText(QStringLiteral("0"));
    if (number && *number == channel.maximum)
        channel.fraction->setText(QStringLiteral("1"));
}

void Form2::SliderToValue(ChannelIndex index)
{
    const Channel &channel = m_channels.at(index);
    channel.value->setText(QString::number(channel.slider->value()));
}

void Form2::ShowPreview()
{
    const auto red = readInteger(Text1->text());
    const auto green = readInteger(Text2->text());
    const auto blue = readInteger(Text3->text());
    const auto inRange = [](const std::optional<qint32> &value) { return value && *value >= 0 && *value <= 255; };
    if (inRange(red) && inRange(green) && inRange(blue))
        setTextColour(Label4, QPalette::Window, QColor(*red, *green, *blue));
}

void Form2::ShowColourArray()
{
    Text7->setText(QLatin1Char('[') + Text4->text() + QLatin1Char(',') + Text5->text() + QLatin1Char(',')
                   + Text6->text() + QLatin1Char(',') + Text9->text() + QLatin1Char(']'));
}

void Form2::Command1_Click()
{
    Text10->setText(Text10->text() + Text7->text() + QLatin1Char(','));
}

void Form2::Command2_Click()
{
    QString list = Text10->text();
    // The last character goes whatever it is; after "Add Color" it is the trailing ",".
    if (!list.isEmpty())
        list.chop(list.size() >= 2 && list.back().isLowSurrogate() && list.at(list.size() - 2).isHighSurrogate() ? 2
                                                                                                                 : 1);
    if (QLineEdit *text19 = m_main.text(19))
        text19->setText(list);
}

void Form2::Command3_Click()
{
    close();
}

void Form2::Command4_Click()
{
    const std::optional<QColor> chosen = colourDialog()(this);
    if (!chosen || !chosen->isValid())
        return;
    const QColor colour = chosen->toRgb();
    Text1->setText(QString::number(colour.red()));
    Text2->setText(QString::number(colour.green()));
    Text3->setText(QString::number(colour.blue()));
    Slider1->setValue(colour.red());
    Slider2->setValue(colour.green());
    Slider3->setValue(colour.blue());
}

void Form2::Command5_Click()
{
    if (!platform::messages().askYesNo(this, QStringLiteral("PLW"),
                                       QStringLiteral("Do you really want to reset all fields ?")))
        return;
    Slider1->setValue(255);
    Slider2->setValue(255);
    Slider3->setValue(255);
    Slider4->setValue(100);
    Text1->setText(QStringLiteral("255"));
    Text2->setText(QStringLiteral("255"));
    Text3->setText(QStringLiteral("255"));
    Text8->setText(QStringLiteral("100"));
    Text10->setText(QString());
}

void Form2::Command6_Click()
{
    Text7->setText(QStringLiteral("[1,1,1,1]"));
}

void Form2::Command7_Click()
{
    Text10->setText(QString());
}

void Form2::Label4_Click()
{
    Form3::open([main = &m_main] { return Form2::load(*main); });
}

} // namespace colour
