#include "app/documentoutput.h"

#include "reader/chaptermarkup.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QTextFrame>

#include <cmath>
#include <memory>
#include <stdexcept>

namespace {
// Text formats sized in pixels mean screen pixels.
constexpr double kScreenPixelsPerInch = 96.0;

// What reads on white paper: WCAG's contrast of 4.5 to 1 against white.
constexpr double kPaperContrast = 4.5;
// The running foot: its size beside the text's and its gap above.
constexpr double kFootPoints = 9.0;
constexpr double kFootGapInches = 0.15;
const char *const kFootText = "%1 \u2014 page %2 of %3";

double luminance(const QColor &colour)
{
    const auto linear = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) +
           0.0722 * linear(rgb.blueF());
}

[[noreturn]] void fail(const QString &message)
{
    throw std::runtime_error(message.toStdString());
}

QTextCharFormat withPointSize(QTextCharFormat format)
{
    if (format.hasProperty(QTextFormat::FontPixelSize)) {
        const int pixels = format.intProperty(QTextFormat::FontPixelSize);
        format.clearProperty(QTextFormat::FontPixelSize);
        if (pixels > 0)
            format.setFontPointSize(pixels * 72.0 / kScreenPixelsPerInch);
    }
    return format;
}

// Indents and side margins are screen pixels too: at a printer's resolution
// they would all but vanish, the hanging verse lines with them. The space
// above and below a paragraph Qt's layout scales to the printer itself.
void scaleParagraphs(QTextDocument &document, double printerPixelsPerInch)
{
    const double scale = printerPixelsPerInch / kScreenPixelsPerInch;
    QTextCursor cursor(&document);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat format = block.blockFormat();
        format.setLeftMargin(format.leftMargin() * scale);
        format.setRightMargin(format.rightMargin() * scale);
        format.setTextIndent(format.textIndent() * scale);
        cursor.setPosition(block.position());
        cursor.setBlockFormat(format);
    }
}

// Pixel sizes would shrink to specks at a printer's resolution; points scale.
void usePointSizes(QTextDocument &document)
{
    QFont base = document.defaultFont();
    if (base.pixelSize() > 0) {
        base.setPointSizeF(base.pixelSize() * 72.0 / kScreenPixelsPerInch);
        document.setDefaultFont(base);
    }
    QTextCursor cursor(&document);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        cursor.setPosition(block.position());
        cursor.setBlockCharFormat(withPointSize(block.charFormat()));
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().hasProperty(QTextFormat::FontPixelSize))
                continue;
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(withPointSize(fragment.charFormat()));
        }
    }
}
} // namespace

namespace DocumentOutput {
QColor readableOnPaper(const QColor &colour)
{
    if (!colour.isValid())
        return QColor(Qt::black);
    const auto contrast = [](const QColor &c) { return 1.05 / (luminance(c) + 0.05); };
    if (contrast(colour) >= kPaperContrast)
        return colour;
    // A colour keeps its hue, darkened until it reads; a grey or white, the
    // text of a dark scheme, becomes black.
    QColor hsl = colour.toHsl();
    if (hsl.hslSaturationF() < 0.25)
        return QColor(Qt::black);
    for (double lightness = hsl.lightnessF(); lightness > 0; lightness -= 0.02) {
        const QColor darker = QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), lightness);
        if (contrast(darker) >= kPaperContrast)
            return darker.toRgb();
    }
    return QColor(Qt::black);
}

void useColoursOfPaper(QTextDocument &document)
{
    const auto onPaper = [](QTextCharFormat format) {
        if (format.foreground().style() != Qt::NoBrush)
            format.setForeground(readableOnPaper(format.foreground().color()));
        // A dark marking behind the words would hide them on paper.
        if (format.background().style() != Qt::NoBrush &&
            luminance(format.background().color()) < 0.5)
            format.clearBackground();
        return format;
    };
    QTextFrameFormat root = document.rootFrame()->frameFormat();
    root.clearBackground();
    document.rootFrame()->setFrameFormat(root);
    QTextCursor cursor(&document);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        cursor.setPosition(block.position());
        cursor.setBlockCharFormat(onPaper(block.charFormat()));
        QVector<QTextFragment> fragments;
        for (auto it = block.begin(); !it.atEnd(); ++it)
            fragments.append(it.fragment());
        for (const QTextFragment &fragment : std::as_const(fragments)) {
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(onPaper(fragment.charFormat()));
        }
    }
}

