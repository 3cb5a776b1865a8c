#include "app/form1.h"
#include "configsummary.h"
#include "drop/dropstring.h"
#include "effect/effectlibrary.h"
#include "export/configclass.h"
#include "export/emitterscript.h"
#include "filedialogsfake.h"
#include "import/effectscript.h"
#include "import/form4.h"
#include "messagesfake.h"
#include "preview/form5.h"
#include "textinputfake.h"
#include "userinput.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

#include <memory>

using preview::Form5;

namespace {

constexpr int kLifeTime = 5;
constexpr int kPositionZ = 8;
constexpr int kVelocityX = 9;
constexpr int kWeight = 13;
constexpr int kVolume = 14;
constexpr int kColour = 19;

int previewWindows()
{
    int count = 0;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (qobject_cast<Form5 *>(widget))
            ++count;
    return count;
}

QStringList notesOf(const Form5 &preview)
{
    QStringList lines;
    for (int i = 0; i < preview.NotesList->count(); ++i)
        lines << preview.NotesList->item(i)->text();
    return lines;
}

QStringList fieldTexts(const Form1 &form)
{
    QStringList texts;
    for (int n = 1; n <= 27; ++n)
        texts << form.Text(n)->text();
    return texts;
}

const effect::Effect &builtIn(const char *name)
{
    const effect::Effect *effect = effect::findBuiltIn(QString::fromUtf8(name));
    if (!effect)
        qFatal("no built-in effect %s", name);
    return *effect;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The window's controls in the order Tab reaches them, whether or not they are shown just now.
QList<QWidget *> tabChain(QWidget *window)
{
    QList<QWidget *> chain;
    for (QWidget *widget = window->nextInFocusChain(); widget != window; widget = widget->nextInFocusChain())
        if ((widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy() && widget->isVisibleTo(window))
            chain << widget;
    return chain;
}

// Whether the widget shows whole within the window and, inside a scrolled column, within the part of
// the column in sight; of a group box, its title (its check box) counts.
bool inSight(const QWidget *widget, const QWidget *window)
{
    QRect shown = widget->rect();
    if (qobject_cast<const QGroupBox *>(widget))
        shown.setHeight(std::min(shown.height(), 2 * widget->fontMetrics().height()));
    for (const QWidget *parent = widget->parentWidget(); parent; parent = parent->parentWidget()) {
        if (const auto *area = qobject_cast<const QScrollArea *>(parent)) {
            const QRect viewport = area->viewport()->rect();
            if (!viewport.contains(QRect(widget->mapTo(area->viewport(), shown.topLeft()), shown.size())))
                return false;
        }
        if (parent == window)
            break;
    }
    return window->rect().contains(QRect(widget->mapTo(window, shown.topLeft()), shown.size()));
}

bool anyContains(const QStringList &lines, const QString &part)
{
    return std::any_of(lines.cbegin(), lines.cend(), [&part](const QString &line) { return line.contains(part); });
}

} // namespace

class TestForm5 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void buttonAndF5OpenOneWindow();
    void windowIsPlainAndSaysItIsAnApproximation();
    void fieldEditChangesOnlyTheNextParticles();
    void pauseHideAndMinimiseStopTheTimer();
    void unreadableFieldShowsNothingUntilMended_data();
    void unreadableFieldShowsNothingUntilMended();
    void variableGetsAnAssumedValue();
    void restartAndSpeed();
    void wheelZoomsBothViews();
    void viewsDrawTheParticlesWhereTheyAre();
    void viewsPaintTheSameOnOneThreadAndOnTwo();
    void mainWindowClosedFirstLeavesThePreviewUsable();
    void emitForStopsTheEmissionAndRestartBeginsAgain();
    void ctrlSAndTheButtonSaveTheScript();
    void cancelledDialogWritesNothing();
    void failedWriteSaysWhereAndWhy();
    void characterTheCodePageCannotHoldKeepsTheOldFile();
    void unreadableFieldsSaveAndSaySo();
    void particleAtTheOriginShowsOverTheMark();
    void sourceGroupSetsAndClearsTheCommands();
    void emitEveryTakesTextsAndZero_data();
    void emitEveryTakesTextsAndZero();
    void copySourceAndSaveSourceScriptByKeys();
    void copyConfigClassByKeys();
    void importedClassCopiedBackUntilEdited();
    void complexEffectImportedCopiedBackAndKept();
    void timeLineShowsAnyMomentExactly();
    void longSeekShowsItsWorkAndYieldsToANewerOne();

    void effectRowLoadsBuiltInsByKeys();
    void loadOverUnsavedFieldsAsksFirst();
    void markerFollowsTheFields();
    void importAndResetRefitThePreview();
    void importedBlockPlaysAndNamesWhatWasLeftOut();
    void saveAsReplaceAndDeleteOwnEffects();
    void damagedEffectsFileReportedOnceAndKept();

    void tabOrderRunsDownTheWindow();
    void layersAreEditedOneAtATime();
    void keptCommandsFollowTheSelectedLayer();
    void pastedLayersComeBackFromCopyEffect();
    void lightIsEditedInItsGroupAndTheFieldsStay();
    void everyControlInSightAt1280By700_data();
    void everyControlInSightAt1280By700();
    void mnemonicScrollsItsControlIntoSight();
    void opensWithinItsScreen();

private:
    // Fields that give a floating particle living ten seconds.
    void typeFloatingParticle();
    Form5 &openPreview();
    // The text through "Import Array": the dialog opened, the text pasted, OK.
    void importPasted(const QString &text);

    std::unique_ptr<Form1> form;
};

void TestForm5::initTestCase()
{
    // As the program names itself: without an organisation Windows keeps no settings at all.
    QCoreApplication::setOrganizationName(QStringLiteral("Plumewright"));
    // Never the user's own effects.
    QStandardPaths::setTestModeEnabled(true);
    QFile::remove(effect::EffectLibrary::defaultPath());
}

void TestForm5::init()
{
    QSettings().remove("preview/scriptFolder");
    form = std::make_unique<Form1>();
    form->show();
}

void TestForm5::cleanup()
{
    if (Form5 *preview = Form5::existing())
        preview->close();
    form.reset();
    processDeletes();
    QCOMPARE(previewWindows(), 0);
    QFile::remove(effect::EffectLibrary::defaultPath());
}

void TestForm5::typeFloatingParticle()
{
    retype(form->Text(kLifeTime), "10");
    retype(form->Text(kWeight), "1.275");
    retype(form->Text(kVolume), "1");
}

void TestForm5::importPasted(const QString &text)
{
    QTest::mouseClick(form->Command6, Qt::LeftButton);
    import::Form4 *dialog = import::Form4::existing();
    QVERIFY(dialog);
    paste(dialog->Text1, text);
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
}

Form5 &TestForm5::openPreview()
{
    QTest::mouseClick(form->Command7, Qt::LeftButton);
    Form5 *preview = Form5::existing();
    if (!preview)
        qFatal("the preview did not open");
    return *preview;
}

void TestForm5::buttonAndF5OpenOneWindow()
{
    QVERIFY(!Form5::existing());
    QTest::mouseClick(form->Command7, Qt::LeftButton);
    Form5 *first = Form5::existing();
    QVERIFY(first);
    QVERIFY(first->isVisible());
    QCOMPARE(first->windowTitle(), "Particle Preview");

    // A second press and F5 bring the same window back, also after it was minimised.
    first->showMinimized();
    QTest::mouseClick(form->Command7, Qt::LeftButton);
    QCOMPARE(Form5::existing(), first);
    QVERIFY(!first->isMinimized());
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_F5);
    QCOMPARE(Form5::existing(), first);
    QCOMPARE(previewWindows(), 1);

    // Closed, it is gone at once; the next opening makes a new one.
    first->close();
    QVERIFY(!Form5::existing());
    processDeletes();
    QCOMPARE(previewWindows(), 0);
    QTest::keyClick(form.get(), Qt::Key_F5);
    QVERIFY(Form5::existing());
    QCOMPARE(previewWindows(), 1);
}

void TestForm5::windowIsPlainAndSaysItIsAnApproximation()
{
    Form5 &preview = openPreview();
    QVERIFY(!preview.parentWidget());
    QVERIFY(!(preview.windowFlags() & Qt::WindowStaysOnTopHint));
    QVERIFY(!preview.isModal());
    QVERIFY(preview.ApproximationLabel->isVisible());
    QVERIFY(preview.ApproximationLabel->text().contains("approximation"));
    QVERIFY(preview.ApproximationLabel->text().contains("engine step"));
    // The side view stands left of the top view, and both grow with the window.
    QVERIFY(preview.SideView->x() + preview.SideView->width() <= preview.TopView->x());
    const QSize before = preview.SideView->size();
    preview.resize(preview.width() + 200, preview.height() + 100);
    QCoreApplication::processEvents();
    QVERIFY(preview.SideView->width() > before.width());
    QVERIFY(preview.SideView->height() > before.height());
    // The speeds and the defaults the window starts with.
    QCOMPARE(preview.SpeedBox->count(), 5);
    QCOMPARE(preview.SpeedBox->currentText(), "1×");
    QCOMPARE(preview.SourceBox->IntervalText->text(), "0.05");
    QCOMPARE(preview.WindXBox->value(), 0.0);
    QCOMPARE(preview.WindYBox->value(), 0.0);
    // The shape is named, since it is not drawn.
    retype(form->Text(1), "\\ca\\data\\cl_basic");
    QVERIFY(preview.ShapeCaption->text().contains("\\ca\\data\\cl_basic"));
}

void TestForm5::fieldEditChangesOnlyTheNextParticles()
{
    typeFloatingParticle();
    retype(form->Text(kVelocityX), "1");
    Form5 &preview = openPreview();
    QVERIFY(preview.FrameTimer->isActive());
    preview.runFor(0.5);
    const std::size_t before = preview.simulation().particles().size();
    QVERIFY(before >= 10);

    retype(form->Text(kVelocityX), "3");
    preview.runFor(0.5);
    const auto &particles = preview.simulation().particles();
    QVERIFY(particles.size() > before);
    for (std::size_t i = 0; i < particles.size(); ++i)
        QCOMPARE(particles[i].velocity.x, i < before ? 1.0 : 3.0);

    // The colour field counts as well, in the colour chooser's form.
    retype(form->Text(kColour), "[1,0,0,0.5]");
    preview.runFor(0.1);
    const auto &coloured = preview.simulation().particles().back().values.colours;
    QCOMPARE(coloured.size(), std::size_t(1));
    QCOMPARE(coloured.front(), (effect::Rgba{1, 0, 0, 0.5}));
}

