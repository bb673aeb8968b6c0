#include "readermarks.h"

#include "reader/formbook.h"
#include "study/versecopy.h"

#include <QAccessible>
#include <QComboBox>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolTip>

#include <cmath>

namespace {
// Light and dark shade of each highlight colour.
const QRgb kShades[Study::HighlightCount][2] = {
    {0xfff176, 0x6b5e00}, // yellow
    {0xa5d6a7, 0x1b5e20}, // green
    {0x90caf9, 0x0d47a1}, // blue
    {0xf48fb1, 0x880e4f}, // pink
    {0xffcc80, 0x8a4b00}, // orange
};
// Set on the heading's line once the chapter's highlights are laid; a new
// chapter build clears the document and with it the mark.
const int kLaidState = 0x57d1;
const int kMarkWidth = 5;
// Least contrast of text on a highlight (WCAG's figure for large text).
const qreal kReadable = 3.0;
const int kNotePreview = 200;

qreal luminance(const QColor &color)
{
    auto channel = [](qreal c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) +
           0.0722 * channel(color.blueF());
}

QColor towardWhite(const QColor &color)
{
    return QColor((color.red() + 2 * 255) / 3, (color.green() + 2 * 255) / 3,
                  (color.blue() + 2 * 255) / 3);
}

qreal contrast(const QColor &a, const QColor &b)
{
    const qreal la = luminance(a);
    const qreal lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}
} // namespace

ReaderMarks::ReaderMarks(TFormBook *reader, StudyStore *store)
    : QObject(reader), m_reader(reader), m_store(store)
{
    m_reader->RxRichEdit1->viewport()->installEventFilter(this);
    // The caption follows the verse under the caret and is set anew after
    // every chapter load.
    connect(m_reader, &QWidget::windowTitleChanged, this, &ReaderMarks::followCaption);
    connect(m_store, &StudyStore::changed, this, &ReaderMarks::refresh);
    refresh();
}

QColor ReaderMarks::highlightColour(int colour, const QColor &textColor)
{
    if (colour < 1 || colour > Study::HighlightCount)
        return QColor();
    const QColor light(kShades[colour - 1][0]);
    const QColor dark(kShades[colour - 1][1]);
    // Mid-tone text stands out from neither shade: a paler or deeper one
    // of the same colour then keeps it legible.
    const QColor candidates[] = {light, dark, towardWhite(light), dark.darker(250)};
    QColor best = light;
    for (const QColor &candidate : candidates) {
        if (contrast(candidate, textColor) >= kReadable)
            return candidate;
        if (contrast(candidate, textColor) > contrast(best, textColor))
            best = candidate;
    }
    return best;
}

QString ReaderMarks::describe(const Study::Entry &entry)
{
    QStringList parts;
    if (entry.bookmarked)
        parts.append(entry.label.isEmpty() ? QStringLiteral("bookmarked")
                                           : QStringLiteral("bookmarked: %1").arg(entry.label));
    if (entry.highlight > 0)
        parts.append(QStringLiteral("highlighted %1").arg(Study::highlightName(entry.highlight)));
    if (!entry.note.isEmpty()) {
        QString note = entry.note.left(kNotePreview).simplified();
        if (entry.note.size() > kNotePreview)
            note += QStringLiteral("...");
        parts.append(QStringLiteral("note: %1").arg(note));
    }
    return parts.join(QStringLiteral(", "));
}

void ReaderMarks::refresh()
{
    m_chapterKey = -1;
    followCaption();
}

