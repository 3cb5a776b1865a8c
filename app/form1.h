#pragma once

#include "drop/mainfields.h"
#include "effect/layers.h"

#include <QWidget>

#include <array>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class StatusBar;

// The main window: one field per drop parameter, the drop string, the colour variable line.
class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    // Text1 .. Text27 by their number.
    QLineEdit *Text(int number) const { return m_fields.text(number); }
    QLabel *Label(int number) const { return m_labels.at(number - 1); }
    drop::MainFields &fields() { return m_fields; }
    // The particle source's settings beside the fields, part of the effect as they are.
    effect::Source &source() { return m_source; }

    // Where "Create SQS" writes; the program's directory unless a test points it elsewhere.
    void setScriptDirectory(std::function<QString()> directory);

    QLineEdit *Text28 = nullptr;
    QLineEdit *Text29 = nullptr;
    QCheckBox *Check1 = nullptr;
    QPushButton *Command6 = nullptr; // "Import Array"
    QPushButton *Command1 = nullptr; // "Choose Colors"
    QPushButton *Command4 = nullptr; // "Create SQS"
    QPushButton *Command3 = nullptr; // "Reset"
    QPushButton *Command2 = nullptr; // "Exit"
    QPushButton *Command7 = nullptr; // "Preview"
    StatusBar *StatusBar1 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void connectHandlers();
    void Form_Load();

    void Text_Change(int number);
    void Text28_Change();
    void Text29_Change();
    void Check1_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command6_Click();
    void Command7_Click();

    void RebuildDropString();
    void UpdateSizeDisplay();
    void NormalizeShapeType();

    QString dropString(bool separate) const;
    QString colourLine() const;
    void closeSecondaryWindows();

    drop::MainFields m_fields;
    effect::Source m_source;
    std::array<QLabel *, 19> m_labels{};
    std::function<QString()> m_scriptDirectory;
};
