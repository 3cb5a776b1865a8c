#pragma once

#include <QString>
#include <QValidator>

#include <functional>

class QLineEdit;

namespace input {

// The text with every line break (CR LF, LF or CR) turned into one space.
QString joinLines(const QString &text);

// Keeps a single-line field free of line breaks, whether pasted, dropped or written by the
// program: the field's text is rewritten before its change notification goes out, so the field's
// own change handling sees only the joined text.
// A text that arrives with line breaks is first given to beforeJoining, when there is one, for the
// rules that need the lines (a script's "//" comments end with their line).
class SingleLineValidator final : public QValidator {
    Q_OBJECT
public:
    using BeforeJoining = std::function<QString(const QString &)>;
    explicit SingleLineValidator(QObject *parent = nullptr, BeforeJoining beforeJoining = {});
    State validate(QString &text, int &caret) const override;

private:
    BeforeJoining m_beforeJoining;
};

// Gives the field a SingleLineValidator of its own.
void makeSingleLine(QLineEdit *field, SingleLineValidator::BeforeJoining beforeJoining = {});

// Lifts QLineEdit's default limit of 32767 characters, at which it would silently cut a longer
// text, typed, pasted or written by the program.
void removeLengthLimit(QLineEdit *field);

} // namespace input
