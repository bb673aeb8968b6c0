// Copy, Select All, Print Chapter and Save Chapter As on the active reader:
// the page rectangle, the RTF writer read back by an independent reader
// (unrtf), PDF output checked with poppler's tools, and the file formats.
#include "app/chapteroutput.h"
#include "app/documentoutput.h"
#include "app/formmain.h"
#include "app/pagerect.h"
#include "app/pendingreference.h"
#include "app/rtfwriter.h"
#include "options/sampleholders.h"
#include "reader/formbook.h"
#include "support/messageanswers.h"
#include "support/sandbox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

#include <stdexcept>

namespace {
QString runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>")
            .arg(program, QString::fromLocal8Bit(process.readAllStandardError()));
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool toolsMissing()
{
    return QStandardPaths::findExecutable(QStringLiteral("unrtf")).isEmpty() ||
           QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() ||
           QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty();
}

// The tools that read the output back are part of the test: without them the
// output goes unchecked, which is a failure, not a pass. Names the missing.
QString missingTools(const QStringList &tools = {QStringLiteral("unrtf"),
                                                 QStringLiteral("pdftotext"),
                                                 QStringLiteral("pdfinfo")})
{
    QStringList missing;
    for (const QString &tool : tools) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            missing.append(tool);
    }
    return missing.join(QStringLiteral(", ")) +
           QStringLiteral(" not installed (Debian's unrtf and poppler-utils; scripts/setup.sh "
                          "installs them)");
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Body text of unrtf --text: its banner lines start with "###".
QString unrtfText(const QString &path)
{
    QStringList lines;
    for (const QString &line : runTool(QStringLiteral("unrtf"), {QStringLiteral("--text"), path})
                                   .split(QLatin1Char('\n'))) {
        if (!line.startsWith(QStringLiteral("###")) && !line.startsWith(QStringLiteral("-----")))
            lines.append(line);
    }
    return lines.join(QLatin1Char('\n')).trimmed();
}

QString collapsed(QString text)
{
    return text.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" ")).trimmed();
}

// A small document with every format the writer handles.
void fillSample(QTextDocument &document)
{
    QFont base(QStringLiteral("Liberation Serif"));
    base.setPointSize(12);
    document.setDefaultFont(base);
    QTextCursor cursor(&document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    centred.setTextIndent(20.0 / 3.0); // 5 points at 96 pixels per inch
    centred.setRightMargin(20.0 / 3.0);
    cursor.setBlockFormat(centred);
    QTextCharFormat heading;
    heading.setFontFamilies({QStringLiteral("Liberation Sans")});
    heading.setFontPointSize(14);
    heading.setFontWeight(QFont::Bold);
    heading.setForeground(QColor(128, 0, 0));
    cursor.insertText(QStringLiteral("John 3"), heading);

    QTextBlockFormat left = centred;
    left.setAlignment(Qt::AlignLeft);
    cursor.insertBlock(left, QTextCharFormat());
    QTextCharFormat number;
    number.setForeground(QColor(0, 0, 255));
    number.setFontWeight(QFont::Bold);
    cursor.insertText(QStringLiteral("16"), number);
    cursor.insertText(QStringLiteral("   For God so loved the world, "), QTextCharFormat());
    QTextCharFormat italic;
    italic.setFontItalic(true);
    cursor.insertText(QStringLiteral("that he gave"), italic);
    QTextCharFormat underline;
    underline.setFontUnderline(true);
    cursor.insertText(QStringLiteral(" his only"), underline);
    QTextCharFormat strike;
    strike.setFontStrikeOut(true);
    cursor.insertText(QStringLiteral(" begotten Son"), strike);
    cursor.insertBlock(left, QTextCharFormat());
    cursor.insertText(
        QString::fromUtf8("Braces {x} and back\\slash, caf\u00e9 \u2013 \u05d0 \U0001F600"));
    QTextBlockFormat right = centred;
    right.setAlignment(Qt::AlignRight);
    cursor.insertBlock(right, QTextCharFormat());
    cursor.insertText(QStringLiteral("[End of Chapter]"));
}

// White text on black, as a person with a dark scheme sets it.
void useDarkScheme(TFormMain &main)
{
    main.PanelSample->setColor(ColorValue::Black);
    FontValue text = main.PanelSampleText->fontValue();
    text.color = ColorValue::White;
    main.PanelSampleText->setFontValue(text);
    FontValue heading = main.PanelSampleBook->fontValue();
    heading.color = 0x80FFFF; // light yellow
    main.PanelSampleBook->setFontValue(heading);
}

// The letters of Psalm 119, each before every eighth verse from verse 1 on.
const char *const kLetters[] = {
    "ALEPH", "BETH", "GIMEL", "DALETH", "HE",  "VAU", "ZAIN",   "CHETH", "TETH", "JOD",   "CAPH",
    "LAMED", "MEM",  "NUN",   "SAMECH", "AIN", "PE",  "TZADDI", "KOPH",  "RESH", "SCHIN", "TAU"};

class ScopedRunner
{
public:
    explicit ScopedRunner(ChapterOutput::DialogRunner runner)
    {
        ChapterOutput::setDialogRunnerForTesting(std::move(runner));
    }
    ~ScopedRunner() { ChapterOutput::setDialogRunnerForTesting({}); }
};
} // namespace

class TestOutput : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void nearestRoundsHalvesToEven_data();
    void nearestRoundsHalvesToEven();
    void pageRectangle_data();
    void pageRectangle();

    void rtfStructure();
    void rtfReadBackByUnrtf();
    void rtfBackgroundAndDefaultColour();
    void saveChoosesFormatByExtension_data();
    void saveChoosesFormatByExtension();
    void saveFailureCarriesTheSystemMessage();
    void printLaysOutPagesInTheRectangle();

    void readerTest();
    void commandsIgnoreOtherWindows();
    void selectAllAndCopy();
    void saveAsThroughTheDialog();
    void saveAsTypeGivesTheExtension_data();
    void saveAsTypeGivesTheExtension();
    void saveAsCancelled();
    void printChapterToPdf();
    void printDialogCopiesWithoutRange_data();
    void printDialogCopiesWithoutRange();
    void darkSchemePrintsDarkOnWhite();
    void printsTheSelectedVersesOnly();
    void darkSchemeCopiesCarryTheirBackground();
    void lettersOfPsalm119InEveryOutput_data();
    void lettersOfPsalm119InEveryOutput();
};

