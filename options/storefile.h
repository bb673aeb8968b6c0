// Replacing the settings store's INI file: the new file takes the old one's
// place only once every byte of it is on the disk, so a full disk, a killed
// process or a refused write leaves the old file as it was.
#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include <functional>

namespace StoreFile {
// Writes values (name, text) into group of the INI file at path, keeping
// every other value of the file. Returns false with the reason in *error
// when the file was left as it was.
bool write(const QString &path, const QString &group, const QList<QPair<QString, QString>> &values,
           QString *error);

// Tests: stands in for fsync(2) on the new file's descriptor.
void setSyncForTesting(std::function<int(int fd)> sync);
} // namespace StoreFile
