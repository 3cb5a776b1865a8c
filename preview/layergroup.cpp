#include "layergroup.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>

namespace preview {

LayerGroup::LayerGroup(effect::Source &source, QWidget *parent)
    : QGroupBox(QStringLiteral("Layers"), parent)
    , m_source(source)
{
    createControls();
    connectHandlers();
    showLayers();
}

void LayerGroup::createControls()
{
    ListLabel = new QLabel(QStringLiteral("Layers of t&he effect:"), this);
    LayerList = new QListWidget(this);
    LayerList->setToolTip(QStringLiteral("Clear a layer's check box to mute it; Delete removes the layer, F2 "
                                         "renames it, Alt+Up and Alt+Down move it"));
    LayerList->setMaximumHeight(LayerList->fontMetrics().height() * 7);
    LayerList->installEventFilter(this);
    ListLabel->setBuddy(LayerList);
    AddButton = new QPushButton(QStringLiteral("Add"), this);
    AddButton->setToolTip(QStringLiteral("Adds a copy of the selected layer after it"));
    RemoveButton = new QPushButton(QStringLiteral("Remove"), this);
    RenameButton = new QPushButton(QStringLiteral("Rename…"), this);
    UpButton = new QPushButton(QStringLiteral("Up"), this);
    DownButton = new QPushButton(QStringLiteral("Down"), this);
    AddLightButton = new QPushButton(QStringLiteral("Add Light"), this);
    AddLightButton->setToolTip(QStringLiteral("Adds a light after the selected layer, every value of it written"));
    PasteButton = new QPushButton(QStringLiteral("Paste Layer"), this);
    PasteButton->setToolTip(QStringLiteral("Adds the clipboard's array, source block, script or config class as new "
                                           "layers after the selected one (Ctrl+Shift+V)"));
    SoloCheck = new QCheckBox(QStringLiteral("Solo: play the selected layer alone"), this);

    StartText = new QLineEdit(this);
    StartText->setToolTip(QStringLiteral("Seconds after the effect starts"));
    EndText = new QLineEdit(this);
    EndText->setPlaceholderText(QStringLiteral("with the effect"));
    EndText->setToolTip(QStringLiteral("Seconds after the effect starts; empty: the layer ends with the effect"));
    for (QLineEdit *&text : OffsetText) {
        text = new QLineEdit(this);
        text->setToolTip(QStringLiteral("Metres from the effect's anchor: x, y and the height z"));
    }

    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {AddButton, RemoveButton, RenameButton, UpButton, DownButton})
        buttons->addWidget(button);
    buttons->addStretch(1);
    auto *paste = new QHBoxLayout;
    paste->addWidget(SoloCheck);
    paste->addStretch(1);
    paste->addWidget(AddLightButton);
    paste->addWidget(PasteButton);
    auto *times = new QGridLayout;
    times->addWidget(new QLabel(QStringLiteral("Start:"), this), 0, 0);
    times->addWidget(StartText, 0, 1);
    times->addWidget(new QLabel(QStringLiteral("s   End:"), this), 0, 2);
    times->addWidget(EndText, 0, 3);
    times->addWidget(new QLabel(QStringLiteral("s"), this), 0, 4);
    times->addWidget(new QLabel(QStringLiteral("Offset:"), this), 1, 0);
    times->addWidget(OffsetText[0], 1, 1);
    times->addWidget(OffsetText[1], 1, 3);
    times->addWidget(OffsetText[2], 1, 5);
    times->addWidget(new QLabel(QStringLiteral("m"), this), 1, 6);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ListLabel);
    layout->addWidget(LayerList);
    layout->addLayout(buttons);
    layout->addLayout(paste);
    layout->addLayout(times);
}

void LayerGroup::connectHandlers()
{
    connect(&m_source, &effect::Source::layersChanged, this, &LayerGroup::Source_LayersChanged);
    connect(&m_source, &effect::Source::changed, this, &LayerGroup::Source_Changed);
    connect(LayerList, &QListWidget::currentRowChanged, this, &LayerGroup::LayerList_CurrentRowChanged);
    connect(LayerList, &QListWidget::itemChanged, this, &LayerGroup::LayerList_ItemChanged);
    connect(AddButton, &QPushButton::clicked, this, &LayerGroup::addAsked);
    connect(AddLightButton, &QPushButton::clicked, this, &LayerGroup::addLightAsked);
    connect(RemoveButton, &QPushButton::clicked, this, &LayerGroup::removeAsked);
    connect(RenameButton, &QPushButton::clicked, this, &LayerGroup::renameAsked);
    connect(PasteButton, &QPushButton::clicked, this, &LayerGroup::pasteAsked);
    connect(UpButton, &QPushButton::clicked, this,
            [this] { emit moveAsked(m_source.selected(), m_source.selected() - 1); });
    connect(DownButton, &QPushButton::clicked, this,
            [this] { emit moveAsked(m_source.selected(), m_source.selected() + 1); });
    for (QLineEdit *text : {StartText, EndText, OffsetText[0], OffsetText[1], OffsetText[2]})
        connect(text, &QLineEdit::textEdited, this, &LayerGroup::Times_Change);
}