void TestOutput::initTestCase()
{
    if (toolsMissing())
        QFAIL(qPrintable(missingTools()));
}

void TestOutput::nearestRoundsHalvesToEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("0.5") << 0.5 << 0;
    QTest::newRow("1.5") << 1.5 << 2;
    QTest::newRow("2.5") << 2.5 << 2;
    QTest::newRow("487.5") << 487.5 << 488;
    QTest::newRow("474.5") << 474.5 << 474;
    QTest::newRow("2.49") << 2.49 << 2;
    QTest::newRow("2.51") << 2.51 << 3;
    QTest::newRow("-0.5") << -0.5 << 0;
    QTest::newRow("-1.5") << -1.5 << -2;
}

void TestOutput::nearestRoundsHalvesToEven()
{
    QFETCH(double, value);
    QFETCH(int, expected);
    QCOMPARE(PageRectangle::nearest(value), expected);
}

void TestOutput::pageRectangle_data()
{
    QTest::addColumn<QList<int>>("printer"); // dpiX, dpiY, offX, offY
    QTest::addColumn<QList<int>>("rect");    // left, top, right, bottom
    QTest::newRow("600 dpi") << QList<int>{600, 600, 50, 50} << QList<int>{550, 550, 4450, 5950};
    QTest::newRow("no offsets") << QList<int>{300, 300, 0, 0} << QList<int>{300, 300, 2250, 3000};
    QTest::newRow("uneven resolution")
        << QList<int>{1200, 600, 100, 25} << QList<int>{1100, 575, 8900, 5975};
    // 75 x 6.5 = 487.5 rounds up to the even 488; 73 x 6.5 = 474.5 down to 474.
    QTest::newRow("half up") << QList<int>{75, 75, 0, 0} << QList<int>{75, 75, 563, 750};
    QTest::newRow("half down") << QList<int>{73, 73, 3, 3} << QList<int>{70, 70, 544, 727};
}

void TestOutput::pageRectangle()
{
    QFETCH(QList<int>, printer);
    QFETCH(QList<int>, rect);
    const PageRect r = PageRectangle::forPrinter(printer[0], printer[1], printer[2], printer[3]);
    QCOMPARE((QList<int>{r.left, r.top, r.right, r.bottom}), rect);
}

void TestOutput::rtfStructure()
{
    QTextDocument document;
    fillSample(document);
    const QByteArray rtf = RtfWriter::write(document);
    QVERIFY(rtf.startsWith("{\\rtf1\\ansi"));
    QVERIFY(rtf.endsWith("}\n"));
    QCOMPARE(rtf.count('{') - rtf.count("\\{"), rtf.count('}') - rtf.count("\\}"));
    for (const char c : rtf)
        QVERIFY2(uchar(c) < 0x80, "RTF must be 7-bit");
    QVERIFY(rtf.contains("{\\fonttbl{\\f0\\fnil\\fcharset0 Liberation Serif;}"));
    QVERIFY(rtf.contains("\\fcharset0 Liberation Sans;"));
    QVERIFY(rtf.contains("{\\colortbl ;\\red128\\green0\\blue0;\\red0\\green0\\blue255;}"));
    QVERIFY(rtf.contains("\\pard\\qc\\fi100\\ri100"));
    QVERIFY(rtf.contains("\\pard\\ql\\fi100\\ri100"));
    QVERIFY(rtf.contains("\\pard\\qr"));
    QVERIFY(rtf.contains("\\fs28\\cf1\\b John 3}"));
    QVERIFY(rtf.contains("\\fs24\\cf2\\b 16}{\\plain\\f0\\fs24    For God so loved"));
    QVERIFY(rtf.contains("\\i that he gave}"));
    QVERIFY(rtf.contains("\\ul  his only}"));
    QVERIFY(rtf.contains("\\strike  begotten Son}"));
    QVERIFY(rtf.contains("Braces \\{x\\} and back\\\\slash, caf\\u233?"));
    QVERIFY(rtf.contains("\\u8211?"));
    QVERIFY(rtf.contains("\\u1488?"));
    QVERIFY(rtf.contains("\\u-10179?\\u-8704?")); // the surrogate pair of U+1F600
    // Three breaks between four paragraphs; none after the closing line.
    QCOMPARE(rtf.count("\\par\n"), 3);
    QVERIFY(!rtf.contains("\\cbpat"));
}

void TestOutput::rtfReadBackByUnrtf()
{
    QTemporaryDir dir;
    QTextDocument document;
    fillSample(document);
    const QString path = dir.filePath(QStringLiteral("sample.rtf"));
    DocumentOutput::save(document, path);

    const QString text = unrtfText(path);
    QVERIFY2(text.contains(QStringLiteral("John 3")), qPrintable(text));
    // unrtf shows runs of blanks as one, and non-ASCII only in its HTML.
    QVERIFY2(text.contains(QStringLiteral(
                 "16 For God so loved the world, that he gave his only begotten Son")),
             qPrintable(text));
    QVERIFY2(text.contains(QString::fromUtf8("Braces {x} and back\\slash, caf")), qPrintable(text));
    QVERIFY(text.endsWith(QStringLiteral("[End of Chapter]")));
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);

    const QString html =
        collapsed(runTool(QStringLiteral("unrtf"), {QStringLiteral("--html"), path}));
    QVERIFY2(html.contains(QStringLiteral("<b>John 3</b>")), qPrintable(html));
    QVERIFY(html.contains(QStringLiteral("<b>16</b>")));
    QVERIFY(html.contains(QStringLiteral("<i>that he gave</i>")));
    QVERIFY(html.contains(QStringLiteral("<u> his only</u>")));
    QVERIFY(html.contains(QStringLiteral("begotten Son")));
    QVERIFY(html.contains(QStringLiteral("#800000")));
    QVERIFY(html.contains(QStringLiteral("#0000ff")));
    QVERIFY(html.contains(QStringLiteral("Liberation Sans")));
    QVERIFY(html.contains(QStringLiteral("Liberation Serif")));
    QVERIFY(html.contains(QStringLiteral("center")));
    QVERIFY2(html.contains(QStringLiteral("caf&eacute; &ndash;")), qPrintable(html));
}

