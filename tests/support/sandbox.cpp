#include "sandbox.h"

#include "app/programfolder.h"
#include "scripture/dataset.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {
const char *const kTables[] = {"kjvbible.db", "Chapters.db", "Verses.db",
                               "Markup.db",   "ebd.db",      "settings.db"};
const char *const kDocuments[] = {"ebd",       "mhc",          "jfb",        "help",
                                  "salvation", "kjvnotes.htm", "kelvaro.css"};
} // namespace

Sandbox::Sandbox(bool withDocuments)
{
    if (!m_dir.isValid())
        return;
    const QDir source(programDir());
    const QDir target(m_dir.path());
    bool ok = true;
    for (const char *name : kTables) {
        const QString from = source.filePath(QString::fromLatin1(name));
        if (QFileInfo::exists(from))
            ok = QFile::copy(from, target.filePath(QString::fromLatin1(name))) && ok;
    }
    if (withDocuments) {
        for (const char *name : kDocuments) {
            const QString from = source.filePath(QString::fromLatin1(name));
            if (QFileInfo::exists(from))
                QFile::link(from, target.filePath(QString::fromLatin1(name)));
        }
    }
    // Copies of read-only files stay read-only; the settings table must be writable.
    QFile::setPermissions(target.filePath(QStringLiteral("settings.db")),
                          QFile::ReadOwner | QFile::WriteOwner);

    m_previousCurrent = QDir::currentPath();
    Engine::reset();
    QDir::setCurrent(m_dir.path());
    Engine::setTableFolder(m_dir.path());
    ProgramFolder::setPathForTesting(m_dir.path());
    // Keep the per-user store away from the real one.
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       m_dir.filePath(QStringLiteral("config")));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       m_dir.filePath(QStringLiteral("config")));
    m_valid = ok;
}

Sandbox::~Sandbox()
{
    Engine::reset();
    Engine::setTableFolder(QString());
    if (!m_previousCurrent.isEmpty())
        QDir::setCurrent(m_previousCurrent);
    ProgramFolder::setPathForTesting(QString());
}

QString Sandbox::path() const
{
    return QDir::toNativeSeparators(m_dir.path()) + QDir::separator();
}

QString Sandbox::filePath(const QString &name) const
{
    return QDir(m_dir.path()).filePath(name);
}

QString Sandbox::programDir()
{
    return QStringLiteral(KELVARO_PROGRAM_DIR);
}

QString Sandbox::sourceDir()
{
    return QStringLiteral(KELVARO_SOURCE_DIR);
}
