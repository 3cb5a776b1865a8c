#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// Reading the classes of a config text, as mods write them: "class Name: Base { ... };", with
// "name = value;" and "name[] = {...};" inside. Read by shape alone: values are handed back as the
// text they were written as, macros included, without the preprocessor.
namespace sqf {

// One field of a class: its name as written, whether it was written with "[]", its value as
// written (blanks at either end removed, a value in braces with its braces), whether it was given
// with "+=", which adds to the array the base gives.
struct ConfigEntry {
    QString name;
    bool isArray = false;
    QString value;
    bool appends = false;
    bool operator==(const ConfigEntry &) const = default;
};

// A class with its fields, in their order; nested classes are left out, named.
struct ConfigClass {
    QString name; // as written, a macro call such as CLASS(Flare_Blue) whole
    QString base; // empty when it names none
    QList<ConfigEntry> entries;
    QStringList nestedClasses; // the names of the classes defined inside it
    bool operator==(const ConfigClass &) const = default;
};

// A class as the text defines it: its fields and the classes inside it, each in their order.
struct ConfigNode {
    QString name;
    QString base;
    QList<ConfigEntry> entries;
    QList<ConfigNode> classes;
    bool operator==(const ConfigNode &) const = default;
};

// The classes a text defines at its top, each with the classes inside it; the problem is empty
// when the text was read. Comments and preprocessor lines go as in readConfigClasses, and
// declarations ("class Default;") define nothing.
struct ConfigTree {
    QList<ConfigNode> classes;
    QString problem;
};
ConfigTree readConfigTree(QStringView text);

// The classes a text defines, in their order. A class that holds only classes (such as
// CfgCloudlets) is a container: the classes inside it count instead; a class with fields of its
// own is one class, its nested classes left out. Declarations ("class Default;") define nothing.
// Comments go as removeComments takes them, and lines that start with '#' (#define, #include) are
// left out. The problem is empty when the text was read.
struct ConfigReading {
    QList<ConfigClass> classes;
    QString problem;
};
ConfigReading readConfigClasses(QStringView text);

// The text without its preprocessor lines: a line whose first character after blanks is '#'
// (#define, #include), with the lines a '\' at its end carries on. They are left as empty lines,
// so that the other lines keep their numbers.
QString removeDirectives(const QString &text);

// True when the text, after blanks and comments, opens with the word "class".
bool startsWithClass(QStringView text);

// The elements of a value in braces ("{1, {2, 3}}" gives "1" and "{2, 3}"), cut at the commas
// outside strings, braces and parentheses, blanks at either end removed; nothing when the value
// is not one pair of braces or a brace, parenthesis or string does not close.
std::optional<QStringList> braceElements(QStringView value);

} // namespace sqf
