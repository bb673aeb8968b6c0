// The stored settings: value texts, their conversions, and the store itself
// through restore and save on a main window with its holders.
#include "app/formmain.h"
#include "options/appearance.h"
#include "options/fontvalue.h"
#include "options/formstorage.h"
#include "options/sampleholders.h"
#include "options/storedvalues.h"
#include "options/storefile.h"
#include "support/sandbox.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMainWindow>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QToolBar>

#include <cerrno>
#include <csignal>
#include <limits>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

using namespace StoredValues;

namespace {
// A main window with the seven holders at their design values.
struct Window
{
    QMainWindow window;
    FormStorage::Holders holders;
    std::unique_ptr<FormStorage> storage;

    Window()
    {
        window.setGeometry(191, 100, 539, 369);
        holders.PanelSample = new SamplePanel(&window);
        holders.PanelSampleBook =
            new SampleFont(QStringLiteral("John 1"), FontValue::headingDefault(), &window);
        holders.PanelSampleVerse =
            new SampleFont(QStringLiteral("1"), FontValue::verseDefault(), &window);
        holders.PanelSampleText = new SampleFont(QStringLiteral("In the beginning was the Word..."),
                                                 FontValue::textDefault(), &window);
        for (QWidget *w : {static_cast<QWidget *>(holders.PanelSample),
                           static_cast<QWidget *>(holders.PanelSampleBook),
                           static_cast<QWidget *>(holders.PanelSampleVerse),
                           static_cast<QWidget *>(holders.PanelSampleText)})
            w->hide();
        holders.edithtmlviewer = new QLineEdit(QStringLiteral("iexplore.exe"), &window);
        holders.edithtmlviewer->hide();
        holders.EditFirstTime = new QLineEdit(QStringLiteral("True"), &window);
        holders.EditFirstTime->hide();
        holders.SpeedBar1 = new QToolBar(&window);
        window.addToolBar(Qt::TopToolBarArea, holders.SpeedBar1);
        storage = std::make_unique<FormStorage>(&window, holders);
    }
    const FontValue &book() const { return holders.PanelSampleBook->fontValue(); }
    const FontValue &verse() const { return holders.PanelSampleVerse->fontValue(); }
    const FontValue &text() const { return holders.PanelSampleText->fontValue(); }
    Qt::ToolBarArea edge() const { return window.toolBarArea(holders.SpeedBar1); }
};

// A main window that keeps its settings in a store, as the program's does.
struct StoreWindow
{
    QMainWindow window;
    AppearanceStore store;
    QToolBar *bar = new QToolBar(&window);
    std::unique_ptr<FormStorage> storage;
    StoreWindow()
    {
        window.addToolBar(Qt::TopToolBarArea, bar);
        storage = std::make_unique<FormStorage>(&window, &store, bar);
    }
};

// One field of the store edited, and the stored value that tells of it.
struct StoreEdit
{
    const char *name;
    const char *text;
    void (*edit)(Appearance &);
};

const StoreEdit kStoreEdits[] = {
    {"PanelSample_Color", "65535", [](Appearance &a) { a.PanelSample = 0x00FFFF; }},
    {"PanelSampleBook_FontName", "DejaVu Sans",
     [](Appearance &a) { a.PanelSampleBook.name = QStringLiteral("DejaVu Sans"); }},
    {"PanelSampleVerse_FontStyle", "[fsItalic,fsUnderline]",
     [](Appearance &a) { a.PanelSampleVerse.style = fsItalic | fsUnderline; }},
    {"PanelSampleText_FontColor", "-2147483643",
     [](Appearance &a) { a.PanelSampleText.color = qint32(0x80000005); }},
    {"edithtmlviewer_Text", "\"/opt/my viewer/view\" -x",
     [](Appearance &a) { a.edithtmlviewer = QStringLiteral("\"/opt/my viewer/view\" -x"); }},
    {"EditFirstTime_Text", "False", [](Appearance &a) { a.EditFirstTime = "False"; }},
    {"CheckBoxRedLetters_Checked", "True", [](Appearance &a) { a.CheckBoxRedLetters = true; }},
    {"SpinEditZoom_Value", "250", [](Appearance &a) { a.SpinEditZoom = 250; }},
};

void writeValues(const QList<QPair<QString, QVariant>> &values)
{
    std::unique_ptr<QSettings> store(FormStorage::openStore());
    store->beginGroup(FormStorage::subkeyName());
    for (const auto &[name, value] : values)
        store->setValue(name, value);
    store->endGroup();
    store->sync();
}

QString storeFileName()
{
    const QString base = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return QStringLiteral("config/") + base + QLatin1Char('/') + base + QStringLiteral(".ini");
}

// The file as a person leaves it after editing it by hand.
bool writeStoreFile(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

// The lines of the file that hold the value name, in any letter case.
int linesNaming(const QString &path, const QByteArray &escapedName)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    int count = 0;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.toLower().startsWith(escapedName.toLower() + '='))
            ++count;
    }
    return count;
}

QVariant storedValue(const QString &name)
{
    std::unique_ptr<QSettings> store(FormStorage::openStore());
    return store->value(FormStorage::subkeyName() + u'/' + name);
}
} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private:
    QStringList m_messages;
    std::unique_ptr<Sandbox> m_sandbox;