PageRect pageRectFor(const QPrinter &printer)
{
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const QRectF printable = printer.pageRect(QPrinter::DevicePixel);
    return PageRectangle::forPrinter(printer.logicalDpiX(), printer.logicalDpiY(),
                                     qRound(printable.left() - paper.left()),
                                     qRound(printable.top() - paper.top()));
}

int print(const QTextDocument &document, QPrinter &printer, const QString &title,
          const QColor &textColor)
{
    printer.setDocName(title);
    const PageRect rect = pageRectFor(printer);
    if (rect.width() <= 0 || rect.height() <= 0)
        fail(QStringLiteral("The page of the printer \"%1\" is too small.")
                 .arg(printer.printerName()));

    // The PDF printer says nothing about why it cannot start; the file does.
    if (!printer.outputFileName().isEmpty()) {
        QFile file(printer.outputFileName());
        if (!file.open(QIODevice::WriteOnly))
            fail(QStringLiteral("Cannot print to %1: %2")
                     .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
    }

    std::unique_ptr<QTextDocument> copy(document.clone());
    ChapterMarkup::showHeadings(*copy);
    usePointSizes(*copy);
    scaleParagraphs(*copy, printer.logicalDpiX());
    ChapterMarkup::showParagraphMarks(*copy);
    // Paper is white whatever the screen shows: the text is dark on it.
    useColoursOfPaper(*copy);
    copy->setDocumentMargin(0);
    copy->documentLayout()->setPaintDevice(&printer);

    // Each page ends with its running foot, inside the page rectangle.
    QFont footFont = copy->defaultFont();
    footFont.setBold(false);
    footFont.setItalic(false);
    footFont.setPointSizeF(kFootPoints);
    const QFontMetricsF footMetrics(footFont, &printer);
    const qreal footHeight = footMetrics.height() + kFootGapInches * printer.logicalDpiY();
    const QSizeF pageSize(rect.width(), qMax<qreal>(rect.height() - footHeight, rect.height() / 2));
    copy->setPageSize(pageSize);
    ChapterMarkup::keepHeadingsWithTheirVerses(*copy);
    const int pages = qMax(1, copy->pageCount());

    QPainter painter;
    if (!painter.begin(&printer))
        fail(QStringLiteral("The printer \"%1\" cannot print.").arg(printer.printerName()));
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, readableOnPaper(textColor));
    // A print queue makes the copies itself; a PDF file gets each copy
    // written out, whole chapter after whole chapter.
    const int copies = printer.supportsMultipleCopies() ? 1 : qMax(1, printer.copyCount());
    for (int sheet = 0; sheet < copies * pages; ++sheet) {
        const int page = sheet % pages;
        if (sheet > 0 && !printer.newPage()) {
            painter.end();
            fail(QStringLiteral("The printer \"%1\" failed on page %2.")
                     .arg(printer.printerName())
                     .arg(page + 1));
        }
        const QRectF view(0, page * pageSize.height(), pageSize.width(), pageSize.height());
        painter.save();
        painter.translate(rect.left, rect.top - view.top());
        painter.setClipRect(view);
        // Lines that only touch the page's edges belong to the neighbouring
        // page: drawn here they would be invisible but still land in the
        // PDF's text.
        context.clip = view.adjusted(0, 1, 0, -1);
        copy->documentLayout()->draw(&painter, context);
        painter.restore();
        painter.save();
        painter.setFont(footFont);
        painter.setPen(QColor(Qt::black));
        const QRectF foot(rect.left, rect.top + rect.height() - footMetrics.height(), rect.width(),
                          footMetrics.height());
        painter.drawText(foot, Qt::AlignHCenter | Qt::AlignBottom,
                         QString::fromUtf8(kFootText).arg(title).arg(page + 1).arg(pages));
        painter.restore();
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        fail(QStringLiteral("The printer \"%1\" failed.").arg(printer.printerName()));
    return pages;
}

bool isPlainTextName(const QString &fileName)
{
    return QFileInfo(fileName).suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0;
}

void save(const QTextDocument &document, const QString &fileName, const RtfWriter::Options &options)
{
    const bool plain = isPlainTextName(fileName);
    QFile file(fileName);
    QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Truncate;
    if (plain)
        mode |= QIODevice::Text;
    if (!file.open(mode))
        fail(QStringLiteral("Cannot write %1: %2")
                 .arg(QDir::toNativeSeparators(fileName), file.errorString()));
    QByteArray contents;
    if (plain) {
        contents = document.toPlainText().toUtf8();
    } else {
        std::unique_ptr<QTextDocument> marked(document.clone());
        ChapterMarkup::showHeadings(*marked);
        ChapterMarkup::showParagraphMarks(*marked);
        contents = RtfWriter::write(*marked, options);
    }
    if (file.write(contents) != contents.size() || !file.flush())
        fail(QStringLiteral("Cannot write %1: %2")
                 .arg(QDir::toNativeSeparators(fileName), file.errorString()));
}

RtfWriter::Options rtfOptionsFor(const QTextEdit &edit)
{
    RtfWriter::Options options;
    const QTextFrameFormat root = edit.document()->rootFrame()->frameFormat();
    options.background = root.background().style() != Qt::NoBrush
                             ? root.background().color()
                             : edit.palette().color(QPalette::Base);
    options.defaultTextColor = edit.palette().color(QPalette::Text);
    // The reader sizes its indents for the screen it shows them on.
    if (edit.logicalDpiY() > 0)
        options.pixelsPerInch = edit.logicalDpiY();
    return options;
}
} // namespace DocumentOutput

