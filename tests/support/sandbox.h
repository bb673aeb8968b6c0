// A throw-away program folder for one test: the built tables and documents
// copied into a temporary folder that becomes the current folder and the
// program folder, with a fresh settings store.
#pragma once

#include <QString>
#include <QTemporaryDir>

class Sandbox
{
public:
    // withDocuments also links the HTML document folders of the build.
    explicit Sandbox(bool withDocuments = false);
    ~Sandbox();

    QString path() const; // with a trailing separator
    QString filePath(const QString &name) const;
    bool isValid() const { return m_valid; }

    // The built program folder and the source tree.
    static QString programDir();
    static QString sourceDir();

private:
    QTemporaryDir m_dir;
    QString m_previousCurrent;
    bool m_valid = false;
};
