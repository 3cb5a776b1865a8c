#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace platform {

// The program's one-line text questions. Windows ask through this interface, so that tests can
// answer.
class TextInput {
public:
    virtual ~TextInput() = default;
    // Asks for a line of text with `proposed` filled in; nothing when the user cancels.
    virtual std::optional<QString> askText(QWidget *parent, const QString &title, const QString &label,
                                           const QString &proposed) = 0;
};

// The text questions in use: real dialogs unless a test has put its own in place.
TextInput &textInput();

// Puts other text questions in place (nullptr restores the real ones). The caller keeps ownership.
void setTextInput(TextInput *replacement);

} // namespace platform