void TestForm5::pauseHideAndMinimiseStopTheTimer()
{
    typeFloatingParticle();
    Form5 &preview = openPreview();
    QVERIFY(preview.FrameTimer->isActive());

    QTest::mouseClick(preview.PlayButton, Qt::LeftButton);
    QVERIFY(!preview.playing());
    QVERIFY(!preview.FrameTimer->isActive());
    QCOMPARE(preview.PlayButton->text(), "&Play");
    // Edits while paused read the fields but do not start the timer.
    retype(form->Text(kVelocityX), "2");
    QVERIFY(!preview.FrameTimer->isActive());
    QTest::mouseClick(preview.PlayButton, Qt::LeftButton);
    QVERIFY(preview.FrameTimer->isActive());
    QCOMPARE(preview.PlayButton->text(), "&Pause");

    preview.hide();
    QVERIFY(!preview.FrameTimer->isActive());
    preview.show();
    QVERIFY(preview.FrameTimer->isActive());

    preview.showMinimized();
    QVERIFY(!preview.FrameTimer->isActive());
    preview.showNormal();
    QVERIFY(preview.FrameTimer->isActive());

    // Nothing to preview: nothing to run either.
    retype(form->Text(kLifeTime), "0");
    QVERIFY(!preview.FrameTimer->isActive());
    retype(form->Text(kLifeTime), "4");
    QVERIFY(preview.FrameTimer->isActive());

    // The timer's frames move the particles on.
    const double time = preview.simulation().time();
    QTRY_VERIFY(preview.simulation().time() > time);
    preview.close();
    QVERIFY(!preview.FrameTimer->isActive());
}

void TestForm5::unreadableFieldShowsNothingUntilMended_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("note");

    QTest::newRow("a game command") << 6 << "getPos _x select 0"
                                    << "Position x cannot be worked out at \"getPos\"";
    QTest::newRow("an open parenthesis") << kVelocityX << "(1 + 2"
                                         << "MoveVelocity x ends too early";
    QTest::newRow("empty life") << kLifeTime << ""
                                << "LifeTime is empty";
    QTest::newRow("no weight") << kWeight << "-1"
                               << "Weight is 0 or below";
    QTest::newRow("a colour of three") << kColour << "[1,1,1]"
                                       << "Color 1 (\"[1,1,1]\") is not a colour";
    QTest::newRow("a colour not closed") << kColour << "[1,1,1,1"
                                         << "Color (\"[1,1,1,1\")";
}

void TestForm5::unreadableFieldShowsNothingUntilMended()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, note);

    typeFloatingParticle();
    Form5 &preview = openPreview();
    preview.runFor(0.3);
    QVERIFY(!preview.simulation().particles().empty());

    const QString before = form->Text(field)->text();
    retype(form->Text(field), text);
    const QStringList notes = notesOf(preview);
    QVERIFY2(anyContains(notes, "Nothing is shown: " + note), qPrintable(notes.join('\n')));
    QVERIFY(preview.simulation().particles().empty());
    preview.runFor(0.3);
    QVERIFY(preview.simulation().particles().empty());
    QVERIFY(!preview.FrameTimer->isActive());

    retype(form->Text(field), before);
    QVERIFY(!anyContains(notesOf(preview), "Nothing is shown"));
    preview.runFor(0.3);
    QVERIFY(!preview.simulation().particles().empty());
}

void TestForm5::variableGetsAnAssumedValue()
{
    typeFloatingParticle();
    retype(form->Text(kPositionZ), "_h + 1");
    retype(form->Text(kVelocityX), "_H * 2");
    Form5 &preview = openPreview();
    QVERIFY(preview.VariablesBox->isVisible());
    // One field for the name, however it is written, starting at 0.
    QDoubleSpinBox *value = preview.variableField("_h");
    QVERIFY(value);
    QCOMPARE(preview.variableField("_H"), value);
    QCOMPARE(value->value(), 0.0);
    preview.runFor(0.1);
    QCOMPARE(preview.simulation().particles().front().position.z, 1.0);

    value->setFocus();
    value->selectAll();
    QTest::keyClicks(value, "2");
    QTest::keyClick(value, Qt::Key_Enter);
    QCOMPARE(value->value(), 2.0);
    preview.runFor(0.1);
    const effect::Particle &newest = preview.simulation().particles().back();
    QCOMPARE(newest.values.position.z, 3.0);
    QCOMPARE(newest.values.velocity.x, 4.0);

    // The value stays while the name stays; without it the box goes.
    retype(form->Text(kVelocityX), "0");
    QCOMPARE(preview.variableField("_h")->value(), 2.0);
    retype(form->Text(kPositionZ), "0");
    QVERIFY(!preview.variableField("_h"));
    QVERIFY(!preview.VariablesBox->isVisible());
}

void TestForm5::restartAndSpeed()
{
    typeFloatingParticle();
    Form5 &preview = openPreview();
    // One particle at the start and one every 0.05 s after it.
    preview.runFor(1);
    QCOMPARE(preview.simulation().particles().size(), std::size_t(21));
    QTest::mouseClick(preview.RestartButton, Qt::LeftButton);
    QCOMPARE(preview.simulation().time(), 0.0);
    QVERIFY(preview.simulation().particles().size() <= 1);

    // At 4× one second of real time is four of the particles' time.
    preview.SpeedBox->setCurrentIndex(4);
    preview.runFor(1);
    QCOMPARE(preview.simulation().time(), 4.0);
    QCOMPARE(preview.simulation().particles().size(), std::size_t(81));
    QVERIFY(preview.CountLabel->text().startsWith("81 particles, 4.0 s"));

    // A longer interval emits fewer particles from then on.
    QTest::mouseClick(preview.RestartButton, Qt::LeftButton);
    preview.SpeedBox->setCurrentIndex(2);
    retype(preview.SourceBox->IntervalText, "0.5");
    preview.runFor(1);
    QCOMPARE(preview.simulation().particles().size(), std::size_t(3));
}

void TestForm5::wheelZoomsBothViews()
{
    Form5 &preview = openPreview();
    const double side = preview.SideView->frame.scale;
    const double top = preview.TopView->frame.scale;
    const QPointF at = QRectF(preview.TopView->rect()).center();
    QWheelEvent wheel(at, preview.TopView->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(preview.TopView, &wheel);
    QCOMPARE(preview.SideView->frame.scale, side * 1.25);
    QCOMPARE(preview.TopView->frame.scale, top * 1.25);
}

void TestForm5::viewsDrawTheParticlesWhereTheyAre()
{
    // Red discs of 2 m standing still 3 m up and 1 m out along y.
    typeFloatingParticle();
    retype(form->Text(kPositionZ), "3");
    retype(form->Text(7), "1");
    for (int n = 16; n <= 18; ++n)
        retype(form->Text(n), "2");
    retype(form->Text(kColour), "[1,0,0,1]");
    Form5 &preview = openPreview();
    preview.runFor(0.2);
    const auto pixelAt = [](preview::ParticleView *view, QPointF metres) {
        const preview::Frame &frame = view->frame;
        const QPointF middle = QRectF(view->rect()).center();
        const QPoint at(
            (middle + QPointF(metres.x() - frame.centre.x(), frame.centre.y() - metres.y()) * frame.scale).toPoint());
        return view->grab().toImage().pixel(at);
    };
    QCOMPARE(pixelAt(preview.SideView, {0, 3}), qRgb(255, 0, 0));
    QCOMPARE(pixelAt(preview.TopView, {0, 1}), qRgb(255, 0, 0));
    // Two metres away there is only the background.
    QCOMPARE_NE(pixelAt(preview.SideView, {0, 5}), qRgb(255, 0, 0));
    QCOMPARE_NE(pixelAt(preview.TopView, {0, -1}), qRgb(255, 0, 0));
}

void TestForm5::viewsPaintTheSameOnOneThreadAndOnTwo()
{
    // Grey smoke drifting to the side, growing and fading.
    typeFloatingParticle();
    retype(form->Text(kVelocityX), "0.4");
    for (int n = 16; n <= 18; ++n)
        retype(form->Text(n), QString::number(n - 15));
    retype(form->Text(kColour), "[0.5,0.5,0.5,0.8],[0.7,0.7,0.7,0]");
    Form5 &preview = openPreview();
    QTest::mouseClick(preview.PlayButton, Qt::LeftButton);
    preview.runFor(2);
    QVERIFY(preview.simulation().particles().size() > 20);
    std::vector<QImage> pictures;
    for (const int threads : {2, 1, 2}) {
        preview.SideView->paintAlongside(*preview.TopView, threads);
        pictures.push_back(preview.SideView->grab().toImage());
        pictures.push_back(preview.TopView->grab().toImage());
    }
    for (std::size_t i = 2; i < pictures.size(); ++i)
        QCOMPARE(pictures[i], pictures[i % 2]);
    QVERIFY(pictures[0] != pictures[1]);
    // A picture stands until something it shows changes.
    preview.runFor(0.5);
    QVERIFY(preview.SideView->grab().toImage() != pictures[0]);
}

void TestForm5::mainWindowClosedFirstLeavesThePreviewUsable()
{
    typeFloatingParticle();
    Form5 &preview = openPreview();
    QTest::mouseClick(preview.LayerBox->AddButton, Qt::LeftButton);
    QPointer<Form5> guard(&preview);
    // The main window goes away on its own (as at the end of the program) while the preview still
    // handles a frame: it must not read the deleted fields, nor the layers that went with them.
    form.reset();
    QVERIFY(guard);
    guard->runFor(0.2);
    QTest::mouseClick(guard->RestartButton, Qt::LeftButton);
    guard->close();
}

void TestForm5::emitForStopsTheEmissionAndRestartBeginsAgain()
{
    typeFloatingParticle();
    Form5 &preview = openPreview();
    QCOMPARE(preview.DurationBox->value(), 0.0);
    QCOMPARE(preview.DurationBox->text(), "without end");
    QVERIFY(QTest::qWaitForWindowActive(&preview));
    QTest::keyClick(&preview, Qt::Key_E, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), preview.SourceBox->IntervalText);
    QTest::keyClick(&preview, Qt::Key_F, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), preview.DurationBox);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QCOMPARE(preview.DurationBox->value(), 1.0);

    // Particles at 0, 0.05, ... 0.95: twenty, which live on after the emission is over.
    preview.runFor(3);
    QCOMPARE(preview.simulation().emissions(), std::int64_t(20));
    QCOMPARE(preview.simulation().particles().size(), std::size_t(20));
    QVERIFY(preview.simulation().emissionOver());
    QVERIFY(preview.CountLabel->text().contains("emission over"));
    preview.runFor(8);
    QVERIFY(preview.simulation().particles().empty());
    QVERIFY(!preview.FrameTimer->isActive());

    QTest::mouseClick(preview.RestartButton, Qt::LeftButton);
    QVERIFY(!preview.simulation().emissionOver());
    QVERIFY(preview.FrameTimer->isActive());
    preview.runFor(0.52);
    QCOMPARE(preview.simulation().emissions(), std::int64_t(11));
    QCOMPARE(preview.simulation().lastEmission(), 0.5);
}

