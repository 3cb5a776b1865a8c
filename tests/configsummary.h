#pragma once

#include "sqf/configreader.h"
#include "sqf/values.h"

#include <QString>
#include <QStringList>

// The classes of a config text as the game reads them, for comparing a config with its copy.

// A value as the game reads it: a number (true and false as 1 and 0), a text (quoted or a bare
// word), or an array of values.
inline QString gameValue(const QString &value)
{
    const QString trimmed = value.trimmed();
    if (const auto elements = sqf::braceElements(trimmed)) {
        QStringList read;
        for (const QString &element : *elements)
            read << gameValue(element);
        return '{' + read.join(',') + '}';
    }
    if (trimmed.compare("true", Qt::CaseInsensitive) == 0)
        return "1";
    if (trimmed.compare("false", Qt::CaseInsensitive) == 0)
        return "0";
    if (const auto number = sqf::plainNumber(trimmed))
        return QString::number(*number, 'g', 12);
    return '"' + sqf::stringValue(trimmed).value_or(trimmed) + '"';
}

inline void summarise(const QList<sqf::ConfigNode> &nodes, const QString &path, QStringList &lines)
{
    for (const sqf::ConfigNode &node : nodes) {
        const bool wrapper = path.isEmpty()
                             && (node.name.compare("CfgCloudlets", Qt::CaseInsensitive) == 0
                                 || node.name.compare("CfgLights", Qt::CaseInsensitive) == 0);
        const QString at = wrapper ? QString() : path + '/' + node.name.toLower();
        if (!wrapper)
            lines << at + ": " + node.base.toLower();
        for (const sqf::ConfigEntry &entry : node.entries)
            lines << at + '.' + entry.name.toLower() + (entry.isArray ? "[]" : "") + (entry.appends ? " += " : " = ")
                         + gameValue(entry.value);
        summarise(node.classes, at, lines);
    }
}

// The classes a config defines, each with its base and fields as the game reads them, in no order;
// CfgCloudlets and CfgLights hold them or not.
inline QStringList configSummary(const QString &text)
{
    const sqf::ConfigTree tree = sqf::readConfigTree(text);
    if (!tree.problem.isEmpty())
        return {"unreadable: " + tree.problem};
    QStringList lines;
    summarise(tree.classes, QString(), lines);
    lines.sort();
    return lines;
}
