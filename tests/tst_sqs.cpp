#include "app/form1.h"
#include "filesizelimit.h"
#include "platform/messages.h"
#include "sqf/expression.h"
#include "sqf/values.h"
#include "userinput.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

using Colours = QList<QList<double>>;

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

// The colours a script run from the two lines of init.sqs hands to drop: the first line must give
// its variable one array, value 13 of the drop command names the variable bare (the array is the
// list) or in brackets (a list of that one value); each colour's components are numeric
// expressions. Nothing, with the reason in `why`, where the script would not run.
std::optional<Colours> coloursTheScriptDrops(const QByteArray &script, QString *why)
{
    const QStringList lines = QString::fromUtf8(script).split(QStringLiteral("\r\n"));
    if (lines.size() != 3 || !lines.at(2).isEmpty()) {
        *why = "not two lines";
        return std::nullopt;
    }
    const QString &assignment = lines.at(0);
    const qsizetype equals = assignment.indexOf(QStringLiteral(" = "));
    const QString variable = assignment.left(equals);
    const QString value = assignment.mid(equals + 3);
    const std::optional<QStringList> held = sqf::arrayElements(value);
    if (equals <= 0 || !held) {
        *why = "the first line gives no array: " + assignment;
        return std::nullopt;
    }
    const std::optional<QStringList> parameters =
        lines.at(1).startsWith(QStringLiteral("Drop ")) ? sqf::arrayElements(lines.at(1).mid(5)) : std::nullopt;
    if (!parameters || parameters->size() != 19) {
        *why = "no drop command of 19 values: " + lines.at(1);
        return std::nullopt;
    }
    QStringList colours;
    if (parameters->at(12) == variable) {
        colours = *held;
    } else if (parameters->at(12) == "[" + variable + "]") {
        colours = {value};
    } else {
        *why = "value 13 does not name the variable: " + parameters->at(12);
        return std::nullopt;
    }
    Colours read;
    for (const QString &colour : colours) {
        const std::optional<QStringList> components = sqf::arrayElements(colour);
        if (!components) {
            *why = "not a colour array: " + colour;
            return std::nullopt;
        }
        QList<double> numbers;
        for (const QString &component : *components) {
            const std::optional<double> number = sqf::constantValue(component);
            if (!number) {
                *why = "not a number: " + component;
                return std::nullopt;
            }
            numbers << *number;
        }
        read << numbers;
    }
    return read;
}

} // namespace

class TestSqs : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void inlineModeWritesEmptyFirstLine();
    void separateModeWritesColourLine();
    void separateModeScriptDropsTheColours_data();
    void separateModeScriptDropsTheColours();
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

void TestSqs::separateModeScriptDropsTheColours_data()
{
    QTest::addColumn<QString>("name"); // typed as the first word of Text29; empty keeps _color
    QTest::addColumn<QString>("colours");
    QTest::addColumn<Colours>("dropped");
    QTest::newRow("start text") << ""
                                << "[]" << Colours{{}};
    QTest::newRow("no colours") << ""
                                << "" << Colours{};
    QTest::newRow("one colour") << ""
                                << "[1,1,1,1]" << Colours{{1, 1, 1, 1}};
    QTest::newRow("two colours") << ""
                                 << "[1,0,0,1],[0,1,0,0.5]" << Colours{{1, 0, 0, 1}, {0, 1, 0, 0.5}};
    QTest::newRow("three colours, renamed")
        << "smoke"
        << "[1,0,0,1],[0,1,0,0.5],[0,0,1,0]" << Colours{{1, 0, 0, 1}, {0, 1, 0, 0.5}, {0, 0, 1, 0}};
    QTest::newRow("one colour, renamed") << "smoke"
                                         << "[0.5,0.5,0.5,1]" << Colours{{0.5, 0.5, 0.5, 1}};
    QTest::newRow("two colours of expressions, renamed")
        << "fade"
        << "[1, 0.25 * 2, 0, 1], [0, 1, 0, 1 - 0.75]" << Colours{{1, 0.5, 0, 1}, {0, 1, 0, 0.25}};
}

void TestSqs::separateModeScriptDropsTheColours()
{
    QFETCH(QString, name);
    QFETCH(QString, colours);
    QFETCH(Colours, dropped);
    QTest::mouseClick(form->Check1, Qt::LeftButton);
    if (!name.isEmpty())
        retype(form->Text29, name + " = the colours");
    retype(form->Text(19), colours);
    QTest::mouseClick(form->Command4, Qt::LeftButton);
    QString why;
    const std::optional<Colours> read = coloursTheScriptDrops(contentsOf(path), &why);
    QVERIFY2(read, qPrintable(why));
    QCOMPARE(*read, dropped);
    QVERIFY(contentsOf(path).startsWith((name.isEmpty() ? "_color" : name).toUtf8() + " = "));
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