void TestForm5::ctrlSAndTheButtonSaveTheScript()
{
    typeFloatingParticle();
    retype(form->Text(1), "cl_basic");
    retype(form->Text(27), "_obj, 0, true");
    QTest::mouseClick(form->Check1, Qt::LeftButton);
    Form5 &preview = openPreview();
    preview.DurationBox->setValue(2.5);
    QTemporaryDir folder;
    FileDialogsFake dialogs;
    MessagesFake notices;
    dialogs.answer = folder.filePath("smoke.sqs");

    // Ctrl+S wherever the focus is in the window.
    QVERIFY(QTest::qWaitForWindowActive(&preview));
    preview.SourceBox->IntervalText->setFocus();
    QTest::keyClick(preview.SourceBox->IntervalText, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(dialogs.openings.size(), 1);
    const FileDialogsFake::Opening &first = dialogs.openings.constFirst();
    QCOMPARE(first.caption, "Save Emitter Script");
    QCOMPARE(first.path, QDir(QCoreApplication::applicationDirPath()).filePath("cl_basic.sqs"));
    QCOMPARE(first.filters, "Game script (*.sqs);;Script function file (*.sqf)");
    QCOMPARE(first.defaultSuffix, "sqs");
    const QByteArray sqs = fileBytes(dialogs.answer);
    QVERIFY(sqs.startsWith("; Particles of cl_basic: one drop every 0.05 s, for 2.5 s.\r\n"
                           "; Start it with: [unit] exec \"smoke.sqs\"\r\n"));
    QVERIFY(sqs.contains("\r\n_obj = _this select 0\r\n"));
    QVERIFY(sqs.contains("\r\n" + form->Text29->text().toUtf8() + "\r\n_plwEnd = _time + 2.5\r\n#loop\r\n"
                         + form->Text28->text().toUtf8() + "\r\n~0.05\r\n"));
    QVERIFY(sqs.endsWith("\r\nexit\r\n"));
    QCOMPARE(preview.SaveStatus->text(), "Script saved to " + QDir::toNativeSeparators(dialogs.answer));
    QVERIFY(preview.SaveStatus->isVisible());
    QCOMPARE(notices.shown, QStringList{});

    // The button, by its mnemonic, opens the dialog in the folder saved to last.
    dialogs.answer = folder.filePath("smoke.sqf");
    QTest::keyClick(&preview, Qt::Key_C, Qt::AltModifier);
    // A mnemonic presses the button visibly: the click follows a moment later.
    QTRY_COMPARE(dialogs.openings.size(), 2);
    QCOMPARE(dialogs.openings.at(1).path, QDir(folder.path()).filePath("cl_basic.sqs"));
    const QByteArray sqf = fileBytes(dialogs.answer);
    QVERIFY(sqf.contains("\r\nprivate _obj = _this select 0;\r\n"));
    QVERIFY(sqf.contains("\r\nwhile {time < _plwEnd} do {\r\n    drop [\"cl_basic\""));
    QVERIFY(sqf.endsWith("\r\n    sleep 0.05;\r\n};\r\n"));
    QCOMPARE(preview.SaveStatus->text(), "Script saved to " + QDir::toNativeSeparators(dialogs.answer));

    QTest::mouseClick(preview.SaveButton, Qt::LeftButton);
    QCOMPARE(dialogs.openings.size(), 3);
    QCOMPARE(notices.shown, QStringList{});
}

void TestForm5::cancelledDialogWritesNothing()
{
    typeFloatingParticle();
    Form5 &preview = openPreview();
    FileDialogsFake dialogs;
    MessagesFake notices;
    QTest::mouseClick(preview.SaveButton, Qt::LeftButton);
    QCOMPARE(dialogs.openings.size(), 1);
    QCOMPARE(QFileInfo(dialogs.openings.constFirst().path).fileName(), "effect.sqs");
    QVERIFY(preview.SaveStatus->isHidden());
    QCOMPARE(notices.shown, QStringList{});
    QVERIFY(QSettings().value("preview/scriptFolder").toString().isEmpty());
}

void TestForm5::failedWriteSaysWhereAndWhy()
{
    typeFloatingParticle();
    Form5 &preview = openPreview();
    QTemporaryDir folder;
    QVERIFY(writeFile(folder.filePath("file"), "kept"));
    FileDialogsFake dialogs;
    MessagesFake notices;
    dialogs.answer = folder.filePath("file/smoke.sqs");
    QTest::mouseClick(preview.SaveButton, Qt::LeftButton);
    QCOMPARE(notices.shown.size(), 1);
    const QString shown = notices.shown.constFirst();
    QVERIFY2(
        shown.startsWith("error|Error|Can't save the script to " + QDir::toNativeSeparators(dialogs.answer) + ":\r\n"),
        qPrintable(shown));
    QVERIFY(shown.size() > shown.indexOf("\r\n") + 2);
    QCOMPARE(fileBytes(folder.filePath("file")), "kept");
    QCOMPARE(preview.SaveStatus->text(), "The script was not saved.");
    QVERIFY(QSettings().value("preview/scriptFolder").toString().isEmpty());
}

void TestForm5::characterTheCodePageCannotHoldKeepsTheOldFile()
{
    typeFloatingParticle();
    Form5 &preview = openPreview();
    form->Text(1)->setText(QStringLiteral("smoke") + QChar(0xd800));
    QTemporaryDir folder;
    FileDialogsFake dialogs;
    MessagesFake notices;
    dialogs.answer = folder.filePath("smoke.sqs");
    QVERIFY(writeFile(dialogs.answer, "old"));
    QTest::mouseClick(preview.SaveButton, Qt::LeftButton);
    QCOMPARE(notices.shown.size(), 1);
    QVERIFY(notices.shown.constFirst().startsWith("error|Error|Nothing was written to "
                                                  + QDir::toNativeSeparators(dialogs.answer)));
    QCOMPARE(fileBytes(dialogs.answer), "old");
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"smoke.sqs"});
}

void TestForm5::unreadableFieldsSaveAndSaySo()
{
    typeFloatingParticle();
    retype(form->Text(kVelocityX), "speed _car");
    retype(form->Text(kPositionZ), "_h");
    Form5 &preview = openPreview();
    QVERIFY(!preview.simulation().emitting());
    preview.variableField("_h")->setValue(1.5);
    QTemporaryDir folder;
    FileDialogsFake dialogs;
    MessagesFake notices;
    dialogs.answer = folder.filePath("car.sqs");
    QTest::mouseClick(preview.SaveButton, Qt::LeftButton);
    QCOMPARE(notices.shown.size(), 1);
    const QStringList lines = notices.shown.constFirst().split("\r\n");
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(0), "info|Info|Script saved to " + QDir::toNativeSeparators(dialogs.answer));
    QVERIFY(lines.at(1).startsWith("The preview could not show the fields"));
    const QByteArray script = fileBytes(dialogs.answer);
    QVERIFY(script.contains("\r\n_h = 1.5\r\n"));
    QVERIFY(script.contains(",[speed _car,"));
}

void TestForm5::particleAtTheOriginShowsOverTheMark()
{
    // A heavy red particle falling straight down from the origin: in the top view it stands on
    // the origin's mark all its life.
    retype(form->Text(kLifeTime), "1");
    retype(form->Text(kWeight), "10");
    for (int n = 16; n <= 18; ++n)
        retype(form->Text(n), "0.5");
    retype(form->Text(kColour), "[1,0,0,1]");
    Form5 &preview = openPreview();
    preview.runFor(0.1);
    const preview::Frame &frame = preview.TopView->frame;
    const QPointF middle = QRectF(preview.TopView->rect()).center();
    const QPoint origin = (middle + QPointF(-frame.centre.x(), frame.centre.y()) * frame.scale).toPoint();
    const QImage image = preview.TopView->grab().toImage();
    QCOMPARE(image.pixel(origin), qRgb(255, 0, 0));
    QCOMPARE(image.pixel(origin + QPoint(4, 0)), qRgb(255, 0, 0));
}

void TestForm5::sourceGroupSetsAndClearsTheCommands()
{
    using Random = effect::SourceRandom;
    MessagesFake messages;
    Form5 &preview = openPreview();
    preview::SourceGroup &group = *preview.SourceBox;
    const effect::SourceSettings &settings = form->source().settings();
    preview.EffectBox->setFocus();
    QTest::keyClick(preview.EffectBox, Qt::Key_Down);
    const QString name = effect::builtInEffects().at(0).name;
    QCOMPARE(preview.EffectBox->displayText(), name);

    // The group is reached by its mnemonic, each command by its own, which checks it.
    QVERIFY(QTest::qWaitForWindowActive(&preview));
    QTest::keyClick(&preview, Qt::Key_U, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), group.NameText);
    QTest::keyClick(&preview, Qt::Key_M, Qt::AltModifier);
    QTRY_VERIFY(settings.random.set);
    QCOMPARE(preview.EffectBox->displayText(), name + " *");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), group.RandomText[Random::LifeTime]);
    retype(group.RandomText[Random::Size], "0.5");
    QCOMPARE(settings.random.texts[Random::Size], "0.5");
    QVERIFY(!group.RandomText[Random::Angle]->isEnabled());
    group.ElementsBox->setCurrentIndex(1);
    QCOMPARE(settings.random.elements, 9);
    QVERIFY(group.RandomText[Random::Angle]->isEnabled());
    QVERIFY(!group.RandomText[Random::BounceOnSurface]->isEnabled());

    // Cleared, the command is unset and keeps its texts.
    QTest::keyClick(&preview, Qt::Key_M, Qt::AltModifier);
    QTRY_VERIFY(!settings.random.set);
    QCOMPARE(settings.random.texts[Random::Size], "0.5");
    QCOMPARE(group.RandomText[Random::Size]->text(), "0.5");

    // The interval's field is open whether or not the command is set.
    QVERIFY(group.IntervalText->isEnabled());
    QTest::keyClick(&preview, Qt::Key_I, Qt::AltModifier);
    QTRY_VERIFY(settings.interval.set);
    QTest::keyClick(&preview, Qt::Key_I, Qt::AltModifier);
    QTRY_VERIFY(!settings.interval.set);

    // Settings written from elsewhere (an import, a loaded effect) show in the group.
    effect::SourceSettings imported;
    imported.name = "_smoke";
    imported.circle.set = true;
    imported.circle.texts[effect::SourceCircle::Radius] = "3";
    imported.otherCommands << "setParticleClass \"Fog\"";
    form->source().setSettings(imported);
    QCOMPARE(group.NameText->text(), "_smoke");
    QVERIFY(group.CircleBox->isChecked());
    QVERIFY(!group.RandomBox->isChecked());
    QCOMPARE(group.CircleText[effect::SourceCircle::Radius]->text(), "3");
    QVERIFY(group.OtherCommandsLabel->text().contains("setParticleClass \"Fog\""));

    // Reloading the effect brings its own settings back, and the marker goes.
    messages.answer = true;
    preview.EffectBox->setFocus();
    QTest::keyClick(preview.EffectBox, Qt::Key_Down);
    QTest::keyClick(preview.EffectBox, Qt::Key_Up);
    QCOMPARE(preview.EffectBox->displayText(), name);
    QCOMPARE(settings, effect::builtInEffects().at(0).layers.front().fields.source);
}

