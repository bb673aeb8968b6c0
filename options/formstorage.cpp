#include "formstorage.h"

#include "app/application.h"
#include "options/appearance.h"
#include "options/sampleholders.h"
#include "options/storedvalues.h"
#include "options/storefile.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QToolBar>

#include <exception>
#include <limits>
#include <memory>

using namespace StoredValues;

namespace {
const QString FormVersionName = QStringLiteral("FormVersion");
const QString FlagsName = QStringLiteral("Flags");
const QString ShowCmdName = QStringLiteral("ShowCmd");
const QString PixelsPerInchName = QStringLiteral("PixelsPerInch");
const QString MinMaxPosName = QStringLiteral("MinMaxPos");
const QString NormPosName = QStringLiteral("NormPos");
const QString VisibleName = QStringLiteral("Visible");

// Placement flag of a window that was maximized before it was minimized.
constexpr int RestoreToMaximized = 2;
constexpr int ShowNormal = 1;
constexpr int ShowMinimized = 2;
constexpr int ShowMaximized = 3;

std::function<void(const QString &)> &errorReporter()
{
    static std::function<void(const QString &)> reporter;
    return reporter;
}

enum class Read { Missing, Text, NotText };

using StoredGroup = QList<StoreFile::Value>;

// A value is the text its line holds; only the typed data QSettings can
// write ("@Rect(...)" and the like) is not of a text type.
Read readValue(const StoredGroup &store, const QString &name, QString *text)
{
    const StoreFile::Value *value = StoreFile::find(store, name);
    if (!value)
        return Read::Missing;
    if (!value->isText)
        return Read::NotText;
    *text = value->text;
    return Read::Text;
}

QString storeFileName()
{
    const std::unique_ptr<QSettings> store(FormStorage::openStore());
    return store->fileName();
}

QSize primaryScreenSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(0, 0);
}

// A placement or version value: missing gives no text, and so does one that
// is not text (told once, by restore).
QString readPlacementText(const StoredGroup &store, const QString &name, bool *found)
{
    QString text;
    switch (readValue(store, name, &text)) {
    case Read::NotText:
        break;
    case Read::Text:
        *found = true;
        return text;
    case Read::Missing:
        break;
    }
    *found = false;
    return QString();
}

// The screen-size variant first, the plain name when that is missing or
// empty.
QString readPositionText(const StoredGroup &store, const QString &name, bool *found)
{
    const QString sized = name + screenSuffix(primaryScreenSize());
    QString text = readPlacementText(store, sized, found);
    if (*found && !trimmed(text).isEmpty())
        return text;
    return readPlacementText(store, name, found);
}

int clampedLength(qint64 length)
{
    return int(qBound(qint64(1), length, qint64(QWIDGETSIZE_MAX)));
}

// A rectangle saved on a screen that is gone would leave the window out of
// reach; such a window goes to the primary screen's corner instead.
QRect onSomeScreen(const QRect &rect)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return rect;
    for (const QScreen *screen : screens) {
        if (screen->availableGeometry().intersects(rect))
            return rect;
    }
    QRect moved = rect;
    moved.moveTopLeft(QGuiApplication::primaryScreen()->availableGeometry().topLeft());
    return moved;
}

// The holders a window without a store keeps: the keys of those it has.
unsigned keysOf(const FormStorage::Holders &h)
{
    unsigned keys = 0;
    const std::pair<const void *, Appearance::Key> present[] = {
        {h.PanelSample, Appearance::PanelSampleKey},
        {h.PanelSampleBook, Appearance::PanelSampleBookKey},
        {h.PanelSampleText, Appearance::PanelSampleTextKey},
        {h.PanelSampleVerse, Appearance::PanelSampleVerseKey},
        {h.SpeedBar1, Appearance::SpeedBar1Key},
        {h.edithtmlviewer, Appearance::edithtmlviewerKey},
        {h.EditFirstTime, Appearance::EditFirstTimeKey},
        {h.CheckBoxRedLetters, Appearance::CheckBoxRedLettersKey},
        {h.SpinEditZoom, Appearance::SpinEditZoomKey},
    };
    for (const auto &[holder, key] : present) {
        if (holder)
            keys |= key;
    }
    return keys;
}

Appearance appearanceOf(const FormStorage::Holders &h)
{
    Appearance a;
    if (h.PanelSample)
        a.PanelSample = h.PanelSample->color();
    if (h.PanelSampleBook)
        a.PanelSampleBook = h.PanelSampleBook->fontValue();
    if (h.PanelSampleVerse)
        a.PanelSampleVerse = h.PanelSampleVerse->fontValue();
    if (h.PanelSampleText)
        a.PanelSampleText = h.PanelSampleText->fontValue();
    if (h.edithtmlviewer)
        a.edithtmlviewer = h.edithtmlviewer->text();
    if (h.EditFirstTime)
        a.EditFirstTime = h.EditFirstTime->text();
    if (h.SpeedBar1) {
        const auto *window = qobject_cast<QMainWindow *>(h.SpeedBar1->parentWidget());
        a.SpeedBar1 =
            fromToolBarArea(window ? window->toolBarArea(h.SpeedBar1) : Qt::TopToolBarArea);
    }
    if (h.CheckBoxRedLetters)
        a.CheckBoxRedLetters = h.CheckBoxRedLetters->isChecked();
    if (h.SpinEditZoom)
        a.SpinEditZoom = h.SpinEditZoom->value();
    return a;
}

