#pragma once

#include "platform/messages.h"

#include <QStringList>

// Answers the program's message boxes at once and remembers what they said.
class MessagesFake final : public platform::Messages {
public:
    MessagesFake() { platform::setMessages(this); }
    ~MessagesFake() override { platform::setMessages(nullptr); }

    bool answer = true; // what every Yes/No question gets
    QStringList shown;  // "kind|title|text" of every box, in order

    bool askYesNo(QWidget *, const QString &title, const QString &text) override
    {
        shown << QStringLiteral("question|%1|%2").arg(title, text);
        return answer;
    }
    void inform(QWidget *, const QString &title, const QString &text) override
    {
        shown << QStringLiteral("info|%1|%2").arg(title, text);
    }
    void fail(QWidget *, const QString &title, const QString &text) override
    {
        shown << QStringLiteral("error|%1|%2").arg(title, text);
    }
};
