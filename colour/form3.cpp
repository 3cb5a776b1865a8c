#include "form3.h"

#include "form2.h"

#include <QPointer>

namespace colour {
namespace {
QPointer<Form3> instance;
}

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
    : m_chooser(std::move(chooser))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Enter a decimal color value..."));
}

} // namespace colour
