// The reader window: chapter text and formats, verse positions, navigation
// across book boundaries, the tick and the keys.

#include "app/formmain.h"
#include "app/pendingreference.h"
#include "options/formstorage.h"
#include "reader/chaptermarkup.h"
#include "reader/formbook.h"
#include "reader/versemark.h"
#include "scripture/dataset.h"
#include "study/versecopy.h"
#include "support/sandbox.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>
#include <QtMath>

#include <climits>
#include <memory>

#include <sys/stat.h>

namespace {
// The verse texts of one chapter, read straight from the table file.
QStringList chapterVerses(const QString &folder, int book, int chapter)
{
    QStringList verses;
    const QString connection = QStringLiteral("reader-test-check");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(folder + QStringLiteral("kjvbible.db"));
        db.open();
        QSqlQuery query(db);
        query.exec(
            QStringLiteral("select \"Verse\", \"Scripture Text\" from db where \"Book\" = %1 "
                           "and \"Chapter\" = %2 order by \"Verse\"")
                .arg(book)
                .arg(chapter));
        while (query.next())
            verses.append(query.value(0).toString() + QStringLiteral("   ") +
                          query.value(1).toString());
    }
    QSqlDatabase::removeDatabase(connection);
    return verses;
}

std::unique_ptr<TFormBook> openReader(int book, int chapter, int verse)
{
    return std::make_unique<TFormBook>(VerseReference{book, chapter, verse});
}

QTextBlock blockAt(const TFormBook &reader, int number)
{
    return reader.RxRichEdit1->document()->findBlockByNumber(number);
}

QTextCharFormat formatAt(const TFormBook &reader, int position)
{
    QTextCursor cursor(reader.RxRichEdit1->document());
    cursor.setPosition(position + 1);
    return cursor.charFormat();
}
// Answers every message box the program shows, keeping its text.
struct MessageAnswers
{
    QStringList texts;
    QTimer timer;
    MessageAnswers()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                texts.append(box->text());
                box->accept();
            }
        });
        timer.start(10);
    }
};
} // namespace

class ReaderTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void rendersChapterTextAndFormats();
    void formatsOnlyTheDigitsOfLongVerseNumbers();
    void recordsVersePositions();
    void opensAtThePlaceItIsGiven();
    void stepsAcrossBookBoundaries();
    void stopsAtTheEndsOfTheBible();
    void handlesPlacesOutOfRange();
    void tickFollowsScrolling();
    void resizingKeepsTheVerse_data();
    void resizingKeepsTheVerse();
    void keysTurnThePageAtTheEdges();
    void failedLoadLeavesTheAreaUsable();
    void buttonLettersActFromEveryControl_data();
    void buttonLettersActFromEveryControl();
    void versePickMovesCaret();
    void damagedVerseTableIsToldOnce();
    void showsThePrintedMarks();
    void lostMarkupTableLeavesPlainText_data();
    void lostMarkupTableLeavesPlainText();
    void marksComeFromTheTableAsItIsNow();
    void longChapterIsLaidOutToItsEnd();
    void showsTheLettersOfPsalm119_data();
    void showsTheLettersOfPsalm119();
    void caretShowsOnlyForTheKeys();
    void ctrlWheelZoomsEveryFontAndIsKept();
    void previousChapterShowsNoHalfLine();
    void historyStepsThroughJumps_data();
    void historyStepsThroughJumps();
    void marksARangeOfVerses_data();
    void marksARangeOfVerses();
    void verseMarkReadsOnEveryBackground();
    void hostileCountsAreRefused_data();
    void hostileCountsAreRefused();

private:
    std::unique_ptr<Sandbox> m_sandbox;
};

void ReaderTest::init()
{
    m_sandbox = std::make_unique<Sandbox>();
    QVERIFY(m_sandbox->isValid());
}

void ReaderTest::cleanup()
{
    m_sandbox.reset();
}

void ReaderTest::rendersChapterTextAndFormats()
{
    auto reader = openReader(43, 3, 1);
    const QStringList verses = chapterVerses(m_sandbox->path(), 43, 3);
    QCOMPARE(verses.size(), 36);

    QTextDocument *document = reader->RxRichEdit1->document();
    QCOMPARE(document->blockCount(), verses.size() + 4);
    QCOMPARE(blockAt(*reader, 0).text(), QStringLiteral("John 3"));
    QCOMPARE(blockAt(*reader, 0).blockFormat().alignment() & Qt::AlignHorizontal_Mask,
             Qt::AlignHCenter);
    QCOMPARE(blockAt(*reader, 1).text(), QString());
    for (int i = 0; i < verses.size(); ++i) {
        QCOMPARE(blockAt(*reader, i + 2).text(), verses.at(i));
        QVERIFY(blockAt(*reader, i + 2).blockFormat().alignment() & Qt::AlignLeft);
    }
    QCOMPARE(blockAt(*reader, verses.size() + 2).text(), QString());
    QCOMPARE(blockAt(*reader, verses.size() + 3).text(), QStringLiteral("[End of Chapter]"));
    QCOMPARE(blockAt(*reader, verses.size() + 3).blockFormat().alignment() &
                 Qt::AlignHorizontal_Mask,
             Qt::AlignHCenter);

    // Heading in the heading font: bold maroon 14 point Times New Roman.
    const QTextCharFormat heading = formatAt(*reader, 0);
    QCOMPARE(heading.fontWeight(), int(QFont::Bold));
    QCOMPARE(heading.foreground().color(), QColor(128, 0, 0));
    QCOMPARE(heading.fontPointSize(), 14.0);
    QCOMPARE(heading.fontFamilies().toStringList().value(0), QStringLiteral("Times New Roman"));

    // Every line starts 5 points in and ends 5 points short; a verse's
    // wrapped lines hang past its number.
    const qreal indent = 5.0 * reader->RxRichEdit1->logicalDpiX() / 72.0;
    const QTextBlockFormat verse = blockAt(*reader, 5).blockFormat();
    QCOMPARE(verse.leftMargin() + verse.textIndent(), indent);
    QVERIFY(verse.leftMargin() > indent + 10);
    QCOMPARE(verse.rightMargin(), indent);
    QCOMPARE(blockAt(*reader, 0).blockFormat().textIndent(), indent);

    QCOMPARE(reader->StatusPanel[0]->text(), QStringLiteral("Done"));
    QCOMPARE(reader->StatusPanel[1]->text(), QStringLiteral("Chapter Count: 21"));
    QCOMPARE(reader->StatusPanel[2]->text(), QStringLiteral("Verse Count: 36"));
    QCOMPARE(reader->windowTitle(), QStringLiteral("John 3:1"));

    auto song = openReader(22, 1, 1);
    QCOMPARE(blockAt(*song, 0).text(), QStringLiteral("Song of Solomon 1"));
}