void TestOutput::rtfBackgroundAndDefaultColour()
{
    QTextDocument document;
    document.setPlainText(QStringLiteral("one\ntwo"));
    RtfWriter::Options options;
    options.background = QColor(255, 255, 192);
    options.defaultTextColor = QColor(0, 128, 0);
    const QByteArray rtf = RtfWriter::write(document, options);
    QVERIFY(rtf.contains("{\\colortbl ;\\red255\\green255\\blue192;\\red0\\green128\\blue0;}"));
    QCOMPARE(rtf.count("\\cbpat1"), 2);
    QVERIFY(rtf.contains("\\cf2 one}"));

    // White is the word processor's own page: nothing written for it.
    options.background = Qt::white;
    QVERIFY(!RtfWriter::write(document, options).contains("\\cbpat"));

    // Fonts sized in pixels become points as the screen shows them.
    QFont font(QStringLiteral("Liberation Serif"));
    font.setPixelSize(16);
    document.setDefaultFont(font);
    QVERIFY(RtfWriter::write(document).contains("\\fs24 one}"));
}

void TestOutput::saveChoosesFormatByExtension_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("plain");
    QTest::newRow("rtf") << "notes.rtf" << false;
    QTest::newRow("RTF") << "notes.RTF" << false;
    QTest::newRow("txt") << "notes.txt" << true;
    QTest::newRow("TXT") << "notes.TXT" << true;
    QTest::newRow("Txt") << "notes.Txt" << true;
    QTest::newRow("doc") << "notes.doc" << false;
    QTest::newRow("none") << "notes" << false;
    QTest::newRow("txt inside") << "notes.txt.bak" << false;
}

void TestOutput::saveChoosesFormatByExtension()
{
    QFETCH(QString, name);
    QFETCH(bool, plain);
    QTemporaryDir dir;
    QTextDocument document;
    fillSample(document);
    const QString path = dir.filePath(name);
    DocumentOutput::save(document, path);
    const QByteArray contents = readFile(path);
    if (plain) {
        QCOMPARE(QString::fromUtf8(contents), document.toPlainText());
        QVERIFY(!contents.contains("\\rtf"));
    } else {
        QVERIFY(contents.startsWith("{\\rtf1"));
        QVERIFY(unrtfText(path).contains(QStringLiteral("For God so loved the world")));
    }
    // Saving again replaces the file rather than appending to it.
    DocumentOutput::save(document, path);
    QCOMPARE(readFile(path), contents);
}

void TestOutput::saveFailureCarriesTheSystemMessage()
{
    QTemporaryDir dir;
    QTextDocument document(QStringLiteral("text"));
    const QString path = dir.filePath(QStringLiteral("missing/notes.rtf"));
    try {
        DocumentOutput::save(document, path);
        QFAIL("no error");
    } catch (const std::runtime_error &error) {
        const QString message = QString::fromUtf8(error.what());
        QVERIFY2(message.contains(QStringLiteral("notes.rtf")), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("No such file or directory")),
                 qPrintable(message));
    }
}

void TestOutput::printLaysOutPagesInTheRectangle()
{
    QTemporaryDir dir;
    QTextDocument document;
    QFont font(QStringLiteral("Liberation Serif"));
    font.setPixelSize(16);
    document.setDefaultFont(font);
    QStringList lines;
    for (int i = 1; i <= 200; ++i)
        lines.append(QStringLiteral("Line %1 of a text long enough for several pages.").arg(i));
    document.setPlainText(lines.join(QLatin1Char('\n')));

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    printer.setOutputFileName(pdf);
    printer.setPageSize(QPageSize(QPageSize::Letter));
    printer.setPageMargins(QMarginsF(0.5, 0.25, 0.5, 0.25), QPageLayout::Inch);
    const PageRect rect = DocumentOutput::pageRectFor(printer);
    const int dpi = printer.logicalDpiX();
    QCOMPARE(rect.left, dpi - dpi / 2);
    QCOMPARE(rect.top, dpi - dpi / 4);
    QCOMPARE(rect.width(), dpi * 13 / 2);
    QCOMPARE(rect.height(), dpi * 9);

    const int pages = DocumentOutput::print(document, printer, QStringLiteral("Sample 1"));
    QVERIFY(pages > 1);
    const QString info = runTool(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))),
             qPrintable(info));
    QVERIFY(info.contains(QRegularExpression(QStringLiteral("Title:\\s+Sample 1\\n"))));

    // Every word lies in the block one inch from the paper's left and top
    // edges, 6.5 by 9 inches (PDF points: 72 per inch).
    const QString boxes =
        runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">"));
    double minX = 1e9, minY = 1e9, maxX = 0, maxY = 0;
    int words = 0;
    for (auto it = word.globalMatch(boxes); it.hasNext(); ++words) {
        const auto m = it.next();
        minX = qMin(minX, m.captured(1).toDouble());
        minY = qMin(minY, m.captured(2).toDouble());
        maxX = qMax(maxX, m.captured(3).toDouble());
        maxY = qMax(maxY, m.captured(4).toDouble());
    }
    QVERIFY(words > 200 * 9);
    QVERIFY2(minX >= 71 && minX < 76, qPrintable(QString::number(minX)));
    QVERIFY2(minY >= 71 && minY < 80, qPrintable(QString::number(minY)));
    QVERIFY2(maxX <= 72 * 7.5 + 1, qPrintable(QString::number(maxX)));
    QVERIFY2(maxY <= 72 * 10 + 1, qPrintable(QString::number(maxY)));
    const QString text = runTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    QVERIFY(text.contains(QStringLiteral("Line 1 of a text")));
    QVERIFY(text.contains(QStringLiteral("Line 200 of a text")));
    // A line at a page's edge is printed on one page only.
    for (int line = 1; line <= 200; ++line)
        QCOMPARE(text.count(QStringLiteral("Line %1 of").arg(line)), 1);

    // A printer that cannot write its output says so.
    printer.setOutputFileName(dir.filePath(QStringLiteral("missing/out.pdf")));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                             DocumentOutput::print(document, printer, QStringLiteral("x")));
}