void ReaderMarks::followCaption()
{
    const int book = m_reader->ComboBoxBook->currentIndex() + 1;
    const int chapter = m_reader->ComboBoxChapter->currentIndex() + 1;
    const qint64 key = Study::keyOf({book, chapter, 0});
    const QTextBlock heading = m_reader->RxRichEdit1->document()->begin();
    if (key != m_chapterKey || heading.userState() != kLaidState) {
        try {
            m_marks = m_store->chapter(book, chapter);
        } catch (const std::exception &) {
            // An unreadable store shows no marks; the commands that write to
            // it tell what is wrong.
            m_marks.clear();
        }
        m_chapterKey = key;
        applyHighlights();
        m_reader->RxRichEdit1->viewport()->update();
    }
    const int verse = m_reader->ComboBoxVerse->currentIndex() + 1;
    const QString description = describe(m_marks.value(verse));
    QTextEdit *area = m_reader->RxRichEdit1;
    if (area->accessibleDescription() != description) {
        area->setAccessibleDescription(description);
        QAccessibleEvent changed(area, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

void ReaderMarks::applyHighlights()
{
    QTextEdit *area = m_reader->RxRichEdit1;
    QTextDocument *document = area->document();
    const int count = VerseCopy::verseCount(*m_reader);
    const QColor text = area->palette().color(QPalette::Text);
    for (int verse = 1; verse <= count; ++verse) {
        const QTextBlock block = document->findBlock(m_reader->verseStart(verse - 1));
        const int colour = m_marks.value(verse).highlight;
        const QColor shade = highlightColour(colour, text);
        // The number keeps its own look; the highlight lies behind the text.
        bool pastNumber = false;
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!pastNumber) {
                pastNumber = !fragment.text().isEmpty() && !fragment.text().at(0).isDigit();
                if (!pastNumber)
                    continue;
            }
            QTextCharFormat format = fragment.charFormat();
            const bool has = format.background().style() != Qt::NoBrush;
            if (!shade.isValid() && !has)
                continue;
            if (shade.isValid() && has && format.background().color() == shade)
                continue;
            if (shade.isValid())
                format.setBackground(shade);
            else
                format.clearBackground();
            QTextCursor cursor(document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
    QTextBlock heading = document->begin();
    if (heading.isValid())
        heading.setUserState(kLaidState);
}

bool ReaderMarks::eventFilter(QObject *watched, QEvent *event)
{
    // Drawn before the text, in the margin left of the verse numbers.
    if (event->type() == QEvent::Paint && watched == m_reader->RxRichEdit1->viewport())
        paintMarks();
    // The margin mark tells what it stands for.
    if (event->type() == QEvent::ToolTip && watched == m_reader->RxRichEdit1->viewport()) {
        const auto *help = static_cast<QHelpEvent *>(event);
        QTextEdit *area = m_reader->RxRichEdit1;
        const int verse =
            VerseCopy::verseAt(*m_reader, area->cursorForPosition(help->pos()).position());
        QTextCursor start(area->document());
        start.setPosition(verse > 0 ? m_reader->verseStart(verse - 1) : 0);
        const QString text = verse > 0 ? describe(m_marks.value(verse)) : QString();
        if (!text.isEmpty() && help->pos().x() < area->cursorRect(start).left()) {
            QToolTip::showText(help->globalPos(), text, area->viewport());
            return true;
        }
    }
    // A right click names the verse the context menu's commands act on,
    // unless it falls inside a selection, which they act on instead.
    if (event->type() == QEvent::MouseButtonPress && watched == m_reader->RxRichEdit1->viewport()) {
        const auto *click = static_cast<QMouseEvent *>(event);
        QTextEdit *area = m_reader->RxRichEdit1;
        const int position = area->cursorForPosition(click->position().toPoint()).position();
        const QTextCursor current = area->textCursor();
        if (click->button() == Qt::RightButton &&
            (position < current.selectionStart() || position > current.selectionEnd())) {
            QTextCursor moved(area->document());
            moved.setPosition(position);
            area->setTextCursor(moved);
        }
    }
    return QObject::eventFilter(watched, event);
}

void ReaderMarks::paintMarks()
{
    if (m_marks.isEmpty())
        return;
    QTextEdit *area = m_reader->RxRichEdit1;
    QPainter painter(area->viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink = area->palette().color(QPalette::Text);
    const int count = VerseCopy::verseCount(*m_reader);
    for (auto it = m_marks.cbegin(); it != m_marks.cend(); ++it) {
        const int verse = it.key();
        if (verse < 1 || verse > count || (!it->bookmarked && it->note.isEmpty()))
            continue;
        QTextCursor cursor(area->document());
        cursor.setPosition(m_reader->verseStart(verse - 1));
        const QRect line = area->cursorRect(cursor);
        if (line.bottom() < 0 || line.top() > area->viewport()->height())
            continue;
        const qreal left = qMax(0, line.left() - kMarkWidth - 2);
        if (it->bookmarked) {
            // A ribbon with a notch: the bookmark.
            QPainterPath ribbon;
            const qreal top = line.top();
            const qreal bottom = line.top() + line.height() * 0.6;
            ribbon.moveTo(left, top);
            ribbon.lineTo(left + kMarkWidth, top);
            ribbon.lineTo(left + kMarkWidth, bottom);
            ribbon.lineTo(left + kMarkWidth / 2.0, bottom - 2);
            ribbon.lineTo(left, bottom);
            ribbon.closeSubpath();
            painter.fillPath(ribbon, ink);
        }
        if (!it->note.isEmpty()) {
            // A dot under the ribbon: a note.
            const qreal size = kMarkWidth - 1;
            painter.setBrush(ink);
            painter.setPen(Qt::NoPen);
            painter.drawEllipse(QRectF(left + 0.5, line.top() + line.height() * 0.7, size, size));
        }
    }
}