void ReaderTest::formatsOnlyTheDigitsOfLongVerseNumbers()
{
    auto reader = openReader(19, 119, 1);
    QCOMPARE(reader->ComboBoxVerse->count(), 176);
    for (int verse : {1, 10, 176}) {
        const QTextBlock block = blockAt(*reader, verse + 1);
        const int digits = QString::number(verse).size();
        QVERIFY(block.text().startsWith(QString::number(verse) + QStringLiteral("   ")));
        for (int i = 0; i < digits; ++i) {
            const QTextCharFormat number = formatAt(*reader, block.position() + i);
            QCOMPARE(number.fontWeight(), int(QFont::Bold));
            QCOMPARE(number.foreground().color(), QColor(0, 0, 255));
        }
        const QTextCharFormat after = formatAt(*reader, block.position() + digits);
        QVERIFY(after.fontWeight() != int(QFont::Bold));
        QVERIFY(after.foreground().color() != QColor(0, 0, 255));
    }
}

void ReaderTest::recordsVersePositions()
{
    auto reader = openReader(19, 119, 1);
    const int n = 176;
    for (int k = 0; k < n; ++k)
        QCOMPARE(reader->verseStart(k), blockAt(*reader, k + 2).position());
    QCOMPARE(reader->verseStart(n), blockAt(*reader, n + 2).position());

    auto john = openReader(43, 3, 1);
    QCOMPARE(john->verseStart(36), blockAt(*john, 38).position());
    for (int k = 37; k <= TFormBook::MaxVerses; ++k)
        QCOMPARE(john->verseStart(k), 0);
    QCOMPARE(john->chapterEndPos(), john->RxRichEdit1->document()->characterCount() - 1);
    QCOMPARE(john->RxRichEdit1->textCursor().position(), 0);
    QVERIFY(!john->RxRichEdit1->textCursor().hasSelection());
}

void ReaderTest::opensAtThePlaceItIsGiven()
{
    auto first = openReader(43, 3, 16);
    QCOMPARE(first->windowTitle(), QStringLiteral("John 3:16"));
    QCOMPARE(first->RxRichEdit1->textCursor().position(), first->verseStart(15));

    auto second = openReader(1, 1, 1);
    QCOMPARE(second->windowTitle(), QStringLiteral("Genesis 1:1"));
}

void ReaderTest::stepsAcrossBookBoundaries()
{
    auto reader = openReader(2, 1, 1);
    reader->show();
    QVERIFY(QTest::qWaitForWindowExposed(reader.get()));
    reader->RxSpeedButtonPrevClick();
    QCOMPARE(reader->ComboBoxBook->currentText(), QStringLiteral("Genesis"));
    QCOMPARE(reader->ComboBoxChapter->currentText(), QStringLiteral("50"));
    QCOMPARE(reader->RxRichEdit1->textCursor().position(), reader->chapterEndPos());
    reader->Timer1Timer();
    QCOMPARE(reader->ComboBoxVerse->currentText(), QStringLiteral("26"));
    QCOMPARE(reader->windowTitle(), QStringLiteral("Genesis 50:26"));

    auto malachi = openReader(39, 4, 1);
    malachi->NextChapter1Click();
    QCOMPARE(malachi->windowTitle(), QStringLiteral("Matthew 1:1"));
    QCOMPARE(malachi->RxRichEdit1->textCursor().position(), 0);
    QCOMPARE(malachi->StatusPanel[1]->text(), QStringLiteral("Chapter Count: 28"));

    malachi->PreviousChapter1Click();
    QCOMPARE(malachi->printTitle(), QStringLiteral("Malachi 4"));
}

void ReaderTest::stopsAtTheEndsOfTheBible()
{
    auto reader = openReader(66, 21, 1);
    QVERIFY(reader->RxSpeedButtonPrev->isEnabled());
    QVERIFY(reader->RxSpeedButtonNext->isEnabled());
    reader->RxSpeedButtonNextClick();
    QCOMPARE(reader->printTitle(), QStringLiteral("Revelation 22"));
    QVERIFY(!reader->RxSpeedButtonNext->isEnabled());
    const QString text = reader->RxRichEdit1->toPlainText();
    reader->RxSpeedButtonNextClick();
    QCOMPARE(reader->RxRichEdit1->toPlainText(), text);

    // Genesis 1 after Revelation 22: Previous off, Next on again.
    reader->ComboBoxBook->setCurrentIndex(0);
    reader->ComboBoxBookChange();
    QVERIFY(!reader->RxSpeedButtonPrev->isEnabled());
    QVERIFY(reader->RxSpeedButtonNext->isEnabled());
    reader->RxSpeedButtonPrevClick();
    QCOMPARE(reader->printTitle(), QStringLiteral("Genesis 1"));
}

