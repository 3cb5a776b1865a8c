#include "layers.h"

#include "drop/dropstring.h"

#include <algorithm>

namespace effect {
namespace {

bool named(const QList<Layer> &layers, const QString &name)
{
    return std::any_of(layers.cbegin(), layers.cend(), [&name](const Layer &layer) {
        return layer.name().trimmed().compare(name, Qt::CaseInsensitive) == 0;
    });
}

} // namespace

EffectFields startFields()
{
    return {drop::startTexts(), false, {}, {}};
}

Layer layerOf(const EffectFields &fields)
{
    Layer layer;
    layer.fields = fields;
    return layer;
}

Layer lightLayerOf(const QString &name, const LightSettings &light)
{
    Layer layer;
    layer.fields.source.name = name;
    layer.light = light;
    return layer;
}

QString uniqueLayerName(const QList<Layer> &layers, const QString &wanted)
{
    QString trimmed = wanted.trimmed();
    if (!trimmed.isEmpty() && !named(layers, trimmed))
        return trimmed;
    QString base = trimmed;
    while (!base.isEmpty() && base.back().isDigit())
        base.chop(1);
    if (base.isEmpty())
        base = QStringLiteral("_ps");
    for (int n = 2;; ++n) {
        QString name = base + QString::number(n);
        if (!named(layers, name))
            return name;
    }
}

int insertLayers(QList<Layer> &layers, int at, const QList<Layer> &added)
{
    at = std::clamp(at, 0, int(layers.size()));
    for (Layer layer : added) {
        layer.fields.source.name = uniqueLayerName(layers, layer.name());
        layers.insert(at++, layer);
    }
    return at - 1;
}

QString layersProblem(const QList<Layer> &layers)
{
    if (layers.isEmpty())
        return QStringLiteral("an effect has at least one layer");
    if (std::all_of(layers.cbegin(), layers.cend(), [](const Layer &layer) { return layer.isLight(); }))
        return QStringLiteral("an effect has at least one particle layer");
    for (qsizetype i = 0; i < layers.size(); ++i) {
        const QString name = layers.at(i).name().trimmed();
        if (name.isEmpty())
            return QStringLiteral("layer %1 has no name").arg(i + 1);
        if (named(layers.mid(0, i), name))
            return QStringLiteral("two layers are named %1").arg(name);
    }
    return {};
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

void Source::setLayers(const QList<Layer> &layers, int selected)
{
    const QString shownName = m_layers.value(m_shown).name();
    m_layers = layers;
    const auto particles = [](const Layer &layer) { return !layer.isLight(); };
    if (std::none_of(m_layers.cbegin(), m_layers.cend(), particles))
        m_layers << layerOf(startFields());
    m_selected = selected >= 0 && selected < m_layers.size() ? selected : 0;
    if (!m_layers.at(m_selected).isLight()) {
        m_shown = m_selected;
    } else {
        const auto kept = std::find_if(m_layers.cbegin(), m_layers.cend(), [&shownName](const Layer &layer) {
            return !layer.isLight() && layer.name() == shownName;
        });
        m_shown = int((kept != m_layers.cend() ? kept : std::find_if(m_layers.cbegin(), m_layers.cend(), particles))
                      - m_layers.cbegin());
    }
    emit layersChanged();
}

} // namespace effect
