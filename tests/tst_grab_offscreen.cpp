#include "app/form1.h"
#include "colour/form2.h"
#include "colour/grabpicture.h"
#include "platform/screenpixel.h"
#include "userinput.h"

#include <QCursor>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

// The screen colour grab where the platform cannot read the screen (here: offscreen): the grab
// runs as usual, every read fails and the fields stay.
class TestGrabOffscreen : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void screenCannotBeRead();
    void failedReadsLeaveTheFields();
    void secondPressKeepsOneGrabPointer();
    void releaseWithoutAGrabLeavesOtherPointers();

private:
    std::unique_ptr<Form1> m_main;
    QPointer<colour::Form2> m_chooser;
};

void TestGrabOffscreen::init()
{
    m_main = std::make_unique<Form1>();
    m_main->show();
    QTest::mouseClick(m_main->Command1, Qt::LeftButton);
    m_chooser = colour::Form2::existing();
    QVERIFY(m_chooser);
}

void TestGrabOffscreen::cleanup()
{
    m_main.reset();
    processDeletes();
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

void TestGrabOffscreen::screenCannotBeRead()
{
    QVERIFY(!platform::canReadScreen());
    QCOMPARE(platform::screenPixel(QPoint(10, 10)), std::nullopt);
}

void TestGrabOffscreen::failedReadsLeaveTheFields()
{
    m_chooser->Text2->setText(QStringLiteral("12"));
    QTest::mousePress(m_chooser->Picture1, Qt::LeftButton);
    QVERIFY(m_chooser->Timer1->isActive());
    QVERIFY(!m_chooser->Picture1->isVisible());
    for (const QPoint position : {QPoint(20, 30), QPoint(21, 30), QPoint(300, 300)}) {
        QCursor::setPos(position);
        QTest::qWait(120);
    }
    QCOMPARE(m_chooser->Text1->text(), QStringLiteral("255"));
    QCOMPARE(m_chooser->Text2->text(), QStringLiteral("12"));
    QCOMPARE(m_chooser->Text3->text(), QStringLiteral("255"));
    QTest::mouseRelease(m_chooser->Picture1, Qt::LeftButton);
    QVERIFY(!m_chooser->Timer1->isActive());
    QVERIFY(m_chooser->Picture1->isVisible());
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestGrabOffscreen::secondPressKeepsOneGrabPointer()
{
    QTest::mousePress(m_chooser->Picture1, Qt::LeftButton);
    QTest::mousePress(m_chooser->Picture1, Qt::RightButton);
    QTest::mouseRelease(m_chooser->Picture1, Qt::RightButton);
    QVERIFY(!m_chooser->Timer1->isActive());
    QTest::mouseRelease(m_chooser->Picture1, Qt::LeftButton);
    // One grab pointer was put over the program, and it is gone again.
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(m_chooser->Picture1->isVisible());
}

void TestGrabOffscreen::releaseWithoutAGrabLeavesOtherPointers()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QTest::mouseRelease(m_chooser->Picture1, Qt::LeftButton);
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QVERIFY(m_chooser->Picture1->isVisible());
    QGuiApplication::restoreOverrideCursor();
}

QTEST_MAIN(TestGrabOffscreen)
#include "tst_grab_offscreen.moc"