void applyTo(const FormStorage::Holders &h, const Appearance &a)
{
    if (h.PanelSample)
        h.PanelSample->setColor(a.PanelSample);
    if (h.PanelSampleBook)
        h.PanelSampleBook->setFontValue(a.PanelSampleBook);
    if (h.PanelSampleVerse)
        h.PanelSampleVerse->setFontValue(a.PanelSampleVerse);
    if (h.PanelSampleText)
        h.PanelSampleText->setFontValue(a.PanelSampleText);
    if (h.edithtmlviewer)
        h.edithtmlviewer->setText(a.edithtmlviewer);
    if (h.EditFirstTime)
        h.EditFirstTime->setText(a.EditFirstTime);
    if (h.CheckBoxRedLetters)
        h.CheckBoxRedLetters->setChecked(a.CheckBoxRedLetters);
    if (h.SpinEditZoom)
        h.SpinEditZoom->setValue(a.SpinEditZoom);
}
} // namespace

FormStorage::FormStorage(QMainWindow *window, AppearanceStore *store, QToolBar *speedBar)
    : m_window(window), m_store(store), m_speedBar(speedBar)
{
}

FormStorage::FormStorage(QMainWindow *window, const Holders &holders)
    : m_window(window), m_holders(holders)
{
}

void FormStorage::setErrorReporter(std::function<void(const QString &)> reporter)
{
    errorReporter() = std::move(reporter);
}

void FormStorage::report(const QString &message) const
{
    if (errorReporter())
        errorReporter()(message);
    else
        ErrorReport::show(message);
}

