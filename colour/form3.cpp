#include "form3.h"

#include <QPointer>

namespace colour {
namespace {
QPointer<Form3> instance;
}

Form3 *Form3::existing()
{
    return instance;
}

Form3::Form3()
{
    setAttribute(Qt::WA_DeleteOnClose);
}

} // namespace colour