void ReaderTest::handlesPlacesOutOfRange()
{
    auto noBook = openReader(67, 1, 1);
    QCOMPARE(noBook->windowTitle(), QStringLiteral(" :"));
    QCOMPARE(noBook->ComboBoxChapter->count(), 0);
    QVERIFY(noBook->RxRichEdit1->toPlainText().isEmpty());
    QCOMPARE(noBook->StatusPanel[0]->text(), QStringLiteral("Done"));
    QCOMPARE(noBook->StatusPanel[1]->text(), QStringLiteral("Chapter Count: 0"));
    QCOMPARE(noBook->StatusPanel[2]->text(), QStringLiteral("Verse Count: 0"));
    noBook->RxSpeedButtonNextClick();
    QCOMPARE(noBook->windowTitle(), QStringLiteral("Genesis 1:1"));

    auto noChapter = openReader(43, 0, 1);
    QCOMPARE(noChapter->windowTitle(), QStringLiteral("John :"));
    QVERIFY(noChapter->RxRichEdit1->toPlainText().isEmpty());
    QCOMPARE(noChapter->StatusPanel[1]->text(), QStringLiteral("Chapter Count: 21"));

    auto noVerse = openReader(43, 3, 99);
    QCOMPARE(noVerse->windowTitle(), QStringLiteral("John 3:"));
    QCOMPARE(noVerse->RxRichEdit1->textCursor().position(), 0);

    auto negative = openReader(-5, -5, -5);
    QCOMPARE(negative->windowTitle(), QStringLiteral(" :"));
    auto lowest = openReader(INT_MIN, INT_MIN, INT_MIN);
    QCOMPARE(lowest->windowTitle(), QStringLiteral(" :"));
}

void ReaderTest::tickFollowsScrolling()
{
    auto reader = openReader(19, 119, 1);
    reader->resize(591, 416);
    reader->show();
    QVERIFY(QTest::qWaitForWindowExposed(reader.get()));
    reader->Timer1Timer();
    QCOMPARE(reader->ComboBoxVerse->currentText(), QStringLiteral("1"));

    // Scrolling leaves the caret behind; the tick pulls it to the top line.
    QScrollBar *bar = reader->RxRichEdit1->verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    reader->Timer1Timer();
    const int top = reader->firstVisibleLine();
    QCOMPARE(reader->lineOfPosition(reader->RxRichEdit1->textCursor().position()), top);
    const int verse = reader->ComboBoxVerse->currentIndex() + 1;
    QVERIFY(verse > 1);
    QCOMPARE(reader->windowTitle(), QStringLiteral("Psalms 119:%1").arg(verse));
    const int caret = reader->RxRichEdit1->textCursor().position();
    QVERIFY(caret >= reader->verseStart(verse - 1) && caret < reader->verseStart(verse));

    // A selection is never moved by the tick.
    QTextCursor selection(reader->RxRichEdit1->document());
    selection.setPosition(reader->verseStart(2));
    selection.setPosition(reader->verseStart(2) + 5, QTextCursor::KeepAnchor);
    reader->RxRichEdit1->setTextCursor(selection);
    reader->Timer1Timer();
    bar->setValue(bar->maximum());
    reader->Timer1Timer();
    QCOMPARE(reader->RxRichEdit1->textCursor().selectionStart(), reader->verseStart(2));
    QCOMPARE(reader->RxRichEdit1->textCursor().selectionEnd(), reader->verseStart(2) + 5);
    QCOMPARE(reader->ComboBoxVerse->currentText(), QStringLiteral("3"));
}

void ReaderTest::resizingKeepsTheVerse_data()
{
    QTest::addColumn<int>("caretVerse");
    QTest::addColumn<QList<QSize>>("sizes");
    QTest::newRow("narrower") << 100 << QList<QSize>{{300, 416}};
    QTest::newRow("wider") << 100 << QList<QSize>{{1000, 416}};
    QTest::newRow("there and back")
        << 100 << QList<QSize>{{1000, 700}, {591, 416}, {1000, 700}, {591, 416}, {400, 300}};
    QTest::newRow("caret low, area shorter") << 106 << QList<QSize>{{591, 150}};
}

// Only the person's scrolling and caret moves change the verse: a new size
// keeps the top line's verse at the top and the caret's verse selected.
void ReaderTest::resizingKeepsTheVerse()
{
    QFETCH(int, caretVerse);
    QFETCH(QList<QSize>, sizes);
    auto reader = openReader(19, 119, 100);
    reader->resize(591, 416);
    reader->show();
    QVERIFY(QTest::qWaitForWindowExposed(reader.get()));
    QTRY_COMPARE(reader->lineStartPosition(reader->firstVisibleLine()), reader->verseStart(99));
    QTextCursor caret(reader->RxRichEdit1->document());
    caret.setPosition(reader->verseStart(caretVerse - 1));
    reader->RxRichEdit1->setTextCursor(caret);
    reader->Timer1Timer();
    const QString caption = QStringLiteral("Psalms 119:%1").arg(caretVerse);
    QCOMPARE(reader->windowTitle(), caption);

    for (const QSize &size : sizes) {
        reader->resize(size);
        QCoreApplication::processEvents();
        reader->Timer1Timer();
        QCOMPARE(reader->lineStartPosition(reader->firstVisibleLine()), reader->verseStart(99));
        QCOMPARE(reader->windowTitle(), caption);
    }
}

void ReaderTest::buttonLettersActFromEveryControl_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("shown");
    // A selector's own search by typed letters would jump to another book.
    QTest::newRow("Alt+N, Book") << "ComboBoxBook" << int(Qt::Key_N) << "John 4";
    QTest::newRow("Alt+R, Book") << "ComboBoxBook" << int(Qt::Key_R) << "John 2";
    QTest::newRow("Alt+N, Chapter") << "ComboBoxChapter" << int(Qt::Key_N) << "John 4";
    QTest::newRow("Alt+R, Verse") << "ComboBoxVerse" << int(Qt::Key_R) << "John 2";
    QTest::newRow("Alt+N, text") << "RxRichEdit1" << int(Qt::Key_N) << "John 4";
}