void TestForm5::emitEveryTakesTextsAndZero_data()
{
    QTest::addColumn<QString>("interval");
    QTest::addColumn<double>("assumed"); // the value given to the variable _int
    QTest::addColumn<int>("particles");  // after one second
    QTest::addColumn<bool>("noted");     // the notes name the interval

    QTest::newRow("zero emits nothing") << "0" << 0.0 << 0 << true;
    QTest::newRow("a number") << "0.25" << 0.0 << 5 << false;
    QTest::newRow("in parentheses") << "(0.1)" << 0.0 << 11 << false;
    QTest::newRow("faster than the step") << "0.0005" << 0.0 << 2001 << false;
    QTest::newRow("a variable") << "_int" << 0.5 << 3 << false;
    QTest::newRow("a variable at 0") << "_int" << 0.0 << 0 << false;
    QTest::newRow("below the shortest") << "0.00001" << 0.0 << 0 << true;
}

void TestForm5::emitEveryTakesTextsAndZero()
{
    QFETCH(QString, interval);
    QFETCH(double, assumed);
    QFETCH(int, particles);
    QFETCH(bool, noted);
    typeFloatingParticle();
    Form5 &preview = openPreview();
    retype(preview.SourceBox->IntervalText, interval);
    QCOMPARE(form->source().settings().interval.text, interval);
    if (QDoubleSpinBox *variable = preview.variableField("_int"))
        variable->setValue(assumed);
    else
        QVERIFY(!interval.contains("_int"));
    QTest::mouseClick(preview.RestartButton, Qt::LeftButton);
    preview.runFor(1);
    QCOMPARE(int(preview.simulation().particles().size()), particles);
    // With nothing to move and nothing to be born, the preview sleeps.
    QCOMPARE(preview.FrameTimer->isActive(), particles > 0);
    // An interval that emits nothing or that the preview refuses is named among the notes.
    QCOMPARE(anyContains(notesOf(preview), "setDropInterval"), noted);
}