void TestOutput::readerTest()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    QVERIFY(!ChapterOutput::readerOf(nullptr));
    TFormBook reader(VerseReference{43, 3, 16});
    QCOMPARE(ChapterOutput::readerOf(&reader), &reader);
    QWidget other;
    other.setWindowTitle(QStringLiteral("John 3:16"));
    QVERIFY(!ChapterOutput::readerOf(&other));
    // The kind of window decides, whatever its caption says.
    for (const QString &caption :
         {QStringLiteral("Find Verses"), QStringLiteral("Easton's Bible Dictionary"),
          QStringLiteral("Eastonx"), QString()}) {
        reader.setWindowTitle(caption);
        QVERIFY2(ChapterOutput::readerOf(&reader) == &reader, qPrintable(caption));
    }
}

void TestOutput::commandsIgnoreOtherWindows()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormMain main;
    main.TimerStartup->stop();
    int dialogs = 0;
    ScopedRunner runner([&dialogs](QDialog &) {
        ++dialogs;
        return int(QDialog::Rejected);
    });
    // No child at all.
    main.Print1Click();
    main.SaveAs1Click();
    main.SelectAll1Click();
    main.Copy1Click();
    QCOMPARE(dialogs, 0);

    main.Open1Click(VerseReference{43, 3, 16});
    auto *search = new QWidget;
    search->setWindowTitle(QStringLiteral("Find Verses"));
    main.addChild(search)->show();
    main.mdiArea()->setActiveSubWindow(main.mdiArea()->subWindowList().last());
    QCOMPARE(main.activeChild(), search);
    QVERIFY(!main.Print1->isEnabled());

    QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
    main.Print1Click();
    main.SaveAs1Click();
    main.SelectAll1Click();
    main.Copy1Click();
    QCOMPARE(dialogs, 0);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("untouched"));
    auto *reader = qobject_cast<TFormBook *>(main.mdiArea()->subWindowList().first()->widget());
    QVERIFY(reader);
    QVERIFY(!reader->RxRichEdit1->textCursor().hasSelection());
}

void TestOutput::selectAllAndCopy()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormMain main;
    main.TimerStartup->stop();
    main.Open1Click(VerseReference{43, 3, 16});
    TFormBook *reader = main.activeReader();
    QVERIFY(reader);

    QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
    main.Copy1Click(); // nothing selected: nothing copied
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("untouched"));

    main.SelectAll1Click();
    const QTextCursor cursor = reader->RxRichEdit1->textCursor();
    QCOMPARE(cursor.selectionStart(), 0);
    QCOMPARE(cursor.selectionEnd(), reader->RxRichEdit1->document()->characterCount() - 1);

    main.Copy1Click();
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data);
    const QString plain = data->text();
    QVERIFY(plain.startsWith(QStringLiteral("John 3")));
    QVERIFY(plain.contains(QStringLiteral("16   For God so loved the world")));
    QVERIFY(plain.endsWith(QStringLiteral("[End of Chapter]")));
    QVERIFY(data->hasHtml());
    QVERIFY(data->html().contains(QStringLiteral("For God so loved the world")));
    const QByteArray rtf = data->data(QStringLiteral("text/rtf"));
    QVERIFY(rtf.startsWith("{\\rtf1"));
    QVERIFY(rtf.contains("For God so loved the world"));
    QCOMPARE(data->data(QStringLiteral("application/rtf")), rtf);
}