private slots:
    void init()
    {
        m_sandbox = std::make_unique<Sandbox>();
        m_messages.clear();
        FormStorage::setErrorReporter([this](const QString &m) { m_messages << m; });
    }
    void cleanup()
    {
        FormStorage::setErrorReporter({});
        m_sandbox.reset();
    }

    void integers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("decimal") << "16711680" << true << 16711680;
        QTest::newRow("negative") << "-19" << true << -19;
        QTest::newRow("plus") << "+7" << true << 7;
        QTest::newRow("hex") << "$FFFF" << true << 65535;
        QTest::newRow("hex lower") << "$ff" << true << 255;
        QTest::newRow("hex all bits") << "$FFFFFFFF" << true << -1;
        QTest::newRow("hex system colour") << "$80000008" << true << int(0x80000008);
        QTest::newRow("negative hex") << "-$10" << true << -16;
        QTest::newRow("smallest") << "-2147483648" << true << std::numeric_limits<int>::min();
        QTest::newRow("too big") << "2147483648" << false << 0;
        QTest::newRow("hex too long") << "$123456789" << false << 0;
        QTest::newRow("word") << "white" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("lone sign") << "-" << false << 0;
        QTest::newRow("lone dollar") << "$" << false << 0;
        QTest::newRow("inner blank") << "1 2" << false << 0;
        QTest::newRow("trailing junk") << "12px" << false << 0;
    }
    void integers()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        qint32 parsed = 12345;
        QCOMPARE(parseInteger(text, &parsed), ok);
        QCOMPARE(toInteger(text), value);
    }

    // A value is the text its line holds, as the registry would give it.
    void storeFileValues_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isText");
        QTest::newRow("unquoted commas")
            << QByteArray("100,100,900,700") << "100,100,900,700" << true;
        QTest::newRow("blanks after commas")
            << QByteArray(" [fsItalic, fsBold]  ") << "[fsItalic, fsBold]" << true;
        QTest::newRow("quoted") << QByteArray("\"[fsItalic, fsBold]\"") << "[fsItalic, fsBold]"
                                << true;
        QTest::newRow("quoted blanks kept") << QByteArray("\"  False  \"") << "  False  " << true;
        QTest::newRow("comment") << QByteArray("firefox   ; the viewer") << "firefox" << true;
        QTest::newRow("quoted semicolon") << QByteArray("\"a;b=c\"") << "a;b=c" << true;
        QTest::newRow("escapes") << QByteArray("\"\\\"x\\\" \\\\ \\t\\x41\"") << "\"x\" \\ \tA"
                                 << true;
        QTest::newRow("UTF-8") << QByteArray("caf\xc3\xa9, \xd7\x90")
                               << QString::fromUtf8("caf\xc3\xa9, \xd7\x90") << true;
        QTest::newRow("escaped at sign") << QByteArray("@@home") << "@home" << true;
        QTest::newRow("typed rectangle")
            << QByteArray("@Rect(1 2 3 4)") << "@Rect(1 2 3 4)" << false;
        QTest::newRow("typed bytes") << QByteArray("@ByteArray(0)") << "@ByteArray(0)" << false;
        QTest::newRow("empty list") << QByteArray("@Invalid()") << "@Invalid()" << false;
        QTest::newRow("empty") << QByteArray("") << "" << true;
    }
    void storeFileValues()
    {
        QFETCH(QByteArray, raw);
        QFETCH(QString, text);
        QFETCH(bool, isText);
        const StoreFile::Value value = StoreFile::valueOf(raw);
        QCOMPARE(value.text, text);
        QCOMPARE(value.isText, isText);
    }

    // Hand edits of the file: values with commas written without quotes and
    // value names in another letter case are read as the registry would
    // give them, and the save leaves one entry per value, in the program's
    // spelling.
    void handEdits_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("escapedName");
        QTest::addColumn<QString>("saved");
        const QSize screen = QGuiApplication::primaryScreen()->size();
        const QByteArray sized = "NormPos%28" + QByteArray::number(screen.width()) + 'x' +
                                 QByteArray::number(screen.height()) + "%29";
        QTest::newRow("placement without quotes")
            << sized + "=100,100,900,700\nShowCmd=1\n"
            << QStringLiteral("NormPos") + screenSuffix(screen) << sized << "100,100,900,700";
        QTest::newRow("plain placement without quotes")
            << QByteArray("NormPos=100,100,900,700\nShowCmd=1\n") << "NormPos"
            << QByteArray("NormPos") << "100,100,900,700";
        QTest::newRow("style without quotes")
            << QByteArray("PanelSampleBook_FontStyle=[fsItalic, fsBold]\n")
            << "PanelSampleBook_FontStyle" << QByteArray("PanelSampleBook_FontStyle")
            << "[fsBold,fsItalic]";
        QTest::newRow("lower-case name")
            << QByteArray("panelsample_color=255\n") << "PanelSample_Color"
            << QByteArray("PanelSample_Color") << "255";
        QTest::newRow("upper-case name, commas")
            << QByteArray("EDITHTMLVIEWER_TEXT=firefox, --new-window\n") << "edithtmlviewer_Text"
            << QByteArray("edithtmlviewer_Text") << "firefox, --new-window";
        QTest::newRow("two spellings, the later wins")
            << QByteArray("PanelSample_Color=1\npanelSample_color=255\n") << "PanelSample_Color"
            << QByteArray("PanelSample_Color") << "255";
        QTest::newRow("list as QSettings writes it")
            << QByteArray("EditFirstTime_Text=False, True\n") << "EditFirstTime_Text"
            << QByteArray("EditFirstTime_Text") << "False, True";
    }
    void handEdits()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QString, name);
        QFETCH(QByteArray, escapedName);
        QFETCH(QString, saved);
        const QString path = m_sandbox->filePath(storeFileName());
        QVERIFY(writeStoreFile(path, "[TFormMain]\nFormVersion=0\n" + lines));
        Window w;
        w.window.show();
        w.storage->restore();
        QVERIFY(w.storage->restoreCompleted());
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(u'\n')));
        w.storage->save(false);
        QVERIFY(w.storage->saveCompleted());
        QCOMPARE(storedValue(name).toString(), saved);
        QCOMPARE(linesNaming(path, escapedName), 1);
    }

    void trimming()
    {
        QCOMPARE(trimmed(QStringLiteral("  iexplore.exe\t\r\n")), QStringLiteral("iexplore.exe"));
        QCOMPARE(trimmed(QStringLiteral("\x01 a b \x1f")), QStringLiteral("a b"));
        QCOMPARE(trimmed(QStringLiteral(" \t ")), QString());
    }

    void styles_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("style");
        QTest::newRow("blank after comma") << "[fsItalic, fsBold]" << int(fsBold | fsItalic);
        QTest::newRow("not a member") << "[Bold]" << 0;
        QTest::newRow("empty text") << "" << 0;
        QTest::newRow("empty set") << "[]" << 0;
        QTest::newRow("any case") << "[FSSTRIKEOUT]" << int(fsStrikeOut);
        QTest::newRow("no brackets") << "fsUnderline fsBold junk" << int(fsBold | fsUnderline);
    }
    void styles()
    {
        QFETCH(QString, text);
        QFETCH(int, style);
        QCOMPARE(parseStyle(text), style);
        QCOMPARE(parseStyle(styleText(style)), style);
    }

    void styleTexts()
    {
        QCOMPARE(styleText(0), QStringLiteral("[]"));
        QCOMPARE(styleText(fsItalic | fsBold), QStringLiteral("[fsBold,fsItalic]"));
        QCOMPARE(styleText(fsStrikeOut | fsUnderline | fsItalic | fsBold),
                 QStringLiteral("[fsBold,fsItalic,fsUnderline,fsStrikeOut]"));
    }

    void enumerations()
    {
        Align align = Align::alTop;
        QVERIFY(parseAlign(QStringLiteral("alleft"), &align));
        QCOMPARE(align, Align::alLeft);
        QVERIFY(parseAlign(QStringLiteral("alClient"), &align));
        QVERIFY(!isToolBarEdge(align));
        QVERIFY(!isToolBarEdge(Align::alNone));
        QVERIFY(!parseAlign(QStringLiteral("left"), &align));
        for (Align a : {Align::alTop, Align::alBottom, Align::alLeft, Align::alRight})
            QCOMPARE(fromToolBarArea(toToolBarArea(a)), a);
        QCOMPARE(fromToolBarArea(Qt::NoToolBarArea), Align::alTop);

        FontPitch pitch = FontPitch::fpDefault;
        QVERIFY(parsePitch(QStringLiteral("FPFIXED"), &pitch));
        QCOMPARE(pitch, FontPitch::fpFixed);
        QVERIFY(!parsePitch(QStringLiteral("fixed"), &pitch));
        QCOMPARE(pitchText(FontPitch::fpDefault), QStringLiteral("fpDefault"));
    }

    void placementTexts()
    {
        QCOMPARE(rectText(-1, 2, 300, -4), QStringLiteral("-1,2,300,-4"));
        QCOMPARE(screenSuffix(QSize(1024, 768)), QStringLiteral("(1024x768)"));
        const QStringList words = placementWords(QStringLiteral(" 10 ,, 20,x"));
        QCOMPARE(words, QStringList({"10", "20", "x"}));
        QCOMPARE(placementNumber(words, 1, 99), 20);
        QCOMPARE(placementNumber(words, 2, 99), 99);
        QCOMPARE(placementNumber(words, 3, 77), 77);
    }

    void mulDivRounding()
    {
        QCOMPARE(mulDiv(3, 1, 2), 2);
        QCOMPARE(mulDiv(-3, 1, 2), -2);
        QCOMPARE(mulDiv(3, -1, 2), -2);
        QCOMPARE(mulDiv(5, 1, 4), 1);
        QCOMPARE(mulDiv(1, 1, 0), -1);
        QCOMPARE(mulDiv(std::numeric_limits<int>::max(), 96, 72), -1);
    }

    void sizeAndHeight()
    {
        FontValue font;
        font.height = -19;
        QCOMPARE(font.size(96), 14);
        font.height = -16;
        QCOMPARE(font.size(96), 12);
        font.height = -22;
        QCOMPARE(font.size(96), 17);
        font.setSize(17, 96);
        QCOMPARE(font.height, -23);
        font.setSize(0, 96);
        QCOMPARE(font.height, 0);
        font.setSize(-5, 96);
        QCOMPARE(font.height, 7);
        font.height = std::numeric_limits<qint32>::min();
        font.size(96);
        font.toQFont(96);
        font.setSize(std::numeric_limits<int>::max(), 96);
        QVERIFY(font.toQFont(96).pointSize() <= 1000);
    }

    void faceNames()
    {
        FontValue font;
        font.setName(QString());
        QCOMPARE(font.name, QStringLiteral("Times New Roman"));
        font.setName(QString(40, u'x'));
        QCOMPARE(font.name.size(), 31);
        const QFont qfont = FontValue::headingDefault().toQFont(96);
        QCOMPARE(qfont.family(), QStringLiteral("Times New Roman"));
        QCOMPARE(qfont.pointSize(), 14);
        QVERIFY(qfont.bold() && !qfont.italic());
        FontValue struck;
        struck.style = fsStrikeOut | fsUnderline | fsItalic;
        const QFont q = struck.toQFont(96);
        QVERIFY(q.strikeOut() && q.underline() && q.italic() && !q.bold());
    }

    void colours()
    {
        QCOMPARE(ColorValue::toQColor(ColorValue::Maroon), QColor(128, 0, 0));
        QCOMPARE(ColorValue::toQColor(ColorValue::Blue), QColor(0, 0, 255));
        QCOMPARE(ColorValue::toQColor(0x00FFFF), QColor(255, 255, 0));
        QCOMPARE(ColorValue::fromQColor(QColor(0x12, 0x34, 0x56)), 0x563412);
        QCOMPARE(ColorValue::fromQColor(QColor()), ColorValue::Default);
        const QColor text = QGuiApplication::palette().color(QPalette::Text);
        QCOMPARE(ColorValue::toQColor(ColorValue::WindowText), text);
        QCOMPARE(ColorValue::toQColor(ColorValue::Default), text);
        QVERIFY(ColorValue::isSystemColor(ColorValue::WindowText));
        QVERIFY(ColorValue::toQColor(qint32(0x800000FF)).isValid());
    }

    // The size is read after the height, so it decides.
    void sizeWinsOverHeight()
    {
        FontValue font = FontValue::textDefault();
        applyFontProperty(font, QStringLiteral("Height"), QStringLiteral("-22"), 96);
        applyFontProperty(font, QStringLiteral("Size"), QStringLiteral(" 17 "), 96);
        QCOMPARE(font.height, -23);
        applyFontProperty(font, QStringLiteral("Name"), QString(), 96);
        QCOMPARE(font.name, QStringLiteral("Times New Roman"));
        applyFontProperty(font, QStringLiteral("Pitch"), QStringLiteral("nonsense"), 96);
        QCOMPARE(font.pitch, FontPitch::fpDefault);
        applyFontProperty(font, QStringLiteral("Color"), QStringLiteral("white"), 96);
        QCOMPARE(font.color, 0);
    }

    void designDefaultTexts()
    {
        Window w;
        w.holders.EditFirstTime->setText(QStringLiteral("False"));
        const QList<QPair<QString, QString>> expected = {
            {"PanelSample_Color", "16777215"},
            {"PanelSampleBook_FontColor", "128"},
            {"PanelSampleBook_FontHeight", "-19"},
            {"PanelSampleBook_FontName", "Times New Roman"},
            {"PanelSampleBook_FontPitch", "fpDefault"},
            {"PanelSampleBook_FontSize", "14"},
            {"PanelSampleBook_FontStyle", "[fsBold]"},
            {"PanelSampleText_FontColor", "0"},
            {"PanelSampleText_FontHeight", "-16"},
            {"PanelSampleText_FontName", "Times New Roman"},
            {"PanelSampleText_FontPitch", "fpDefault"},
            {"PanelSampleText_FontSize", "12"},
            {"PanelSampleText_FontStyle", "[]"},
            {"PanelSampleVerse_FontColor", "16711680"},
            {"PanelSampleVerse_FontHeight", "-16"},
            {"PanelSampleVerse_FontName", "Times New Roman"},
            {"PanelSampleVerse_FontPitch", "fpDefault"},
            {"PanelSampleVerse_FontSize", "12"},
            {"PanelSampleVerse_FontStyle", "[fsBold]"},
            {"SpeedBar1_Align", "alTop"},
            {"edithtmlviewer_Text", "iexplore.exe"},
            {"EditFirstTime_Text", "False"},
        };
        QCOMPARE(FormStorage::settingTexts(w.holders, 96), expected);
    }

    // First run: nothing stored, design values kept, window maximized; the
    // save then writes every value as text.
    void firstRunAndSave()
    {
        QVERIFY(m_sandbox->isValid());
        Window w;
        w.window.show();
        w.storage->restore();
        QVERIFY(w.storage->restoreCompleted());
        QVERIFY(w.window.windowState() & Qt::WindowMaximized);
        QCOMPARE(w.book(), FontValue::headingDefault());
        QCOMPARE(w.holders.EditFirstTime->text(), QStringLiteral("True"));
        w.holders.EditFirstTime->setText(QStringLiteral("False"));
        w.storage->save(false);
        QVERIFY(w.storage->saveCompleted());
        QVERIFY(m_messages.isEmpty());

        const QString file = m_sandbox->filePath(storeFileName());
        QVERIFY2(QFile::exists(file), qPrintable(file));
        std::unique_ptr<QSettings> store(FormStorage::openStore());
        store->beginGroup(QStringLiteral("TFormMain"));
        for (const QString &key : store->childKeys())
            QCOMPARE(store->value(key).typeId(), int(QMetaType::QString));
        QCOMPARE(store->value("FormVersion").toString(), QStringLiteral("0"));
        QCOMPARE(store->value("ShowCmd").toString(), QStringLiteral("3"));
        QCOMPARE(store->value("Visible").toString(), QStringLiteral("0"));
        QCOMPARE(store->value("MinMaxPos").toString(), QStringLiteral("-1,-1,-1,-1"));
        QCOMPARE(store->value("NormPos").toString(), QStringLiteral("191,100,730,469"));
        const QString sized =
            QStringLiteral("NormPos") + screenSuffix(QGuiApplication::primaryScreen()->size());
        QCOMPARE(store->value(sized).toString(), QStringLiteral("191,100,730,469"));
        QCOMPARE(store->value("PanelSampleVerse_FontStyle").toString(), QStringLiteral("[fsBold]"));
        QCOMPARE(store->value("EditFirstTime_Text").toString(), QStringLiteral("False"));
    }

    void roundTrip()
    {
        {
            Window w;
            w.window.show();
            w.storage->restore();
            w.window.setWindowState(Qt::WindowNoState);
            w.window.setGeometry(50, 60, 400, 300);
            w.holders.PanelSample->setColor(0x00FFFF);
            FontValue font = w.book();
            font.name = QStringLiteral("DejaVu Sans");
            font.style = fsItalic | fsStrikeOut;
            font.setSize(20, 96);
            font.color = qint32(0x80000005);
            w.holders.PanelSampleBook->setFontValue(font);
            w.holders.edithtmlviewer->setText(QStringLiteral("\"/opt/my viewer/view\" -x"));
            w.holders.EditFirstTime->setText(QStringLiteral("False"));
            w.window.addToolBar(Qt::LeftToolBarArea, w.holders.SpeedBar1);
            w.storage->save(false);
            w.storage->save(true); // already saved at close
            QCOMPARE(storedValue("Visible").toString(), QStringLiteral("0"));
            QCOMPARE(storedValue("ShowCmd").toString(), QStringLiteral("1"));
        }
        Window w;
        w.window.show();
        w.storage->restore();
        QVERIFY(m_messages.isEmpty());
        QVERIFY(!(w.window.windowState() & Qt::WindowMaximized));
        QCOMPARE(w.window.geometry(), QRect(50, 60, 400, 300));
        QCOMPARE(w.holders.PanelSample->color(), 0x00FFFF);
        QCOMPARE(w.book().name, QStringLiteral("DejaVu Sans"));
        QCOMPARE(w.book().style, int(fsItalic | fsStrikeOut));
        QCOMPARE(w.book().size(96), 20);
        QCOMPARE(w.book().color, qint32(0x80000005));
        QCOMPARE(w.holders.edithtmlviewer->text(), QStringLiteral("\"/opt/my viewer/view\" -x"));
        QCOMPARE(w.edge(), Qt::LeftToolBarArea);
        QCOMPARE(w.verse(), FontValue::verseDefault());
    }

    void storeRoundTrip_data()
    {
        QTest::addColumn<int>("row");
        for (int row = 0; row < int(std::size(kStoreEdits)); ++row)
            QTest::newRow(kStoreEdits[row].name) << row;
    }

    // What the store holds is saved under its holder's name and comes back
    // whole in the next run; nothing else changes.
    void storeRoundTrip()
    {
        QFETCH(int, row);
        const StoreEdit &edit = kStoreEdits[row];
        Appearance edited;
        {
            StoreWindow w;
            w.storage->restore();
            edited = w.store.value();
            edit.edit(edited);
            w.store.set(edited);
            w.storage->save(false);
        }
        QCOMPARE(storedValue(QString::fromLatin1(edit.name)).toString(),
                 QString::fromUtf8(edit.text));
        StoreWindow again;
        QSignalSpy changed(&again.store, &AppearanceStore::changed);
        again.storage->restore();
        QVERIFY(m_messages.isEmpty());
        QVERIFY(again.store.value() == edited);
        QCOMPARE(changed.count(), 1);
        // The texts are those a window with holders writes for the same
        // settings.
        Window w;
        w.holders.PanelSample->setColor(edited.PanelSample);
        w.holders.PanelSampleBook->setFontValue(edited.PanelSampleBook);
        w.holders.PanelSampleVerse->setFontValue(edited.PanelSampleVerse);
        w.holders.PanelSampleText->setFontValue(edited.PanelSampleText);
        w.holders.edithtmlviewer->setText(edited.edithtmlviewer);
        w.holders.EditFirstTime->setText(edited.EditFirstTime);
        QCOMPARE(FormStorage::settingTexts(w.holders, 96).mid(0, 22), edited.texts(96).mid(0, 22));
    }

    void storeTellsOfChanges_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("same");
        QTest::newRow("same value") << 0 << true;
        for (int row = 0; row < int(std::size(kStoreEdits)); ++row)
            QTest::newRow(kStoreEdits[row].name) << row << false;
    }

    // A change is told once with the new value; setting the value in force
    // tells nothing.
    void storeTellsOfChanges()
    {
        QFETCH(int, row);
        QFETCH(bool, same);
        AppearanceStore store;
        QSignalSpy changed(&store, &AppearanceStore::changed);
        Appearance value = store.value();
        if (!same)
            kStoreEdits[row].edit(value);
        store.set(value);
        QCOMPARE(changed.count(), same ? 0 : 1);
        QVERIFY(store.value() == value);
        if (!same)
            QVERIFY(changed.first().first().value<Appearance>() == value);
        store.set(value);
        QCOMPARE(changed.count(), same ? 0 : 1);
    }

    void storedEdgeCases()
    {
        writeValues({
            {"PanelSampleBook_FontStyle", "[fsItalic, fsBold]"},
            {"PanelSampleVerse_FontStyle", "[Bold]"},
            {"PanelSample_Color", "$FFFF"},
            {"PanelSampleText_FontColor", "white"},
            {"PanelSampleText_FontName", ""},
            {"PanelSampleText_FontHeight", "-22"},
            {"PanelSampleText_FontSize", "17"},
            {"PanelSampleBook_FontName", QString(300 * 1024, u'N')},
            {"PanelSampleVerse_FontSize", "99999999"},
            {"PanelSampleVerse_FontColor", "-2147483643"},
            {"PanelSampleBook_FontPitch", "fpnothing"},
            {"SpeedBar1_Align", "alleft"},
            {"edithtmlviewer_Text", "   firefox\t"},
            {"EditFirstTime_Text", QString(400 * 1024, u'x')},
            {"ShowCmd", "9"},
        });
        Window w;
        w.window.show();
        w.storage->restore();
        QVERIFY(w.storage->restoreCompleted());
        QCOMPARE(w.book().style, int(fsBold | fsItalic));
        QCOMPARE(w.verse().style, 0);
        QCOMPARE(w.holders.PanelSample->color(), 65535);
        QCOMPARE(w.text().color, 0);
        QCOMPARE(w.text().name, QStringLiteral("Times New Roman"));
        QCOMPARE(w.text().height, -23);
        QCOMPARE(w.book().name, QString(31, u'N'));
        QCOMPARE(w.book().pitch, FontPitch::fpDefault);
        QCOMPARE(w.verse().color, qint32(0x80000005));
        QCOMPARE(w.edge(), Qt::LeftToolBarArea);
        QCOMPARE(w.holders.edithtmlviewer->text(), QStringLiteral("firefox"));
        QVERIFY(!(w.window.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)));
        w.storage->save(false);
        QVERIFY(w.storage->saveCompleted());
        QCOMPARE(storedValue("edithtmlviewer_Text").toString(), QStringLiteral("firefox"));
        QCOMPARE(storedValue("PanelSampleVerse_FontColor").toString(),
                 QStringLiteral("-2147483643"));
    }

    void readingPreferences_data()
    {
        QTest::addColumn<QString>("redText");
        QTest::addColumn<QString>("zoomText");
        QTest::addColumn<bool>("red");
        QTest::addColumn<int>("zoom");
        QTest::newRow("as saved") << "True"
                                  << "150" << true << 150;
        QTest::newRow("any case, blanks") << " false\t"
                                          << " 90 " << false << 90;
        QTest::newRow("hexadecimal zoom") << "TRUE"
                                          << "$64" << true << 100;
        QTest::newRow("unknown words") << "yes"
                                       << "big" << false << 100;
        QTest::newRow("zoom out of range") << ""
                                           << "20" << false << 100;
        QTest::newRow("zoom too large") << "True"
                                        << "5000" << true << 100;
    }

    // The red letters and the zoom: a text that names nothing, or a zoom the
    // reader cannot show, leaves the setting as it was.
    void readingPreferences()
    {
        QFETCH(QString, redText);
        QFETCH(QString, zoomText);
        QFETCH(bool, red);
        QFETCH(int, zoom);
        writeValues({{"CheckBoxRedLetters_Checked", redText}, {"SpinEditZoom_Value", zoomText}});
        Window w;
        w.holders.CheckBoxRedLetters = new QCheckBox(&w.window);
        w.holders.SpinEditZoom = new QSpinBox(&w.window);
        w.holders.SpinEditZoom->setRange(50, 300);
        w.holders.SpinEditZoom->setValue(100);
        w.storage = std::make_unique<FormStorage>(&w.window, w.holders);
        w.window.show();
        w.storage->restore();
        QVERIFY(w.storage->restoreCompleted());
        QCOMPARE(w.holders.CheckBoxRedLetters->isChecked(), red);
        QCOMPARE(w.holders.SpinEditZoom->value(), zoom);
        w.storage->save(false);
        QCOMPARE(storedValue("CheckBoxRedLetters_Checked").toString(),
                 red ? QStringLiteral("True") : QStringLiteral("False"));
        QCOMPARE(storedValue("SpinEditZoom_Value").toString(), QString::number(zoom));
    }

    void refusedEdges()
    {
        for (const char *text : {"alClient", "alNone", "sideways"}) {
            writeValues({{"SpeedBar1_Align", QString::fromLatin1(text)}});
            Window w;
            w.storage->restore();
            QCOMPARE(w.edge(), Qt::TopToolBarArea);
        }
    }

    void minimizedAtStart()
    {
        writeValues({{"ShowCmd", "2"}});
        Window w;
        w.window.show();
        w.storage->restore();
        QVERIFY(w.window.windowState() & Qt::WindowMinimized);
    }

    // A layout version below 0: nothing applied, the design placement kept,
    // and the next save writes everything afresh.
    void negativeFormVersion()
    {
        writeValues({{"FormVersion", "-1"},
                     {"PanelSample_Color", "0"},
                     {"NormPos", "1,2,300,400"},
                     {"ShowCmd", "3"}});
        Window w;
        w.window.show();
        w.storage->restore();
        QVERIFY(w.storage->restoreCompleted());
        QCOMPARE(w.holders.PanelSample->color(), ColorValue::White);
        QVERIFY(!(w.window.windowState() & Qt::WindowMaximized));
        QCOMPARE(w.window.geometry(), QRect(191, 100, 539, 369));
        w.storage->save(false);
        QCOMPARE(storedValue("FormVersion").toString(), QStringLiteral("0"));
        QCOMPARE(storedValue("PanelSample_Color").toString(), QStringLiteral("16777215"));
    }

    void placementSkippedAtOtherResolution()
    {
        writeValues({{"NormPos", "10,20,310,420"}, {"PixelsPerInch", "144"}, {"ShowCmd", "1"}});
        Window w;
        w.window.show();
        w.storage->restore();
        QCOMPARE(w.window.geometry(), QRect(191, 100, 539, 369));
        QVERIFY(!(w.window.windowState() & Qt::WindowMaximized));
    }

    void plainPlacementNameAtOtherScreenSize()
    {
        writeValues({{"NormPos(1x1)", "1,1,2,2"},
                     {"NormPos", "10,20,310,420"},
                     {"ShowCmd", "1"},
                     {"PixelsPerInch", QString::number(FontValue::screenPixelsPerInch())}});
        Window w;
        w.window.show();
        w.storage->restore();
        QCOMPARE(w.window.geometry(), QRect(10, 20, 300, 400));
    }

    void rectangleOffEveryScreen()
    {
        writeValues({{"NormPos", "100000,100000,100400,100300"}, {"ShowCmd", "1"}});
        Window w;
        w.window.show();
        w.storage->restore();
        QCOMPARE(w.window.size(), QSize(400, 300));
        QVERIFY(
            QGuiApplication::primaryScreen()->availableGeometry().intersects(w.window.geometry()));
    }

    // A setting that is not text keeps its default; the value is told.
    void settingNotText()
    {
        writeValues({{"PanelSample_Color", QSize(1, 2)},
                     {"PanelSampleBook_FontHeight", QPoint(5, 5)},
                     {"EditFirstTime_Text", "False"}});
        Window w;
        w.storage->restore();
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.first().contains("PanelSample_Color=@Size(1 2)") &&
                     m_messages.first().contains("PanelSampleBook_FontHeight=@Point(5 5)"),
                 qPrintable(m_messages.first()));
        QCOMPARE(w.holders.PanelSample->color(), ColorValue::White);
        QCOMPARE(w.book().height, -19);
        QCOMPARE(w.holders.EditFirstTime->text(), QStringLiteral("False"));
    }

    // One value that is not text, placement or version included, is told
    // once naming the file and the value; its default is used, everything
    // else applies, and the save writes it as text again.
    void placementNotText_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("NormPos") << "NormPos" << QVariant(QRect(0, 0, 100, 100))
                                 << "NormPos=@Rect(0 0 100 100)";
        QTest::newRow("FormVersion")
            << "FormVersion" << QVariant(QByteArray("0")) << "FormVersion=@ByteArray(0)";
        QTest::newRow("ShowCmd") << "ShowCmd" << QVariant(QSize(3, 3)) << "ShowCmd=@Size(3 3)";
    }
    void placementNotText()
    {
        QFETCH(QString, name);
        QFETCH(QVariant, typed);
        QFETCH(QString, shown);
        writeValues(
            {{name, typed}, {"EditFirstTime_Text", "False"}, {"SpeedBar1_Align", "alLeft"}});
        {
            Window w;
            w.storage->restore();
            QCOMPARE(m_messages.size(), 1);
            const QString path = QDir::toNativeSeparators(m_sandbox->filePath(storeFileName()));
            QVERIFY2(m_messages.first().contains(path) && m_messages.first().contains(shown),
                     qPrintable(m_messages.first()));
            QVERIFY(w.storage->restoreCompleted());
            QCOMPARE(w.holders.EditFirstTime->text(), QStringLiteral("False"));
            QCOMPARE(w.edge(), Qt::LeftToolBarArea);
            w.holders.edithtmlviewer->setText(QStringLiteral("firefox"));
            w.storage->save(false);
            QVERIFY(w.storage->saveCompleted());
        }
        QCOMPARE(storedValue("edithtmlviewer_Text").toString(), QStringLiteral("firefox"));
        QCOMPARE(storedValue(name).typeId(), QMetaType::QString);
        m_messages.clear();
        Window again;
        again.storage->restore();
        QVERIFY(m_messages.isEmpty());
    }

    // The main window itself: maximized at the first run with its design
    // rectangle as the normal one, and everything written as it closes.
    void mainWindow()
    {
        writeValues({{"EditFirstTime_Text", "False"}, {"SpeedBar1_Align", "alRight"}});
        {
            TFormMain main;
            main.show();
            QVERIFY(main.isMaximized());
            QCOMPARE(main.toolBarArea(main.SpeedBar1), Qt::RightToolBarArea);
            QCOMPARE(main.EditFirstTime->text(), QStringLiteral("False"));
            main.close();
        }
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(storedValue("ShowCmd").toString(), QStringLiteral("3"));
        QCOMPARE(storedValue("NormPos").toString(), QStringLiteral("191,100,730,469"));
        QCOMPARE(storedValue("Visible").toString(), QStringLiteral("0"));
        QCOMPARE(storedValue("SpeedBar1_Align").toString(), QStringLiteral("alRight"));
        QCOMPARE(storedValue("PanelSampleBook_FontSize").toString(), QStringLiteral("14"));
    }

    // A store that cannot be read or written: defaults apply, the failure is
    // told at save, and the save is tried once more at destruction.
    void storeUnusable()
    {
        const QString path = m_sandbox->filePath(storeFileName());
        QVERIFY(QDir().mkpath(path));
        Window w;
        w.window.show();
        w.storage->restore();
        QVERIFY(w.storage->restoreCompleted());
        QCOMPARE(w.book(), FontValue::headingDefault());
        w.storage->save(false);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.first().startsWith("Could not save the settings to " +
                                               QDir::toNativeSeparators(path)),
                 qPrintable(m_messages.first()));
        QVERIFY(!w.storage->saveCompleted());
        // Tried again at destruction, but told once.
        w.storage->save(true);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(QFileInfo(path).isDir());
    }

    // A disk that refuses the new text, at write() or only at write-back,
    // leaves the old store whole; the failure is told once (the save at
    // destruction tries again), naming the file.
    void fullDiskKeepsStore_data()
    {
        QTest::addColumn<bool>("atWriteBack");
        QTest::newRow("write refused") << false;
        QTest::newRow("write-back refused") << true;
    }
    void fullDiskKeepsStore()
    {
        QFETCH(bool, atWriteBack);
        writeValues({{"EditFirstTime_Text", "False"}, {"edithtmlviewer_Text", "firefox"}});
        const QString path = m_sandbox->filePath(storeFileName());
        QFile before(path);
        QVERIFY(before.open(QIODevice::ReadOnly));
        const QByteArray old = before.readAll();
        before.close();
        Window w;
        w.storage->restore();
        w.holders.edithtmlviewer->setText(QStringLiteral("chromium"));

        if (atWriteBack) {
            StoreFile::setSyncForTesting([](int) {
                errno = ENOSPC;
                return -1;
            });
            w.storage->save(false);
            w.storage->save(true);
            StoreFile::setSyncForTesting({});
        } else {
            struct rlimit previous;
            QCOMPARE(getrlimit(RLIMIT_FSIZE, &previous), 0);
            struct rlimit small = previous;
            small.rlim_cur = 64;
            const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
            w.storage->save(false);
            w.storage->save(true);
            setrlimit(RLIMIT_FSIZE, &previous);
            signal(SIGXFSZ, oldHandler);
        }
        QVERIFY(!w.storage->saveCompleted());
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.first().contains(QDir::toNativeSeparators(path)),
                 qPrintable(m_messages.first()));
        QFile after(path);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), old);
        const QStringList left = QFileInfo(path).dir().entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(left, QStringList({QFileInfo(path).fileName()}));
    }

    // A lock left by a killed writer must not hold up the exit.
    void staleStoreLock_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("garbled") << QByteArray("not a pid\n");
    }
    void staleStoreLock()
    {
        QFETCH(QByteArray, content);
        const QString path = m_sandbox->filePath(storeFileName());
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile lock(path + QStringLiteral(".lock"));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(content);
        lock.close();
        Window w;
        w.storage->restore();
        QElapsedTimer timer;
        timer.start();
        w.storage->save(false);
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(w.storage->saveCompleted());
        QVERIFY(m_messages.isEmpty());
        QVERIFY(!QFileInfo::exists(lock.fileName()));
    }

    // Whatever the umask, the store and its folder are the owner's alone; a
    // store that is a planted link or another user's file is neither read
    // nor written, and the person is told why.
    void storeIsPrivate_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QString>("reason");
        QTest::newRow("umask 000") << "umask" << QString();
        QTest::newRow("planted link") << "link"
                                      << "it is a symbolic link";
        QTest::newRow("another user's file") << "owner"
                                             << "it belongs to another user";
    }
    void storeIsPrivate()
    {
        QFETCH(QString, obstacle);
        QFETCH(QString, reason);
        const QString path = m_sandbox->filePath(storeFileName());
        const QString planted = m_sandbox->filePath("planted.ini");
        const QByteArray plantedText = "[TFormMain]\nedithtmlviewer_Text=/tmp/evil\n";
        const auto modeOf = [](const QString &name) {
            struct stat status;
            return ::lstat(QFile::encodeName(name).constData(), &status) == 0
                       ? int(status.st_mode & 07777)
                       : -1;
        };
        if (obstacle == "link") {
            QVERIFY(writeStoreFile(planted, plantedText));
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
            QVERIFY(QFile::link(planted, path));
        } else if (obstacle == "owner") {
            QVERIFY(writeStoreFile(path, plantedText));
            // Only root may give a file away: run as a person, this one
            // case cannot be set up, and nothing is missing.
            if (::chown(QFile::encodeName(path).constData(), 65534, 65534) != 0)
                QSKIP("files cannot be given to another user here");
        }
        const mode_t umask = ::umask(obstacle == "umask" ? 0 : 022);
        {
            Window w;
            w.storage->restore();
            QCOMPARE(w.holders.edithtmlviewer->text(), QStringLiteral("iexplore.exe"));
            w.storage->save(false);
        }
        ::umask(umask);
        if (reason.isEmpty()) {
            QVERIFY(m_messages.isEmpty());
            QCOMPARE(modeOf(path), 0600);
            QCOMPARE(modeOf(QFileInfo(path).path()), 0700);
            QCOMPARE(QFileInfo(path).dir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                     QDir::Hidden),
                     QStringList{QFileInfo(path).fileName()});
            return;
        }
        QCOMPARE(m_messages.size(), 2);
        const QString shown = QDir::toNativeSeparators(path);
        QVERIFY2(m_messages[0].contains(shown) && m_messages[0].contains(reason),
                 qPrintable(m_messages[0]));
        QVERIFY2(m_messages[1].startsWith("Could not save the settings to " + shown) &&
                     m_messages[1].contains(reason),
                 qPrintable(m_messages[1]));
        QFile left(obstacle == "link" ? planted : path);
        QVERIFY(left.open(QIODevice::ReadOnly));
        QCOMPARE(left.readAll(), plantedText);
    }

    // A home where the store's folder cannot be made is told with the
    // cause, in plain words, not as a missing file or a registry key.
    void unwritableFolderIsToldPlainly()
    {
        const QString config = m_sandbox->filePath("config");
        QVERIFY(QDir(config).removeRecursively());
        QVERIFY(writeStoreFile(config, "not a folder"));
        Window w;
        w.storage->restore();
        w.storage->save(false);
        QCOMPARE(m_messages.size(), 1);
        const QString &message = m_messages.first();
        QVERIFY2(
            message.startsWith("Could not save the settings to " +
                               QDir::toNativeSeparators(m_sandbox->filePath(storeFileName()))) &&
                message.contains("cannot be created") && !message.contains("No such file") &&
                !message.contains("key"),
            qPrintable(message));
    }

    // The store of earlier versions (Software/<name>.ini) is read while the
    // new one is missing, and only then.
    void formerStoreIsReadOnce()
    {
        const QString former = FormStorage::formerStoreFileName();
        QVERIFY(former.contains("/Software/"));
        QVERIFY(writeStoreFile(former, "[TFormMain]\nedithtmlviewer_Text=firefox\n"
                                       "EditFirstTime_Text=False\n"));
        {
            Window w;
            w.storage->restore();
            QCOMPARE(w.holders.edithtmlviewer->text(), QStringLiteral("firefox"));
            QCOMPARE(w.holders.EditFirstTime->text(), QStringLiteral("False"));
            w.holders.edithtmlviewer->setText(QStringLiteral("chromium"));
            w.storage->save(false);
        }
        QVERIFY(QFileInfo(m_sandbox->filePath(storeFileName())).isFile());
        Window again;
        again.storage->restore();
        QCOMPARE(again.holders.edithtmlviewer->text(), QStringLiteral("chromium"));
        QVERIFY(m_messages.isEmpty());
    }

    // A save killed half-way leaves its scratch folder and its unfinished
    // copy; the next start removes them, and the scratch folders that
    // earlier versions left in the temporary folder.
    void killedSaveLeavesNothingForLong()
    {
        const QString path = m_sandbox->filePath(storeFileName());
        QVERIFY(writeStoreFile(path + ".scratch-Ab12Cd/store.ini", "x"));
        QVERIFY(writeStoreFile(path + ".Xy34Zw", "[TFormMain]\n"));
        QTemporaryDir old(QDir::tempPath() + "/" + QCoreApplication::applicationName() + "-XXXXXX");
        QVERIFY(writeStoreFile(old.filePath("store.ini"), "x"));
        const timeval hourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
        QCOMPARE(::utimes(QFile::encodeName(old.path()).constData(), hourAgo), 0);
        QTemporaryDir running(QDir::tempPath() + "/" + QCoreApplication::applicationName() +
                              "-XXXXXX");
        QVERIFY(writeStoreFile(running.filePath("store.ini"), "x"));
        Window w;
        w.storage->restore();
        QVERIFY(!QFileInfo::exists(path + ".scratch-Ab12Cd"));
        QVERIFY(!QFileInfo::exists(path + ".Xy34Zw"));
        QVERIFY(!QFileInfo::exists(old.path()));
        QVERIFY(QFileInfo::exists(running.path()));
    }

    // A malformed file written by hand: what can be read applies.
    void handWrittenFile()
    {
        const QString path = m_sandbox->filePath(storeFileName());
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("garbage line without equals\n[TFormMain]\n\x01\x02=\xff\xfe\n"
                "PanelSample_Color=$FF\nEditFirstTime_Text=\"  False  \"\n=novalue\n[broken\n");
        f.close();
        Window w;
        w.storage->restore();
        QVERIFY(w.storage->restoreCompleted());
        QCOMPARE(w.holders.PanelSample->color(), 255);
        QCOMPARE(w.holders.EditFirstTime->text(), QStringLiteral("False"));
        // The lines that made no sense are dropped as the store is written
        // afresh.
        w.storage->save(false);
        QVERIFY(m_messages.isEmpty());
        QVERIFY(w.storage->saveCompleted());
        Window again;
        again.storage->restore();
        QCOMPARE(again.holders.PanelSample->color(), 255);
        QCOMPARE(storedValue("FormVersion").toString(), QStringLiteral("0"));
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
