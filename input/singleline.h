#pragma once

#include <QString>
#include <QValidator>

class QLineEdit;

namespace input {

// The text with every line break (CR LF, LF or CR) turned into one space.
QString joinLines(const QString &text);

// Keeps a single-line field free of line breaks, whether pasted, dropped or written by the
// program: the field's text is rewritten before its change notification goes out, so the field's
// own change handling sees only the joined text.
class SingleLineValidator final : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString &text, int &caret) const override;
};

// Gives the field a SingleLineValidator of its own.
void makeSingleLine(QLineEdit *field);

// Lifts QLineEdit's default limit of 32767 characters, at which it would silently cut a longer
// text, typed, pasted or written by the program.
void removeLengthLimit(QLineEdit *field);

} // namespace input