bool LayerGroup::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == LayerList && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const int row = m_source.selected();
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
            emit removeAsked();
            return true;
        }
        if (key->key() == Qt::Key_F2 && key->modifiers() == Qt::NoModifier) {
            emit renameAsked();
            return true;
        }
        if ((key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) && key->modifiers() == Qt::AltModifier) {
            emit moveAsked(row, key->key() == Qt::Key_Up ? row - 1 : row + 1);
            return true;
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

void LayerGroup::showCounts(const QList<int> &counts, const QList<bool> &atLimit)
{
    if (counts == m_counts && atLimit == m_atLimit)
        return;
    m_counts = counts;
    m_atLimit = atLimit;
    const QSignalBlocker blocker(LayerList);
    for (int i = 0; i < LayerList->count(); ++i)
        LayerList->item(i)->setText(itemText(i));
}

QString LayerGroup::itemText(int index) const
{
    const effect::Layer &layer = m_source.layers().at(index);
    QString text = index == m_source.shown() ? m_source.settings().name : layer.name();
    if (layer.isLight())
        text += QStringLiteral(" (light)");
    else if (layer.classOnly)
        text += QStringLiteral(" (a class, not previewed)");
    else if (index < m_counts.size())
        text += QStringLiteral(" — %1%2")
                    .arg(m_counts.at(index))
                    .arg(m_atLimit.value(index) ? QStringLiteral(", at the limit") : QString());
    return text;
}

void LayerGroup::Source_LayersChanged()
{
    showLayers();
}

void LayerGroup::Source_Changed()
{
    // The shown layer's name is the source settings' while they are edited.
    if (QListWidgetItem *item = LayerList->item(m_source.shown())) {
        const QSignalBlocker blocker(LayerList);
        item->setText(itemText(m_source.shown()));
    }
}

void LayerGroup::showLayers()
{
    m_showing = true;
    {
        const QSignalBlocker blocker(LayerList);
        const QList<effect::Layer> &layers = m_source.layers();
        while (LayerList->count() > layers.size())
            delete LayerList->takeItem(LayerList->count() - 1);
        while (LayerList->count() < layers.size())
            LayerList->addItem(new QListWidgetItem);
        for (int i = 0; i < layers.size(); ++i) {
            QListWidgetItem *item = LayerList->item(i);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(layers.at(i).muted ? Qt::Unchecked : Qt::Checked);
            item->setText(itemText(i));
        }
        LayerList->setCurrentRow(m_source.selected());
    }
    const effect::Layer &selected = m_source.layers().at(m_source.selected());
    const auto show = [](QLineEdit *text, const QString &value) {
        if (text->text() != value)
            text->setText(value);
    };
    show(StartText, selected.start);
    show(EndText, selected.end);
    for (std::size_t axis = 0; axis < 3; ++axis)
        show(OffsetText[axis], selected.offset[axis]);
    // The main window always shows a particle layer: the last of them stays.
    const bool particlesLeft = std::count_if(m_source.layers().cbegin(), m_source.layers().cend(),
                                             [](const effect::Layer &layer) { return !layer.isLight(); })
                               > 1;
    RemoveButton->setEnabled(selected.isLight() || particlesLeft);
    UpButton->setEnabled(m_source.selected() > 0);
    DownButton->setEnabled(m_source.selected() + 1 < m_source.layers().size());
    m_showing = false;
}

void LayerGroup::LayerList_CurrentRowChanged(int row)
{
    if (!m_showing && row >= 0 && row != m_source.selected())
        emit chosen(row);
}

void LayerGroup::LayerList_ItemChanged(QListWidgetItem *item)
{
    if (m_showing)
        return;
    const int row = LayerList->row(item);
    emit muteAsked(row, item->checkState() != Qt::Checked);
}

void LayerGroup::Times_Change()
{
    if (m_showing)
        return;
    QList<effect::Layer> layers = m_source.layers();
    effect::Layer &selected = layers[m_source.selected()];
    selected.start = StartText->text();
    selected.end = EndText->text();
    for (std::size_t axis = 0; axis < 3; ++axis)
        selected.offset[axis] = OffsetText[axis]->text();
    m_source.setLayers(layers, m_source.selected());
}

} // namespace preview
