#include "singleline.h"

#include <QLineEdit>

#include <limits>

namespace input {

QString joinLines(const QString &text)
{
    if (!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString joined;
    joined.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r')) {
            joined += QLatin1Char(' ');
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('\n')) {
            joined += QLatin1Char(' ');
        } else {
            joined += c;
        }
    }
    return joined;
}

QValidator::State SingleLineValidator::validate(QString &text, int &caret) const
{
    const QString joined = joinLines(text);
    if (joined.size() != text.size()) {
        // Every CR LF before the caret became one character.
        caret -= int(text.left(caret).count(QLatin1String("\r\n")));
    }
    text = joined;
    return Acceptable;
}

void makeSingleLine(QLineEdit *field)
{
    field->setValidator(new SingleLineValidator(field));
}

void removeLengthLimit(QLineEdit *field)
{
    field->setMaxLength(std::numeric_limits<int>::max());
}

} // namespace input
