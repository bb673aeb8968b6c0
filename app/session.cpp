// The session of reader windows kept across runs in settings.db: one row
// per reader, in the order of use, written at exit and read back at start.

#include "app/formmain.h"

#include "app/application.h"
#include "app/pendingreference.h"
#include "app/programfolder.h"
#include "reader/formbook.h"
#include "scripture/dataset.h"
#include "scripture/sessionrows.h"

#include <QComboBox>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <stdexcept>

namespace {
const char *const kSettingsFile = "settings.db";

bool isSessionWindow(const QMdiSubWindow *window)
{
    // Only readers are saved and closed: search, dictionary, study and
    // document windows stay, and have no place to be written as.
    return qobject_cast<const TFormBook *>(window->widget()) != nullptr;
}

// Where a reader stood. A maximized reader is written with its normal
// bounds and its height and width negated: no window has a negative size,
// and versions that do not read the bounds pass over them.
struct Bounds
{
    QRect rect;
    bool maximized = false;
    bool usable = false;
};

// Smallest size taken back: a row with less (a blank, a zero) is from a
// session without usable sizes, and the reader takes the default place.
const QSize kSmallestRestoredSize(40, 30);

Bounds storedBounds(const SessionRows::Row &row)
{
    Bounds bounds;
    if (!row.hasBounds)
        return bounds; // the default place
    qint64 height = row.height;
    qint64 width = row.width;
    bounds.maximized = height < 0 && width < 0;
    if (bounds.maximized) {
        height = -height;
        width = -width;
    }
    // Values far outside any screen are brought into the area later.
    auto near = [](qint64 value) { return int(qBound(qint64(-100000), value, qint64(100000))); };
    bounds.rect = QRect(near(row.left), near(row.top), near(width), near(height));
    bounds.usable =
        width >= kSmallestRestoredSize.width() && height >= kSmallestRestoredSize.height();
    return bounds;
}

// The stored bounds inside the client area: as large as fits, moved in
// from any edge they reach past.
void applyBounds(QMdiArea *area, QMdiSubWindow *window, const Bounds &bounds)
{
    const QSize space = area->viewport()->size();
    if (!bounds.usable || space.isEmpty())
        return;
    if (window->isMaximized())
        window->showNormal();
    const QSize size = bounds.rect.size().boundedTo(space);
    const QPoint at(qBound(0, bounds.rect.left(), space.width() - size.width()),
                    qBound(0, bounds.rect.top(), space.height() - size.height()));
    window->setGeometry(QRect(at, size));
    if (bounds.maximized)
        window->showMaximized();
}

} // namespace

void TFormMain::openSettingsTable()
{
    // The session belongs with the user's other written files: beside a
    // portable program, in the user's data folder for an installed one.
    const QString folder = ProgramFolder::dataPath();
    m_tableSettings = std::make_unique<Table>(folder + QLatin1String(kSettingsFile));
    m_tableSettings->setAccess(Table::Access::Exclusive);
    m_tableSettings->setIndexFieldNames(QStringLiteral("Order"));
    try {
        const QString copyError = ProgramFolder::provideDataFile(QLatin1String(kSettingsFile));
        if (!copyError.isEmpty())
            throw std::runtime_error(copyError.toStdString());
        SessionRows::createIfMissing(folder + QLatin1String(kSettingsFile));
        m_tableSettings->open();
    } catch (const std::exception &error) {
        if (!m_startupError.isEmpty())
            m_startupError += QLatin1Char('\n');
        m_startupError += QString::fromUtf8(error.what());
    }
}

QList<QMdiSubWindow *> TFormMain::childrenByRecency() const
{
    return m_mdiArea->subWindowList(QMdiArea::ActivationHistoryOrder);
}

