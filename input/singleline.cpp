#include "singleline.h"

#include <QLineEdit>

#include <algorithm>
#include <limits>
#include <utility>

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

SingleLineValidator::SingleLineValidator(QObject *parent, BeforeJoining beforeJoining)
    : QValidator(parent)
    , m_beforeJoining(std::move(beforeJoining))
{}

QValidator::State SingleLineValidator::validate(QString &text, int &caret) const
{
    const bool lines = text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
    if (lines && m_beforeJoining) {
        // The caret stays behind what stood before it.
        const QString before = m_beforeJoining(text.left(caret));
        text = m_beforeJoining(text);
        caret = int(std::min(before.size(), text.size()));
    }
    const QString joined = joinLines(text);
    if (joined.size() != text.size()) {
        // Every CR LF before the caret became one character.
        caret -= int(text.left(caret).count(QLatin1String("\r\n")));
    }
    text = joined;
    return Acceptable;
}

void makeSingleLine(QLineEdit *field, SingleLineValidator::BeforeJoining beforeJoining)
{
    field->setValidator(new SingleLineValidator(field, std::move(beforeJoining)));
}

void removeLengthLimit(QLineEdit *field)
{
    field->setMaxLength(std::numeric_limits<int>::max());
}

} // namespace input
