#include "configreader.h"

#include "values.h"

namespace sqf {
namespace {

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

class Reader {
public:
    explicit Reader(QString text)
        : m_text(std::move(text))
    {}

    ConfigTree read()
    {
        ConfigTree tree;
        QList<ConfigEntry> entries;
        body(true, entries, tree.classes);
        if (!m_problem.isEmpty()) {
            tree.classes.clear();
            tree.problem = m_problem;
        } else if (!entries.isEmpty() && tree.classes.isEmpty()) {
            tree.problem = QStringLiteral("it has fields (%1) but no class around them").arg(entries.front().name);
        } else if (tree.classes.isEmpty()) {
            tree.problem = QStringLiteral("it defines no class with a body in braces");
        }
        return tree;
    }

private:
    QChar at(qsizetype i) const { return i < m_text.size() ? m_text.at(i) : QChar(); }
    bool atEnd() const { return m_i >= m_text.size(); }

    void skipBlanks()
    {
        while (!atEnd() && m_text.at(m_i).isSpace())
            ++m_i;
    }

    void fail(const QString &problem)
    {
        if (m_problem.isEmpty())
            m_problem = problem;
        m_i = m_text.size();
    }

    QString found() const
    {
        if (atEnd())
            return QStringLiteral("the end");
        return QStringLiteral("\"%1\" at character %2").arg(m_text.mid(m_i, 12).simplified()).arg(m_i + 1);
    }

    // A word, with the parenthesised arguments of a macro call after it: "CLASS(Flare_Blue)".
    QString name()
    {
        const qsizetype start = m_i;
        while (!atEnd() && isWordCharacter(m_text.at(m_i)))
            ++m_i;
        if (m_i == start)
            return {};
        if (at(m_i) == QLatin1Char('(')) {
            const Closing closing = closingBracket(m_text, m_i);
            if (closing.at < 0) {
                fail(QStringLiteral("the parenthesis at character %1 does not close").arg(m_i + 1));
                return {};
            }
            m_i = closing.at + 1;
        }
        return m_text.mid(start, m_i - start);
    }

    // The value of a field, up to its ';' outside strings, braces and parentheses; blanks and line
    // breaks outside strings are one blank each, so that a value written over lines is one line.
    QString value(const QString &field)
    {
        QString text;
        int depth = 0;
        while (!atEnd()) {
            const QChar c = m_text.at(m_i);
            if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                const qsizetype end = stringEnd(m_text, m_i);
                if (end < 0) {
                    fail(QStringLiteral("the string at character %1 does not close").arg(m_i + 1));
                    return {};
                }
                text += m_text.mid(m_i, end - m_i);
                m_i = end;
                continue;
            }
            if (c.isSpace()) {
                if (!text.endsWith(QLatin1Char(' ')))
                    text += QLatin1Char(' ');
                ++m_i;
                continue;
            }
            if (c == QLatin1Char('{') || c == QLatin1Char('('))
                ++depth;
            else if (c == QLatin1Char('}') || c == QLatin1Char(')')) {
                if (depth == 0)
                    break;
                --depth;
            } else if (c == QLatin1Char(';') && depth == 0) {
                ++m_i;
                return text.trimmed();
            }
            text += c;
            ++m_i;
        }
        fail(depth > 0 ? QStringLiteral("the value of %1 opens a brace that does not close").arg(field)
                       : QStringLiteral("the value of %1 is not ended by ';'").arg(field));
        return {};
    }

    // The fields and classes of a body, up to its '}' (or the end of the text at the top).
    void body(bool top, QList<ConfigEntry> &entries, QList<ConfigNode> &classes)
    {
        for (;;) {
            skipBlanks();
            if (atEnd()) {
                if (!top)
                    fail(QStringLiteral("a class's brace does not close"));
                return;
            }
            const QChar c = m_text.at(m_i);
            if (c == QLatin1Char('}')) {
                if (top)
                    fail(QStringLiteral("the '}' at character %1 closes nothing").arg(m_i + 1));
                return;
            }
            if (c == QLatin1Char(';')) {
                ++m_i;
                continue;
            }
            const qsizetype wordAt = m_i;
            const QString word = name();
            if (word.isEmpty()) {
                fail(QStringLiteral("%1 stands where a field or a class belongs").arg(found()));
                return;
            }
            if (word.compare(QLatin1String("class"), Qt::CaseInsensitive) == 0) {
                classDefinition(wordAt, classes);
            } else {
                entry(word, entries);
            }
            if (!m_problem.isEmpty())
                return;
        }
    }