void TestOutput::saveAsThroughTheDialog()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormMain main;
    main.TimerStartup->stop();
    main.Open1Click(VerseReference{43, 3, 16});
    TFormBook *reader = main.activeReader();
    QVERIFY(reader);

    QString chosen; // empty: accept the suggested name
    ScopedRunner runner([&](QDialog &dialog) {
        auto *files = qobject_cast<QFileDialog *>(&dialog);
        if (!files)
            return int(QDialog::Rejected);
        [&] {
            QCOMPARE(files->acceptMode(), QFileDialog::AcceptSave);
            QCOMPARE(files->nameFilters(), (QStringList{QStringLiteral("Rich Text Files (*.RTF)"),
                                                        QStringLiteral("Text Files (*.TXT)")}));
            QCOMPARE(files->selectedNameFilter(), QStringLiteral("Rich Text Files (*.RTF)"));
            QCOMPARE(files->defaultSuffix(), QStringLiteral("RTF"));
            QVERIFY(!files->testOption(QFileDialog::DontConfirmOverwrite));
            QCOMPARE(QFileInfo(files->selectedFiles().value(0)).fileName(),
                     QStringLiteral("John 3.RTF"));
        }();
        files->setDirectory(sandbox.path());
        files->selectFile(chosen.isEmpty() ? QStringLiteral("John 3") : chosen);
        return int(QDialog::Accepted);
    });

    main.SaveAs1Click();
    const QString rtfPath = sandbox.filePath(QStringLiteral("John 3.RTF"));
    QVERIFY(QFile::exists(rtfPath));
    const QByteArray rtf = readFile(rtfPath);
    QVERIFY(rtf.startsWith("{\\rtf1"));
    // Every paragraph's first line starts 5 points in, and a verse's further
    // lines hang past its number; 5 points of right indent everywhere.
    const QRegularExpression pard(QStringLiteral("\\\\pard\\\\q[lc](?:\\\\fi(-?\\d+))?"
                                                 "(?:\\\\li(\\d+))?\\\\ri100"));
    int paragraphs = 0;
    int hanging = 0;
    for (auto it = pard.globalMatch(QString::fromLatin1(rtf)); it.hasNext(); ++paragraphs) {
        const QRegularExpressionMatch m = it.next();
        QCOMPARE(m.captured(1).toInt() + m.captured(2).toInt(), 100);
        hanging += m.captured(1).toInt() < 0 ? 1 : 0;
    }
    QCOMPARE(paragraphs, int(rtf.count("\\pard")));
    QCOMPARE(hanging, 36 + 1); // the verses and the blank line under them
    const QString text = unrtfText(rtfPath);
    QVERIFY2(text.startsWith(QStringLiteral("John 3")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral(" For God so loved the world")));
    QVERIFY(text.endsWith(QStringLiteral("[End of Chapter]")));
    // The heading keeps its font and colour, verse numbers theirs.
    const QString html =
        collapsed(runTool(QStringLiteral("unrtf"), {QStringLiteral("--html"), rtfPath}));
    QVERIFY2(html.contains(QStringLiteral("<b>John 3</b>")), qPrintable(html.left(2000)));
    QVERIFY(html.contains(QStringLiteral("<b>16</b>")));
    // The printed marks go along: the paragraph mark of verse 16.
    QVERIFY(QString(html)
                .remove(QRegularExpression(QStringLiteral("<[^>]*>")))
                .contains(QStringLiteral("16 &para; For God so loved the world")));
    QVERIFY(html.contains(QStringLiteral("#800000")));
    QVERIFY(html.contains(QStringLiteral("Times New Roman")));

    for (const QString &name : {QStringLiteral("notes.txt"), QStringLiteral("notes.TXT")}) {
        chosen = name;
        main.SaveAs1Click();
        const QString saved = QString::fromUtf8(readFile(sandbox.filePath(name)));
        QCOMPARE(saved, reader->RxRichEdit1->toPlainText());
        QVERIFY(saved.startsWith(QStringLiteral("John 3\n\n1   There was a man")));
    }
    chosen = QStringLiteral("notes.doc");
    main.SaveAs1Click();
    QVERIFY(readFile(sandbox.filePath(chosen)).startsWith("{\\rtf1"));
    QCOMPARE(unrtfText(sandbox.filePath(chosen)), text);
    chosen = QStringLiteral("notes.rtf");
    main.SaveAs1Click();
    QCOMPARE(unrtfText(sandbox.filePath(chosen)), text);

    // The reading background goes along as paragraph shading.
    QPalette palette = reader->RxRichEdit1->palette();
    palette.setColor(QPalette::Base, QColor(255, 255, 192));
    reader->RxRichEdit1->setPalette(palette);
    chosen = QStringLiteral("yellow.rtf");
    main.SaveAs1Click();
    const QByteArray yellow = readFile(sandbox.filePath(chosen));
    QVERIFY(yellow.contains(";\\red255\\green255\\blue192;"));
    QCOMPARE(yellow.count("\\cbpat"), yellow.count("\\pard"));
    QCOMPARE(unrtfText(sandbox.filePath(chosen)), text);

    chosen = sandbox.filePath(QStringLiteral("missing/notes.rtf"));
    MessageAnswers answers;
    main.SaveAs1Click();
    QCOMPARE(answers.texts.size(), 1);
    QVERIFY2(answers.all().contains(QStringLiteral("notes.rtf")), qPrintable(answers.all()));
}

// Qt's own save dialog, as a person works it: a file type picked in the
// list, a name typed or the one suggested kept, Enter.
void TestOutput::saveAsTypeGivesTheExtension_data()
{
    QTest::addColumn<QString>("typed"); // empty: the suggested name
    QTest::addColumn<QStringList>("types");
    QTest::addColumn<QString>("written");
    QTest::addColumn<bool>("plain");
    const QString rtf = QStringLiteral("Rich Text Files (*.RTF)");
    const QString txt = QStringLiteral("Text Files (*.TXT)");
    QTest::newRow("suggested, first type") << QString() << QStringList() << "John 3.RTF" << false;
    QTest::newRow("suggested, text type") << QString() << QStringList{txt} << "John 3.TXT" << true;
    QTest::newRow("text type, then back")
        << QString() << QStringList{txt, rtf} << "John 3.RTF" << false;
    QTest::newRow("typed name, text type") << "notes" << QStringList{txt} << "notes.TXT" << true;
    QTest::newRow("typed extension wins")
        << "notes.rtf" << QStringList{txt} << "notes.rtf" << false;
    QTest::newRow("typed .txt, first type") << "notes.txt" << QStringList() << "notes.txt" << true;
}

void TestOutput::saveAsTypeGivesTheExtension()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, types);
    QFETCH(QString, written);
    QFETCH(bool, plain);
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormMain main;
    main.TimerStartup->stop();
    main.Open1Click(VerseReference{43, 3, 16});
    TFormBook *reader = main.activeReader();
    QVERIFY(reader);
    const QStringList before = QDir(sandbox.path()).entryList(QDir::Files);

    bool worked = false;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        auto giveUp = qScopeGuard([dialog] { dialog->reject(); });
        auto *list = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(list && name);
        dialog->setDirectory(sandbox.path());
        QCOMPARE(name->text(), QStringLiteral("John 3"));
        for (const QString &type : types) {
            const int index = list->findText(type);
            QVERIFY(index >= 0);
            while (list->currentIndex() != index)
                QTest::keyClick(list, list->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
        }
        if (!typed.isEmpty()) {
            name->selectAll();
            QTest::keyClicks(name, typed);
        }
        giveUp.dismiss();
        QTest::keyClick(name, Qt::Key_Return);
        worked = true;
    });
    main.SaveAs1Click();
    QVERIFY(worked);

    QStringList after = QDir(sandbox.path()).entryList(QDir::Files);
    for (const QString &file : before)
        after.removeOne(file);
    QCOMPARE(after, QStringList{written});
    const QByteArray contents = readFile(sandbox.filePath(written));
    if (plain)
        QCOMPARE(QString::fromUtf8(contents), reader->RxRichEdit1->toPlainText());
    else
        QVERIFY(contents.startsWith("{\\rtf1"));
}

