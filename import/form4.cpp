#include "form4.h"

#include "drop/mainfields.h"
#include "platform/frmOnTop.h"

#include <QPointer>

namespace import {
namespace {
QPointer<Form4> instance;
}

Form4 *Form4::existing()
{
    return instance;
}

void Form4::open(drop::MainFields &main)
{
    if (!instance)
        instance = new Form4(main);
    instance->show();
    instance->raise();
    instance->activateWindow();
}

Form4::Form4(drop::MainFields &main)
    : QWidget(nullptr, Qt::Tool | Qt::MSWindowsFixedSizeDialogHint)
    , m_main(main)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Import Drop Array"));
    Form_Load();
}

void Form4::Form_Load()
{
    SetOnTop(this, true);
}

} // namespace import
