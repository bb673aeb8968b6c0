// Keeps the stored settings and the main window's placement in the per-user
// store, under Software\<program base name>\TFormMain. Every value is text.
#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QtGlobal>
#include <functional>

class QCheckBox;
class QLineEdit;
class QMainWindow;
class QSettings;
class QSpinBox;
class QToolBar;
class SampleFont;
class SamplePanel;
class AppearanceStore;
namespace StoreFile {
struct Value;
}
namespace StoredValues {
enum class Align;
}

class FormStorage
{
public:
    // The controls that hold the settings while the program runs.
    struct Holders
    {
        SamplePanel *PanelSample = nullptr;
        SampleFont *PanelSampleBook = nullptr;
        SampleFont *PanelSampleVerse = nullptr;
        SampleFont *PanelSampleText = nullptr;
        QLineEdit *edithtmlviewer = nullptr;
        QLineEdit *EditFirstTime = nullptr;
        QToolBar *SpeedBar1 = nullptr;
        QCheckBox *CheckBoxRedLetters = nullptr;
        QSpinBox *SpinEditZoom = nullptr;
    };

    // The main window keeps its settings in the store; the tool bar's edge
    // is the one setting the window itself holds.
    FormStorage(QMainWindow *window, AppearanceStore *store, QToolBar *speedBar);
    // A window without a store: the settings are those of the holders.
    FormStorage(QMainWindow *window, const Holders &holders);

    // When the main window is first shown: placement and holders.
    void restore();
    // When the main window closes (atDestruction false) or, failing that,
    // when it is destroyed (true).
    void save(bool atDestruction);
    bool restoreCompleted() const { return m_restored; }
    bool saveCompleted() const { return m_saved; }

    // The settings' value names and texts in the order of saving (the
    // placement values not included).
    static QList<QPair<QString, QString>> settingTexts(const Holders &holders, int pixelsPerInch);
    // The store itself; the caller owns it.
    static QSettings *openStore();
    // Where earlier versions kept the store; read while the store is missing.
    static QString formerStoreFileName();
    static QString storeKeyPath(); // Software\<base name>
    static QString subkeyName();   // TFormMain

    // Where the messages of failed restores and saves go; the standard
    // error report unless a test redirects them. An empty function restores
    // the standard report.
    static void setErrorReporter(std::function<void(const QString &)> reporter);

private:
    QList<QPair<QString, QString>> settingTexts();
    void placeToolBar(QToolBar *bar, StoredValues::Align edge);
    void report(const QString &message) const;
    bool restorePlacement(const QList<StoreFile::Value> &store);
    void restoreSettings(const QList<StoreFile::Value> &store);

    QMainWindow *m_window = nullptr;
    AppearanceStore *m_store = nullptr;
    QToolBar *m_speedBar = nullptr;
    Holders m_holders;
    bool m_restoreTried = false;
    bool m_restored = false;
    bool m_saved = false;
    bool m_saveReported = false;
};
