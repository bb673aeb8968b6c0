// The settings store's INI file, read and replaced by the program itself.
//
// Read line by line, the way the system registry gives its values back: a
// value is the whole text its line holds, commas and the blanks after them
// included (QSettings would split an unquoted comma text into a list), and
// names are matched without regard to letter case.
//
// Replaced only once every byte of the new file is on the disk, so a full
// disk, a killed process or a refused write leaves the old file as it was.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>

namespace StoreFile {

struct Value
{
    QString name;
    QString text;
    // False for the values QSettings writes as typed data ("@ByteArray(...)",
    // "@Rect(...)" and the like): they are not text.
    bool isText = true;
};

// The text of what follows "=" on a line: quotes removed, backslash escapes
// resolved, an unquoted ";" starting a comment, blanks around it dropped.
Value valueOf(QByteArrayView raw);
// A key or section name as QSettings escapes it ("%28", "%U0100", "\" for
// "/") in plain text.
QString unescapedName(QByteArrayView raw);

// Every value of the section named group, in file order.
QList<Value> groupValues(const QByteArray &contents, const QString &group);
// The same from a file; empty when it is missing, unreadable or not a
// regular file (a pipe would block the program). A file that is there but
// refused (a symbolic link, another user's file, not a regular file, not
// readable) gives the reason in *refused.
QList<Value> readGroup(const QString &fileName, const QString &group, QString *refused = nullptr);

// Removes what a killed save left beside the store at path (its scratch
// folders and unfinished copies), and the scratch folders that earlier
// versions left in the temporary folder. Does nothing while another
// process holds the store's lock.
void removeLeftovers(const QString &path);

// The last of the values with that name in any letter case, as a later line
// wins over an earlier one; null when there is none.
const Value *find(const QList<Value> &values, const QString &name);

// Writes values (name, text) into group of the INI file at path, keeping
// every other value of the file and dropping other spellings of the names
// written. The folder and the file are made owner-only; a store that is a
// symbolic link or belongs to another user is refused. Returns false with the reason in *error when
// the file was left as it was.
bool write(const QString &path, const QString &group, const QList<QPair<QString, QString>> &values,
           QString *error);

// Tests: stands in for fsync(2) on the new file's descriptor.
void setSyncForTesting(std::function<int(int fd)> sync);

} // namespace StoreFile
