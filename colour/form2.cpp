#include "form2.h"

#include "drop/mainfields.h"

#include <QPointer>

namespace colour {
namespace {
QPointer<Form2> instance;
}

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

Form2::Form2(drop::MainFields &main)
    : QWidget(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , m_main(main)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Choose Color"));
    Form_Load();
}

void Form2::Form_Load()
{
}

} // namespace colour

namespace colour {
Form2::~Form2() = default;
}
