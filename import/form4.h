#pragma once

#include "effectscript.h"

#include <QPointer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace drop {
struct MainFields;
}
namespace effect {
class Source;
}

namespace import {

// "Import Drop Array": cuts a pasted drop array back into the main window's fields, or a pasted
// particle source block into the fields and the source settings.
class Form4 : public QWidget {
    Q_OBJECT
public:
    // The open dialog, or nullptr.
    static Form4 *existing();
    // Shows the single dialog, creating and loading it first when none is open.
    static void open(drop::MainFields &main, effect::Source &source);

    QLineEdit *Text1 = nullptr;      // the pasted drop text
    QLineEdit *Text2 = nullptr;      // the separate colour values
    QCheckBox *Check1 = nullptr;     // "Seperate color(s)"
    QPushButton *Command1 = nullptr; // "OK"
    QPushButton *Command2 = nullptr; // "Cancel"
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QListWidget *List1 = nullptr; // token buffer, placed below the visible area

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    Form4(drop::MainFields &main, effect::Source &source);
    void createControls();
    void connectHandlers();
    void Form_Load();
    void showFailure(const QString &reason);

    void Text1_Change();
    void Check1_Click();
    void Command1_Click();
    void Command2_Click();

    // True for layers that the selected layer cannot hold alone: several, or one that is a class,
    // off the anchor or at times of its own.
    static bool isLayered(const QList<effect::Layer> &layers);
    // The pasted effect in place of the whole effect, asked first when other layers would go: its
    // layers, the notes on what was left out, each layer's colour variable, its config root class.
    void importLayers(const QList<effect::Layer> &layers, const QStringList &notes, const QStringList &colourNames,
                      const effect::ConfigEffect &root);

    drop::MainFields &m_main;
    effect::Source &m_source;
    // The main window's check box stands for the main window: once it is gone, nothing is written.
    QPointer<QWidget> m_mainAlive;
};

} // namespace import