void TestOutput::saveAsCancelled()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormMain main;
    main.TimerStartup->stop();
    main.Open1Click();
    const QStringList before = QDir(sandbox.path()).entryList(QDir::Files);
    ScopedRunner runner([](QDialog &) { return int(QDialog::Rejected); });
    main.SaveAs1Click();
    main.Print1Click();
    QCOMPARE(QDir(sandbox.path()).entryList(QDir::Files), before);
}

void TestOutput::printChapterToPdf()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormMain main;
    main.TimerStartup->stop();
    main.Open1Click(VerseReference{19, 119, 1});
    QVERIFY(main.activeReader());
    const QString pdf = sandbox.filePath(QStringLiteral("Psalms 119.pdf"));
    ScopedRunner runner([&pdf](QDialog &dialog) {
        auto *print = qobject_cast<QPrintDialog *>(&dialog);
        if (!print)
            return int(QDialog::Rejected);
        if (print->testOption(QAbstractPrintDialog::PrintPageRange) ||
            print->testOption(QAbstractPrintDialog::PrintSelection))
            return int(QDialog::Rejected);
        print->printer()->setOutputFormat(QPrinter::PdfFormat);
        print->printer()->setOutputFileName(pdf);
        return int(QDialog::Accepted);
    });
    main.Print1Click();
    QVERIFY(QFile::exists(pdf));
    const QString info = runTool(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Title:\\s+Psalms 119\\n"))),
             qPrintable(info));
    const QRegularExpressionMatch pages =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    QVERIFY(pages.hasMatch());
    QVERIFY2(pages.captured(1).toInt() > 1, qPrintable(info));
    const QString text =
        collapsed(runTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}));
    QVERIFY(text.startsWith(QStringLiteral("Psalms 119")));
    QVERIFY(text.contains(QStringLiteral("Blessed are the undefiled in the way")));
    QVERIFY(text.contains(QStringLiteral("[End of Chapter]")));
}

void TestOutput::printDialogCopiesWithoutRange_data()
{
    QTest::addColumn<int>("copies");
    QTest::newRow("one") << 1;
    QTest::newRow("three") << 3;
}

// Qt's own print dialog: no page range, no reverse order, and the copies
// the person sets are printed.
void TestOutput::printDialogCopiesWithoutRange()
{
    QFETCH(int, copies);
    if (toolsMissing())
        QFAIL(qPrintable(missingTools()));
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormMain main;
    main.TimerStartup->stop();
    main.Open1Click(VerseReference{43, 3, 16});
    TFormBook *reader = main.activeReader();
    QVERIFY(reader);
    const QString pdf = sandbox.filePath(QStringLiteral("John 3.pdf"));

    bool worked = false;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        auto giveUp = qScopeGuard([dialog] { dialog->reject(); });
        auto *range = dialog->findChild<QWidget *>(QStringLiteral("gbPrintRange"));
        auto *reverse = dialog->findChild<QWidget *>(QStringLiteral("reverse"));
        auto *count = dialog->findChild<QSpinBox *>(QStringLiteral("copies"));
        auto *file = dialog->findChild<QLineEdit *>(QStringLiteral("filename"));
        auto *buttons = dialog->findChild<QDialogButtonBox *>();
        QVERIFY(range && reverse && count && file && buttons);
        QVERIFY(range->isHidden());
        QVERIFY(reverse->isHidden());
        QVERIFY(!count->isHidden());
        QCOMPARE(QFileInfo(file->text()).fileName(), QStringLiteral("John 3.pdf"));
        count->setValue(copies);
        file->setText(pdf);
        for (QAbstractButton *button : buttons->buttons()) {
            if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole) {
                giveUp.dismiss();
                worked = true;
                button->click();
            }
        }
    });
    main.Print1Click();
    QVERIFY(worked);

    QPrinter single(QPrinter::HighResolution);
    single.setOutputFileName(sandbox.filePath(QStringLiteral("single.pdf")));
    const int pagesOfOne =
        DocumentOutput::print(*reader->RxRichEdit1->document(), single, QStringLiteral("one"));
    const QString info = runTool(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY2(info.contains(
                 QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(copies * pagesOfOne))),
             qPrintable(info));
    const QString text =
        collapsed(runTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}));
    QCOMPARE(text.count(QStringLiteral("[End of Chapter]")), copies);
    QCOMPARE(text.count(QStringLiteral("16 \u00b6 For God so loved the world")), copies);
}

