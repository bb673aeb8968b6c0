#include "studyexchange.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <stdexcept>

namespace {
const char *const kFormat = "kelvaro-study";
const int kVersion = 1;
const char *const kHtmlColours[Study::HighlightCount] = {"#fff176", "#a5d6a7", "#90caf9", "#f48fb1",
                                                         "#ffcc80"};

[[noreturn]] void reject(const QString &message)
{
    throw std::runtime_error(message.toStdString());
}

int placeNumber(const QJsonObject &object, const char *key, int index)
{
    const QJsonValue value = object.value(QLatin1String(key));
    const double number = value.toDouble(-1);
    if (!value.isDouble() || number != int(number))
        reject(QStringLiteral("entry %1 has no whole number \"%2\"")
                   .arg(index + 1)
                   .arg(QLatin1String(key)));
    return int(number);
}

QString text(const QJsonObject &object, const char *key, int index, int maxLength)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined())
        return QString();
    if (!value.isString())
        reject(QStringLiteral("entry %1: \"%2\" is not a text")
                   .arg(index + 1)
                   .arg(QLatin1String(key)));
    const QString result = value.toString();
    if (result.size() > maxLength)
        reject(QStringLiteral("entry %1: \"%2\" is longer than %3 characters")
                   .arg(index + 1)
                   .arg(QLatin1String(key))
                   .arg(maxLength));
    return result;
}

QString escaped(const QString &text)
{
    QString result = text.toHtmlEscaped();
    // Control characters other than line breaks and tabs have no place in a
    // web page; they are shown as the replacement character.
    for (QChar &c : result) {
        if (c.category() == QChar::Other_Control && c != QLatin1Char('\n') &&
            c != QLatin1Char('\t'))
            c = QChar::ReplacementCharacter;
    }
    return result;
}
} // namespace

