// The appearance settings as one value, their names in the store, their
// defaults, and the store object the main window owns. Every field is named
// after the hidden control the design kept it in.
#pragma once

#include "fontvalue.h"
#include "storedvalues.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

namespace StoreFile {
struct Value;
}

// The default of edithtmlviewer: the program's own document window.
QString defaultViewerSetting();

struct Appearance
{
    // The readers' zoom, in percent of the fonts' own sizes.
    static constexpr int ZoomMinimum = 50;
    static constexpr int ZoomMaximum = 300;

    qint32 PanelSample = ColorValue::White; // the readers' background
    FontValue PanelSampleBook = FontValue::headingDefault();
    FontValue PanelSampleVerse = FontValue::verseDefault();
    FontValue PanelSampleText = FontValue::textDefault();
    QString edithtmlviewer = defaultViewerSetting();
    // "True" until the first-run notice has been shown; kept as the text
    // stored, whatever it is.
    QString EditFirstTime = QStringLiteral("True");
    // The tool bar's edge as last restored or saved: between those the
    // window itself knows where the person has dragged it.
    StoredValues::Align SpeedBar1 = StoredValues::Align::alTop;
    bool CheckBoxRedLetters = false; // the words of Christ in red
    int SpinEditZoom = 100;

    // One bit per value of the store, in the order of saving.
    enum Key : unsigned {
        PanelSampleKey = 1u << 0,
        PanelSampleBookKey = 1u << 1,
        PanelSampleTextKey = 1u << 2,
        PanelSampleVerseKey = 1u << 3,
        SpeedBar1Key = 1u << 4,
        edithtmlviewerKey = 1u << 5,
        EditFirstTimeKey = 1u << 6,
        CheckBoxRedLettersKey = 1u << 7,
        SpinEditZoomKey = 1u << 8,
        AllKeys = (1u << 9) - 1,
    };

    // The value names and texts of the keys asked for, in the order of
    // saving.
    QList<QPair<QString, QString>> texts(int pixelsPerInch, unsigned keys = AllKeys) const;
    // Takes the keys asked for from a stored group. A value that is missing
    // keeps its field; one that is not text, or names nothing, leaves it as
    // it was; one value failing does not keep the others out.
    void read(const QList<StoreFile::Value> &store, int pixelsPerInch, unsigned keys = AllKeys);

    bool operator==(const Appearance &other) const;
    bool operator!=(const Appearance &other) const { return !(*this == other); }
};

// The one place each stored value is named, in the order of saving and
// restoring: the holder's name, then the property after "_" (a font adds its
// property name, as in "PanelSampleBook_FontSize").
struct AppearanceName
{
    Appearance::Key key;
    const char *holder;
    const char *property;
};

inline constexpr AppearanceName StoredProps[] = {
    {Appearance::PanelSampleKey, "PanelSample", "Color"},
    {Appearance::PanelSampleBookKey, "PanelSampleBook", "Font"},
    {Appearance::PanelSampleTextKey, "PanelSampleText", "Font"},
    {Appearance::PanelSampleVerseKey, "PanelSampleVerse", "Font"},
    {Appearance::SpeedBar1Key, "SpeedBar1", "Align"},
    {Appearance::edithtmlviewerKey, "edithtmlviewer", "Text"},
    {Appearance::EditFirstTimeKey, "EditFirstTime", "Text"},
    {Appearance::CheckBoxRedLettersKey, "CheckBoxRedLetters", "Checked"},
    {Appearance::SpinEditZoomKey, "SpinEditZoom", "Value"},
};

// The settings in force while the program runs. Windows read them here at
// the moment they need them; changes come through set().
class AppearanceStore : public QObject
{
    Q_OBJECT
public:
    explicit AppearanceStore(QObject *parent = nullptr) : QObject(parent) {}

    const Appearance &value() const { return m_value; }
    // Emits changed when the value differs from the one in force.
    void set(const Appearance &value);

    // Through the store file's group of the main window.
    void load(const QList<StoreFile::Value> &store, int pixelsPerInch);
    QList<QPair<QString, QString>> save(int pixelsPerInch) const;

signals:
    void changed(const Appearance &value);

private:
    Appearance m_value;
};
