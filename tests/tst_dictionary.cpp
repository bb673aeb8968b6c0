// The dictionary window: its statements, the narrowing list checked against
// the table itself, the definition launch, and the reader's look-up of a
// selected word.
#include "app/documentlauncher.h"
#include "app/formmain.h"
#include "app/pendingreference.h"
#include "app/programfolder.h"
#include "dictionary/formebd.h"
#include "reader/formbook.h"
#include "scripture/dataset.h"
#include "support/sandbox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>

namespace {
class LaunchRecorder
{
public:
    LaunchRecorder()
    {
        DocumentLauncher::setHookForTesting(
            [this](const QString &, const QString &address) { addresses.append(address); });
    }
    ~LaunchRecorder() { DocumentLauncher::setHookForTesting(nullptr); }
    QStringList addresses;
};

struct Entry
{
    QString word;
    QString link;
};

// The dictionary table read with plain QtSql, independently of the engine.
QList<Entry> entriesContaining(const QString &file, const QString &upperText)
{
    QList<Entry> entries;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "independent");
        db.setDatabaseName(file);
        if (!db.open())
            return entries;
        QSqlQuery query(db);
        query.prepare(QStringLiteral("select Word, Link from db where instr(upper(Word), ?) > 0 "
                                     "order by Word"));
        query.addBindValue(upperText.isNull() ? QStringLiteral("") : upperText);
        query.exec();
        while (query.next())
            entries.append({query.value(0).toString(), query.value(1).toString()});
    }
    QSqlDatabase::removeDatabase(QStringLiteral("independent"));
    return entries;
}

QStringList wordsOf(const QList<Entry> &entries)
{
    QStringList words;
    for (const Entry &entry : entries)
        words.append(entry.word);
    return words;
}

QString definitionAddress(const QString &link)
{
    return DocumentLauncher::fileAddress(ProgramFolder::path() + QStringLiteral("ebd") +
                                         QDir::separator() + link);
}

QList<TFormebd *> dictionaries(TFormMain &main)
{
    QList<TFormebd *> found;
    for (QMdiSubWindow *window : main.mdiArea()->subWindowList())
        if (auto *dictionary = qobject_cast<TFormebd *>(window->widget()))
            found.append(dictionary);
    return found;
}
} // namespace

class TestDictionary : public QObject
{
    Q_OBJECT

private slots:
    void statements_data();
    void statements();

    void opensWithEveryEntry();
    void typingNarrowsTheList();
    void apostropheIsSearchedFor();
    void noMatchLeavesAnEmptyList();
    void engineErrorLeavesTheListEmpty();
    void controlCharactersAreDropped();
    void definitionOfTheCurrentEntry();
    void typeAheadInTheList();

    void lookUpSelectedWord_data();
    void lookUpSelectedWord();
    void selectionAcrossLines();
    void copyFollowsTheSelection();
    void readerClosesItsDictionaries();

private:
    // A shown main window with a reader on Genesis 1, or null when the
    // reader does not render chapters.
    TFormBook *openReader(TFormMain &main);
    // Double-clicks the occurrence of word in line (paragraph) number line.
    bool doubleClickWord(TFormBook *reader, int line, const QString &word);
};

void TestDictionary::statements_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("where");
    QTest::newRow("empty") << ""
                           << "where upper(word) like '%%'";
    QTest::newRow("lower case") << "ab"
                                << "where upper(word) like '%AB%'";
    QTest::newRow("mixed") << "MoSes"
                           << "where upper(word) like '%MOSES%'";
    QTest::newRow("ASCII letters only")
        << QString::fromUtf8("éa1-%") << QString::fromUtf8("where upper(word) like '%éA1-%%'");
    QTest::newRow("apostrophe doubled") << "Solomon's"
                                        << "where upper(word) like '%SOLOMON''S%'";
    QTest::newRow("lone apostrophe") << "'"
                                     << "where upper(word) like '%''%'";
}

void TestDictionary::statements()
{
    QFETCH(QString, text);
    QFETCH(QString, where);
    QCOMPARE(TFormebd::searchStatement(text),
             QStringList({"select * from ebd.db", where, "order by word"}));
    QCOMPARE(TFormebd::creationStatement(),
             QStringList({"Select * from ebd.db", "where upper(word) like '%%'", "order by word"}));
}

