#include "source.h"

namespace effect {

SourceRandom::SourceRandom()
{
    texts.fill(QStringLiteral("0"));
}

SourceCircle::SourceCircle()
{
    texts.fill(QStringLiteral("0"));
}

void Source::setSettings(const SourceSettings &settings)
{
    if (settings == m_settings)
        return;
    m_settings = settings;
    emit changed();
}

void Source::setImportNotes(const QStringList &notes)
{
    if (notes == m_importNotes)
        return;
    m_importNotes = notes;
    emit importNotesChanged();
}

} // namespace effect