void TestForm5::copySourceAndSaveSourceScriptByKeys()
{
    typeFloatingParticle();
    retype(form->Text(1), "cl_basic");
    retype(form->Text(27), "_obj");
    Form5 &preview = openPreview();
    QTest::mouseClick(preview.SourceBox->IntervalCheck, Qt::LeftButton);
    QTemporaryDir folder;
    FileDialogsFake dialogs;
    MessagesFake notices;
    dialogs.answer = folder.filePath("smoke.sqf");

    // Ctrl+Shift+C wherever the focus is: the commands, one a line, on the clipboard.
    QVERIFY(QTest::qWaitForWindowActive(&preview));
    preview.SourceBox->NameText->setFocus();
    QTest::keyClick(preview.SourceBox->NameText, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    const QString array = form->Text28->text().mid(QString("Drop ").size());
    QCOMPARE(QGuiApplication::clipboard()->text(), "_ps setParticleParams " + array + ";\n_ps setDropInterval 0.05;");

    // Ctrl+Shift+S: the source script, in the folder of the last script.
    QTest::keyClick(preview.SourceBox->NameText, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(dialogs.openings.size(), 1);
    QCOMPARE(dialogs.openings.at(0).caption, "Save Particle Source Script");
    QCOMPARE(dialogs.openings.at(0).filters, "Script function file (*.sqf)");
    QCOMPARE(dialogs.openings.at(0).path, QDir(QCoreApplication::applicationDirPath()).filePath("cl_basic.sqf"));
    const QByteArray script = fileBytes(dialogs.answer);
    QVERIFY(script.contains("createVehicleLocal"));
    QVERIFY(script.contains("\r\n_ps setParticleParams " + array.toUtf8() + ";\r\n"));
    QVERIFY(!script.contains("\n\n") && !script.contains(QByteArray("\n").replace("\n", "\r\r")));
    QCOMPARE(script.count("\n"), script.count("\r\n"));
    QCOMPARE(preview.SaveStatus->text(), "Script saved to " + QDir::toNativeSeparators(dialogs.answer));
    QCOMPARE(notices.shown, QStringList{});

    // The drop loop refuses an interval of 0, with a message, and writes nothing.
    retype(preview.SourceBox->IntervalText, "0");
    dialogs.answer = folder.filePath("loop.sqs");
    QTest::keyClick(preview.SourceBox->NameText, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(dialogs.openings.size(), 1);
    QCOMPARE(notices.shown.size(), 1);
    QVERIFY(notices.shown.at(0).startsWith("error|Save Emitter Script|The interval is 0"));
    QVERIFY(!QFile::exists(dialogs.answer));
}

void TestForm5::copyConfigClassByKeys()
{
    typeFloatingParticle();
    retype(form->Text(8), "2");
    retype(form->Text(kWeight), "_w * 2");
    Form5 &preview = openPreview();
    MessagesFake messages;
    QDoubleSpinBox *assumed = preview.variableField("_w");
    QVERIFY(assumed);
    assumed->setFocus();
    assumed->selectAll();
    QTest::keyClicks(assumed, "2");
    QTest::keyClick(assumed, Qt::Key_Enter);

    // Ctrl+Shift+K wherever the focus is: the class, its height second, the variable's value told.
    QVERIFY(QTest::qWaitForWindowActive(&preview));
    preview.SourceBox->NameText->setFocus();
    QTest::keyClick(preview.SourceBox->NameText, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    QStringList lines = QGuiApplication::clipboard()->text().split('\n');
    QVERIFY2(lines.at(0).startsWith("// ") && lines.at(0).contains("CfgCloudlets"), qPrintable(lines.at(0)));
    QCOMPARE(lines.at(1), "class Plumewright_Effect: Default {");
    QVERIFY(lines.contains("    position[] = {0, 2, 0};"));
    QVERIFY(lines.contains(R"(    weight = 4; // stands for "_w * 2" with the preview's assumed _w = 2)"));
    QCOMPARE(lines.back(), "};");
    QCOMPARE(preview.SaveStatus->text(), "The config class Plumewright_Effect is on the clipboard.");

    // A loaded effect gives its name, made an identifier.
    messages.answer = true;
    preview.EffectBox->setFocus();
    QTest::keyClick(preview.EffectBox, Qt::Key_Down);
    QCOMPARE(preview.EffectBox->displayText(), effect::builtInEffects().at(0).name);
    QTest::keyClick(preview.EffectBox, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    lines = QGuiApplication::clipboard()->text().split('\n');
    QCOMPARE(lines.at(1), "class " + exporter::configIdentifier(effect::builtInEffects().at(0).name) + ": Default {");
    QVERIFY(lines.at(1).contains('_') && !lines.at(1).contains(' ' + effect::builtInEffects().at(0).name));
}

void TestForm5::importedClassCopiedBackUntilEdited()
{
    MessagesFake messages;
    Form5 &preview = openPreview();
    const QString pasted = "class CfgCloudlets {\n  class Default;\n  class MyTag_Haze: Default {\n"
                           "    interval = \"0.5 * speedSize\"; // an engine expression\n"
                           "    moveVelocity[] = {0, 0.3, 0}; positionVar[] = {2, 0, 2};\n"
                           "    ignoreWind = true;\n  };\n};";
    importPasted(pasted);
    QCOMPARE(form->Text(11)->text(), "0.3");
    QVERIFY(preview.ImportStatus->text().contains("ignoreWind"));
    const auto copied = [&preview] {
        preview.activateWindow();
        [&preview] { QVERIFY(QTest::qWaitForWindowActive(&preview)); }();
        preview.SourceBox->NameText->setFocus();
        QTest::keyClick(preview.SourceBox->NameText, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
        QStringList lines;
        for (const QString &line : QGuiApplication::clipboard()->text().split('\n'))
            if (!line.trimmed().startsWith("//"))
                lines << line.section(" //", 0, 0);
        return lines;
    };

    // Copied back unedited: the class as it was written, and nothing it inherits.
    QCOMPARE(copied(), QStringList({"class MyTag_Haze: Default {", "    interval = \"0.5 * speedSize\";",
                                    "    moveVelocity[] = {0, 0.3, 0};", "    positionVar[] = {2, 0, 2};",
                                    "    ignoreWind = true;", "};"}));

    // An inherited field typed in is written; so is an edited value, and the rest stays.
    retype(form->Text(kLifeTime), "6");
    retype(preview.SourceBox->IntervalText, "0.2");
    QCOMPARE(copied(), QStringList({"class MyTag_Haze: Default {", "    interval = 0.2;", "    lifeTime = 6;",
                                    "    moveVelocity[] = {0, 0.3, 0};", "    positionVar[] = {2, 0, 2};",
                                    "    ignoreWind = true;", "};"}));
    processDeletes();
}

void TestForm5::effectRowLoadsBuiltInsByKeys()
{
    MessagesFake messages;
    Form5 &preview = openPreview();
    const QList<effect::Effect> &builtIns = effect::builtInEffects();
    QCOMPARE(preview.EffectLabel->text(), "Effec&t:");
    QCOMPARE(preview.EffectLabel->buddy(), preview.EffectBox);
    QCOMPARE(preview.SaveAsButton->text(), "Save &As…");
    QCOMPARE(preview.DeleteButton->text(), "&Delete");
    QVERIFY(!preview.DeleteButton->isEnabled());
    QCOMPARE(preview.EffectBox->displayText(), "choose an effect");
    QCOMPARE(preview.EffectBox->count(), builtIns.size());
    QCOMPARE(preview.EffectBox->itemData(0, Qt::ToolTipRole).toString(), builtIns.at(0).description);

    // Alt+T reaches the box; an arrow key on the closed box loads at once.
    preview.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&preview));
    QTest::keyClick(&preview, Qt::Key_T, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), preview.EffectBox);
    QTest::keyClick(preview.EffectBox, Qt::Key_Down);
    QCOMPARE(fieldTexts(*form), builtIns.at(0).layers.front().fields.texts);
    QVERIFY(!form->Check1->isChecked());
    QCOMPARE(form->Text28->text(),
             drop::formatDropString(builtIns.at(0).layers.front().fields.texts, drop::ColourMode::Inline, "_color"));
    QCOMPARE(preview.EffectBox->displayText(), builtIns.at(0).name);
    QVERIFY(preview.simulation().emitting());
    preview.runFor(1.0);
    QVERIFY(!preview.simulation().particles().empty());

    QTest::keyClick(preview.EffectBox, Qt::Key_Down);
    QCOMPARE(fieldTexts(*form), builtIns.at(1).layers.front().fields.texts);
    QCOMPARE(preview.EffectBox->displayText(), builtIns.at(1).name);

    // F4 opens the list, the first letters pick, Return loads.
    QTest::keyClick(preview.EffectBox, Qt::Key_F4);
    QAbstractItemView *list = preview.EffectBox->view();
    QTRY_VERIFY(list->isVisible());
    QTest::keyClicks(list, "Camp");
    QTest::keyClick(list, Qt::Key_Return);
    QTRY_VERIFY(!list->isVisible());
    QCOMPARE(fieldTexts(*form), builtIn("Campfire flames").layers.front().fields.texts);
    QCOMPARE(preview.EffectBox->displayText(), "Campfire flames");
    // The fields always held a start value or a loaded effect: nothing was asked.
    QCOMPARE(messages.shown, QStringList());
}

void TestForm5::loadOverUnsavedFieldsAsksFirst()
{
    MessagesFake messages;
    retype(form->Text(kLifeTime), "3");
    Form5 &preview = openPreview();
    preview.EffectBox->setFocus();

    // Changed since the start values: asked, and No keeps everything.
    messages.answer = false;
    QTest::keyClick(preview.EffectBox, Qt::Key_Down);
    QCOMPARE(messages.shown.size(), 1);
    QVERIFY(messages.shown.at(0).startsWith("question|Load Effect|"));
    QVERIFY(messages.shown.at(0).contains(effect::builtInEffects().at(0).name));
    QCOMPARE(form->Text(kLifeTime)->text(), "3");
    QCOMPARE(preview.EffectBox->currentIndex(), -1);
    QCOMPARE(preview.EffectBox->displayText(), "choose an effect");

    messages.answer = true;
    QTest::keyClick(preview.EffectBox, Qt::Key_Down);
    QCOMPARE(messages.shown.size(), 2);
    QCOMPARE(fieldTexts(*form), effect::builtInEffects().at(0).layers.front().fields.texts);

    // Changed since the load: asked again; No keeps the edit and the previous choice.
    retype(form->Text(kLifeTime), "4");
    messages.answer = false;
    preview.EffectBox->setFocus();
    QTest::keyClick(preview.EffectBox, Qt::Key_Down);
    QCOMPARE(messages.shown.size(), 3);
    QCOMPARE(form->Text(kLifeTime)->text(), "4");
    QCOMPARE(preview.EffectBox->currentIndex(), 0);
    QCOMPARE(preview.EffectBox->displayText(), effect::builtInEffects().at(0).name + " *");
    messages.answer = true;
    QTest::keyClick(preview.EffectBox, Qt::Key_Down);
    QCOMPARE(messages.shown.size(), 4);
    QCOMPARE(fieldTexts(*form), effect::builtInEffects().at(1).layers.front().fields.texts);
    QCOMPARE(preview.EffectBox->currentIndex(), 1);
}

void TestForm5::markerFollowsTheFields()
{
    MessagesFake messages;
    Form5 &preview = openPreview();
    preview.EffectBox->setFocus();
    QTest::keyClick(preview.EffectBox, Qt::Key_Down);
    const QString name = effect::builtInEffects().at(0).name;
    QCOMPARE(preview.EffectBox->displayText(), name);

    // An edit and its undoing, the mode switch and back.
    retype(form->Text(1), "cl_fire");
    QCOMPARE(preview.EffectBox->displayText(), name + " *");
    retype(form->Text(1), "cl_basic");
    QCOMPARE(preview.EffectBox->displayText(), name);
    QTest::mouseClick(form->Check1, Qt::LeftButton);
    QCOMPARE(preview.EffectBox->displayText(), name + " *");
    QTest::mouseClick(form->Check1, Qt::LeftButton);
    QCOMPARE(preview.EffectBox->displayText(), name);

    // Reset: the start values are not the effect, but they are kept by the program itself, so
    // the next load does not ask.
    QTest::mouseClick(form->Command3, Qt::LeftButton);
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(preview.EffectBox->displayText(), name + " *");
    preview.EffectBox->setFocus();
    QTest::keyClick(preview.EffectBox, Qt::Key_Down);
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(preview.EffectBox->displayText(), effect::builtInEffects().at(1).name);
}

void TestForm5::importAndResetRefitThePreview()
{
    MessagesFake messages;
    Form5 &preview = openPreview();
    preview.EffectBox->setFocus();
    QTest::keyClick(preview.EffectBox, Qt::Key_Down);
    const double lowCentre = preview.SideView->frame.centre.y();
    QVERIFY(lowCentre < 10);

    // An import of a particle standing a hundred metres up moves the views there.
    importPasted("drop [\"cl_basic\",\"\",\"Billboard\",0,10,[0,0,100],[0,0,0],0,1.275,1,0,[1,1,1],"
                 "[[1,1,1,1]],[0,0,0],0,0,\"\",\"\",player]");
    QCOMPARE(form->Text(kPositionZ)->text(), "100");
    QVERIFY(qAbs(preview.SideView->frame.centre.y() - 50) < 5);
    QCOMPARE(preview.EffectBox->displayText(), effect::builtInEffects().at(0).name + " *");

    // Reset back to nothing: the views go back to the origin.
    QTest::mouseClick(form->Command3, Qt::LeftButton);
    QCOMPARE(form->Text(kPositionZ)->text(), "0");
    QVERIFY(qAbs(preview.SideView->frame.centre.y()) < 1);
    processDeletes();
}

void TestForm5::importedBlockPlaysAndNamesWhatWasLeftOut()
{
    MessagesFake messages;
    Form5 &preview = openPreview();
    const auto import = [this](const QString &text) {
        importPasted(text);
        QVERIFY(!import::Form4::existing() || !import::Form4::existing()->isVisible());
    };
    const QString array = "[\"cl_basic\",\"\",\"Billboard\",0,10,[0,0,0],[0,0,0],0,1.275,1,0,[1,1,1],"
                          "[[1,1,1,1]],[0,0,0],0,0,\"\",\"\",player]";

    // A ring of twenty metres: the views fit it whole, and the particles are born on it.
    import("_ps = \"#particlesource\" createVehicleLocal getPos player;\n_ps attachTo [player];\n"
           "_ps setParticleParams "
           + array
           + ";\n_ps setParticleCircle [20, [0, 0, 0]];\n"
             "playSound \"fire\";\n_ps setDropInterval 0.1;");
    QVERIFY(preview.SourceBox->CircleBox->isChecked());
    QCOMPARE(preview.SourceBox->CircleText[effect::SourceCircle::Radius]->text(), "20");
    QCOMPARE(preview.SourceBox->IntervalText->text(), "0.1");
    QVERIFY(preview.ImportStatus->isVisible());
    QVERIFY(preview.ImportStatus->text().contains("left out: attachTo, playSound"));
    QVERIFY(preview.TopView->width() / preview.TopView->frame.scale >= 40);
    preview.runFor(0.5);
    QVERIFY(!preview.simulation().particles().empty());
    for (const effect::Particle &particle : preview.simulation().particles())
        QVERIFY(qAbs(std::hypot(particle.position.x, particle.position.y) - 20) < 1e-6);

    // The next import of a plain array clears the commands and the note.
    import("drop " + array);
    QVERIFY(!preview.SourceBox->CircleBox->isChecked());
    QVERIFY(preview.ImportStatus->isHidden());
    processDeletes();
}

void TestForm5::saveAsReplaceAndDeleteOwnEffects()
{
    MessagesFake messages;
    TextInputFake input;
    const QString path = effect::EffectLibrary::defaultPath();
    const int builtIns = int(effect::builtInEffects().size());
    const QString first = effect::builtInEffects().at(0).name;
    Form5 *window = &openPreview();
    window->EffectBox->setFocus();
    QTest::keyClick(window->EffectBox, Qt::Key_Down);
    retype(form->Text(kLifeTime), "12");
    paste(form->Text(25), "hint \"a, b\"\t 煙");

    // A built-in's name is refused and asked again; the current name is proposed.
    input.answers = {first.toUpper(), QString("My smoke")};
    QTest::mouseClick(window->SaveAsButton, Qt::LeftButton);
    QCOMPARE(input.asked, QStringList({"Save Effect|Name of the effect:|" + first,
                                       "Save Effect|Name of the effect:|" + first.toUpper()}));
    QCOMPARE(messages.shown,
             QStringList({"error|Save Effect|" + first + " is a built-in effect; choose another name."}));
    QVERIFY(QFile::exists(path));
    QCOMPARE(window->EffectBox->count(), builtIns + 2);
    QVERIFY(!window->EffectBox->itemData(builtIns).isValid()); // the separator
    QCOMPARE(window->EffectBox->itemText(builtIns + 1), "My smoke");
    QVERIFY(window->EffectBox->itemData(builtIns + 1, Qt::ToolTipRole).toString().startsWith("Saved "));
    QCOMPARE(window->EffectBox->displayText(), "My smoke");
    QVERIFY(window->DeleteButton->isEnabled());

    // The same name in other letters: replaced only after Yes.
    retype(form->Text(kLifeTime), "13");
    QCOMPARE(window->EffectBox->displayText(), "My smoke *");
    messages.shown.clear();
    input.asked.clear();
    messages.answer = false;
    input.answers = {QString("MY SMOKE")};
    QTest::mouseClick(window->SaveAsButton, Qt::LeftButton);
    QCOMPARE(messages.shown,
             QStringList({"question|Save Effect|An effect named \"My smoke\" is saved already. Replace it?"}));
    QCOMPARE(input.asked.size(), 2); // asked again, then cancelled
    QCOMPARE(effect::EffectLibrary(path).find("my smoke")->layers.front().fields.texts.at(kLifeTime - 1), "12");
    messages.answer = true;
    input.answers = {QString("MY SMOKE")};
    QTest::mouseClick(window->SaveAsButton, Qt::LeftButton);
    const effect::EffectLibrary saved(path);
    QCOMPARE(saved.effects().size(), 1);
    QCOMPARE(saved.effects().at(0).name, "MY SMOKE");
    QCOMPARE(saved.effects().at(0).layers.front().fields.texts, fieldTexts(*form));
    QCOMPARE(window->EffectBox->displayText(), "MY SMOKE");

    // A new window reads the file again; the own effect loads like a built-in.
    window->close();
    processDeletes();
    window = &openPreview();
    QCOMPARE(window->EffectBox->count(), builtIns + 2);
    QCOMPARE(window->EffectBox->itemText(builtIns + 1), "MY SMOKE");
    window->EffectBox->setFocus();
    QTest::keyClick(window->EffectBox, Qt::Key_Home);
    QCOMPARE(fieldTexts(*form), effect::builtInEffects().at(0).layers.front().fields.texts);
    QTest::keyClick(window->EffectBox, Qt::Key_End);
    QCOMPARE(fieldTexts(*form), saved.effects().at(0).layers.front().fields.texts);
    QCOMPARE(form->Text(25)->text(), "hint \"a, b\"\t 煙");
    QVERIFY(window->DeleteButton->isEnabled());

    // Delete asks, then removes; the fields stay.
    messages.shown.clear();
    messages.answer = false;
    QTest::mouseClick(window->DeleteButton, Qt::LeftButton);
    QCOMPARE(messages.shown,
             QStringList({"question|Delete Effect|Delete the effect \"MY SMOKE\" from the effects file?"}));
    QCOMPARE(effect::EffectLibrary(path).effects().size(), 1);
    messages.answer = true;
    QTest::mouseClick(window->DeleteButton, Qt::LeftButton);
    QCOMPARE(effect::EffectLibrary(path).effects().size(), 0);
    QCOMPARE(window->EffectBox->count(), builtIns);
    QCOMPARE(window->EffectBox->displayText(), "choose an effect");
    QVERIFY(!window->DeleteButton->isEnabled());
    QCOMPARE(form->Text(kLifeTime)->text(), "13");
}

void TestForm5::damagedEffectsFileReportedOnceAndKept()
{
    MessagesFake messages;
    TextInputFake input;
    const QString path = effect::EffectLibrary::defaultPath();
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    const QByteArray damaged = "{\"version\": 1, \"effects\": [ {\"name\": \"Mine\"";
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(damaged);
    }
    Form5 &preview = openPreview();
    QTRY_COMPARE(messages.shown.size(), 1);
    const QString report = messages.shown.at(0);
    QVERIFY2(report.startsWith("error|Effects|The effects file " + QDir::toNativeSeparators(path)
                               + " cannot be read: it is not JSON ("),
             qPrintable(report));
    QVERIFY(report.contains(" at byte "));
    QCOMPARE(preview.EffectBox->count(), effect::builtInEffects().size());

    // The built-ins load; saving is refused with the same report, before any name is asked.
    preview.EffectBox->setFocus();
    QTest::keyClick(preview.EffectBox, Qt::Key_Down);
    QCOMPARE(fieldTexts(*form), effect::builtInEffects().at(0).layers.front().fields.texts);
    input.answers = {QString("Mine")};
    QTest::mouseClick(preview.SaveAsButton, Qt::LeftButton);
    QCOMPARE(input.asked, QStringList());
    QCOMPARE(messages.shown, QStringList({report, QString(report).replace("error|Effects|", "error|Save Effect|")}));
    QCOMPARE(fileBytes(path), damaged);
    QTest::qWait(20);
    QCOMPARE(messages.shown.size(), 2);
}

QTEST_MAIN(TestForm5)
#include "tst_form5.moc"

void TestForm5::layersAreEditedOneAtATime()
{
    MessagesFake messages;
    TextInputFake input;
    typeFloatingParticle();
    Form5 &preview = openPreview();
    preview::LayerGroup &group = *preview.LayerBox;
    const effect::Source &source = form->source();
    QCOMPARE(group.LayerList->count(), 1);
    QVERIFY(!group.RemoveButton->isEnabled());

    // A copy of the selected layer, under a name of its own, becomes the one the main window shows.
    QTest::mouseClick(group.AddButton, Qt::LeftButton);
    QCOMPARE(group.LayerList->count(), 2);
    QCOMPARE(group.LayerList->currentRow(), 1);
    QCOMPARE(preview.SourceBox->NameText->text(), "_ps2");
    QCOMPARE(form->Text(kLifeTime)->text(), "10");
    retype(preview.SourceBox->NameText, "_spark");
    QVERIFY(group.LayerList->item(1)->text().startsWith("_spark — "));
    retype(preview.SourceBox->NameText, "_ps2");
    retype(form->Text(kLifeTime), "3");
    retype(group.StartText, "0.5");
    QCOMPARE(source.layers().at(1).start, "0.5");

    // Choosing the first writes its fields back; an edit there leaves the second as it was.
    group.LayerList->setFocus();
    QTest::keyClick(group.LayerList, Qt::Key_Up);
    QCOMPARE(source.selected(), 0);
    QCOMPARE(form->Text(kLifeTime)->text(), "10");
    QCOMPARE(preview.SourceBox->NameText->text(), "_ps");
    QCOMPARE(group.StartText->text(), "0");
    retype(form->Text(kWeight), "2");
    QTest::keyClick(group.LayerList, Qt::Key_Down);
    QCOMPARE(form->Text(kLifeTime)->text(), "3");
    QCOMPARE(form->Text(kWeight)->text(), "1.275");

    // Alt+Up moves the selected layer, F2 renames it, its check box mutes it.
    QTest::keyClick(group.LayerList, Qt::Key_Up, Qt::AltModifier);
    QCOMPARE(source.layers().at(0).name(), "_ps2");
    QCOMPARE(source.selected(), 0);
    QCOMPARE(form->Text(kLifeTime)->text(), "3");
    input.answers = {QString("_ps"), QString("_smoke")};
    QTest::keyClick(group.LayerList, Qt::Key_F2);
    QCOMPARE(messages.shown.last(), "error|Rename Layer|Another layer is named _ps.");
    QCOMPARE(preview.SourceBox->NameText->text(), "_smoke");
    QVERIFY(group.LayerList->item(0)->text().startsWith("_smoke — "));
    // Both play, each with its count; a muted layer's particles are gone, and solo plays only the
    // selected layer.
    const auto count = [&preview](int layer) { return preview.simulation().layerStatus(std::size_t(layer)).live; };
    preview.runFor(1);
    QCOMPARE_GT(count(0), 0);
    QCOMPARE_GT(count(1), 0);
    QCOMPARE(group.LayerList->item(1)->text(), QString("_ps — %1").arg(count(1)));
    group.LayerList->item(1)->setCheckState(Qt::Unchecked);
    QVERIFY(source.layers().at(1).muted);
    QVERIFY(!source.layers().at(0).muted);
    preview.runFor(0.5);
    QCOMPARE(count(1), 0);
    QCOMPARE_GT(count(0), 0);
    group.LayerList->item(1)->setCheckState(Qt::Checked);
    QTest::mouseClick(group.SoloCheck, Qt::LeftButton);
    preview.runFor(0.5);
    QCOMPARE(count(1), 0);
    QCOMPARE_GT(count(0), 0);
    QTest::mouseClick(group.SoloCheck, Qt::LeftButton);
    preview.runFor(0.5);
    QCOMPARE_GT(count(1), 0);
    group.LayerList->item(1)->setCheckState(Qt::Unchecked);

    // Delete asks first, and keeps the layer when the answer is no; the last layer stays.
    messages.answer = false;
    QTest::keyClick(group.LayerList, Qt::Key_Delete);
    QCOMPARE(group.LayerList->count(), 2);
    messages.answer = true;
    QTest::keyClick(group.LayerList, Qt::Key_Delete);
    QCOMPARE(group.LayerList->count(), 1);
    QCOMPARE(form->Text(kLifeTime)->text(), "10");
    QCOMPARE(form->Text(kWeight)->text(), "2");
    QCOMPARE(preview.SourceBox->NameText->text(), "_ps");
    QTest::keyClick(group.LayerList, Qt::Key_Delete);
    QCOMPARE(group.LayerList->count(), 1);
}

void TestForm5::keptCommandsFollowTheSelectedLayer()
{
    typeFloatingParticle();
    Form5 &preview = openPreview();
    // Only the kept commands change, as a block of the same source pasted again gives them.
    effect::SourceSettings settings = form->source().settings();
    settings.otherCommands = {"setParticleFire [0.3, 1, 0.5]"};
    form->source().setSettings(settings);
    QCOMPARE(preview.SourceBox->OtherCommandsLabel->text(), "Also kept: setParticleFire [0.3, 1, 0.5]");
    QVERIFY(!preview.SourceBox->OtherCommandsLabel->isHidden());
    // A layer without them shows none.
    QTest::mouseClick(preview.LayerBox->AddButton, Qt::LeftButton);
    settings = form->source().settings();
    settings.otherCommands.clear();
    form->source().setSettings(settings);
    QVERIFY(preview.SourceBox->OtherCommandsLabel->isHidden());
    preview.LayerBox->LayerList->setCurrentRow(0);
    QCOMPARE(preview.SourceBox->OtherCommandsLabel->text(), "Also kept: setParticleFire [0.3, 1, 0.5]");
}

void TestForm5::pastedLayersComeBackFromCopyEffect()
{
    MessagesFake messages;
    typeFloatingParticle();
    Form5 &preview = openPreview();
    QVERIFY(QTest::qWaitForWindowActive(&preview));
    const effect::Source &source = form->source();
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText("_ps = 5;");
    QTest::keyClick(preview.LayerBox->LayerList, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(source.layers().size(), 1);
    QVERIFY(!messages.shown.isEmpty());
    QVERIFY2(messages.shown.last().startsWith("error|Paste Layer|The clipboard's text cannot be a layer: "),
             qPrintable(messages.shown.last()));

    // Two sources, the first named as the one there: it is numbered on, and both follow it.
    const QString array =
        R"(["cl_fire","","Billboard",0,2,[0,0,0],[0,0,1],0,1,1,0.5,[1],[[1,1,1,1]],[0],0,0,"","",player])";
    clipboard->setText("_ps = \"#particlesource\" createVehicleLocal getPos player; _ps setParticleParams " + array
                       + "; _sparks = \"#particlesource\" createVehicleLocal getPos player; _sparks setParticleParams "
                       + QString(array).replace("[0,0,1]", "[0,0,4]") + "; _sparks attachTo [player, [0, 0, 1.5]];");
    QTest::mouseClick(preview.LayerBox->PasteButton, Qt::LeftButton);
    QCOMPARE(source.layers().size(), 3);
    QCOMPARE(source.layers().at(1).name(), "_ps2");
    QCOMPARE(source.layers().at(2).name(), "_sparks");
    QCOMPARE(source.layers().at(2).offset, (std::array<QString, 3>{"0", "0", "1.5"}));
    QCOMPARE(source.selected(), 2);
    QCOMPARE(form->Text(kVelocityX + 2)->text(), "4");
    QCOMPARE(preview.SourceBox->NameText->text(), "_sparks");

    // Copy Effect writes all three, and pasting it reads them back as the same three.
    QTest::keyClick(preview.LayerBox->LayerList, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(preview.SaveStatus->text().startsWith("The effect's 3 sources are on the clipboard"));
    const import::EffectOutcome copied = import::parseEffectScript(clipboard->text(), false, {});
    QVERIFY2(copied.layers, qPrintable(copied.problem));
    QCOMPARE(copied.layers->size(), 3);
    QCOMPARE(copied.layers->at(0).fields.texts, form->source().layers().at(0).fields.texts);
    QCOMPARE(copied.layers->at(2).fields.texts, fieldTexts(*form));
    QCOMPARE(copied.layers->at(2).offset, (std::array<QString, 3>{"0", "0", "1.5"}));
}

void TestForm5::lightIsEditedInItsGroupAndTheFieldsStay()
{
    MessagesFake messages;
    QSettings().remove("preview/night");
    typeFloatingParticle();
    Form5 &preview = openPreview();
    preview::LayerGroup &layers = *preview.LayerBox;
    preview::LightGroup &light = *preview.LightBox;
    const effect::Source &source = form->source();
    QVERIFY(!preview.NightCheck->isChecked());

    // Add Light: a light with every value, edited in its own group; the fields stay the particles'.
    QTest::mouseClick(layers.AddLightButton, Qt::LeftButton);
    QCOMPARE(source.layers().size(), 2);
    QCOMPARE(source.selected(), 1);
    QCOMPARE(source.shown(), 0);
    QCOMPARE(*source.layers().at(1).light, effect::newLight());
    QVERIFY(light.isVisible());
    QVERIFY(!preview.SourceBox->isVisible());
    QCOMPARE(layers.LayerList->item(1)->text(), "_light (light)");
    QVERIFY(light.ShownLabel->text().contains("particle layer _ps"));
    QCOMPARE(form->Text(kLifeTime)->text(), "10");
    retype(light.IntensityText, "4000");
    QCOMPARE(source.layers().at(1).light->intensity.text, "4000");
    QCOMPARE(form->Text(kLifeTime)->text(), "10");
    preview.runFor(0.1);
    QVERIFY2(preview.CountLabel->text().contains("light _light 4000"), qPrintable(preview.CountLabel->text()));
    // Copy Source copies the light's commands.
    QTest::mouseClick(preview.CopySourceButton, Qt::LeftButton);
    QVERIFY2(QGuiApplication::clipboard()->text().contains("_light setLightIntensity 4000;"),
             qPrintable(QGuiApplication::clipboard()->text()));
    QVERIFY(preview.SaveStatus->text().startsWith("The light's "));
    // A flicker chosen starts around the intensity, and plays.
    light.FlickerBox->setCurrentIndex(1);
    QCOMPARE(source.layers().at(1).light->flicker,
             (effect::LightFlicker{effect::LightFlicker::Intensity, "3200", "4800", "0.05", "0.15"}));
    preview.runFor(0.5);
    QVERIFY(preview.simulation().lightIntensity(1) >= 3200 && preview.simulation().lightIntensity(1) <= 4800);
    light.FlickerBox->setCurrentIndex(0);
    // A new light has no day light: by day it is not drawn, by night it is.
    QVERIFY(preview::lightsOf(preview.simulation(), false).glows.empty());
    QCOMPARE(preview::lightsOf(preview.simulation(), true).glows.size(), 1u);

    // The fields edited meanwhile belong to the particle layer they show.
    retype(form->Text(kWeight), "2");
    layers.LayerList->setFocus();
    QTest::keyClick(layers.LayerList, Qt::Key_Up);
    QVERIFY(preview.SourceBox->isVisible());
    QVERIFY(!light.isVisible());
    QCOMPARE(form->Text(kWeight)->text(), "2");
    QCOMPARE(source.layers().at(0).fields.texts.at(kWeight - 1), "2");

    // The only particle layer stays, with the reason; the light goes.
    QVERIFY(!layers.RemoveButton->isEnabled());
    QTest::keyClick(layers.LayerList, Qt::Key_Delete);
    QCOMPARE(messages.shown.last(), "error|Remove Layer|_ps is the effect's only particle layer: the main window "
                                    "shows its fields, and an effect keeps one at least.");
    QCOMPARE(source.layers().size(), 2);
    QTest::keyClick(layers.LayerList, Qt::Key_Down);
    QVERIFY(layers.RemoveButton->isEnabled());
    QTest::keyClick(layers.LayerList, Qt::Key_Delete);
    QCOMPARE(messages.shown.last(), "question|Remove Layer|Remove the light _light from the effect?");
    QCOMPARE(source.layers().size(), 1);
    QCOMPARE(form->Text(kWeight)->text(), "2");

    // Night (Alt+G wherever the focus is) is the preview's choice, kept for the next window.
    QVERIFY(QTest::qWaitForWindowActive(&preview));
    QTest::keyClick(preview.EffectBox, Qt::Key_G, Qt::AltModifier);
    QTRY_VERIFY(preview.SideView->night);
    preview.close();
    processDeletes();
    QVERIFY(openPreview().NightCheck->isChecked());
    QSettings().remove("preview/night");
}

void TestForm5::tabOrderRunsDownTheWindow()
{
    using Random = effect::SourceRandom;
    retype(form->Text(kPositionZ), "_h + 1");
    Form5 &preview = openPreview();
    const preview::SourceGroup &group = *preview.SourceBox;
    const preview::LayerGroup &layers = *preview.LayerBox;
    QList<QWidget *> expected{preview.EffectBox,    preview.SaveAsButton,  preview.DeleteButton, layers.LayerList,
                              layers.AddButton,     layers.RemoveButton,   layers.RenameButton,  layers.UpButton,
                              layers.DownButton,    layers.AddLightButton, layers.PasteButton,   layers.SoloCheck,
                              layers.StartText,     layers.EndText,        layers.OffsetText[0], layers.OffsetText[1],
                              layers.OffsetText[2], group.NameText,        group.RandomBox};
    for (int i = Random::LifeTime; i <= Random::DirIntensity; ++i)
        expected << group.RandomText.at(i);
    expected << group.ElementsBox << group.RandomText.at(Random::Angle) << group.RandomText.at(Random::BounceOnSurface)
             << group.CircleBox;
    for (QLineEdit *field : group.CircleText)
        expected << field;
    expected << group.IntervalText << group.IntervalCheck << preview.CopySourceButton << preview.CopyEffectButton
             << preview.SaveSourceButton << preview.CopyClassButton << preview.CopyConfigEffectButton
             << preview.PlayButton << preview.RestartButton << preview.TimeBox->TimeText
             << preview.TimeBox->NewDrawButton << preview.SpeedBox << preview.DurationBox << preview.WindXBox
             << preview.WindYBox << preview.NightCheck << preview.SaveButton << preview.NotesButton << preview.NotesList
             << preview.variableField("_h");
    QCOMPARE(tabChain(&preview), expected);
}

void TestForm5::everyControlInSightAt1280By700_data()
{
    QTest::addColumn<bool>("crowded");
    QTest::addColumn<bool>("notesFolded");

    QTest::newRow("plain fields") << false << false;
    // Rows of variables, an import's notes and a saved script's status, all at once.
    QTest::newRow("crowded") << true << false;
    QTest::newRow("notes folded") << true << true;
}

void TestForm5::everyControlInSightAt1280By700()
{
    QFETCH(bool, crowded);
    QFETCH(bool, notesFolded);

    MessagesFake messages;
    if (crowded) {
        retype(form->Text(kPositionZ), "_a + _b + _c + _d");
        retype(form->Text(kVelocityX), "_e * _f - _g");
        retype(form->Text(kWeight), "1.275 + _h");
    }
    Form5 &preview = openPreview();
    if (crowded) {
        effect::SourceSettings settings;
        settings.name = "_smoke";
        settings.otherCommands << "setParticleClass \"Fog\""
                               << "setParticleFire [0.3, 1, 0.1]";
        form->source().setSettings(settings);
        form->source().setImportNotes({"left out: attachTo, playSound, setVelocity, say3D, hideObject"});
    }
    const QSize minimum = preview.minimumSizeHint();
    QVERIFY2(minimum.width() <= 1280 && minimum.height() <= 700,
             qPrintable(QString("%1x%2").arg(minimum.width()).arg(minimum.height())));
    preview.resize(1280, 700);
    QVERIFY(QTest::qWaitForWindowActive(&preview));
    QCOMPARE(preview.size(), QSize(1280, 700));
    if (crowded) {
        QTest::keyClick(&preview, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(preview.SaveStatus->isVisible());
        QVERIFY(preview.VariablesBox->isVisible());
        QVERIFY(preview.SourceBox->OtherCommandsLabel->isVisible());
    }
    if (notesFolded)
        QTest::mouseClick(preview.NotesButton, Qt::LeftButton);
    QCOMPARE(preview.NotesList->isVisible(), !notesFolded);
    QCoreApplication::processEvents();

    // Whatever shows outside the scrolled column stands whole in the window.
    const QWidget *column = preview.SettingsPanel->widget();
    for (const QWidget *widget : preview.findChildren<QWidget *>())
        if (widget->isVisibleTo(&preview) && !column->isAncestorOf(widget) && widget != column)
            QVERIFY2(preview.rect().contains(QRect(widget->mapTo(&preview, QPoint(0, 0)), widget->size())),
                     qPrintable(widget->metaObject()->className() + QString(" ") + widget->objectName()));
    QVERIFY(preview.ApproximationLabel->isVisible());
    QVERIFY(preview.CountLabel->isVisible());
    // The views take what the column leaves of the width, and with their time line most of the
    // height.
    QVERIFY(preview.SideView->width() + preview.TopView->width() + preview.SettingsPanel->width() > 1280 - 50);
    QVERIFY(preview.SideView->height() + preview.TimeBox->Bar->height() > 700 / 2 + (notesFolded ? 100 : 0));
    QCOMPARE_GT(preview.SideView->height(), 700 / 2 - 30 + (notesFolded ? 100 : 0));

    // Tab reaches every control that is shown, and each is in sight when it has the focus.
    QList<QWidget *> controls;
    for (QWidget *widget : tabChain(&preview))
        if (widget->isVisibleTo(&preview) && widget->isEnabled())
            controls << widget;
    QVERIFY(preview.SettingsPanel->verticalScrollBar()->maximum() > 0);
    preview.EffectBox->setFocus();
    QList<QWidget *> reached;
    for (int i = 0; i < controls.size(); ++i) {
        QWidget *focus = QApplication::focusWidget();
        QVERIFY2(inSight(focus, &preview), qPrintable(focus->metaObject()->className() + QString(" ")
                                                      + focus->accessibleName() + " out of sight"));
        reached << focus;
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    QCOMPARE(reached, controls);
    QCOMPARE(QApplication::focusWidget(), preview.EffectBox);

    // Folded notes come back with the button, by the keyboard too.
    if (notesFolded) {
        QVERIFY(!reached.contains(preview.NotesList));
        preview.NotesButton->setFocus();
        QTest::keyClick(preview.NotesButton, Qt::Key_Space);
        QVERIFY(preview.NotesList->isVisible());
        QVERIFY(inSight(preview.NotesList, &preview));
        QTest::keyClick(preview.NotesButton, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), preview.NotesList);
    }
}

void TestForm5::mnemonicScrollsItsControlIntoSight()
{
    typeFloatingParticle();
    retype(form->Text(kPositionZ), "_h + 1");
    Form5 &preview = openPreview();
    preview.resize(1280, 700);
    QVERIFY(QTest::qWaitForWindowActive(&preview));
    QScrollBar *scroll = preview.SettingsPanel->verticalScrollBar();
    QVERIFY(scroll->maximum() > 0);

    // From the foot of the column up to the source's name, and down again to the interval.
    scroll->setValue(scroll->maximum());
    QVERIFY(!inSight(preview.SourceBox->NameText, &preview));
    QTest::keyClick(&preview, Qt::Key_U, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), preview.SourceBox->NameText);
    QVERIFY(inSight(preview.SourceBox->NameText, &preview));
    QVERIFY(!inSight(preview.SourceBox->IntervalCheck, &preview));
    QTest::keyClick(&preview, Qt::Key_I, Qt::AltModifier);
    QTRY_VERIFY(form->source().settings().interval.set);
    QVERIFY(inSight(preview.SourceBox->IntervalCheck, &preview));
    // The controls below the column stay where they are.
    QVERIFY(inSight(preview.CopyClassButton, &preview));
    QTest::keyClick(&preview, Qt::Key_F, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), preview.DurationBox);
}

void TestForm5::opensWithinItsScreen()
{
    Form5 &preview = openPreview();
    const QRect available = preview.screen()->availableGeometry();
    const QSize minimum = preview.minimumSizeHint();
    const QMargins frame = preview.windowHandle()->frameMargins();
    QVERIFY(preview.width() >= minimum.width() && preview.height() >= minimum.height());
    // On a screen too small for the window, it opens as small as it can be, at the screen's corner.
    if (available.width() < minimum.width() + frame.left() + frame.right()) {
        QCOMPARE(preview.width(), minimum.width());
        QCOMPARE(preview.frameGeometry().left(), available.left());
    } else {
        QVERIFY(available.left() <= preview.frameGeometry().left()
                && preview.frameGeometry().right() <= available.right());
    }
    if (available.height() < minimum.height() + frame.top() + frame.bottom()) {
        QCOMPARE(preview.height(), minimum.height());
        QCOMPARE(preview.frameGeometry().top(), available.top());
    } else {
        QVERIFY(available.top() <= preview.frameGeometry().top()
                && preview.frameGeometry().bottom() <= available.bottom());
    }
}

void TestForm5::complexEffectImportedCopiedBackAndKept()
{
    MessagesFake messages;
    TextInputFake input;
    Form5 &preview = openPreview();
    const QString pasted =
        "class CfgCloudlets { class Default;\n"
        "  class MyTag_Flames: Default { interval = 0.03; lifeTime = 1.2; moveVelocity[] = {0, 0.6, 0}; }; };\n"
        "class CfgLights { class MyTag_FireLight { color[] = {1, 0.45, 0.15}; intensity = 2500;\n"
        "  class Attenuation { quadratic = 2; hardLimitStart = 30; hardLimitEnd = 40; }; }; };\n"
        "class MyTag_Campfire {\n"
        "  class Flames { simulation = \"particles\"; type = \"MyTag_Flames\"; position[] = {0, 0, 0}; };\n"
        "  class Light1 { simulation = \"light\"; type = \"MyTag_FireLight\"; position[] = {0, 0.5, 0}; };\n"
        "  class Sound { simulation = \"sound\"; type = \"Fire\"; };\n};";
    importPasted(pasted);
    QVERIFY(!import::Form4::existing());

    // Each sub-class is a layer; the main window shows the flames.
    const QListWidget &list = *preview.LayerBox->LayerList;
    QCOMPARE(list.count(), 3);
    QVERIFY(list.item(0)->text().startsWith("_Flames"));
    QCOMPARE(list.item(1)->text(), "_Light1 (light)");
    QCOMPARE(list.item(2)->text(), "_Sound (a class, not previewed)");
    QCOMPARE(form->Text(kLifeTime)->text(), "1.2");
    QVERIFY(preview.ImportStatus->text().contains("Sound: a part of the simulation sound"));

    const auto copied = [&preview] {
        preview.activateWindow();
        [&preview] { QVERIFY(QTest::qWaitForWindowActive(&preview)); }();
        preview.SourceBox->NameText->setFocus();
        QTest::keyClick(preview.SourceBox->NameText, Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier);
        return QGuiApplication::clipboard()->text();
    };
    // Ctrl+Shift+X: unedited, the same classes with the same fields.
    QCOMPARE(configSummary(copied()), configSummary(pasted));
    QCOMPARE(preview.SaveStatus->text(),
             "The complex effect MyTag_Campfire is on the clipboard: the classes of its layers and its root class.");

    // An edit in the main window is written in the layer's class, the rest as it was.
    retype(form->Text(kLifeTime), "3");
    QGuiApplication::clipboard()->clear();
    QTest::mouseClick(preview.CopyConfigEffectButton, Qt::LeftButton);
    const QString edited = QGuiApplication::clipboard()->text();
    QStringList expected = configSummary(pasted);
    expected.replace(expected.indexOf("/mytag_flames.lifetime = 1.2"), "/mytag_flames.lifetime = 3");
    QCOMPARE(configSummary(edited), expected);

    // Saved and loaded again, the effect keeps its root class and its parts.
    input.answers = {QString("Modded campfire")};
    QTest::mouseClick(preview.SaveAsButton, Qt::LeftButton);
    QCOMPARE(preview.EffectBox->displayText(), "Modded campfire");
    preview.EffectBox->setFocus();
    QTest::keyClick(preview.EffectBox, Qt::Key_Home);
    QVERIFY(form->Text(kLifeTime)->text() != "3");
    QTest::keyClick(preview.EffectBox, Qt::Key_End);
    QCOMPARE(preview.EffectBox->displayText(), "Modded campfire");
    QCOMPARE(form->Text(kLifeTime)->text(), "3");
    QCOMPARE(configSummary(copied()), expected);

    // A copy of a layer is a new part, with a class of its own named after the root.
    preview.LayerBox->LayerList->setCurrentRow(0);
    QTest::mouseClick(preview.LayerBox->AddButton, Qt::LeftButton);
    const QStringList lines = copied().split('\n');
    QVERIFY(lines.contains("    class MyTag_Campfire_Flames2: Default {"));
    QVERIFY(lines.contains("    class Flames2 {"));
    QCOMPARE(lines.count("    class Flames {"), 1);
    processDeletes();
}

namespace {

// The particles of a simulation, each as its layer, age and place, to compare two moments.
QStringList moment(const effect::Simulation &simulation)
{
    QStringList particles;
    for (const effect::Particle &particle : simulation.particles())
        particles << QStringLiteral("%1 %2 %3 %4 %5")
                         .arg(particle.layer)
                         .arg(particle.age, 0, 'g', 17)
                         .arg(particle.position.x, 0, 'g', 17)
                         .arg(particle.position.y, 0, 'g', 17)
                         .arg(particle.position.z, 0, 'g', 17);
    return particles;
}

} // namespace

void TestForm5::timeLineShowsAnyMomentExactly()
{
    MessagesFake messages;
    Form5 &preview = openPreview();
    preview.EffectBox->setFocus();
    QTest::keyClick(preview.EffectBox, Qt::Key_Down);
    const effect::Effect &campfire = effect::builtInEffects().at(0);
    QCOMPARE(preview.EffectBox->displayText(), campfire.name);
    const auto seconds = [&preview] { return preview.simulation().time(); };

    // Ctrl+G, a time and Return: that moment, paused, as playing from the start reaches it.
    QVERIFY(QTest::qWaitForWindowActive(&preview));
    QTest::keyClick(preview.EffectBox, Qt::Key_G, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), preview.TimeBox->TimeText);
    QTest::keyClicks(preview.TimeBox->TimeText, "2.5");
    QTest::keyClick(preview.TimeBox->TimeText, Qt::Key_Return);
    QTRY_VERIFY(!preview.TimeBox->WorkingLabel->isVisible());
    QVERIFY(!preview.playing());
    QCOMPARE(preview.PlayButton->text(), "&Play");
    QCOMPARE(seconds(), 2.5);
    effect::Simulation played = preview.simulation();
    played.restart();
    while (played.time() < 2.5 - effect::kStep / 2)
        played.advance(1.0 / 60);
    QCOMPARE(moment(preview.simulation()), moment(played));
    QVERIFY(!played.particles().empty());
    const QStringList atTwoAndAHalf = moment(preview.simulation());

    // Paused, Alt+Right and Alt+Left step a frame, wherever the focus is; back is the same moment.
    preview.SourceBox->NameText->setFocus();
    QTest::keyClick(preview.SourceBox->NameText, Qt::Key_Right, Qt::AltModifier);
    QTRY_VERIFY(!preview.TimeBox->WorkingLabel->isVisible());
    QCOMPARE(seconds(), 2.5 + 2 * effect::kStep);
    QVERIFY(moment(preview.simulation()) != atTwoAndAHalf);
    QTest::keyClick(preview.SourceBox->NameText, Qt::Key_Left, Qt::AltModifier);
    QTRY_VERIFY(!preview.TimeBox->WorkingLabel->isVisible());
    QCOMPARE(seconds(), 2.5);
    QCOMPARE(moment(preview.simulation()), atTwoAndAHalf);

    // A click on the bar goes to the time under it; the bar spans the effect's layers.
    QTest::mouseClick(preview.TimeBox->Bar, Qt::LeftButton, {}, QPoint(preview.TimeBox->Bar->width() / 2, 4));
    QTRY_VERIFY(!preview.TimeBox->WorkingLabel->isVisible());
    QCOMPARE_GT(seconds(), 0.0);
    QCOMPARE(preview.TimeBox->Bar->range().from, 0.0);

    // An edit while paused shows the same moment with the edit.
    const double shown = seconds();
    retype(form->Text(kLifeTime), "0.3");
    QTRY_VERIFY(!preview.TimeBox->WorkingLabel->isVisible());
    QCOMPARE(seconds(), shown);
    for (const effect::Particle &particle : preview.simulation().particles())
        QVERIFY(particle.layer != 0 || particle.age <= 0.3 + 0.2 + 1e-9); // with the source's spread

    // New Draw is another spread at the same moment; Restart replays the same draws from 0.
    QTest::keyClicks(preview.TimeBox->TimeText, "");
    QTest::keyClick(preview.SourceBox->NameText, Qt::Key_G, Qt::ControlModifier);
    QTest::keyClicks(preview.TimeBox->TimeText, "2.5");
    QTest::keyClick(preview.TimeBox->TimeText, Qt::Key_Return);
    QTRY_VERIFY(!preview.TimeBox->WorkingLabel->isVisible());
    const QStringList before = moment(preview.simulation());
    QTest::keyClick(preview.TimeBox->TimeText, Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
    QTRY_VERIFY(!preview.TimeBox->WorkingLabel->isVisible());
    QCOMPARE(seconds(), 2.5);
    const QStringList drawn = moment(preview.simulation());
    QVERIFY(drawn != before);
    QTest::mouseClick(preview.RestartButton, Qt::LeftButton);
    QCOMPARE(seconds(), 0.0);
    QTest::keyClick(preview.RestartButton, Qt::Key_Right, Qt::AltModifier);
    QTRY_VERIFY(!preview.TimeBox->WorkingLabel->isVisible());
    preview.TimeBox->TimeText->setText("2.5");
    QTest::keyClick(preview.TimeBox->TimeText, Qt::Key_Return);
    QTRY_VERIFY(!preview.TimeBox->WorkingLabel->isVisible());
    QCOMPARE(moment(preview.simulation()), drawn);

    // A time that is none is refused, and nothing changes.
    preview.TimeBox->TimeText->setText("soon");
    QTest::keyClick(preview.TimeBox->TimeText, Qt::Key_Return);
    QCOMPARE(seconds(), 2.5);
    QVERIFY(preview.TimeBox->TimeText->toolTip().contains("\"soon\" is no time"));
    processDeletes();
}

void TestForm5::longSeekShowsItsWorkAndYieldsToANewerOne()
{
    typeFloatingParticle();
    retype(form->Text(kLifeTime), "20");
    Form5 &preview = openPreview();
    retype(preview.SourceBox->IntervalText, "0.001");
    const auto seconds = [&preview] { return preview.simulation().time(); };
    QLineEdit *field = preview.TimeBox->TimeText;

    // Thousands of particles for 30 s: replayed in slices, the window answering meanwhile.
    field->setFocus();
    field->setText("30");
    QTest::keyClick(field, Qt::Key_Return);
    QVERIFY(preview.TimeBox->WorkingLabel->isVisibleTo(&preview));
    QCOMPARE_LT(seconds(), 30.0);
    QCoreApplication::processEvents();
    // A newer time takes over, here one before the moment reached: replayed from the start.
    field->setText("0.5");
    QTest::keyClick(field, Qt::Key_Return);
    QTRY_VERIFY(!preview.TimeBox->WorkingLabel->isVisibleTo(&preview));
    QCOMPARE(seconds(), 0.5);
    QCOMPARE(int(preview.simulation().particles().size()), 501); // born at 0, 0.001 ... 0.5
    processDeletes();
}