// The formatted copies carry the page colour with the text colour, so that
// light text of a dark scheme never lands on white paper alone; the plain
// text is the words alone.
static QMimeData *formattedCopy(const QTextCursor &selection, const RtfWriter::Options &options)
{
    auto *data = new QMimeData;
    const QTextDocumentFragment fragment = selection.selection();
    data->setText(fragment.toPlainText());
    QTextDocument document;
    if (selection.document())
        document.setDefaultFont(selection.document()->defaultFont());
    QTextCursor(&document).insertFragment(fragment);
    ChapterMarkup::showHeadings(document);
    ChapterMarkup::showParagraphMarks(document);
    QString html = document.toHtml();
    QStringList colours;
    if (options.background.isValid())
        colours << QStringLiteral("background-color:%1;").arg(options.background.name());
    if (options.defaultTextColor.isValid())
        colours << QStringLiteral("color:%1;").arg(options.defaultTextColor.name());
    if (!colours.isEmpty())
        html.replace(QStringLiteral("<body style=\""),
                     QStringLiteral("<body bgcolor=\"%1\" style=\"%2 ")
                         .arg(options.background.isValid() ? options.background.name()
                                                           : QStringLiteral("#ffffff"),
                              colours.join(QLatin1Char(' '))));
    data->setHtml(html);
    const QByteArray rtf = RtfWriter::write(document, options);
    data->setData(QStringLiteral("text/rtf"), rtf);
    data->setData(QStringLiteral("application/rtf"), rtf);
    return data;
}

namespace DocumentOutput {
QMimeData *createMimeData(const QTextCursor &selection)
{
    // The text area the selection is shown in gives its colours.
    for (QObject *owner = selection.document() ? selection.document()->parent() : nullptr; owner;
         owner = owner->parent()) {
        if (const auto *edit = qobject_cast<const QTextEdit *>(owner))
            return formattedCopy(selection, DocumentOutput::rtfOptionsFor(*edit));
    }
    return formattedCopy(selection, RtfWriter::Options());
}
} // namespace DocumentOutput
