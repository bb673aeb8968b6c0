#include "app/documentoutput.h"

#include "app/chapteroutput.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QTextFrame>

#include <memory>
#include <stdexcept>

namespace {
// Text formats sized in pixels mean screen pixels.
constexpr double kScreenPixelsPerInch = 96.0;

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
    usePointSizes(*copy);
    copy->setDocumentMargin(0);
    copy->documentLayout()->setPaintDevice(&printer);
    const QSizeF pageSize(rect.width(), rect.height());
    copy->setPageSize(pageSize);
    const int pages = qMax(1, copy->pageCount());

    QPainter painter;
    if (!painter.begin(&printer))
        fail(QStringLiteral("The printer \"%1\" cannot print.").arg(printer.printerName()));
    QAbstractTextDocumentLayout::PaintContext context;
    if (textColor.isValid())
        context.palette.setColor(QPalette::Text, textColor);
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
    const QByteArray contents =
        plain ? document.toPlainText().toUtf8() : RtfWriter::write(document, options);
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

namespace ChapterOutput {
QMimeData *createMimeData(const QTextCursor &selection)
{
    auto *data = new QMimeData;
    const QTextDocumentFragment fragment = selection.selection();
    data->setText(fragment.toPlainText());
    data->setHtml(fragment.toHtml());
    QTextDocument document;
    if (selection.document())
        document.setDefaultFont(selection.document()->defaultFont());
    QTextCursor(&document).insertFragment(fragment);
    const QByteArray rtf = RtfWriter::write(document);
    data->setData(QStringLiteral("text/rtf"), rtf);
    data->setData(QStringLiteral("application/rtf"), rtf);
    return data;
}
} // namespace ChapterOutput
