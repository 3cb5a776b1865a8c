#include "textinput.h"

#include <QInputDialog>
#include <QLineEdit>

namespace platform {
namespace {

class InputDialogs final : public TextInput {
public:
    std::optional<QString> askText(QWidget *parent, const QString &title, const QString &label,
                                   const QString &proposed) override
    {
        bool accepted = false;
        const QString text = QInputDialog::getText(parent, title, label, QLineEdit::Normal, proposed, &accepted);
        if (!accepted)
            return std::nullopt;
        return text;
    }
};

InputDialogs realDialogs;
TextInput *current = &realDialogs;

} // namespace

TextInput &textInput()
{
    return *current;
}

void setTextInput(TextInput *replacement)
{
    current = replacement ? replacement : &realDialogs;
}

} // namespace platform
