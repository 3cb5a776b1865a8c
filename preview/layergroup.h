#pragma once

#include "effect/layers.h"

#include <QGroupBox>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace preview {

// "Layers": the parts of the effect, one line each with its name and, while it plays, its
// particle count (a light is marked as one), and a check box that is cleared to mute it; the buttons that add, remove,
// rename and move them and the solo mark; and the start, end and offset of the selected layer,
// which go straight into the layer. What changes the list as a whole or the selection is asked
// of the window, which holds the selected layer's fields.
class LayerGroup : public QGroupBox {
    Q_OBJECT
public:
    LayerGroup(effect::Source &source, QWidget *parent);

    QLabel *ListLabel = nullptr;
    QListWidget *LayerList = nullptr;
    QPushButton *AddButton = nullptr;
    QPushButton *AddLightButton = nullptr; // a new light with every value written
    QPushButton *RemoveButton = nullptr;
    QPushButton *RenameButton = nullptr;
    QPushButton *UpButton = nullptr;
    QPushButton *DownButton = nullptr;
    QPushButton *PasteButton = nullptr; // the clipboard's text as new layers
    QCheckBox *SoloCheck = nullptr;     // only the selected layer plays
    QLineEdit *StartText = nullptr;
    QLineEdit *EndText = nullptr;
    std::array<QLineEdit *, 3> OffsetText{};

    // The count shown beside each layer while the preview plays; an empty list shows none.
    void showCounts(const QList<int> &counts, const QList<bool> &atLimit);

signals:
    void chosen(int index);
    void addAsked();
    void addLightAsked();
    void removeAsked();
    void renameAsked();
    void moveAsked(int from, int to);
    void pasteAsked();
    void muteAsked(int index, bool muted);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void connectHandlers();

    void Source_LayersChanged();
    void Source_Changed();
    void LayerList_CurrentRowChanged(int row);
    void LayerList_ItemChanged(QListWidgetItem *item);
    void Times_Change();

    void showLayers();
    QString itemText(int index) const;

    effect::Source &m_source;
    QList<int> m_counts;
    QList<bool> m_atLimit;
    bool m_showing = false;
};

} // namespace preview