namespace StudyExchange {
QByteArray toJson(const QList<Study::Entry> &entries)
{
    QJsonArray verses;
    for (const Study::Entry &entry : entries) {
        QJsonObject verse{{QStringLiteral("book"), entry.place.Book},
                          {QStringLiteral("chapter"), entry.place.Chapter},
                          {QStringLiteral("verse"), entry.place.Verse},
                          {QStringLiteral("reference"), Study::referenceText(entry.place)}};
        if (entry.bookmarked)
            verse.insert(QStringLiteral("bookmark"),
                         QJsonObject{{QStringLiteral("label"), entry.label},
                                     {QStringLiteral("created"), entry.created}});
        if (!entry.note.isEmpty())
            verse.insert(QStringLiteral("note"),
                         QJsonObject{{QStringLiteral("text"), entry.note},
                                     {QStringLiteral("modified"), entry.noteModified}});
        if (entry.highlight > 0)
            verse.insert(QStringLiteral("highlight"), Study::highlightName(entry.highlight));
        verses.append(verse);
    }
    const QJsonObject root{{QStringLiteral("format"), QLatin1String(kFormat)},
                           {QStringLiteral("version"), kVersion},
                           {QStringLiteral("exported"), Study::now()},
                           {QStringLiteral("verses"), verses}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QList<Study::Entry> fromJson(const QByteArray &data)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError)
        reject(QStringLiteral("it is not complete, well-formed JSON (%1 at byte %2)")
                   .arg(error.errorString())
                   .arg(error.offset));
    const QJsonObject root = document.object();
    if (!document.isObject() ||
        root.value(QStringLiteral("format")).toString() != QLatin1String(kFormat))
        reject(QStringLiteral("it is not a Kelvaro study file"));
    const int version = root.value(QStringLiteral("version")).toInt(0);
    if (version < 1 || version > kVersion)
        reject(QStringLiteral("its version %1 is not one this program reads")
                   .arg(root.value(QStringLiteral("version")).toVariant().toString()));
    if (!root.value(QStringLiteral("verses")).isArray())
        reject(QStringLiteral("it has no list of verses"));
    const QJsonArray verses = root.value(QStringLiteral("verses")).toArray();
    QList<Study::Entry> entries;
    entries.reserve(verses.size());
    for (int i = 0; i < verses.size(); ++i) {
        if (!verses.at(i).isObject())
            reject(QStringLiteral("entry %1 is not an object").arg(i + 1));
        const QJsonObject verse = verses.at(i).toObject();
        Study::Entry entry;
        entry.place = {placeNumber(verse, "book", i), placeNumber(verse, "chapter", i),
                       placeNumber(verse, "verse", i)};
        if (!Study::isValidPlace(entry.place))
            reject(QStringLiteral("entry %1 names no verse of the Bible (%2, %3, %4)")
                       .arg(i + 1)
                       .arg(entry.place.Book)
                       .arg(entry.place.Chapter)
                       .arg(entry.place.Verse));
        for (const char *part : {"bookmark", "note"}) {
            const QJsonValue value = verse.value(QLatin1String(part));
            if (!value.isUndefined() && !value.isObject())
                reject(QStringLiteral("entry %1: \"%2\" is not an object")
                           .arg(i + 1)
                           .arg(QLatin1String(part)));
        }
        if (verse.contains(QStringLiteral("bookmark"))) {
            const QJsonObject bookmark = verse.value(QStringLiteral("bookmark")).toObject();
            entry.bookmarked = true;
            entry.label = text(bookmark, "label", i, MaxLabelLength);
            entry.created = text(bookmark, "created", i, 64);
        }
        if (verse.contains(QStringLiteral("note"))) {
            const QJsonObject note = verse.value(QStringLiteral("note")).toObject();
            entry.note = text(note, "text", i, MaxNoteLength);
            entry.noteModified = text(note, "modified", i, 64);
        }
        if (verse.contains(QStringLiteral("highlight"))) {
            entry.highlight = Study::highlightFromName(text(verse, "highlight", i, 64));
            if (entry.highlight == 0)
                reject(QStringLiteral("entry %1 names no highlight colour").arg(i + 1));
        }
        entries.append(entry);
    }
    return entries;
}

QByteArray toHtml(const QList<Study::Entry> &entries)
{
    QString html = QStringLiteral(
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<title>Bookmarks and Notes</title>\n<style>\n"
        "body { font-family: serif; max-width: 50em; margin: 2em auto; }\n"
        "h2 { font-size: 1.1em; margin: 1.5em 0 0.3em; }\n"
        ".label { font-style: italic; }\n"
        ".note { white-space: pre-wrap; unicode-bidi: plaintext; margin: 0.3em 0 0 1em; }\n"
        ".mark { padding: 0 0.4em; border: 1px solid #888; }\n"
        "</style>\n</head>\n<body>\n<h1>Bookmarks and Notes</h1>\n");
    for (const Study::Entry &entry : entries) {
        html += QStringLiteral("<section>\n<h2>%1").arg(escaped(Study::referenceText(entry.place)));
        if (entry.highlight > 0)
            html += QStringLiteral(" <span class=\"mark\" style=\"background: %1\">%2</span>")
                        .arg(QLatin1String(kHtmlColours[entry.highlight - 1]),
                             Study::highlightName(entry.highlight));
        html += QStringLiteral("</h2>\n");
        if (entry.bookmarked)
            html += QStringLiteral("<p>Bookmarked %1 <span class=\"label\">%2</span></p>\n")
                        .arg(escaped(entry.created.left(10)), escaped(entry.label));
        if (!entry.note.isEmpty())
            html += QStringLiteral("<div class=\"note\" dir=\"auto\">%1</div>\n")
                        .arg(escaped(entry.note));
        html += QStringLiteral("</section>\n");
    }
    html += QStringLiteral("</body>\n</html>\n");
    return html.toUtf8();
}

bool isHtmlName(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return suffix == QLatin1String("htm") || suffix == QLatin1String("html");
}

void exportFile(const StudyStore &store, const QString &fileName)
{
    const QList<Study::Entry> entries = store.entries();
    const QByteArray contents = isHtmlName(fileName) ? toHtml(entries) : toJson(entries);
    // Written aside and renamed: an export that fails leaves no half file
    // where a good one stood.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size() ||
        !file.commit())
        reject(QStringLiteral("Cannot write %1: %2")
                   .arg(QDir::toNativeSeparators(fileName), file.errorString()));
}

Study::MergeCounts importFile(StudyStore &store, const QString &fileName)
{
    const QString shown = QDir::toNativeSeparators(fileName);
    const QFileInfo info(fileName);
    // A FIFO or device would never end or never hold a study file.
    if (!info.isFile())
        reject(QStringLiteral("%1 is not a file that can be imported.").arg(shown));
    if (info.size() > MaxFileSize)
        reject(QStringLiteral("%1 is too large to be a Kelvaro study file.").arg(shown));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        reject(QStringLiteral("Cannot read %1: %2").arg(shown, file.errorString()));
    const QByteArray data = file.read(MaxFileSize + 1);
    if (data.size() > MaxFileSize)
        reject(QStringLiteral("%1 is too large to be a Kelvaro study file.").arg(shown));
    QList<Study::Entry> entries;
    try {
        entries = fromJson(data);
    } catch (const std::exception &error) {
        reject(QStringLiteral("%1 cannot be imported: %2. Nothing was imported.")
                   .arg(shown, QString::fromUtf8(error.what())));
    }
    return store.merge(entries);
}
} // namespace StudyExchange