void ReaderTest::buttonLettersActFromEveryControl()
{
    QFETCH(QString, control);
    QFETCH(int, key);
    QFETCH(QString, shown);
    auto reader = openReader(43, 3, 1);
    reader->show();
    QVERIFY(QTest::qWaitForWindowExposed(reader.get()));
    auto *widget = reader->findChild<QWidget *>(control);
    QVERIFY(widget);
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key(key), Qt::AltModifier);
    QCOMPARE(reader->printTitle(), shown);
    QCOMPARE(reader->ComboBoxBook->currentText(), QStringLiteral("John"));
}

void ReaderTest::keysTurnThePageAtTheEdges()
{
    auto reader = openReader(43, 3, 1);
    reader->show();
    QVERIFY(QTest::qWaitForWindowExposed(reader.get()));
    reader->RxRichEdit1->setFocus();

    // Down on a verse line only moves the caret.
    QTextCursor cursor(reader->RxRichEdit1->document());
    cursor.setPosition(reader->verseStart(0));
    reader->RxRichEdit1->setTextCursor(cursor);
    QTest::keyClick(reader->RxRichEdit1, Qt::Key_Down);
    QCOMPARE(reader->printTitle(), QStringLiteral("John 3"));

    // Down on the closing line turns to the next chapter.
    cursor.setPosition(reader->chapterEndPos());
    reader->RxRichEdit1->setTextCursor(cursor);
    QTest::keyClick(reader->RxRichEdit1, Qt::Key_Down);
    QCOMPARE(reader->printTitle(), QStringLiteral("John 4"));

    // Up on the heading goes back, leaving the caret at the end.
    cursor = QTextCursor(reader->RxRichEdit1->document());
    reader->RxRichEdit1->setTextCursor(cursor);
    QTest::keyClick(reader->RxRichEdit1, Qt::Key_PageUp);
    QCOMPARE(reader->printTitle(), QStringLiteral("John 3"));
}

void ReaderTest::failedLoadLeavesTheAreaUsable()
{
    // Genesis 2:5 damaged so that its verse number cannot be read.
    const QString table = m_sandbox->filePath(QStringLiteral("kjvbible.db"));
    QFile::setPermissions(table, QFile::ReadOwner | QFile::WriteOwner);
    const QString connection = QStringLiteral("reader-test-damage");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(table);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("update db set \"Verse\" = 'x5' where \"Book\" = 1 "
                                          "and \"Chapter\" = 2 and \"Verse\" = 5")));
    }
    QSqlDatabase::removeDatabase(connection);

    MessageAnswers messages;
    auto reader = openReader(1, 1, 1);
    reader->show();
    QVERIFY(QTest::qWaitForWindowExposed(reader.get()));
    reader->NextChapter1Click();
    QCOMPARE(reader->StatusPanel[0]->text(), QStringLiteral("Not loaded"));
    QTRY_COMPARE(messages.texts.size(), 1);

    reader->NextChapter1Click();
    QCOMPARE(reader->windowTitle(), QStringLiteral("Genesis 3:1"));
    QCOMPARE(reader->StatusPanel[0]->text(), QStringLiteral("Done"));
    // The chapter is drawn, not only held.
    const QImage shown = reader->RxRichEdit1->viewport()->grab().toImage();
    const QRgb background = reader->RxRichEdit1->palette().color(QPalette::Base).rgb();
    int inked = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x)
            inked += shown.pixel(x, y) != background;
    }
    QVERIFY(inked > 100);
}

void ReaderTest::versePickMovesCaret()
{
    auto reader = openReader(43, 3, 1);
    reader->ComboBoxVerse->setCurrentIndex(15);
    reader->ComboBoxVerseChange();
    QCOMPARE(reader->RxRichEdit1->textCursor().position(), reader->verseStart(15));
    QCOMPARE(reader->windowTitle(), QStringLiteral("John 3:16"));
    QVERIFY(
        blockAt(*reader, 17).text().startsWith(QStringLiteral("16   For God so loved the world")));
}

// Readers over a verse table whose rows cannot be read say so, once for all
// of them, naming the file.
void ReaderTest::damagedVerseTableIsToldOnce()
{
    const QString path = m_sandbox->filePath(QStringLiteral("kjvbible.db"));
    QFile damaged(path);
    QVERIFY(damaged.open(QIODevice::ReadWrite));
    damaged.seek(4096);
    QVERIFY(damaged.write(QByteArray(int(damaged.size()) - 4096, '\xff')) > 0);
    damaged.close();
    Engine::reset();
    MessageAnswers answers;
    const QStringList &messages = answers.texts;
    auto first = openReader(1, 1, 1);
    auto second = openReader(43, 3, 16);
    QTRY_COMPARE(messages.size(), 1);
    QTest::qWait(50);
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(path), qPrintable(messages.first()));
}

// A count or number no chapter of the text can have is refused with a
// message naming the table, instead of a list built without end; the
// reader stays usable.
void ReaderTest::hostileCountsAreRefused_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("named");
    QTest::newRow("chapter count") << "Chapters.db"
                                   << "update db set ChapterCount = 30000000 where Book = 1"
                                   << "30000000";
    QTest::newRow("no chapters") << "Chapters.db"
                                 << "update db set ChapterCount = -1 where Book = 1"
                                 << "-1";
    QTest::newRow("verse count") << "Verses.db"
                                 << "update db set VerseCount = 30000000 where Book = 1"
                                 << "30000000";
    QTest::newRow("verse number") << "kjvbible.db"
                                  << "update db set Verse = 99999999999 where Book = 1 and "
                                     "Chapter = 1 and Verse = 2"
                                  << "99999999999";
}

