#include "app/form1.h"
#include "filesizelimit.h"
#include "platform/messages.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Answers the writer's notices and notes what the script file held when each one appeared.
class Notices final : public platform::Messages {
public:
    explicit Notices(QString path)
        : m_path(std::move(path))
    {
        platform::setMessages(this);
    }
    ~Notices() override { platform::setMessages(nullptr); }

    QStringList shown;
    QList<QByteArray> fileWhenShown;

    bool askYesNo(QWidget *, const QString &title, const QString &text) override
    {
        shown << "question|" + title + "|" + text;
        return false;
    }
    void inform(QWidget *, const QString &title, const QString &text) override { note("info|" + title + "|" + text); }
    void fail(QWidget *, const QString &title, const QString &text) override { note("error|" + title + "|" + text); }

private:
    void note(const QString &box)
    {
        shown << box;
        fileWhenShown << contentsOf(m_path);
    }
    QString m_path;
};

} // namespace

class TestSqs : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void inlineModeWritesEmptyFirstLine();
    void separateModeWritesColourLine();
    void emptiedDropStringGivesTwoEmptyLines();
    void secondPressReplacesFile();
    void textIsWrittenInUtf8WithoutMark();
    void directoryInPlaceOfFileFails();
    void missingDirectoryFails();
    void failedWriteKeepsOldFile();
    void characterTheCodePageCannotHoldWritesNothing();

private:
    QStringList filesInDirectory() const;

    std::unique_ptr<QTemporaryDir> directory;
    QString path;
    std::unique_ptr<Notices> notices;
    std::unique_ptr<Form1> form;
};

void TestSqs::init()
{
    directory = std::make_unique<QTemporaryDir>();
    QVERIFY(directory->isValid());
    path = directory->path() + "/init.sqs";
    notices = std::make_unique<Notices>(path);
    form = std::make_unique<Form1>();
    form->setScriptDirectory([this] { return directory->path(); });
    form->show();
}

void TestSqs::cleanup()
{
    form.reset();
    notices.reset();
    directory.reset();
}

QStringList TestSqs::filesInDirectory() const
{
    return QDir(directory->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

void TestSqs::inlineModeWritesEmptyFirstLine()
{
    QTest::keyClicks(form->Text(1), "smoke");
    const QString dropString = form->Text28->text();
    QTest::mouseClick(form->Command4, Qt::LeftButton);
    QCOMPARE(contentsOf(path), "\r\n" + dropString.toUtf8() + "\r\n");
    QCOMPARE(notices->shown, QStringList{"info|Info|Successful generated:\r\n" + path});
    QCOMPARE(notices->fileWhenShown.value(0), contentsOf(path));
    QCOMPARE(form->Text28->text(), dropString);
    QCOMPARE(filesInDirectory(), QStringList{"init.sqs"});
}

void TestSqs::separateModeWritesColourLine()
{
    QTest::mouseClick(form->Check1, Qt::LeftButton);
    form->Text(19)->selectAll();
    QTest::keyClicks(form->Text(19), "[1,1,1,1]");
    QTest::mouseClick(form->Command4, Qt::LeftButton);
    QCOMPARE(contentsOf(path), "_color = [1,1,1,1]\r\n"
                               R"(Drop ["","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],[_color],[0,0,0],0,0,"","",])"
                               "\r\n");
    QCOMPARE(notices->shown.size(), 1);
}

void TestSqs::emptiedDropStringGivesTwoEmptyLines()
{
    form->Text28->setFocus();
    form->Text28->selectAll();
    QTest::keyClick(form->Text28, Qt::Key_Delete);
    QCOMPARE(form->Text28->text(), "");
    QTest::mouseClick(form->Command4, Qt::LeftButton);
    QCOMPARE(contentsOf(path), "\r\n\r\n");
}

void TestSqs::secondPressReplacesFile()
{
    QVERIFY(writeFile(path, QByteArray(500, 'x')));
    QTest::mouseClick(form->Command4, Qt::LeftButton);
    QTest::keyClicks(form->Text(27), "player");
    QTest::mouseClick(form->Command4, Qt::LeftButton);
    QCOMPARE(contentsOf(path), "\r\n" + form->Text28->text().toUtf8() + "\r\n");
    QVERIFY(contentsOf(path).contains("player]"));
    QCOMPARE(notices->shown.size(), 2);
    QCOMPARE(filesInDirectory(), QStringList{"init.sqs"});
}

void TestSqs::textIsWrittenInUtf8WithoutMark()
{
    if (QString::fromUtf8("\u00e9\u20ac").toLocal8Bit() != "\xc3\xa9\xe2\x82\xac")
        QSKIP("the script is written in the system's code page, which is not UTF-8 here (Windows)");
    form->Text(1)->setText(QString::fromUtf8("Rauch\u00e9\u20ac"));
    QTest::mouseClick(form->Command4, Qt::LeftButton);
    const QByteArray bytes = contentsOf(path);
    QVERIFY(bytes.startsWith("\r\nDrop [\"Rauch\xc3\xa9\xe2\x82\xac\""));
}

void TestSqs::directoryInPlaceOfFileFails()
{
    QVERIFY(QDir(directory->path()).mkdir("init.sqs"));
    QVERIFY(writeFile(path + "/kept", "old"));
    QTest::mouseClick(form->Command4, Qt::LeftButton);
    QCOMPARE(notices->shown, QStringList{"error|Error|Can't create file"});
    QVERIFY(QFileInfo(path).isDir());
    QCOMPARE(contentsOf(path + "/kept"), "old");
    QCOMPARE(filesInDirectory(), QStringList{"init.sqs"});
}

void TestSqs::missingDirectoryFails()
{
    form->setScriptDirectory([this] { return directory->path() + "/missing"; });
    const QString dropString = form->Text28->text();
    QTest::mouseClick(form->Command4, Qt::LeftButton);
    QCOMPARE(notices->shown, QStringList{"error|Error|Can't create file"});
    QVERIFY(filesInDirectory().isEmpty());
    QCOMPARE(form->Text28->text(), dropString);
}

void TestSqs::failedWriteKeepsOldFile()
{
#ifdef Q_OS_LINUX
    // A file size limit makes the write fail halfway, also for root.
    QVERIFY(writeFile(path, "old line\r\n"));
    QTest::keyClicks(form->Text(1), QString(200, 's'));
    {
        const FileSizeLimit limit(64);
        QVERIFY(limit.isSet());
        QTest::mouseClick(form->Command4, Qt::LeftButton);
    }

    QCOMPARE(notices->shown, QStringList{"error|Error|Can't create file"});
    QCOMPARE(contentsOf(path), "old line\r\n");
    QCOMPARE(filesInDirectory(), QStringList{"init.sqs"});
#else
    QSKIP("needs a file size limit");
#endif
}

void TestSqs::characterTheCodePageCannotHoldWritesNothing()
{
    // A lone surrogate is held by no code page; a '?' in its place would be reported as written.
    QVERIFY(writeFile(path, "old line\r\n"));
    form->Text(1)->setText(QStringLiteral("smoke") + QChar(0xdc00));
    QTest::mouseClick(form->Command4, Qt::LeftButton);
    QCOMPARE(notices->shown, QStringList{"error|Error|Can't create file"});
    QCOMPARE(contentsOf(path), "old line\r\n");
    QCOMPARE(filesInDirectory(), QStringList{"init.sqs"});
}

QTEST_MAIN(TestSqs)
#include "tst_sqs.moc"
