#include "clsTBRestrNumbers.h"

#include "restrict.h"

clsTBRestrNumbers::~clsTBRestrNumbers()
{
    disconnectTxtTmpTB();
}

void clsTBRestrNumbers::Init(QLineEdit *TB, const QString &sAllowed, const QString &sDelimiter)
{
    disconnectTxtTmpTB();
    m_box = nullptr;
    m_allowed = sAllowed;
    m_delimiter = sDelimiter;
    if (!TB)
        return;
    TB->setCursorPosition(int(TB->text().size()));
    RestrictText(TB);
    m_box = TB;
    connectTxtTmpTB();
}

void clsTBRestrNumbers::txtTmpTB_Change()
{
    disconnectTxtTmpTB();
    RestrictText(m_box);
    connectTxtTmpTB();
}

void clsTBRestrNumbers::RestrictText(QLineEdit *box)
{
    if (!box)
        return;
    const input::TextAndCaret restricted =
        input::restrictText(box->text(), box->cursorPosition(), m_allowed, m_delimiter);
    if (restricted.text != box->text())
        box->setText(restricted.text);
    box->setCursorPosition(restricted.caret);
}

void clsTBRestrNumbers::connectTxtTmpTB()
{
    if (m_box)
        m_txtTmpTB = QObject::connect(m_box, &QLineEdit::textChanged, m_box, [this] { txtTmpTB_Change(); });
}

void clsTBRestrNumbers::disconnectTxtTmpTB()
{
    if (m_txtTmpTB)
        QObject::disconnect(m_txtTmpTB);
    m_txtTmpTB = {};
}
