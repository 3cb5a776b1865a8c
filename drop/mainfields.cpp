#include "mainfields.h"

#include "fieldtable.h"

namespace drop {

QStringList MainFields::texts() const
{
    QStringList list;
    list.reserve(kFieldCount);
    for (int n = 1; n <= kFieldCount; ++n) {
        const QLineEdit *field = text(n);
        list << (field ? field->text() : QString());
    }
    return list;
}

void writeFields(MainFields &main, const QStringList &texts, bool separate, const std::optional<QString> &colorVarName)
{
    const auto write = [&](int number) {
        if (QLineEdit *field = main.text(number))
            field->setText(texts.value(number - 1));
    };
    for (int n = 1; n <= kColourField; ++n)
        write(n);
    bool renamed = false;
    if (colorVarName) {
        renamed = *colorVarName != main.ColorVarName;
        main.ColorVarName = *colorVarName;
    }
    for (int n = kColourField + 1; n <= kFieldCount; ++n)
        write(n);
    if (main.Check1)
        main.Check1->setChecked(separate);
    // The new name reaches Text28 and Text29 through the rebuilds of the fields after Text19 or of
    // the mode switch; when none of them changed, no rebuild followed it. Rebuilding once more
    // changes nothing when the texts are already current.
    if (renamed && main.Rebuild)
        main.Rebuild();
    emit main.Notifier.replaced();
}

} // namespace drop