void ReaderTest::hostileCountsAreRefused()
{
    QFETCH(QString, file);
    QFETCH(QString, statement);
    QFETCH(QString, named);
    const QString path = m_sandbox->filePath(file);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    const QString connection = QStringLiteral("reader-test-hostile");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(statement));
    }
    QSqlDatabase::removeDatabase(connection);
    Engine::reset();

    MessageAnswers answers;
    auto reader = openReader(1, 1, 1);
    QTRY_COMPARE(answers.texts.size(), 1);
    const QString &message = answers.texts.first();
    QVERIFY2(message.contains(QDir::toNativeSeparators(path)) && message.contains(named),
             qPrintable(message));
    QVERIFY(reader->ComboBoxChapter->count() <= TFormBook::MaxChapters);
    QVERIFY(reader->ComboBoxVerse->count() <= TFormBook::MaxVerses);
    QVERIFY(reader->StatusPanel[0]->text() != QStringLiteral("Loading..."));
    reader->ComboBoxBook->setCurrentIndex(42);
    reader->ComboBoxBookChange();
    QCOMPARE(reader->windowTitle(), QStringLiteral("John 1:1"));
    QCOMPARE(reader->ComboBoxChapter->count(), 21);
}

// Psalm 23 as printed: its title under the heading, "is" in italics; John
// 3:16 opens a paragraph. The verse lines keep their text to the character.
void ReaderTest::showsThePrintedMarks()
{
    auto psalm = openReader(19, 23, 1);
    QCOMPARE(blockAt(*psalm, 0).text(), QStringLiteral("Psalms 23"));
    QCOMPARE(blockAt(*psalm, 1).text(), QStringLiteral("A Psalm of David."));
    QCOMPARE(blockAt(*psalm, 1).blockFormat().alignment() & Qt::AlignHorizontal_Mask,
             Qt::AlignHCenter);
    const QTextCharFormat title = formatAt(*psalm, blockAt(*psalm, 1).position());
    const QTextCharFormat heading = formatAt(*psalm, 0);
    QCOMPARE(title.fontFamilies(), heading.fontFamilies());
    QCOMPARE(title.foreground().color(), heading.foreground().color());
    QVERIFY(title.fontPointSize() < heading.fontPointSize());
    QCOMPARE(blockAt(*psalm, 2).text(), QString());
    const QTextBlock first = blockAt(*psalm, 3);
    QCOMPARE(psalm->verseStart(0), first.position());
    const QString line = QStringLiteral("1   The LORD is my shepherd; I shall not want.");
    QCOMPARE(first.text(), line);
    const int is = first.position() + int(line.indexOf(QStringLiteral(" is "))) + 1;
    QVERIFY(!formatAt(*psalm, is - 1).fontItalic());
    QVERIFY(formatAt(*psalm, is).fontItalic());
    QVERIFY(formatAt(*psalm, is + 1).fontItalic());
    QVERIFY(!formatAt(*psalm, is + 2).fontItalic());
    QCOMPARE(psalm->ComboBoxVerse->count(), 6);

    auto john = openReader(43, 3, 16);
    const QTextBlock verse = blockAt(*john, 17);
    QVERIFY(verse.text().startsWith(QStringLiteral("16   For God so loved the world")));
    QCOMPARE(ChapterMarkup::paragraphMarksOf(verse), QVector<int>{verse.position() + 3});
    QVERIFY(ChapterMarkup::paragraphMarksOf(blockAt(*john, 18)).isEmpty());
    // Red letters are off unless the person asks for them.
    const QColor plain = formatAt(*john, verse.position() + 10).foreground().color();
    QVERIFY(plain != ChapterMarkup::redOn(Qt::white));
}

void ReaderTest::lostMarkupTableLeavesPlainText_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << "missing";
    QTest::newRow("damaged") << "damaged";
    QTest::newRow("a FIFO in its place") << "fifo";
    QTest::newRow("a table without the fields") << "fields";
    QTest::newRow("a table without its headings") << "headings";
}

void ReaderTest::lostMarkupTableLeavesPlainText()
{
    QFETCH(QString, kind);
    const QString path = m_sandbox->filePath(QStringLiteral("Markup.db"));
    QVERIFY(QFile::remove(path));
    if (kind == QLatin1String("damaged")) {
        QFile damaged(path);
        QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QVERIFY(damaged.write(QByteArray(8192, '\x5a')) > 0);
    } else if (kind == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == QLatin1String("fields") || kind == QLatin1String("headings")) {
        const QString connection = QStringLiteral("reader-test-markup");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery query(db);
            if (kind == QLatin1String("fields")) {
                QVERIFY(query.exec(QStringLiteral("create table db (Book, Chapter, Verse)")));
                QVERIFY(query.exec(QStringLiteral("insert into db values (19, 23, 1)")));
            } else {
                // The table of an earlier build, every mark but the headings.
                QVERIFY(query.exec(QStringLiteral("create table db (Book, Chapter, Verse, "
                                                  "Paragraph, Italic, Red, Title, TitleItalic)")));
                QVERIFY(query.exec(QStringLiteral(
                    "insert into db values (19, 23, 1, 0, '', '', 'A Psalm.', '')")));
            }
        }
        QSqlDatabase::removeDatabase(connection);
    }
    Engine::reset();
    ChapterMarkup::resetReportForTesting();
    MessageAnswers answers;
    auto first = openReader(19, 23, 1);
    auto second = openReader(43, 3, 16);
    QTRY_COMPARE(answers.texts.size(), 1);
    QTest::qWait(50);
    QCOMPARE(answers.texts.size(), 1);
    QVERIFY2(answers.texts.first().contains(QStringLiteral("Markup.db")),
             qPrintable(answers.texts.first()));
    QVERIFY2(answers.texts.first().contains(m_sandbox->path()), qPrintable(answers.texts.first()));
    // The chapters themselves are all there, without their marks.
    QCOMPARE(blockAt(*first, 2).text(),
             QStringLiteral("1   The LORD is my shepherd; I shall not want."));
    QCOMPARE(second->ComboBoxVerse->count(), 36);
    QCOMPARE(blockAt(*second, 17).text(), chapterVerses(m_sandbox->path(), 43, 3).at(15));
    QCOMPARE(second->StatusPanel[0]->text(), QStringLiteral("Done"));
}

