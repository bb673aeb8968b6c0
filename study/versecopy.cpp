#include "versecopy.h"

#include "app/rtfwriter.h"
#include "reader/formbook.h"

#include <QComboBox>
#include <QMimeData>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>

namespace {
const char *const kVersion = "KJV";

// The verse's own text starts after its number and the gap.
int textStart(const TFormBook &reader, int verse)
{
    const int start = reader.verseStart(verse - 1);
    const int end = reader.verseStart(verse) - 1;
    const QString line = reader.RxRichEdit1->document()->findBlock(start).text();
    static const QRegularExpression number(QStringLiteral("^\\d+\\s*"));
    const QRegularExpressionMatch match = number.match(line);
    return qMin(end, start + (match.hasMatch() ? int(match.capturedLength()) : 0));
}
} // namespace

namespace VerseCopy {
int verseCount(const TFormBook &reader)
{
    int count = 0;
    while (count < TFormBook::MaxVerses && reader.verseStart(count + 1) > 0)
        ++count;
    return count;
}

int verseAt(const TFormBook &reader, int position)
{
    const int count = verseCount(reader);
    if (count == 0 || position < reader.verseStart(0))
        return 0;
    for (int k = 1; k <= count; ++k) {
        if (position < reader.verseStart(k))
            return k;
    }
    return 0;
}

int caretVerse(const TFormBook &reader)
{
    const int count = verseCount(reader);
    if (count == 0)
        return 0;
    const int position = reader.RxRichEdit1->textCursor().selectionStart();
    if (position < reader.verseStart(0))
        return 1;
    const int verse = verseAt(reader, position);
    return verse > 0 ? verse : count;
}

void selectedVerses(const TFormBook &reader, const QTextCursor &selection, int &first, int &last)
{
    first = verseAt(reader, selection.selectionStart());
    // A selection that ends at the start of a line takes nothing of it.
    const int end = selection.selectionEnd();
    last = verseAt(reader, end > selection.selectionStart() ? end - 1 : end);
    if (first == 0 || last == 0)
        first = last = 0;
}

QString reference(const QString &book, int chapter, int first, int last)
{
    const QString verses =
        first == last ? QString::number(first) : QStringLiteral("%1-%2").arg(first).arg(last);
    return QStringLiteral("%1 %2:%3 (%4)")
        .arg(book)
        .arg(chapter)
        .arg(verses, QLatin1String(kVersion));
}

QMimeData *mimeData(const TFormBook &reader, int first, int last)
{
    const QTextDocument *source = reader.RxRichEdit1->document();
    QTextDocument document;
    document.setDefaultFont(source->defaultFont());
    QTextCursor out(&document);
    QStringList lines;
    for (int verse = first; verse <= last; ++verse) {
        QTextCursor range(const_cast<QTextDocument *>(source));
        range.setPosition(reader.verseStart(verse - 1));
        range.setPosition(reader.verseStart(verse) - 1, QTextCursor::KeepAnchor);
        out.insertFragment(range.selection());
        out.insertBlock();
        lines.append(QStringLiteral("%1 %2").arg(verse).arg(
            source->findBlock(reader.verseStart(verse - 1))
                .text()
                .mid(textStart(reader, verse) - reader.verseStart(verse - 1))));
    }
    const QString cited = reference(reader.ComboBoxBook->currentText(),
                                    reader.ComboBoxChapter->currentIndex() + 1, first, last);
    out.insertText(cited, QTextCharFormat());
    lines.append(cited);

    auto *data = new QMimeData;
    data->setText(lines.join(QLatin1Char('\n')));
    data->setHtml(document.toHtml());
    const QByteArray rtf = RtfWriter::write(document);
    data->setData(QStringLiteral("text/rtf"), rtf);
    data->setData(QStringLiteral("application/rtf"), rtf);
    return data;
}

QMimeData *forSelection(const QWidget *area, const QTextCursor &selection)
{
    const TFormBook *reader = nullptr;
    for (const QWidget *w = area; w && !reader; w = w->parentWidget())
        reader = qobject_cast<const TFormBook *>(w);
    if (!reader || !selection.hasSelection() || verseCount(*reader) == 0)
        return nullptr;
    const int count = verseCount(*reader);
    if (selection.selectionStart() < reader->verseStart(0) ||
        selection.selectionEnd() > reader->verseStart(count))
        return nullptr;
    int first = 0;
    int last = 0;
    selectedVerses(*reader, selection, first, last);
    if (first == 0)
        return nullptr;
    // Words picked out of one verse copy as they are, for a search box or
    // a quotation of one's own.
    if (first == last && (selection.selectionStart() > textStart(*reader, first) ||
                          selection.selectionEnd() < reader->verseStart(first) - 1))
        return nullptr;
    return mimeData(*reader, first, last);
}
} // namespace VerseCopy
