// The drop string formatter: any field texts give "Drop [" ... "]" whose length is the texts'
// lengths plus the fixed frame of brackets, quotes and commas.
#include "drop/dropstring.h"
#include "drop/fieldtable.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const auto mode = data.ConsumeBool() ? drop::ColourMode::Separate : drop::ColourMode::Inline;
    const QString name = consumeText(data, 32);
    const int count = data.ConsumeIntegralInRange(0, drop::kFieldCount + 3);
    QStringList fields;
    for (int i = 0; i < count; ++i)
        fields << consumeText(data, 64);

    const QString result = drop::formatDropString(fields, mode, name);
    if (!result.startsWith(QLatin1String("Drop [")) || !result.endsWith(QLatin1Char(']')))
        violated("not framed by \"Drop [\" and \"]\"", result);

    const qsizetype frame = drop::formatDropString(QStringList(), mode, QString()).size();
    qsizetype expected = frame;
    for (int i = 0; i < std::min<int>(count, drop::kFieldCount); ++i) {
        if (!(i == drop::kColourField - 1 && mode == drop::ColourMode::Separate))
            expected += fields.at(i).size();
    }
    if (mode == drop::ColourMode::Separate)
        expected += name.size();
    if (result.size() != expected)
        violated("length is not the field lengths plus the frame", result);
    return 0;
}