// A dark screen scheme prints dark text on white paper, with the psalm's
// title, its italics and a running foot; poppler reads the PDF back.
void TestOutput::darkSchemePrintsDarkOnWhite()
{
    if (toolsMissing() || QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        QFAIL(qPrintable(missingTools({QStringLiteral("unrtf"), QStringLiteral("pdftotext"),
                                       QStringLiteral("pdfinfo"), QStringLiteral("pdftoppm")})));
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormMain main;
    main.TimerStartup->stop();
    useDarkScheme(main);
    main.Open1Click(VerseReference{19, 23, 1});
    QVERIFY(main.activeReader());
    const QString pdf = sandbox.filePath(QStringLiteral("Psalms 23.pdf"));
    QString suggested;
    ScopedRunner runner([&](QDialog &dialog) {
        auto *print = qobject_cast<QPrintDialog *>(&dialog);
        if (!print)
            return int(QDialog::Rejected);
        suggested = print->printer()->docName();
        print->printer()->setOutputFormat(QPrinter::PdfFormat);
        print->printer()->setOutputFileName(pdf);
        return int(QDialog::Accepted);
    });
    main.Print1Click();
    QCOMPARE(suggested, QStringLiteral("Psalms 23"));
    // In the order of drawing: the column of verse numbers would otherwise
    // be read as a column of its own.
    const QString text = collapsed(
        runTool(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")}));
    QVERIFY2(text.startsWith(QStringLiteral("Psalms 23 A Psalm of David. 1 The LORD is my")),
             qPrintable(text));
    QVERIFY2(text.contains(QString::fromUtf8("Psalms 23 \u2014 page 1 of 1")), qPrintable(text));
    QVERIFY(runTool(QStringLiteral("pdffonts"), {pdf}).contains(QStringLiteral("Italic")));

    // The words are dark ink on white: most of the page is white, and the
    // marked pixels are dark, not white on white.
    const QString stem = sandbox.filePath(QStringLiteral("page"));
    runTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("60"), QStringLiteral("-png"),
             QStringLiteral("-singlefile"), pdf, stem});
    const QImage page(stem + QStringLiteral(".png"));
    QVERIFY(!page.isNull());
    int white = 0;
    int inked = 0;
    qint64 inkLightness = 0;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const int lightness = QColor(page.pixel(x, y)).lightness();
            if (lightness > 245) {
                ++white;
            } else {
                ++inked;
                inkLightness += lightness;
            }
        }
    }
    QVERIFY2(white > page.width() * page.height() * 8 / 10, qPrintable(QString::number(white)));
    QVERIFY2(inked > 2000 && inkLightness / inked < 170,
             qPrintable(QStringLiteral("%1 inked, mean lightness %2")
                            .arg(inked)
                            .arg(inked ? inkLightness / inked : 0)));

    // Colours keep their hue where it reads on white; else they darken.
    QCOMPARE(DocumentOutput::readableOnPaper(QColor(128, 0, 0)), QColor(128, 0, 0));
    QCOMPARE(DocumentOutput::readableOnPaper(Qt::white), QColor(Qt::black));
    const QColor yellow = DocumentOutput::readableOnPaper(QColor(255, 255, 128));
    QVERIFY(yellow.lightness() < 120);
    QCOMPARE(yellow.hslHue(), QColor(255, 255, 128).hslHue());
}

// Copies of a dark scheme carry its page colour with its text colour; the
// plain text is the words alone.
void TestOutput::darkSchemeCopiesCarryTheirBackground()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormMain main;
    main.TimerStartup->stop();
    useDarkScheme(main);
    main.Open1Click(VerseReference{19, 23, 1});
    QVERIFY(main.activeReader());
    main.SelectAll1Click();
    main.Copy1Click();
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data);
    QVERIFY(data->text().startsWith(
        QStringLiteral("Psalms 23\nA Psalm of David.\n\n1   The LORD is my shepherd;")));
    QVERIFY(!data->text().contains(QChar(0x00B6)));
    QVERIFY2(data->html().contains(QStringLiteral("background-color:#000000;")) &&
                 data->html().contains(QStringLiteral("color:#ffffff;")),
             qPrintable(data->html().left(600)));
    QVERIFY(data->html().contains(QStringLiteral("font-style:italic;\">is</span>")));

    const QString path = sandbox.filePath(QStringLiteral("copy.rtf"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data->data(QStringLiteral("text/rtf")));
    file.close();
    const QString html =
        collapsed(runTool(QStringLiteral("unrtf"), {QStringLiteral("--html"), path}));
    QVERIFY2(html.contains(QStringLiteral("<i>is</i>")), qPrintable(html.left(2000)));
    QVERIFY(html.contains(QStringLiteral("A Psalm of David.")));
    const QByteArray rtf = data->data(QStringLiteral("text/rtf"));
    QVERIFY(rtf.contains(";\\red0\\green0\\blue0;"));
    QCOMPARE(rtf.count("\\cbpat"), rtf.count("\\pard"));
}

// Verses 9 to 16 selected (from inside verse 9 to inside verse 16): the
// dialog offers the selection beside the whole chapter, and the pages hold
// the heading and those verses whole, footed with their place.
void TestOutput::printsTheSelectedVersesOnly()
{
    if (toolsMissing())
        QFAIL(qPrintable(missingTools()));
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormMain main;
    main.TimerStartup->stop();
    main.Open1Click(VerseReference{19, 119, 1});
    TFormBook *reader = main.activeReader();
    QVERIFY(reader);
    QTextCursor selection(reader->RxRichEdit1->document());
    selection.setPosition(reader->verseStart(8) + 10);
    selection.setPosition(reader->verseStart(15) + 5, QTextCursor::KeepAnchor);
    reader->RxRichEdit1->setTextCursor(selection);
    const QString pdf = sandbox.filePath(QStringLiteral("part.pdf"));

    bool worked = false;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        auto giveUp = qScopeGuard([dialog] { dialog->reject(); });
        auto *selected = dialog->findChild<QRadioButton *>(QStringLiteral("printSelection"));
        auto *all = dialog->findChild<QRadioButton *>(QStringLiteral("printAll"));
        auto *pages = dialog->findChild<QWidget *>(QStringLiteral("printRange"));
        auto *file = dialog->findChild<QLineEdit *>(QStringLiteral("filename"));
        auto *buttons = dialog->findChild<QDialogButtonBox *>();
        QVERIFY(selected && all && pages && file && buttons);
        QVERIFY(!selected->isHidden() && selected->isEnabled());
        QVERIFY(!all->isHidden() && !selected->parentWidget()->isHidden());
        QVERIFY(pages->isHidden());
        selected->click();
        file->setText(pdf);
        for (QAbstractButton *button : buttons->buttons()) {
            if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole) {
                giveUp.dismiss();
                worked = true;
                button->click();
            }
        }
    });
    main.Print1Click();
    QVERIFY(worked);
    const QString text = collapsed(
        runTool(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")}));
    // The letter BETH stands before verse 9 as in the chapter.
    QVERIFY2(text.contains(QRegularExpression(QStringLiteral(
                 "^Psalms 119 \\S+ BETH\\. 9 Wherewithal shall a young man cleanse"))),
             qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("16 I will delight myself in thy statutes")));
    QVERIFY(!text.contains(QStringLiteral("I will keep thy statutes: O forsake me not utterly")));
    QVERIFY(!text.contains(QStringLiteral("17 Deal bountifully")));
    QVERIFY(!text.contains(QStringLiteral("[End of Chapter]")));
    QVERIFY2(text.endsWith(QString::fromUtf8("Psalms 119:9-16 \u2014 page 1 of 1")),
             qPrintable(text));
    // The reader itself is left as it was.
    QCOMPARE(reader->RxRichEdit1->document()->blockCount(), 176 + 4);
}

