// Bookmarks, notes and highlights to and from files.
//
// The exchange file is JSON, UTF-8:
//
//   {
//     "format": "kelvaro-study",
//     "version": 1,
//     "exported": "2026-12-10T07:00:00.000Z",
//     "verses": [
//       { "book": 43, "chapter": 3, "verse": 16,
//         "reference": "John 3:16",                  (for people; not read)
//         "bookmark": { "label": "", "created": "2026-12-10T06:59:00.000Z" },
//         "note": { "text": "...", "modified": "2026-12-10T06:59:30.000Z" },
//         "highlight": "yellow" }                    (yellow, green, blue, pink, orange)
//     ]
//   }
//
// "bookmark", "note" and "highlight" are each optional. Book numbers are
// those of the book list (1 Genesis to 66 Revelation). A file is read whole
// and checked whole before anything is stored: one fault and nothing is
// imported. The HTML export is for reading and printing and is not read back.
#pragma once

#include "study/studystore.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace StudyExchange {
// Larger files are refused: no exchange file of a person's study comes near.
constexpr qint64 MaxFileSize = 256 * 1024 * 1024;
constexpr int MaxNoteLength = 16 * 1024 * 1024;
constexpr int MaxLabelLength = 4096;

QByteArray toJson(const QList<Study::Entry> &entries);
QByteArray toHtml(const QList<Study::Entry> &entries);
// Throws std::runtime_error naming what is wrong (the caller adds the file).
QList<Study::Entry> fromJson(const QByteArray &data);

// Whole-file operations: messages name the file.
void exportFile(const StudyStore &store, const QString &fileName);
Study::MergeCounts importFile(StudyStore &store, const QString &fileName);
// HTML for a name ending in .htm or .html, JSON otherwise.
bool isHtmlName(const QString &fileName);
} // namespace StudyExchange
