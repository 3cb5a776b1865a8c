#include "app/form1.h"
#include "preview/form5.h"
#include "userinput.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
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

bool anyContains(const QStringList &lines, const QString &part)
{
    return std::any_of(lines.cbegin(), lines.cend(), [&part](const QString &line) { return line.contains(part); });
}

} // namespace

class TestForm5 : public QObject {
    Q_OBJECT
private slots:
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

private:
    // Fields that give a floating particle living ten seconds.
    void typeFloatingParticle();
    Form5 &openPreview();

    std::unique_ptr<Form1> form;
};

void TestForm5::init()
{
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
}

void TestForm5::typeFloatingParticle()
{
    retype(form->Text(kLifeTime), "10");
    retype(form->Text(kWeight), "1.275");
    retype(form->Text(kVolume), "1");
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
    QCOMPARE(preview.IntervalBox->value(), 0.05);
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
    QCOMPARE(coloured.front(), (preview::Rgba{1, 0, 0, 0.5}));
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
    const preview::Particle &newest = preview.simulation().particles().back();
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
    preview.IntervalBox->setValue(0.5);
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
    QPointer<Form5> guard(&preview);
    // The main window goes away on its own (as at the end of the program) while the preview still
    // handles a frame: it must not read the deleted fields.
    form.reset();
    QVERIFY(guard);
    guard->runFor(0.2);
    QTest::mouseClick(guard->RestartButton, Qt::LeftButton);
    guard->close();
}

QTEST_MAIN(TestForm5)
#include "tst_form5.moc"
