#include "filedialogs.h"

#include <QFileDialog>
#include <QRegularExpression>

namespace platform {
namespace {

// QFileDialog::getSaveFileName cannot be given a default suffix, so the real dialog is the same
// dialog set up by hand, native where the platform has one.
class SaveDialogs final : public FileDialogs {
public:
    QString saveFileName(QWidget *parent, const QString &caption, const QString &path, const QString &filters,
                         const QString &defaultSuffix, QString *selectedFilter) override
    {
        QFileDialog dialog(parent, caption, path, filters);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        const auto suffixFor = [&defaultSuffix](const QString &filter) {
            const QString suffix = filterSuffix(filter);
            return suffix.isEmpty() ? defaultSuffix : suffix;
        };
        if (selectedFilter && !selectedFilter->isEmpty())
            dialog.selectNameFilter(*selectedFilter);
        dialog.setDefaultSuffix(suffixFor(dialog.selectedNameFilter()));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, &suffixFor](const QString &filter) { dialog.setDefaultSuffix(suffixFor(filter)); });
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        if (selectedFilter)
            *selectedFilter = dialog.selectedNameFilter();
        return dialog.selectedFiles().constFirst();
    }
};

SaveDialogs realDialogs;
FileDialogs *current = &realDialogs;

} // namespace

FileDialogs &fileDialogs()
{
    return *current;
}

void setFileDialogs(FileDialogs *replacement)
{
    current = replacement ? replacement : &realDialogs;
}

QString filterSuffix(const QString &filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.([^ ;)*]+)"));
    const QRegularExpressionMatch match = pattern.match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

} // namespace platform