    void classDefinition(qsizetype classAt, QList<ConfigNode> &classes)
    {
        skipBlanks();
        ConfigNode defined;
        defined.name = name();
        if (defined.name.isEmpty()) {
            fail(QStringLiteral("the class at character %1 has no name").arg(classAt + 1));
            return;
        }
        skipBlanks();
        if (at(m_i) == QLatin1Char(':')) {
            ++m_i;
            skipBlanks();
            defined.base = name();
            if (defined.base.isEmpty()) {
                fail(QStringLiteral("the class %1 names no base after ':'").arg(defined.name));
                return;
            }
            skipBlanks();
        }
        if (at(m_i) == QLatin1Char(';')) {
            ++m_i; // a declaration
            return;
        }
        if (at(m_i) != QLatin1Char('{')) {
            fail(QStringLiteral("the class %1 is followed by %2 instead of '{'").arg(defined.name, found()));
            return;
        }
        const qsizetype braceAt = m_i;
        ++m_i;
        body(false, defined.entries, defined.classes);
        if (!m_problem.isEmpty()) {
            if (atEnd() && m_problem == QLatin1String("a class's brace does not close"))
                m_problem = QStringLiteral("the brace of class %1 at character %2 does not close")
                                .arg(defined.name)
                                .arg(braceAt + 1);
            return;
        }
        ++m_i; // the '}'
        classes << defined;
    }

    void entry(const QString &field, QList<ConfigEntry> &entries)
    {
        ConfigEntry read;
        read.name = field;
        skipBlanks();
        if (at(m_i) == QLatin1Char('[')) {
            ++m_i;
            skipBlanks();
            if (at(m_i) != QLatin1Char(']')) {
                fail(QStringLiteral("the field %1 has %2 where \"[]\" belongs").arg(field, found()));
                return;
            }
            ++m_i;
            read.isArray = true;
            skipBlanks();
        }
        if (at(m_i) == QLatin1Char('+') && at(m_i + 1) == QLatin1Char('=')) {
            read.appends = true;
            ++m_i;
        }
        if (at(m_i) != QLatin1Char('=')) {
            fail(QStringLiteral("the field %1 has %2 where '=' belongs").arg(field, found()));
            return;
        }
        ++m_i;
        read.value = value(field);
        if (m_problem.isEmpty())
            entries << read;
    }

    QString m_text;
    qsizetype m_i = 0;
    QString m_problem;
};

// A class that holds only classes (such as CfgCloudlets) stands for the classes inside it; a class
// with fields of its own is one class, naming the classes inside it.
QList<ConfigClass> flattened(const QList<ConfigNode> &nodes)
{
    QList<ConfigClass> classes;
    for (const ConfigNode &node : nodes) {
        const QList<ConfigClass> inner = flattened(node.classes);
        if (node.entries.isEmpty() && !inner.isEmpty()) {
            classes << inner;
            continue;
        }
        ConfigClass defined{node.name, node.base, node.entries, {}};
        for (const ConfigClass &nested : inner)
            defined.nestedClasses << nested.name;
        classes << defined;
    }
    return classes;
}

} // namespace

ConfigTree readConfigTree(QStringView text)
{
    return Reader(removeDirectives(removeComments(text))).read();
}

ConfigReading readConfigClasses(QStringView text)
{
    const ConfigTree tree = readConfigTree(text);
    return {flattened(tree.classes), tree.problem};
}

QString removeDirectives(const QString &text)
{
    QStringList kept;
    bool continued = false;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const bool directive = continued || line.trimmed().startsWith(QLatin1Char('#'));
        continued = directive && line.trimmed().endsWith(QLatin1Char('\\'));
        kept << (directive ? QString() : line);
    }
    return kept.join(QLatin1Char('\n'));
}

bool startsWithClass(QStringView text)
{
    const QString cleaned = removeDirectives(removeComments(text)).trimmed();
    return cleaned.startsWith(QLatin1String("class"), Qt::CaseInsensitive)
           && (cleaned.size() == 5 || !isWordCharacter(cleaned.at(5)));
}

std::optional<QStringList> braceElements(QStringView value)
{
    const QString text = value.trimmed().toString();
    if (!text.startsWith(QLatin1Char('{')) || !text.endsWith(QLatin1Char('}')))
        return std::nullopt;
    QStringList elements;
    qsizetype start = 1;
    int depth = 0;
    for (qsizetype i = 1; i < text.size() - 1; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const qsizetype end = stringEnd(text, i);
            if (end < 0 || end > text.size() - 1)
                return std::nullopt;
            i = end - 1;
        } else if (c == QLatin1Char('{') || c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char('}') || c == QLatin1Char(')')) {
            if (--depth < 0)
                return std::nullopt;
        } else if (c == QLatin1Char(',') && depth == 0) {
            elements << text.mid(start, i - start).trimmed();
            start = i + 1;
        }
    }
    if (depth != 0)
        return std::nullopt;
    const QString last = text.mid(start, text.size() - 1 - start).trimmed();
    if (!last.isEmpty() || !elements.isEmpty())
        elements << last;
    return elements;
}

} // namespace sqf