void TestDictionary::opensWithEveryEntry()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormebd window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Easton's Bible Dictionary"));
    QCOMPARE(window.size(), QSize(309, 329));
    QVERIFY(window.testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(window.Label1->text(),
             QStringLiteral("Type in the first few letters of the word you are looking for:"));
    QVERIFY(window.Label1->wordWrap());
    QCOMPARE(window.Label3->text(), QStringLiteral("Search for:"));
    QCOMPARE(window.Label2->text(),
             QStringLiteral("Double-click an entry below to display its definition."));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // The search row keeps its design places unless the label above it
    // wraps onto more lines in this system's font; it then moves down whole.
    const int shift = window.Label3->y() - 32;
    QVERIFY(shift >= 0);
    QCOMPARE(window.Label3->x(), 5);
    QCOMPARE(window.Edit1->geometry().topLeft(), QPoint(64, 28 + shift));
    QCOMPARE(window.Edit1->width(), 173);
    QCOMPARE(window.Panel1->height(), 77 + shift);
    QVERIFY(window.Label1->geometry().bottom() < window.Edit1->y());
    QVERIFY(window.Label2->geometry().top() > window.Edit1->geometry().bottom());
    QVERIFY(window.Label2->geometry().bottom() < window.Panel1->height());
    QCOMPARE(window.focusWidget(), window.Edit1);
    QVERIFY(window.Edit1->text().isEmpty());
    QCOMPARE(window.Queryebd().sql(), TFormebd::creationStatement());

    const QList<Entry> all = entriesContaining(sandbox.filePath("ebd.db"), QString());
    QCOMPARE(all.size(), 3962);
    QCOMPARE(window.words(), wordsOf(all));
    QCOMPARE(window.currentRow(), 0);
}

void TestDictionary::typingNarrowsTheList()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormebd window;
    const QList<Entry> expected = entriesContaining(sandbox.filePath("ebd.db"), "AB");
    QVERIFY(!expected.isEmpty());

    QTest::keyClicks(window.Edit1, "ab");
    QCOMPARE(
        window.Queryebd().sql(),
        QStringList({"select * from ebd.db", "where upper(word) like '%AB%'", "order by word"}));
    QCOMPARE(window.words(), wordsOf(expected));
    QCOMPARE(window.currentRow(), 0);
    // Matched anywhere in the word, whatever the letter case.
    bool inTheMiddle = false;
    for (const QString &word : window.words()) {
        QVERIFY(word.contains("ab", Qt::CaseInsensitive));
        inTheMiddle = inTheMiddle || word.indexOf("ab", 0, Qt::CaseInsensitive) > 0;
    }
    QVERIFY(inTheMiddle);

    QTest::keyClick(window.Edit1, Qt::Key_Backspace);
    QCOMPARE(window.words(), wordsOf(entriesContaining(sandbox.filePath("ebd.db"), "A")));
    QTest::keyClick(window.Edit1, Qt::Key_Backspace);
    QCOMPARE(window.words().size(), 3962);
    QCOMPARE(window.currentRow(), 0);

    // Text written by program acts like typing.
    window.Edit1->setText("Aaron");
    QCOMPARE(window.words(), wordsOf(entriesContaining(sandbox.filePath("ebd.db"), "AARON")));
}

void TestDictionary::apostropheIsSearchedFor()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormebd window;
    QTest::keyClicks(window.Edit1, "'");
    QCOMPARE(window.Queryebd().sql().value(1), QStringLiteral("where upper(word) like '%''%'"));
    QVERIFY(window.Queryebd().active());
    QCOMPARE(window.words(), wordsOf(entriesContaining(sandbox.filePath("ebd.db"), "'")));
    QTest::keyClick(window.Edit1, Qt::Key_Backspace);
    QCOMPARE(window.words().size(), 3962);

    window.Edit1->setText("Solomon's porch");
    QVERIFY(window.Queryebd().active());
    QCOMPARE(window.words(),
             wordsOf(entriesContaining(sandbox.filePath("ebd.db"), "SOLOMON'S PORCH")));
}

void TestDictionary::noMatchLeavesAnEmptyList()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormebd window;
    LaunchRecorder recorder;
    window.show();
    QTest::keyClicks(window.Edit1, "qxz");
    QVERIFY(window.words().isEmpty());
    QCOMPARE(window.currentRow(), -1);
    QCOMPARE(window.RxDBLookupList1->model()->rowCount(), 0);
    window.RxDBLookupList1DblClick();
    QTest::mouseDClick(window.RxDBLookupList1->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(recorder.addresses.isEmpty());
    window.Edit1->clear();
    QCOMPARE(window.words().size(), 3962);
}

