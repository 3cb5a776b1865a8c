#pragma once

#include <QString>

class QWidget;

namespace platform {

// The program's message boxes. Windows ask through this interface, so that tests can answer.
class Messages {
public:
    virtual ~Messages() = default;
    // A Yes/No question without an icon; true for Yes.
    virtual bool askYesNo(QWidget *parent, const QString &title, const QString &text) = 0;
    // An OK notice without an icon.
    virtual void inform(QWidget *parent, const QString &title, const QString &text) = 0;
    // An OK notice with the stop icon.
    virtual void fail(QWidget *parent, const QString &title, const QString &text) = 0;
};

// The message boxes in use: real ones unless a test has put its own in place.
Messages &messages();

// Puts other message boxes in place (nullptr restores the real ones). The caller keeps ownership.
void setMessages(Messages *replacement);

} // namespace platform
