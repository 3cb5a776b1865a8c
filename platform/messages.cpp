#include "messages.h"

#include <QMessageBox>

namespace platform {
namespace {

class MessageBoxes final : public Messages {
public:
    bool askYesNo(QWidget *parent, const QString &title, const QString &text) override
    {
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
        return box.exec() == QMessageBox::Yes;
    }

    void inform(QWidget *parent, const QString &title, const QString &text) override
    {
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
        box.exec();
    }

    void fail(QWidget *parent, const QString &title, const QString &text) override
    {
        QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
        box.exec();
    }
};

MessageBoxes realBoxes;
Messages *current = &realBoxes;

} // namespace

Messages &messages()
{
    return *current;
}

void setMessages(Messages *replacement)
{
    current = replacement ? replacement : &realBoxes;
}

} // namespace platform
