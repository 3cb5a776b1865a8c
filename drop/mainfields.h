#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

namespace drop {

// Tells the windows that show the fields when all of them were replaced at once (an import, a
// reset, a loaded effect), as against an edit of one field.
class FieldsNotifier : public QObject {
    Q_OBJECT
signals:
    void replaced();
};

// The main window's parameter fields and the colour variable name, as the other windows see them.
// Other windows never compute a drop string: they write these fields, and the main window's own
// change handling rebuilds it.
struct MainFields {
    std::array<QPointer<QLineEdit>, 27> Text; // Text1 .. Text27 at index 0 .. 26
    QPointer<QLineEdit> Text28;
    QPointer<QLineEdit> Text29;
    QPointer<QCheckBox> Check1;
    QString ColorVarName;
    // The main window's rebuild of the drop string, for a writer that changes ColorVarName without
    // changing a field afterwards.
    std::function<void()> Rebuild;
    FieldsNotifier Notifier;

    // Text1 .. Text27 by their number.
    QLineEdit *text(int number) const { return Text.at(number - 1); }
    // The texts of Text1 .. Text27; a field that is gone reads as empty.
    QStringList texts() const;
};

// Writes all fields as a whole: Text1 .. Text19, then ColorVarName when one is given, Text20 ..
// Text27, then Check1, each write running the main window's change handling as typing does; then
// tells the listeners of Notifier. `texts` holds the texts of Text1 .. Text27.
void writeFields(MainFields &main, const QStringList &texts, bool separate,
                 const std::optional<QString> &colorVarName = std::nullopt);

} // namespace drop
