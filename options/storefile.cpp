#include "options/storefile.h"

#include "app/privatefile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

QByteArrayView trimmedBlanks(QByteArrayView text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && isBlank(text[from]))
        ++from;
    while (to > from && isBlank(text[to - 1]))
        --to;
    return text.sliced(from, to - from);
}

// Builds a text from UTF-8 runs and single characters from escapes.
class TextBuilder
{
public:
    void addByte(char c) { m_run.append(c); }
    void addCharacter(uint code)
    {
        flush();
        const char32_t character = code;
        if (code <= 0x10FFFF)
            m_text.append(QString::fromUcs4(&character, 1));
    }
    // Ends a run of bytes, quoted or not.
    void flush()
    {
        if (!m_run.isEmpty())
            m_text.append(QString::fromUtf8(m_run));
        m_run.clear();
    }
    // Blanks that end an unquoted run are not part of the value.
    void chopBlanks()
    {
        while (!m_run.isEmpty() && isBlank(m_run.back()))
            m_run.chop(1);
    }
    QString text()
    {
        flush();
        return m_text;
    }

private:
    QByteArray m_run;
    QString m_text;
};

// The typed values QSettings writes as "@Type(...)".
const char *const TypedPrefixes[] = {"@ByteArray(", "@Variant(", "@DateTime(",
                                     "@Rect(",      "@Size(",    "@Point("};

// Long enough for another writer to finish, short enough not to hold up the
// exit noticeably.
constexpr int kLockWaitMs = 2000;

std::function<int(int)> &syncFunction()
{
    static std::function<int(int)> sync;
    return sync;
}

int syncToDisk(int fd)
{
    return syncFunction() ? syncFunction()(fd) : ::fsync(fd);
}

bool fail(QString *error, const QString &text)
{
    *error = text;
    return false;
}

// Something other than a plain file where the store or its lock should be
// would block a read (a FIFO) or never be replaced (a folder).
bool isForeign(const QString &path)
{
    const QFileInfo info(path);
    return (info.exists() || info.isSymLink()) && !info.isFile();
}

// Everything a save creates (the lock, the scratch folder, the new copy)
// is owner-only, whatever the umask the program was started with.
class OwnerOnly
{
public:
    OwnerOnly() : m_saved(::umask(077)) {}
    ~OwnerOnly() { ::umask(m_saved); }
    OwnerOnly(const OwnerOnly &) = delete;
    OwnerOnly &operator=(const OwnerOnly &) = delete;

private:
    mode_t m_saved;
};

// The scratch folder of a save: beside the store, so that a killed save
// leaves it where the next start finds it.
QString scratchTemplate(const QString &path)
{
    return path + QStringLiteral(".scratch-XXXXXX");
}

// What earlier versions left in the temporary folder: QTemporaryDir's
// "<application name>-XXXXXX" holding a store.ini, old enough that no save
// can still be running in it.
void removeOldScratchFolders()
{
    const QString prefix = QCoreApplication::applicationName() + QLatin1Char('-');
    if (prefix.size() < 2)
        return;
    const QDateTime old = QDateTime::currentDateTime().addSecs(-600);
    const QDir temporary(QDir::tempPath());
    const QFileInfoList folders =
        temporary.entryInfoList({prefix + QStringLiteral("??????")}, QDir::Dirs | QDir::Hidden);
    for (const QFileInfo &folder : folders) {
        if (folder.isSymLink() || folder.ownerId() != ::geteuid() || folder.lastModified() > old)
            continue;
        const QStringList entries =
            QDir(folder.filePath())
                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        bool ours = true;
        for (const QString &entry : entries)
            ours = ours && entry.startsWith(QLatin1String("store.ini"));
        if (ours)
            QDir(folder.filePath()).removeRecursively();
    }
}

// QLockFile only counts a lock as stale once it is 30 s old unless it names
// a dead process; one left empty or garbled by a killed writer names none.
bool takeLock(QLockFile &lock, const QString &lockPath, QString *error)
{
    if (isForeign(lockPath))
        return fail(error,
                    QStringLiteral("%1 is not a file").arg(QDir::toNativeSeparators(lockPath)));
    if (lock.tryLock(0))
        return true;
    qint64 pid = 0;
    QString host;
    QString application;
    if (lock.error() == QLockFile::LockFailedError &&
        !lock.getLockInfo(&pid, &host, &application)) {
        lock.removeStaleLockFile();
        if (lock.tryLock(0))
            return true;
    }
    if (lock.tryLock(kLockWaitMs))
        return true;
    if (lock.error() == QLockFile::LockFailedError)
        return fail(error, QStringLiteral("the store is locked by another process (%1)")
                               .arg(QDir::toNativeSeparators(lockPath)));
    return fail(
        error,
        QStringLiteral("its lock %1 cannot be created").arg(QDir::toNativeSeparators(lockPath)));
}