// The marks are read once for all readers; a table changed since (here
// opened anew, as a new table folder is) gives its own marks, not the ones
// kept from before.
void ReaderTest::marksComeFromTheTableAsItIsNow()
{
    auto before = openReader(19, 23, 1);
    QCOMPARE(blockAt(*before, 1).text(), QStringLiteral("A Psalm of David."));
    auto again = openReader(19, 23, 1);
    QCOMPARE(blockAt(*again, 1).text(), QStringLiteral("A Psalm of David."));

    const QString path = m_sandbox->filePath(QStringLiteral("Markup.db"));
    const QString connection = QStringLiteral("reader-test-retitle");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("update db set Title = 'A Song of David.' where "
                                          "Book = 19 and Chapter = 23 and Verse = 1")));
    }
    QSqlDatabase::removeDatabase(connection);
    // Within the same tick of the file system's clock as the first reading.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                             QFileDevice::FileModificationTime));
    file.close();
    Engine::reset();
    auto after = openReader(19, 23, 1);
    QCOMPARE(blockAt(*after, 1).text(), QStringLiteral("A Song of David."));
    QCOMPARE(blockAt(*after, 3).text(),
             QStringLiteral("1   The LORD is my shepherd; I shall not want."));
}

void ReaderTest::showsTheLettersOfPsalm119_data()
{
    QTest::addColumn<int>("verse");
    QTest::addColumn<QString>("heading");
    QTest::newRow("ALEPH before 1") << 1 << QStringLiteral(u"\u05d0 ALEPH.");
    QTest::newRow("BETH before 9") << 9 << QStringLiteral(u"\u05d1 BETH.");
    QTest::newRow("TAU before 169") << 169 << QStringLiteral(u"\u05ea TAU.");
    QTest::newRow("none before 10") << 10 << QString();
}

// A letter is drawn in room left above its verse's line, not written between
// the verses: the verse positions, a click, a copy and a mark of whole verses
// give the same verses and words as in any other chapter.
void ReaderTest::showsTheLettersOfPsalm119()
{
    QFETCH(int, verse);
    QFETCH(QString, heading);
    auto reader = openReader(19, 119, verse);
    reader->resize(600, 400);
    reader->show();
    QVERIFY(QTest::qWaitForWindowExposed(reader.get()));
    QTextEdit *area = reader->RxRichEdit1;
    const QStringList verses = chapterVerses(m_sandbox->path(), 19, 119);
    const QTextBlock line = blockAt(*reader, verse + 1);
    QCOMPARE(line.text(), verses.at(verse - 1));
    QCOMPARE(reader->verseStart(verse - 1), line.position());
    QCOMPARE(area->document()->blockCount(), 176 + 4);
    QCOMPARE(line.blockFormat().stringProperty(ChapterMarkup::HeadingProperty), heading);

    // Ink between the line above and the verse's first line, in view.
    area->document()->documentLayout()->documentSize();
    const int scroll = area->verticalScrollBar()->value();
    const QTextLayout *layout = line.layout();
    const QTextLayout *above = line.previous().layout();
    const int top = qFloor(layout->position().y()) - scroll;
    const int room = qCeil(above->position().y() + above->boundingRect().bottom()) - scroll;
    const QImage shown = area->viewport()->grab().toImage();
    const QRgb page = area->palette().color(QPalette::Base).rgb();
    int inked = 0;
    for (int y = qMax(0, room); y < top; ++y) {
        for (int x = 0; x < shown.width(); ++x)
            inked += shown.pixel(x, y) != page;
    }
    QVERIFY2(heading.isEmpty() ? top - room <= 1 : inked > 20,
             qPrintable(QStringLiteral("%1 from %2 to %3").arg(inked).arg(room).arg(top)));

    // A click on the verse's words, or on its heading, is that verse.
    for (const int y : {top + 5, top - 3}) {
        QTest::mouseClick(area->viewport(), Qt::LeftButton, {}, QPoint(100, y));
        QCOMPARE(VerseCopy::caretVerse(*reader), heading.isEmpty() && y < top ? verse - 1 : verse);
    }
    // The verse before it copies without the heading; the verse marks alone.
    if (verse > 1) {
        const std::unique_ptr<QMimeData> copy(VerseCopy::mimeData(*reader, verse - 1, verse - 1));
        const QString copied = copy->html() + copy->text();
        QVERIFY(copied.contains(verses.at(verse - 2).section(QStringLiteral("   "), 1).left(20)));
        QVERIFY(!copied.contains(QStringLiteral("ALEPH")) && !copied.contains(QChar(0x05d1)));
    }
    reader->markVerses(verse, verse);
    QCOMPARE(area->extraSelections().first().cursor.selectedText(), verses.at(verse - 1));
}

// The view's part of a long chapter is laid out at once, the rest in the
// background: the scroll bar comes to reach the last line by itself, and
// the caret stays at the top.
void ReaderTest::longChapterIsLaidOutToItsEnd()
{
    auto reader = openReader(19, 119, 1);
    reader->show();
    QVERIFY(QTest::qWaitForWindowExposed(reader.get()));
    QTextEdit *area = reader->RxRichEdit1;
    const QTextBlock last = area->document()->lastBlock();
    QCOMPARE(last.text(), QStringLiteral("[End of Chapter]"));
    QTRY_VERIFY(last.layout()->lineCount() > 0);
    QScrollBar *bar = area->verticalScrollBar();
    const qreal height = area->document()->documentLayout()->documentSize().height();
    QTRY_COMPARE(bar->maximum(), qCeil(height) - area->viewport()->height());
    QCOMPARE(area->textCursor().position(), 0);
    QCOMPARE(reader->windowTitle(), QStringLiteral("Psalms 119:1"));
}