// A NUL would end the statement inside its pattern ("unrecognized token").
void TestDictionary::controlCharactersAreDropped()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormebd window;
    window.Edit1->setText(QStringLiteral("Aar") + QChar(0) + QStringLiteral("o\x1fn"));
    QVERIFY(window.Queryebd().active());
    QCOMPARE(window.Queryebd().sql().value(1), QStringLiteral("where upper(word) like '%AARON%'"));
    QCOMPARE(window.words(), wordsOf(entriesContaining(sandbox.filePath("ebd.db"), "AARON")));
}

void TestDictionary::engineErrorLeavesTheListEmpty()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    Engine::reset();
    QVERIFY(QFile::remove(sandbox.filePath("ebd.db")));
    {
        // The creation's error is reported from the event loop, which this
        // window does not live to see.
        TFormebd window;
        QVERIFY(window.words().isEmpty());
        window.Edit1->blockSignals(true);
        window.Edit1->setText("ab");
        window.Edit1->blockSignals(false);
        QVERIFY_THROWS_EXCEPTION(EngineError, window.Edit1Change());
        QVERIFY(window.words().isEmpty());
        QCOMPARE(window.currentRow(), -1);
        LaunchRecorder recorder;
        window.RxDBLookupList1DblClick();
        QVERIFY(recorder.addresses.isEmpty());
    }
}

void TestDictionary::definitionOfTheCurrentEntry()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormebd window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    LaunchRecorder recorder;
    const QList<Entry> expected = entriesContaining(sandbox.filePath("ebd.db"), "ABI");
    QVERIFY(expected.size() >= 3);

    window.Edit1->setText("abi");
    window.RxDBLookupList1DblClick();
    QListView *list = window.RxDBLookupList1;
    // A double-click as the system delivers it: a click, then the double-click.
    const QPoint second = list->visualRect(list->model()->index(1, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second);
    QCOMPARE(window.currentRow(), 1);
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(window.currentRow(), 2);
    QTest::keyClick(list, Qt::Key_Return);

    QCOMPARE(recorder.addresses,
             QStringList({definitionAddress(expected[0].link), definitionAddress(expected[1].link),
                          definitionAddress(expected[2].link)}));
    QVERIFY(!QApplication::overrideCursor());
}

void TestDictionary::typeAheadInTheList()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormebd window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::keyClicks(window.RxDBLookupList1, "bab");
    const int row = window.currentRow();
    QVERIFY(row > 0);
    QVERIFY(window.words().at(row).startsWith("Bab", Qt::CaseInsensitive));
    QVERIFY(!window.words().at(row - 1).startsWith("Bab", Qt::CaseInsensitive));
    QTest::keyClick(window.RxDBLookupList1, Qt::Key_PageDown);
    QVERIFY(window.currentRow() > row);
}

TFormBook *TestDictionary::openReader(TFormMain &main)
{
    main.TimerStartup->stop();
    main.TimerParameterFile->stop();
    main.resize(900, 700);
    main.show();
    if (!QTest::qWaitForWindowExposed(&main))
        return nullptr;
    main.Open1Click(VerseReference{1, 1, 1});
    TFormBook *reader = main.activeReader();
    if (!reader || !reader->RxRichEdit1->toPlainText().contains("[End of Chapter]"))
        return nullptr;
    if (QMdiSubWindow *frame = qobject_cast<QMdiSubWindow *>(reader->parentWidget()))
        frame->resize(700, 500);
    QTest::qWait(50);
    return reader;
}

bool TestDictionary::doubleClickWord(TFormBook *reader, int line, const QString &word)
{
    QTextEdit *text = reader->RxRichEdit1;
    const QTextBlock block = text->document()->findBlockByNumber(line);
    const int at = block.text().indexOf(word);
    if (!block.isValid() || at < 0)
        return false;
    QTextCursor cursor(text->document());
    cursor.setPosition(block.position() + at + 2);
    text->setTextCursor(cursor);
    text->ensureCursorVisible();
    QTest::mouseDClick(text->viewport(), Qt::LeftButton, {}, text->cursorRect(cursor).center());
    return true;
}

void TestDictionary::lookUpSelectedWord_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("word");
    QTest::newRow("heading") << 0 << "Genesis";
    QTest::newRow("first verse") << 2 << "beginning";
    QTest::newRow("seventh verse") << 8 << "firmament";
    QTest::newRow("last verse") << 32 << "evening";
    QTest::newRow("closing line") << 34 << "Chapter";
}