// The INI text of the old values with the new ones put in: QSettings lays it
// out in a scratch file, so that its escaping is the one its reader undoes.
bool composeText(const QString &path, const QString &group,
                 const QList<QPair<QString, QString>> &values, QByteArray *text, QString *error)
{
    const QSettings old(path, QSettings::IniFormat);
    // A store that cannot be read is not written over: what it holds may be
    // more than this program knows.
    if (old.status() == QSettings::AccessError)
        return fail(error, QStringLiteral("the file cannot be read"));
    QTemporaryDir scratch(scratchTemplate(path));
    if (!scratch.isValid())
        return fail(error, QStringLiteral("no scratch folder: %1").arg(scratch.errorString()));
    const QString scratchPath = scratch.filePath(QStringLiteral("store.ini"));
    {
        QSettings merged(scratchPath, QSettings::IniFormat);
        const QString prefix = group + QLatin1Char('/');
        for (const QString &key : old.allKeys()) {
            // Names are matched without regard to case on reading, so an old
            // spelling of a name written now must go.
            bool replaced = false;
            if (key.startsWith(prefix, Qt::CaseInsensitive)) {
                const QString name = key.mid(prefix.size());
                for (const auto &value : values)
                    replaced = replaced || name.compare(value.first, Qt::CaseInsensitive) == 0;
            }
            if (!replaced)
                merged.setValue(key, old.value(key));
        }
        merged.beginGroup(group);
        for (const auto &[name, value] : values)
            merged.setValue(name, value);
        merged.endGroup();
        merged.sync();
        if (merged.status() != QSettings::NoError)
            return fail(error, QStringLiteral("the new text cannot be composed in %1")
                                   .arg(QDir::toNativeSeparators(scratch.path())));
    }
    QFile composed(scratchPath);
    if (!composed.open(QIODevice::ReadOnly))
        return fail(error, composed.errorString());
    *text = composed.readAll();
    if (composed.error() != QFileDevice::NoError)
        return fail(error, composed.errorString());
    return true;
}
} // namespace

namespace StoreFile {

Value valueOf(QByteArrayView raw)
{
    TextBuilder builder;
    bool quoted = false;
    qsizetype i = 0;
    while (i < raw.size() && isBlank(raw[i]))
        ++i;
    while (i < raw.size()) {
        const char c = raw[i++];
        if (c == '"') {
            builder.flush();
            quoted = !quoted;
        } else if (c == ';' && !quoted) {
            break;
        } else if (c == '\\') {
            if (i >= raw.size())
                break;
            const char e = raw[i++];
            switch (e) {
            case 'a':
                builder.addCharacter('\a');
                break;
            case 'b':
                builder.addCharacter('\b');
                break;
            case 'f':
                builder.addCharacter('\f');
                break;
            case 'n':
                builder.addCharacter('\n');
                break;
            case 'r':
                builder.addCharacter('\r');
                break;
            case 't':
                builder.addCharacter('\t');
                break;
            case 'v':
                builder.addCharacter('\v');
                break;
            case '"':
            case '?':
            case '\'':
            case '\\':
                builder.addCharacter(uchar(e));
                break;
            case 'x': {
                uint code = 0;
                int digits = 0;
                while (i < raw.size() && hexDigit(raw[i]) >= 0 && digits < 8) {
                    code = code * 16 + uint(hexDigit(raw[i++]));
                    ++digits;
                }
                if (digits > 0)
                    builder.addCharacter(code);
                break;
            }
            default:
                if (e >= '0' && e <= '7') {
                    uint code = uint(e - '0');
                    while (i < raw.size() && raw[i] >= '0' && raw[i] <= '7' && code < 0x10000)
                        code = code * 8 + uint(raw[i++] - '0');
                    builder.addCharacter(code);
                }
                // Any other escaped character is dropped, as QSettings does.
                break;
            }
        } else {
            builder.addByte(c);
        }
    }
    if (!quoted)
        builder.chopBlanks();
    Value value;
    QString text = builder.text();
    if (text.startsWith(QLatin1String("@@"))) {
        text.remove(0, 1);
    } else if (text.startsWith(QLatin1String("@String(")) && text.endsWith(u')')) {
        text = text.mid(8, text.size() - 9);
    } else if (text == QLatin1String("@Invalid()")) {
        value.isText = false;
    } else {
        for (const char *prefix : TypedPrefixes) {
            if (text.startsWith(QLatin1String(prefix)) && text.endsWith(u')'))
                value.isText = false;
        }
    }
    value.text = text;
    return value;
}

QString unescapedName(QByteArrayView raw)
{
    QString name;
    qsizetype i = 0;
    while (i < raw.size()) {
        const char c = raw[i];
        if (c == '\\') {
            name.append(u'/');
            ++i;
            continue;
        }
        if (c == '%') {
            const bool wide = i + 1 < raw.size() && raw[i + 1] == 'U';
            const qsizetype first = i + (wide ? 2 : 1);
            const int digits = wide ? 4 : 2;
            uint code = 0;
            bool ok = first + digits <= raw.size();
            for (int d = 0; ok && d < digits; ++d) {
                const int digit = hexDigit(raw[first + d]);
                ok = digit >= 0;
                code = code * 16 + uint(digit);
            }
            if (ok) {
                name.append(QChar(char16_t(code)));
                i = first + digits;
                continue;
            }
        }
        name.append(QLatin1Char(c));
        ++i;
    }
    return name;
}

QList<Value> groupValues(const QByteArray &contents, const QString &group)
{
    QList<Value> values;
    QByteArrayView data(contents);
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    bool inGroup = false;
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = start;
        while (end < data.size() && data[end] != '\n' && data[end] != '\r')
            ++end;
        const QByteArrayView line = trimmedBlanks(data.sliced(start, end - start));
        start = end + 1;
        if (line.isEmpty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            const qsizetype close = line.indexOf(']');
            const QByteArrayView section =
                trimmedBlanks(line.sliced(1, (close < 0 ? line.size() : close) - 1));
            // Sections keep QSettings' exact match: the program writes its
            // own spelling, and a second section would outlive every save.
            inGroup = unescapedName(section) == group;
            continue;
        }
        if (!inGroup)
            continue;
        qsizetype equals = -1;
        bool quoted = false;
        for (qsizetype i = 0; i < line.size() && equals < 0; ++i) {
            if (line[i] == '"')
                quoted = !quoted;
            else if (line[i] == '=' && !quoted)
                equals = i;
        }
        if (equals <= 0)
            continue;
        const QString name = unescapedName(trimmedBlanks(line.first(equals)));
        if (name.isEmpty())
            continue;
        Value value = valueOf(line.sliced(equals + 1));
        value.name = name;
        values.append(value);
    }
    return values;
}