void ReaderTest::caretShowsOnlyForTheKeys()
{
    auto reader = openReader(43, 3, 1);
    reader->show();
    QTextEdit *area = reader->RxRichEdit1;
    QCOMPARE(area->cursorWidth(), 0);
    QTest::mouseClick(area->viewport(), Qt::LeftButton, {}, QPoint(40, 40));
    QCOMPARE(area->cursorWidth(), 0);
    QTest::keyClick(area, Qt::Key_Down);
    QVERIFY(area->cursorWidth() > 0);
    QTest::mouseClick(area->viewport(), Qt::LeftButton, {}, QPoint(40, 40));
    QCOMPARE(area->cursorWidth(), 0);
}

// Ctrl+wheel makes heading, verse numbers and text larger together, keeps
// the verse in view, and the zoom is stored with the appearance settings.
void ReaderTest::ctrlWheelZoomsEveryFontAndIsKept()
{
    TFormMain main;
    main.TimerStartup->stop();
    main.show();
    main.Open1Click(VerseReference{43, 3, 16});
    TFormBook *reader = main.activeReader();
    QVERIFY(reader);
    QTextEdit *area = reader->RxRichEdit1;
    const auto wheel = [area](int notches) {
        const QPointF at(30, 30);
        QWheelEvent event(at, area->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches),
                          Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(area->viewport(), &event);
    };
    QCOMPARE(formatAt(*reader, 0).fontPointSize(), 14.0);
    wheel(2);
    QCOMPARE(main.SpinEditZoom->value(), 120);
    QCOMPARE(formatAt(*reader, 0).fontPointSize(), 17.0); // 14 points at 120 %
    const QTextBlock verse = blockAt(*reader, 17);
    QVERIFY(verse.text().startsWith(QStringLiteral("16   For God")));
    QCOMPARE(formatAt(*reader, verse.position()).fontPointSize(), 14.0); // 12 points
    QCOMPARE(area->document()->defaultFont().pointSize(), 14);
    QCOMPARE(reader->windowTitle(), QStringLiteral("John 3:16"));
    QVERIFY(reader->lineOfPosition(area->textCursor().position()) >= reader->firstVisibleLine());

    wheel(-30); // no smaller than the least zoom
    QCOMPARE(main.SpinEditZoom->value(), TFormMain::kZoomMinimum);
    wheel(1);
    QCOMPARE(main.SpinEditZoom->value(), TFormMain::kZoomMinimum + 10);
    main.close();
    std::unique_ptr<QSettings> store(FormStorage::openStore());
    QCOMPARE(store->value(QStringLiteral("TFormMain/SpinEditZoom_Value")).toString(),
             QString::number(TFormMain::kZoomMinimum + 10));
}

// A view one half heading shorter than the previous chapter: stepping back
// to its end would cut the heading in half.
void ReaderTest::previousChapterShowsNoHalfLine()
{
    auto reader = openReader(43, 4, 1);
    reader->resize(500, 400);
    reader->show();
    QTextEdit *area = reader->RxRichEdit1;
    reader->RxSpeedButtonPrevClick();
    QTRY_COMPARE(reader->windowTitle(), QStringLiteral("John 3:36"));
    const qreal height = area->document()->documentLayout()->documentSize().height();
    const QTextLayout *heading = blockAt(*reader, 0).layout();
    const qreal headingTop = heading->position().y();
    const qreal headingBottom = headingTop + heading->boundingRect().height();
    const int frame = reader->height() - area->viewport()->height();
    reader->resize(500, frame + qRound(height - (headingTop + headingBottom) / 2));
    QTRY_COMPARE(area->viewport()->height(), qRound(height - (headingTop + headingBottom) / 2));

    reader->RxSpeedButtonNextClick();
    reader->RxSpeedButtonPrevClick();
    QTRY_COMPARE(reader->windowTitle(), QStringLiteral("John 3:36"));
    const int top = area->verticalScrollBar()->value();
    QVERIFY2(
        top <= headingTop || top >= headingBottom - 1,
        qPrintable(QStringLiteral("%1 in %2..%3").arg(top).arg(headingTop).arg(headingBottom)));
    // The closing line, where the caret is, still shows.
    QVERIFY(reader->lineOfPosition(reader->chapterEndPos()) <= reader->bottomVisibleLine());
}

QTEST_MAIN(ReaderTest)
void ReaderTest::historyStepsThroughJumps_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("canGoBack");
    QTest::addColumn<bool>("canGoForward");
    QTest::newRow("back from a jump") << "goto 43 3 16; back"
                                      << "Genesis 1:1" << false << true;
    QTest::newRow("and forward again") << "goto 43 3 16; back; forward"
                                       << "John 3:16" << true << false;
    QTest::newRow("each chapter step") << "next; next; back"
                                       << "Genesis 2:1" << true << true;
    QTest::newRow("a new jump forgets forward")
        << "goto 43 3 16; goto 45 8 28; back; goto 19 23 1; forward"
        << "Psalms 23:1" << true << false;
    QTest::newRow("previous chapter") << "goto 2 1 1; prev; back"
                                      << "Exodus 1:1" << true << true;
    QTest::newRow("selector pick, Alt+Left") << "pick 5; altleft"
                                             << "Genesis 1:1" << false << true;
    QTest::newRow("Alt+Right") << "pick 5; altleft; altright"
                               << "Genesis 5:1" << true << false;
    QTest::newRow("mouse buttons")
        << "goto 43 3 16; goto 43 4 1; mouseback; mouseback; mouseforward"
        << "John 3:16" << true << true;
    QTest::newRow("the same place is no step") << "goto 1 1 1"
                                               << "Genesis 1:1" << false << false;
    QTest::newRow("back to the verse being read") << "goto 43 3 16; read 20; next; back"
                                                  << "John 3:20" << true << true;
    QTest::newRow("nothing to go back to") << "back; back"
                                           << "Genesis 1:1" << false << false;
}

