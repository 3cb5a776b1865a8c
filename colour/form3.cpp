#include "form3.h"

#include "decimalcolour.h"
#include "form2.h"
#include "input/singleline.h"
#include "platform/frmOnTop.h"
#include "platform/look.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSlider>

using platform::twips;

namespace colour {
namespace {

QPointer<Form3> instance;

constexpr int kClientWidth = 2910;
constexpr int kClientHeight = 1695;

} // namespace

Form3 *Form3::existing()
{
    return instance;
}

void Form3::open(std::function<Form2 *()> chooser)
{
    if (!instance)
        instance = new Form3(std::move(chooser));
    instance->show();
    instance->raise();
    instance->activateWindow();
}

Form3::Form3(std::function<Form2 *()> chooser)
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                           | Qt::MSWindowsFixedSizeDialogHint)
    , m_chooser(std::move(chooser))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Enter a decimal color value..."));
    setFont(platform::windowFont());
    createControls();
    connectHandlers();
    Form_Load();
}

void Form3::createControls()
{
    const QFont bold = platform::windowFont(true);
    setFixedSize(twips(kClientWidth), twips(kClientHeight));

    Label1 = new QLabel(QStringLiteral("Decimal value:"), this);
    Label1->setFont(bold);
    Label1->setGeometry(twips(120), twips(120), twips(2670), twips(255));

    Text1 = new QLineEdit(this);
    Text1->setMaxLength(8);
    Text1->setGeometry(twips(120), twips(420), twips(1935), twips(285));
    input::makeSingleLine(Text1);

    Label2 = new QLabel(this);
    Label2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Label2->setAutoFillBackground(true);
    QPalette swatch = Label2->palette();
    swatch.setColor(QPalette::Window, platform::windowBackgroundColour());
    Label2->setPalette(swatch);
    Label2->setGeometry(twips(2175), twips(420), twips(615), twips(285));

    const auto newButton = [this, &bold](int left, const QString &caption) {
        auto *button = new QPushButton(caption, this);
        button->setFont(bold);
        // Neither button answers Enter or Escape.
        button->setAutoDefault(false);
        button->setDefault(false);
        button->setGeometry(twips(left), twips(1080), twips(1275), twips(375));
        return button;
    };
    Command1 = newButton(120, QStringLiteral("OK"));
    Command2 = newButton(1515, QStringLiteral("Cancel"));

    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Command2);
    Text1->setFocus();

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void Form3::connectHandlers()
{
    connect(Text1, &QLineEdit::textChanged, this, &Form3::Text1_Change);
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form3::Command2_Click);
}

void Form3::closeEvent(QCloseEvent *event)
{
    // A closed dialog is gone at once, though its object lives until the event loop deletes it:
    // the next open creates a fresh one.
    if (instance == this)
        instance = nullptr;
    QWidget::closeEvent(event);
}

void Form3::Form_Load()
{
    SetOnTop(this, true);
}

void Form3::Text1_Change()
{
    // A correction re-enters this handler for the corrected text before the preview below follows.
    if (const std::optional<QString> corrected = correctedDecimalText(Text1->text()))
        Text1->setText(*corrected);
    if (const std::optional<Rgb> colour = previewColour(Text1->text())) {
        QPalette swatch = Label2->palette();
        swatch.setColor(QPalette::Window, QColor(colour->red, colour->green, colour->blue));
        Label2->setPalette(swatch);
    }
}

void Form3::Command1_Click()
{
    const Rgb colour = decimalColourOf(Text1->text());
    if (Form2 *chooser = m_chooser ? m_chooser() : nullptr) {
        chooser->Slider1->setValue(colour.red);
        chooser->Slider2->setValue(colour.green);
        chooser->Slider3->setValue(colour.blue);
    }
    close();
}

void Form3::Command2_Click()
{
    close();
}

} // namespace colour
