#pragma once

#include "platform/textinput.h"

#include <QStringList>

#include <optional>
#include <vector>

// Answers the program's text questions at once, in turn, and remembers what they asked.
class TextInputFake final : public platform::TextInput {
public:
    TextInputFake() { platform::setTextInput(this); }
    ~TextInputFake() override { platform::setTextInput(nullptr); }

    std::vector<std::optional<QString>> answers; // taken from the front; none left is a cancel
    QStringList asked;                           // "title|label|proposed" of every question

    std::optional<QString> askText(QWidget *, const QString &title, const QString &label,
                                   const QString &proposed) override
    {
        asked << QStringLiteral("%1|%2|%3").arg(title, label, proposed);
        if (answers.empty())
            return std::nullopt;
        std::optional<QString> answer;
        answer.swap(answers.front());
        answers.erase(answers.begin());
        return answer;
    }
};