void TestOutput::lettersOfPsalm119InEveryOutput_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QStringList>("letters"); // those shown, in order
    QStringList all;
    for (const char *letter : kLetters)
        all.append(QLatin1String(letter));
    QTest::newRow("copied HTML") << "html" << all;
    QTest::newRow("copied RTF") << "copy.rtf" << all;
    QTest::newRow("copied plain text") << "text" << QStringList();
    QTest::newRow("saved RTF") << "Psalms 119.RTF" << all;
    QTest::newRow("saved text") << "Psalms 119.TXT" << QStringList();
    QTest::newRow("printed") << "Psalms 119.pdf" << all;
    QTest::newRow("printed, verses 5 to 12") << "part.pdf" << QStringList{"BETH"};
}

// Each letter of Psalm 119 stands on a line of its own before its verse in
// every formatted output; the plain text is the words alone, as before.
void TestOutput::lettersOfPsalm119InEveryOutput()
{
    QFETCH(QString, output);
    QFETCH(QStringList, letters);
    if (toolsMissing())
        QFAIL(qPrintable(missingTools()));
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormMain main;
    main.TimerStartup->stop();
    main.Open1Click(VerseReference{19, 119, 1});
    TFormBook *reader = main.activeReader();
    QVERIFY(reader);
    const QString path = sandbox.filePath(output);
    ScopedRunner runner([&](QDialog &dialog) {
        if (auto *files = qobject_cast<QFileDialog *>(&dialog)) {
            files->setDirectory(sandbox.path());
            files->selectFile(output);
        } else if (auto *print = qobject_cast<QPrintDialog *>(&dialog)) {
            print->printer()->setOutputFormat(QPrinter::PdfFormat);
            print->printer()->setOutputFileName(path);
            if (output == QLatin1String("part.pdf"))
                print->printer()->setPrintRange(QPrinter::Selection);
        }
        return int(QDialog::Accepted);
    });
    QString text;
    if (output.endsWith(QLatin1String(".pdf"))) {
        QTextCursor part(reader->RxRichEdit1->document());
        part.setPosition(reader->verseStart(4) + 10);
        part.setPosition(reader->verseStart(11) + 5, QTextCursor::KeepAnchor);
        reader->RxRichEdit1->setTextCursor(part);
        main.Print1Click();
        text = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), path, "-"});
        // On paper a heading takes a line and a little space above it.
        const QString boxes = runTool(QStringLiteral("pdftotext"), {"-bbox", path, "-"});
        const auto edge = [&boxes](const char *word, const char *side) {
            return QRegularExpression(QStringLiteral("%1=\"([0-9.]+)\"[^>]*>%2<").arg(side, word))
                .match(boxes)
                .captured(1)
                .toDouble();
        };
        const double line = edge("Wherewithal", "yMax") - edge("Wherewithal", "yMin");
        const double gap = edge("Wherewithal", "yMin") - edge("utterly\\.", "yMax");
        QVERIFY2(line > 0 && gap > line && gap < 2.5 * line, qPrintable(QString::number(gap)));
    } else if (output.startsWith(QLatin1String("Psalms"))) {
        main.SaveAs1Click();
        text = output.endsWith(QLatin1String(".TXT")) ? QString::fromUtf8(readFile(path))
                                                      : unrtfText(path);
    } else {
        main.SelectAll1Click();
        main.Copy1Click();
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        QTextDocument html;
        html.setHtml(data->html());
        QFile rtf(path);
        QVERIFY(rtf.open(QIODevice::WriteOnly));
        rtf.write(data->data(QStringLiteral("text/rtf")));
        rtf.close();
        text = output == QLatin1String("html")   ? html.toPlainText()
               : output == QLatin1String("text") ? data->text()
                                                 : unrtfText(path);
        QVERIFY(html.toPlainText().contains(QString::fromUtf8("\u05d1 BETH.\n9   Wherewithal")));
    }
    if (letters.isEmpty())
        QVERIFY2(text.contains(QStringLiteral("utterly.\n9   Wherewithal")), qPrintable(text));
    const QString words = collapsed(text);
    qsizetype previous = -1;
    for (int i = 0; i < int(std::size(kLetters)); ++i) {
        const QString name = QLatin1String(kLetters[i]);
        const qsizetype at = words.indexOf(QStringLiteral("%1. %2 ").arg(name).arg(i * 8 + 1));
        if (letters.contains(name))
            QVERIFY2(at > previous, qPrintable(name + QLatin1Char('|') + words.left(2000)));
        else
            QVERIFY2(!words.contains(QRegularExpression("\\b" + name + "\\.")), qPrintable(name));
        previous = qMax(previous, at);
    }
}

QTEST_MAIN(TestOutput)
#include "tst_output.moc"