QString FormStorage::storeKeyPath()
{
    return QStringLiteral("Software\\") +
           QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

QString FormStorage::subkeyName()
{
    return QStringLiteral("TFormMain");
}

QSettings *FormStorage::openStore()
{
    // <user configuration>/<base name>/<base name>.ini, group TFormMain:
    // the program's own folder, where Linux keeps a program's settings.
    const QString base = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return new QSettings(QSettings::IniFormat, QSettings::UserScope, base, base);
}

QString FormStorage::formerStoreFileName()
{
    // Earlier versions kept the key path as folders: Software/<base name>.ini.
    const QSettings former(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Software"),
                           QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
    return former.fileName();
}

QList<QPair<QString, QString>> FormStorage::settingTexts(const Holders &h, int pixelsPerInch)
{
    return appearanceOf(h).texts(pixelsPerInch, keysOf(h));
}

void FormStorage::restore()
{
    if (m_restoreTried)
        return;
    m_restoreTried = true;
    QString fileName = storeFileName();
    StoreFile::removeLeftovers(fileName);
    // The store of an earlier version is read once, while there is no
    // store of this one; the first save writes it in the new place.
    if (!QFileInfo::exists(fileName) && !QFileInfo(fileName).isSymLink() &&
        QFileInfo(formerStoreFileName()).isFile())
        fileName = formerStoreFileName();
    QString refused;
    const StoredGroup store = StoreFile::readGroup(fileName, subkeyName(), &refused);
    if (!refused.isEmpty()) {
        report(QStringLiteral("Could not read the settings from %1: %2. The defaults are used.")
                   .arg(QDir::toNativeSeparators(fileName), refused));
    }
    // A value of another type, as QSettings may write it, is no reason to
    // drop the others or to stop saving: it is told once, its default used,
    // and the next save writes it as text.
    QStringList typed;
    for (const StoreFile::Value &value : store) {
        if (!value.isText)
            typed.append(value.name + QLatin1Char('=') + value.text);
    }
    if (!typed.isEmpty()) {
        report(QStringLiteral("The settings file %1 holds values that are not text: %2. Their "
                              "defaults are used, and they are written as text at the next save.")
                   .arg(QDir::toNativeSeparators(fileName), typed.join(QStringLiteral(", "))));
    }
    bool found = false;
    const QString version = readPlacementText(store, FormVersionName, &found);
    if (toInteger(trimmed(version)) >= 0) {
        if (!restorePlacement(store))
            return;
        restoreSettings(store);
    }
    m_restored = true;
}

bool FormStorage::restorePlacement(const QList<StoreFile::Value> &store)
{
    if (!m_window)
        return true;
    // Every placement value is read before anything is applied, so a value
    // of the wrong kind leaves the window exactly as it was.
    bool found = false;
    readPlacementText(store, FlagsName, &found);
    bool minMaxFound = false;
    readPositionText(store, MinMaxPosName, &minMaxFound);
    bool normFound = false;
    const QStringList normWords = placementWords(readPositionText(store, NormPosName, &normFound));
    bool ppiFound = false;
    const QString ppiText = readPlacementText(store, PixelsPerInchName, &ppiFound);
    bool showFound = false;
    const QString showText = readPlacementText(store, ShowCmdName, &showFound);

    const int currentPpi = FontValue::screenPixelsPerInch();
    const int storedPpi = ppiFound ? toInteger(trimmed(ppiText)) : currentPpi;
    QRect normal = m_window->normalGeometry();
    if (!normal.isValid())
        normal = m_window->geometry();
    const int left = placementNumber(normWords, 0, normal.left());
    const int top = placementNumber(normWords, 1, normal.top());
    const int right = placementNumber(normWords, 2, normal.left() + normal.width());
    const int bottom = placementNumber(normWords, 3, normal.top() + normal.height());
    if ((minMaxFound || normFound) && storedPpi == currentPpi && left < right) {
        const QRect rect(left, top, clampedLength(qint64(right) - left),
                         clampedLength(qint64(bottom) - top));
        m_window->setGeometry(onSomeScreen(rect));
    }

    Qt::WindowState state = Qt::WindowMaximized;
    switch (showFound ? toInteger(trimmed(showText)) : 0) {
    case 1:
    case 5:
    case 9:
        state = Qt::WindowNoState;
        break;
    case 2:
    case 6:
    case 7:
        state = Qt::WindowMinimized;
        break;
    case 3:
        state = Qt::WindowMaximized;
        break;
    default:
        break;
    }
    m_window->setWindowState(state);
    return true;
}

void FormStorage::restoreSettings(const QList<StoreFile::Value> &store)
{
    const int ppi = FontValue::screenPixelsPerInch();
    if (m_store) {
        m_store->load(store, ppi);
        placeToolBar(m_speedBar, m_store->value().SpeedBar1);
        return;
    }
    Appearance appearance = appearanceOf(m_holders);
    appearance.read(store, ppi, keysOf(m_holders));
    applyTo(m_holders, appearance);
    placeToolBar(m_holders.SpeedBar1, appearance.SpeedBar1);
}

void FormStorage::placeToolBar(QToolBar *bar, Align edge)
{
    if (!bar || !m_window)
        return;
    if (fromToolBarArea(m_window->toolBarArea(bar)) != edge)
        m_window->addToolBar(toToolBarArea(edge), bar);
}

QList<QPair<QString, QString>> FormStorage::settingTexts()
{
    const int ppi = FontValue::screenPixelsPerInch();
    if (!m_store)
        return settingTexts(m_holders, ppi);
    // The tool bar is where the person last left it.
    if (m_speedBar && m_window) {
        Appearance appearance = m_store->value();
        appearance.SpeedBar1 = fromToolBarArea(m_window->toolBarArea(m_speedBar));
        m_store->set(appearance);
    }
    return m_store->save(ppi);
}

void FormStorage::save(bool atDestruction)
{
    if (!m_restored)
        return;
    if (atDestruction && m_saved)
        return;
    QList<QPair<QString, QString>> values;
    values.append({FormVersionName, QStringLiteral("0")});

    if (m_window) {
        const Qt::WindowStates state = m_window->windowState();
        int flags = 0;
        int showCmd = ShowNormal;
        if (state & Qt::WindowMinimized) {
            showCmd = ShowMinimized;
            if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
                flags = RestoreToMaximized;
        } else if (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
            showCmd = ShowMaximized;
        }
        QRect normal = m_window->normalGeometry();
        if (!normal.isValid())
            normal = m_window->geometry();
        const QString suffix = screenSuffix(primaryScreenSize());
        // Qt keeps no minimized or maximized position of its own; -1 is
        // the placement record's "wherever the system puts it".
        const QString minMax = rectText(-1, -1, -1, -1);
        const QString norm = rectText(normal.left(), normal.top(), normal.left() + normal.width(),
                                      normal.top() + normal.height());
        values.append({FlagsName, integerText(flags)});
        values.append({ShowCmdName, integerText(showCmd)});
        values.append({PixelsPerInchName, integerText(FontValue::screenPixelsPerInch())});
        values.append({MinMaxPosName + suffix, minMax});
        values.append({MinMaxPosName, minMax});
        values.append({NormPosName + suffix, norm});
        values.append({NormPosName, norm});
    }
    values.append({VisibleName, atDestruction ? QStringLiteral("1") : QStringLiteral("0")});
    values.append(settingTexts());

    const QString path = storeFileName();
    QString error;
    if (!StoreFile::write(path, subkeyName(), values, &error)) {
        // The save is tried again as the window is destroyed, but the person
        // hears of the failure once.
        if (!m_saveReported)
            report(QStringLiteral("Could not save the settings to %1: %2")
                       .arg(QDir::toNativeSeparators(path), error));
        m_saveReported = true;
        return;
    }
    m_saved = true;
}