void TFormMain::SaveandCloseBooks()
{
    QList<QMdiSubWindow *> readers;
    for (QMdiSubWindow *window : childrenByRecency()) {
        if (isSessionWindow(window))
            readers.append(window);
    }

    if (m_keepStoredSession) {
        // The stored rows were never shown in this run: they stay for the
        // run that can open them.
        for (QMdiSubWindow *window : readers)
            window->close();
        return;
    }

    QList<SessionRows::Row> rows;
    for (QMdiSubWindow *window : readers) {
        auto *reader = qobject_cast<TFormBook *>(window->widget());
        // A maximized reader is kept with the bounds it returns to.
        const bool maximized = window->isMaximized();
        if (maximized)
            window->showNormal();
        const QRect bounds = window->geometry();
        const int sign = maximized ? -1 : 1;
        SessionRows::Row row;
        row.book = reader ? reader->ComboBoxBook->currentIndex() + 1 : 0;
        row.chapter = reader ? reader->ComboBoxChapter->currentIndex() + 1 : 0;
        row.verse = reader ? reader->ComboBoxVerse->currentIndex() + 1 : 0;
        row.top = bounds.top();
        row.left = bounds.left();
        row.height = sign * bounds.height();
        row.width = sign * bounds.width();
        rows.append(row);
    }
    // The old rows are replaced in one transaction: a crash part-way leaves
    // either the old session or the new one.
    SessionRows::write(*m_tableSettings, rows);
    m_carriedHistories.clear();
    for (QMdiSubWindow *window : readers) {
        auto *reader = qobject_cast<TFormBook *>(window->widget());
        m_carriedHistories.append(reader ? reader->history() : ReaderHistory());
    }
    for (QMdiSubWindow *window : readers)
        window->close();
}

void TFormMain::restoreSession()
{
    auto openAt = [this](qint32 book, qint32 chapter, qint32 verse) {
        Open1Click(VerseReference{book, chapter, verse});
    };
    m_keepStoredSession = false;
    if (!m_tableSettings->active()) {
        try {
            m_tableSettings->open();
        } catch (const std::exception &) {
            // Reported once at start; the readers still open.
        }
    }
    SessionRows::Reading reading;
    if (m_tableSettings->active()) {
        try {
            reading = SessionRows::read(*m_tableSettings, MaxRestoredReaders);
        } catch (const std::exception &error) {
            m_keepStoredSession = true;
            ErrorReport::show(error);
            reading = SessionRows::Reading();
        }
    } else {
        m_keepStoredSession = true;
    }
    const QList<SessionRows::Row> &places = reading.rows;

    // A table the readers need that fails fails every reader alike: it is
    // told once.
    QString failure;
    int opened = 0;
    for (int index = 0; index < places.size(); ++index) {
        const SessionRows::Row &place = places.at(index);
        try {
            openAt(place.book, place.chapter, place.verse);
            if (QMdiSubWindow *window = m_mdiArea->currentSubWindow()) {
                applyBounds(m_mdiArea, window, storedBounds(place));
                auto *reader = qobject_cast<TFormBook *>(window->widget());
                if (reader && index < m_carriedHistories.size())
                    reader->setHistory(m_carriedHistories.at(index));
            }
            ++opened;
        } catch (const std::exception &error) {
            if (failure.isEmpty())
                failure = QString::fromUtf8(error.what());
        }
    }
    m_carriedHistories.clear();
    if (!failure.isEmpty()) {
        ErrorReport::show(failure);
        // Genesis would fail the same way.
        if (opened == 0) {
            m_keepStoredSession = true;
            return;
        }
    }
    if (reading.unreadable > 0)
        ErrorReport::show(
            QStringLiteral("The session table %1 has %2 row(s) whose place cannot be read; they "
                           "were passed over and the other readers opened.\n\n%3")
                .arg(QDir::toNativeSeparators(m_tableSettings->filePath()))
                .arg(reading.unreadable)
                .arg(reading.firstProblem));
    if (reading.tooMany)
        ErrorReport::information(
            this, QStringLiteral("The session table %1 names more than %2 reader windows; only "
                                 "the first %2 were opened.")
                      .arg(QDir::toNativeSeparators(m_tableSettings->filePath()))
                      .arg(MaxRestoredReaders));
    if (opened == 0)
        openAt(1, 1, 1);
}
