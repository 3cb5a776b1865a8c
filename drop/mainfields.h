#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QString>

#include <array>
#include <functional>

namespace drop {

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

    // Text1 .. Text27 by their number.
    QLineEdit *text(int number) const { return Text.at(number - 1); }
};

} // namespace drop
