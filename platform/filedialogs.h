#pragma once

#include <QString>

class QWidget;

namespace platform {

// The program's file dialogs. Windows ask through this interface, so that tests can answer.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The save dialog of QFileDialog::getSaveFileName: opens at path (a folder and a proposed
    // name), offers the filters (";;" between them) with *selectedFilter chosen, and adds the
    // suffix of the chosen filter, or defaultSuffix, to a name typed without one. The chosen
    // path, or an empty text when the user cancels; *selectedFilter then holds the filter chosen.
    virtual QString saveFileName(QWidget *parent, const QString &caption, const QString &path, const QString &filters,
                                 const QString &defaultSuffix, QString *selectedFilter) = 0;
};

// The file dialogs in use: real ones unless a test has put its own in place.
FileDialogs &fileDialogs();

// Puts other file dialogs in place (nullptr restores the real ones). The caller keeps ownership.
void setFileDialogs(FileDialogs *replacement);

// The suffix a filter such as "Game script (*.sqs)" asks for ("sqs"), or an empty text.
QString filterSuffix(const QString &filter);

} // namespace platform