// Every jump the person makes is one step of the reader's own history.
void ReaderTest::historyStepsThroughJumps()
{
    QFETCH(QString, steps);
    QFETCH(QString, caption);
    QFETCH(bool, canGoBack);
    QFETCH(bool, canGoForward);
    auto reader = openReader(1, 1, 1);
    reader->show();
    QVERIFY(QTest::qWaitForWindowExposed(reader.get()));
    for (const QString &step : steps.split(QLatin1Char(';'))) {
        const QStringList words = step.simplified().split(QLatin1Char(' '));
        const QString verb = words.first();
        if (verb == QLatin1String("goto")) {
            reader->goTo(words[1].toInt(), words[2].toInt(), words[3].toInt());
        } else if (verb == QLatin1String("next")) {
            reader->RxSpeedButtonNext->click();
        } else if (verb == QLatin1String("prev")) {
            reader->RxSpeedButtonPrev->click();
        } else if (verb == QLatin1String("back")) {
            reader->RxSpeedButtonBackClick();
        } else if (verb == QLatin1String("forward")) {
            reader->RxSpeedButtonForward->click();
        } else if (verb == QLatin1String("pick")) {
            reader->ComboBoxChapter->setCurrentIndex(words[1].toInt() - 1);
            emit reader->ComboBoxChapter->activated(words[1].toInt() - 1);
        } else if (verb == QLatin1String("altleft") || verb == QLatin1String("altright")) {
            reader->RxRichEdit1->setFocus();
            QTest::keyClick(reader->RxRichEdit1,
                            verb == QLatin1String("altleft") ? Qt::Key_Left : Qt::Key_Right,
                            Qt::AltModifier);
        } else if (verb.startsWith(QLatin1String("mouse"))) {
            QWidget *viewport = reader->RxRichEdit1->viewport();
            const Qt::MouseButton button =
                verb == QLatin1String("mouseback") ? Qt::BackButton : Qt::ForwardButton;
            QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5),
                              viewport->mapToGlobal(QPointF(5, 5)), button, button, Qt::NoModifier);
            QApplication::sendEvent(viewport, &press);
        } else if (verb == QLatin1String("read")) {
            QTextCursor cursor(reader->RxRichEdit1->document());
            cursor.setPosition(reader->verseStart(words[1].toInt() - 1));
            reader->RxRichEdit1->setTextCursor(cursor);
            reader->Timer1Timer();
        } else {
            QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
        }
    }
    QCOMPARE(reader->windowTitle(), caption);
    QCOMPARE(reader->RxSpeedButtonBack->isEnabled(), canGoBack);
    QCOMPARE(reader->RxSpeedButtonForward->isEnabled(), canGoForward);
}

void ReaderTest::marksARangeOfVerses_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<bool>("marked");
    QTest::newRow("4 to 7") << 4 << 7 << true;
    QTest::newRow("one verse") << 13 << 13 << true;
    QTest::newRow("verse 0") << 0 << 3 << false;
    QTest::newRow("backwards") << 7 << 4 << false;
    QTest::newRow("past the chapter") << 12 << 14 << false;
}

// The mark lies behind exactly the verses asked for and goes with the
// chapter.
void ReaderTest::marksARangeOfVerses()
{
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(bool, marked);
    auto reader = openReader(46, 13, 4);
    reader->markVerses(first, last);
    const QList<QTextEdit::ExtraSelection> marks = reader->RxRichEdit1->extraSelections();
    QCOMPARE(marks.size(), marked ? 1 : 0);
    if (marked) {
        const QStringList verses = chapterVerses(m_sandbox->path(), 46, 13);
        const QString text = marks.first().cursor.selectedText();
        QCOMPARE(text.section(QChar::ParagraphSeparator, 0, 0), verses.at(first - 1));
        QCOMPARE(text.section(QChar::ParagraphSeparator, -1), verses.at(last - 1));
        QCOMPARE(text.count(QChar::ParagraphSeparator), last - first);
        QVERIFY(marks.first().format.background().color() !=
                reader->RxRichEdit1->palette().color(QPalette::Base));
        // Another place asked for in the chapter, or another chapter, ends it.
        reader->goTo(46, 13, 2);
        QVERIFY(reader->RxRichEdit1->extraSelections().isEmpty());
        reader->markVerses(first, last);
        reader->RxSpeedButtonNext->click();
        QVERIFY(reader->RxRichEdit1->extraSelections().isEmpty());
    }
}

// On each of the named backgrounds the band shows, and the text keeps on it
// the contrast it had, up to what reads well.
void ReaderTest::verseMarkReadsOnEveryBackground()
{
    const QColor named[] = {Qt::black,     Qt::darkRed,     Qt::darkGreen, Qt::darkYellow,
                            Qt::darkBlue,  Qt::darkMagenta, Qt::darkCyan,  Qt::gray,
                            Qt::lightGray, Qt::red,         Qt::green,     Qt::yellow,
                            Qt::blue,      Qt::magenta,     Qt::cyan,      Qt::white};
    for (const QColor &background : named) {
        for (const QColor &text : {QColor(Qt::black), QColor(Qt::white), QColor(Qt::darkBlue)}) {
            // Colours that do not read on the page itself are not judged.
            if (VerseMark::contrast(background, text) < 3)
                continue;
            const QColor mark = VerseMark::colour(background, text);
            const QString colours = background.name() + QLatin1Char('/') + text.name();
            QVERIFY2(VerseMark::contrast(mark, text) >=
                         qMin(4.5, VerseMark::contrast(background, text)) - 0.01,
                     qPrintable(colours));
            const int shift = qAbs(mark.red() - background.red()) +
                              qAbs(mark.green() - background.green()) +
                              qAbs(mark.blue() - background.blue());
            QVERIFY2(shift >= 20, qPrintable(colours));
        }
    }
}

#include "tst_reader.moc"