QList<Value> readGroup(const QString &fileName, const QString &group, QString *refused)
{
    // A folder or a FIFO in the store's place is told by the save, which
    // cannot replace it either.
    const QFileInfo info(fileName);
    if (!info.isSymLink() && !info.isFile())
        return {};
    QString reason;
    const int fd = PrivateFile::open(fileName, O_RDONLY, &reason);
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0) {
            ::close(fd);
            reason = file.errorString();
        }
        if (refused)
            *refused = reason;
        return {};
    }
    const QByteArray contents = file.readAll();
    if (file.error() != QFileDevice::NoError && refused)
        *refused = file.errorString();
    return groupValues(contents, group);
}

void removeLeftovers(const QString &path)
{
    removeOldScratchFolders();
    const QFileInfo store(path);
    if (!store.dir().exists())
        return;
    QLockFile lock(path + QStringLiteral(".lock"));
    {
        OwnerOnly ownerOnly;
        if (!lock.tryLock(0))
            return;
    }
    // Under the store's lock no save is running: every scratch folder and
    // unfinished copy (QSaveFile's "<name>.XXXXXX") is a killed save's.
    const QString name = store.fileName();
    const QFileInfoList entries = store.dir().entryInfoList(
        {name + QStringLiteral(".??????"), name + QStringLiteral(".scratch-??????")},
        QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        if (entry.isSymLink() || entry.ownerId() != ::geteuid() ||
            entry.fileName() == name + QStringLiteral(".lock"))
            continue;
        if (entry.isDir())
            QDir(entry.filePath()).removeRecursively();
        else
            QFile::remove(entry.filePath());
    }
}

const Value *find(const QList<Value> &values, const QString &name)
{
    for (qsizetype i = values.size() - 1; i >= 0; --i) {
        if (values.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return &values.at(i);
    }
    return nullptr;
}

void setSyncForTesting(std::function<int(int)> sync)
{
    syncFunction() = std::move(sync);
}

bool write(const QString &path, const QString &group, const QList<QPair<QString, QString>> &values,
           QString *error)
{
    const QString folder = QFileInfo(path).absolutePath();
    QString reason;
    if (!PrivateFile::makeFolder(folder, &reason))
        return fail(error, reason);
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) == 0) {
        if (S_ISLNK(status.st_mode))
            return fail(error, QStringLiteral("it is a symbolic link"));
        if (status.st_uid != ::geteuid())
            return fail(error, QStringLiteral("it belongs to another user"));
    }
    if (isForeign(path))
        return fail(error, QStringLiteral("it is not a file"));
    OwnerOnly ownerOnly;
    const QString lockPath = path + QStringLiteral(".lock");
    QLockFile lock(lockPath);
    if (!takeLock(lock, lockPath, error))
        return false;

    QByteArray text;
    if (!composeText(path, group, values, &text, error))
        return false;

    // The old file stays until the new one is complete and synced: a write
    // the disk only refuses at write-back shows at fsync, not at write().
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return fail(error, errno != 0 ? PrivateFile::reasonOf(errno) : file.errorString());
    if (file.write(text) != text.size() || !file.flush())
        return fail(error, file.errorString());
    if (syncToDisk(file.handle()) != 0) {
        const int code = errno;
        file.cancelWriting();
        return fail(error, QString::fromLocal8Bit(std::strerror(code)));
    }
    // The mode of a store written by an earlier version is not kept.
    ::fchmod(file.handle(), 0600);
    if (!file.commit())
        return fail(error, file.errorString());
    return true;
}
} // namespace StoreFile