void TestDictionary::lookUpSelectedWord()
{
    QFETCH(int, line);
    QFETCH(QString, word);
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormMain main;
    TFormBook *reader = openReader(main);
    QVERIFY2(reader, "no reader showing Genesis 1 opened (is kjvbible.db built?)");

    QVERIFY(doubleClickWord(reader, line, word));
    QCOMPARE(reader->selectedWord(), word);
    reader->LookUpWord1Click();
    const QList<TFormebd *> opened = dictionaries(main);
    QCOMPARE(opened.size(), 1);
    TFormebd *dictionary = opened.first();
    QCOMPARE(qobject_cast<TFormebd *>(main.activeChild()), dictionary);
    QCOMPARE(dictionary->Edit1->text(), word);
    QCOMPARE(dictionary->words(),
             wordsOf(entriesContaining(sandbox.filePath("ebd.db"), word.toUpper())));
}

void TestDictionary::selectionAcrossLines()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormMain main;
    TFormBook *reader = openReader(main);
    QVERIFY2(reader, "no reader showing Genesis 1 opened (is kjvbible.db built?)");
    QTextEdit *text = reader->RxRichEdit1;
    // From inside verse 30 to inside verse 31: one line break, as shown.
    const QTextBlock from = text->document()->findBlockByNumber(31);
    const QTextBlock to = text->document()->findBlockByNumber(32);
    QTextCursor cursor(text->document());
    cursor.setPosition(from.position() + from.length() - 8);
    cursor.setPosition(to.position() + 6, QTextCursor::KeepAnchor);
    text->setTextCursor(cursor);
    const QString expected =
        from.text().right(7) + QLatin1Char('\n') + to.text().left(6).replace(QChar::Nbsp, ' ');
    QCOMPARE(reader->selectedWord(), expected);

    // Nothing selected: the dictionary opens on every entry.
    cursor.clearSelection();
    text->setTextCursor(cursor);
    reader->RxSpeedButtonEBDClick();
    QCOMPARE(dictionaries(main).size(), 1);
    QVERIFY(dictionaries(main).first()->Edit1->text().isEmpty());
    QCOMPARE(dictionaries(main).first()->words().size(), 3962);
}

void TestDictionary::copyFollowsTheSelection()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormMain main;
    TFormBook *reader = openReader(main);
    QVERIFY2(reader, "no reader showing Genesis 1 opened (is kjvbible.db built?)");
    QTextEdit *text = reader->RxRichEdit1;
    QTextCursor cursor(text->document());
    text->setTextCursor(cursor);
    reader->RxPopupMenu1Popup();
    QVERIFY(!reader->CopyCtrlC1->isEnabled());

    QVERIFY(doubleClickWord(reader, 2, "beginning"));
    reader->RxPopupMenu1Popup();
    QVERIFY(reader->CopyCtrlC1->isEnabled());
    QApplication::clipboard()->clear();
    reader->CopyCtrlC1Click();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("beginning"));
}

void TestDictionary::readerClosesItsDictionaries()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormMain main;
    TFormBook *reader = openReader(main);
    QVERIFY2(reader, "no reader showing Genesis 1 opened (is kjvbible.db built?)");
    main.EastonsBibleDictionary1Click();
    // The design size, centred in the client area.
    QMdiSubWindow *menuFrame = main.mdiArea()->activeSubWindow();
    QVERIFY(qobject_cast<TFormebd *>(menuFrame->widget()));
    QCOMPARE(menuFrame->size(), QSize(309, 329));
    const QPoint centre = main.mdiArea()->viewport()->rect().center();
    QVERIFY((menuFrame->geometry().center() - centre).manhattanLength() <= 2);
    reader->RxSpeedButtonEBDClick();
    reader->LookUpWord1Click();
    QCOMPARE(dictionaries(main).size(), 3);

    QMdiSubWindow *frame = qobject_cast<QMdiSubWindow *>(reader->parentWidget());
    QVERIFY(frame);
    QPointer<TFormBook> watched(reader);
    frame->close();
    QTRY_VERIFY(watched.isNull());
    // Only the one opened from the main menu stays.
    QTRY_COMPARE(dictionaries(main).size(), 1);
    QTRY_COMPARE(main.mdiArea()->subWindowList().size(), 1);
}

QTEST_MAIN(TestDictionary)
#include "tst_dictionary.moc"
