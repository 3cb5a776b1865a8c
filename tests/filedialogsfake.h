#pragma once

#include "platform/filedialogs.h"

#include <QStringList>

// Answers the program's save dialogs at once with a path set beforehand, and remembers how they
// were opened.
class FileDialogsFake final : public platform::FileDialogs {
public:
    FileDialogsFake() { platform::setFileDialogs(this); }
    ~FileDialogsFake() override { platform::setFileDialogs(nullptr); }

    QString answer; // the path chosen; empty: cancelled
    struct Opening {
        QString caption;
        QString path;
        QString filters;
        QString defaultSuffix;
        QString selectedFilter;
    };
    QList<Opening> openings;

    QString saveFileName(QWidget *, const QString &caption, const QString &path, const QString &filters,
                         const QString &defaultSuffix, QString *selectedFilter) override
    {
        openings.append({caption, path, filters, defaultSuffix, selectedFilter ? *selectedFilter : QString()});
        return answer;
    }
};
