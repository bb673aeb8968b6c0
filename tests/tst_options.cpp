// The options dialog: its layout, loading from the holders, the live sample,
// Cancel and OK, and its controls; then OK on the real main window.
#include "app/formmain.h"
#include "app/pendingreference.h"
#include "options/fontvalue.h"
#include "options/formoptions.h"
#include "options/formstorage.h"
#include "options/optionscontrols.h"
#include "options/sampleholders.h"
#include "reader/chaptermarkup.h"
#include "reader/formbook.h"
#include "support/messageanswers.h"
#include "support/sandbox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSet>
#include <QSettings>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include <memory>

namespace {
// The holders of the settings in force, as the main window keeps them.
struct Holders
{
    AppearanceStore store;
    AppearanceHolders holders{&store};
    ColorHolder *panel = &holders.PanelSample;
    FontHolder *book = &holders.PanelSampleBook;
    FontHolder *verse = &holders.PanelSampleVerse;
    FontHolder *text = &holders.PanelSampleText;
    TextHolder *viewer = &holders.edithtmlviewer;
    int reopened = 0;

    Holders() { viewer->setText(QStringLiteral("iexplore.exe")); }

    TFormOptions::Target target()
    {
        TFormOptions::Target t;
        t.store = &store;
        t.reopenReaders = [this] { ++reopened; };
        return t;
    }
};

struct Place
{
    int book, chapter, verse;
    bool operator==(const Place &o) const
    {
        return book == o.book && chapter == o.chapter && verse == o.verse;
    }
};

// The next widget that the Tab key reaches.
QWidget *nextTabStop(QWidget *widget)
{
    QWidget *next = widget->nextInFocusChain();
    while (next != widget && (!(next->focusPolicy() & Qt::TabFocus) || next->focusProxy() ||
                              next->parentWidget() == widget))
        next = next->nextInFocusChain();
    return next;
}

QList<Place> readerPlaces(TFormMain &main)
{
    QList<Place> places;
    for (QMdiSubWindow *window : main.mdiArea()->subWindowList(QMdiArea::CreationOrder)) {
        if (auto *reader = qobject_cast<TFormBook *>(window->widget()))
            places.append({reader->ComboBoxBook->currentIndex() + 1,
                           reader->ComboBoxChapter->currentText().toInt(),
                           reader->ComboBoxVerse->currentText().toInt()});
    }
    return places;
}
} // namespace

class TestOptions : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Holders> m_holders;
    std::unique_ptr<TFormOptions> m_dialog;

    TFormOptions &dialog()
    {
        m_holders = std::make_unique<Holders>();
        m_dialog = std::make_unique<TFormOptions>([h = m_holders.get()] { return h->target(); });
        return *m_dialog;
    }

private slots:
    void cleanup()
    {
        m_dialog.reset();
        m_holders.reset();
        FilenameEdit::setChooser({});
    }

    void layout()
    {
        TFormOptions &d = dialog();
        QCOMPARE(d.windowTitle(), QStringLiteral("Options"));
        QCOMPARE(d.PageControl1->geometry(), QRect(4, 4, 333, 357));
        QCOMPARE(d.PageControl1->tabText(0), QStringLiteral("Display"));
        QCOMPARE(d.PageControl1->tabText(1), QStringLiteral("HTML Viewer"));
        QCOMPARE(d.GroupBoxVerse->title(), QStringLiteral("Verse Number"));
        QCOMPARE(d.SpinEditFontSizetext->objectName(), QStringLiteral("SpinEditFontSizetext"));
        QCOMPARE(d.SpinEditFontSizetext->geometry(), QRect(260, 16, 49, 22));
        QCOMPARE(d.Label1->text(), QStringLiteral("Font Size:"));
        QCOMPARE(d.Label1->parentWidget(), d.GroupBoxText);
        QCOMPARE(d.ColorComboBoxBackground->geometry().topLeft(), QPoint(108, 228));
        QCOMPARE(d.PanelSampleText->text(), QStringLiteral("In the beginning was the Word..."));
        QCOMPARE(d.ButtonRestore->text(), QStringLiteral("&Restore Default"));
        QVERIFY(d.ButtonOK->isDefault());
        QCOMPARE(d.ButtonCancel->geometry(), QRect(268, 364, 69, 25));
        QCOMPARE(d.FilenameEdit1->browseButton()->width(), 21);
        QCOMPARE(nextTabStop(d.FontComboBoxBook), d.SpinEditFontSizeBook);
        QCOMPARE(nextTabStop(d.ColorComboBoxBook), d.FontComboBoxVerse);
        QCOMPARE(nextTabStop(d.ColorComboBoxText), d.ColorComboBoxBackground);
        QVERIFY(!d.FontComboBoxBook->isEditable());
        QCOMPARE(d.ColorComboBoxBook->count(), 16);
        QCOMPARE(d.ColorComboBoxBook->itemText(12), QStringLiteral("Blue"));
    }

    void activationLoadsTheHolders()
    {
        TFormOptions &d = dialog();
        m_holders->panel->setColor(0x008000);
        m_holders->viewer->setText(QStringLiteral("firefox"));
        d.show();
        QCOMPARE(d.SpinEditFontSizeBook->value(), 14);
        QCOMPARE(d.SpinEditFontSizeVerse->value(), 12);
        QVERIFY(d.CheckBoxBoldBook->isChecked());
        QVERIFY(!d.CheckBoxBoldText->isChecked());
        QCOMPARE(d.ColorComboBoxBook->currentText(), QStringLiteral("Maroon"));
        QCOMPARE(d.ColorComboBoxVerse->currentText(), QStringLiteral("Blue"));
        QCOMPARE(d.ColorComboBoxBackground->currentText(), QStringLiteral("Green"));
        QCOMPARE(d.PanelSample->color(), 0x008000);
        QCOMPARE(d.FilenameEdit1->text(), QStringLiteral("firefox"));
        QCOMPARE(d.PanelSampleBook->fontValue(), m_holders->book->fontValue());
    }

    void cancelDiscards()
    {
        TFormOptions &d = dialog();
        d.show();
        d.SpinEditFontSizeBook->setValue(20);
        d.CheckBoxItalicText->setChecked(true);
        QCOMPARE(d.PanelSampleBook->fontValue().size(), 20);
        QTest::mouseClick(d.ButtonCancel, Qt::LeftButton);
        QVERIFY(!d.isVisible());
        QCOMPARE(m_holders->reopened, 0);
        QCOMPARE(m_holders->book->fontValue(), FontValue::headingDefault());
        d.show();
        QCOMPARE(d.SpinEditFontSizeBook->value(), 14);
        QVERIFY(!d.CheckBoxItalicText->isChecked());
        QCOMPARE(d.PanelSampleBook->fontValue(), FontValue::headingDefault());
    }

    void storeChangesOnlyWithOk_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("edit");
        QTest::addColumn<int>("told");
        QTest::newRow("edited, cancelled") << false << true << 0;
        QTest::newRow("edited, OK") << true << true << 1;
        QTest::newRow("untouched, OK") << true << false << 0;
    }

    // The dialog edits a copy: the settings in force change once, with OK,
    // and not at all while the person tries values or cancels.
    void storeChangesOnlyWithOk()
    {
        QFETCH(bool, ok);
        QFETCH(bool, edit);
        QFETCH(int, told);
        TFormOptions &d = dialog();
        m_holders->store.set(Appearance());
        const Appearance before = m_holders->store.value();
        QSignalSpy changed(&m_holders->store, &AppearanceStore::changed);
        d.show();
        if (edit) {
            d.SpinEditFontSizetext->setValue(18);
            d.ColorComboBoxBackground->setColorValue(0x00FFFF);
            d.CheckBoxRedLetters->setChecked(true);
        }
        QCOMPARE(changed.count(), 0);
        QVERIFY(m_holders->store.value() == before);
        QTest::mouseClick(ok ? d.ButtonOK : d.ButtonCancel, Qt::LeftButton);
        QCOMPARE(changed.count(), told);
        QCOMPARE(m_holders->store.value() == before, told == 0);
        if (told) {
            QCOMPARE(m_holders->store.value().PanelSampleText.size(), 18);
            QCOMPARE(m_holders->store.value().PanelSample, 0x00FFFF);
            QVERIFY(m_holders->store.value().CheckBoxRedLetters);
        }
    }

    void okApplies()
    {
        TFormOptions &d = dialog();
        d.show();
        d.SpinEditFontSizeVerse->setValue(20);
        d.CheckBoxUnderlineText->setChecked(true);
        d.ColorComboBoxBackground->setColorValue(0x00FFFF);
        QTest::mouseClick(d.ButtonOK, Qt::LeftButton);
        QVERIFY(!d.isVisible());
        QCOMPARE(m_holders->reopened, 1);
        QCOMPARE(m_holders->verse->fontValue().size(), 20);
        QVERIFY(m_holders->verse->fontValue().hasStyle(fsBold));
        QVERIFY(m_holders->text->fontValue().hasStyle(fsUnderline));
        QCOMPARE(m_holders->panel->color(), 0x00FFFF);
        QCOMPARE(m_holders->book->fontValue(), FontValue::headingDefault());
    }

    void restoreDefaultViewer()
    {
        TFormOptions &d = dialog();
        m_holders->viewer->setText(QStringLiteral("/usr/bin/firefox"));
        d.show();
        QTest::mouseClick(d.ButtonRestore, Qt::LeftButton);
        QCOMPARE(d.ComboBoxViewer->currentText(), QStringLiteral("Built-in"));
        d.ButtonCancelClick();
        QCOMPARE(m_holders->viewer->text(), QStringLiteral("/usr/bin/firefox"));
        d.show();
        QCOMPARE(d.FilenameEdit1->text(), QStringLiteral("/usr/bin/firefox"));
        d.ButtonRestoreClick();
        d.ButtonOKClick();
        QCOMPARE(m_holders->viewer->text(), QStringLiteral("<built-in>"));
    }

    // The stored text, the choice the dialog shows for it, and the text that
    // "OK" stores back.
    void viewerChoices_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("saved");
        QTest::newRow("older default") << "iexplore.exe"
                                       << "Built-in"
                                       << ""
                                       << "<built-in>";
        QTest::newRow("older path") << "C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE"
                                    << "Built-in"
                                    << ""
                                    << "<built-in>";
        QTest::newRow("empty") << ""
                               << "Built-in"
                               << ""
                               << "<built-in>";
        QTest::newRow("built-in") << "<built-in>"
                                  << "Built-in"
                                  << ""
                                  << "<built-in>";
        QTest::newRow("desktop") << "<desktop>"
                                 << "The desktop's default browser"
                                 << ""
                                 << "<desktop>";
        QTest::newRow("program quoted") << "\"/opt/my viewer/view\""
                                        << "The program named below"
                                        << "\"/opt/my viewer/view\""
                                        << "\"/opt/my viewer/view\"";
    }

    void viewerChoices()
    {
        QFETCH(QString, stored);
        QFETCH(QString, entry);
        QFETCH(QString, program);
        QFETCH(QString, saved);
        TFormOptions &d = dialog();
        m_holders->viewer->setText(stored);
        d.show();
        d.PageControl1->setCurrentWidget(d.TabViewer);
        QCOMPARE(d.ComboBoxViewer->currentText(), entry);
        QCOMPARE(d.FilenameEdit1->text(), program);
        d.ButtonOKClick();
        QCOMPARE(m_holders->viewer->text(), saved);

        // A program typed into the box is the program chosen.
        d.show();
        QTest::keyClicks(d.FilenameEdit1, QStringLiteral("/usr/bin/my browser"));
        QCOMPARE(d.ComboBoxViewer->currentText(), QStringLiteral("The program named below"));
        d.ButtonOKClick();
        QCOMPARE(m_holders->viewer->text(), program + QStringLiteral("/usr/bin/my browser"));
    }

    void keptThroughTheDialog()
    {
        TFormOptions &d = dialog();
        FontValue struck = FontValue::headingDefault();
        struck.style |= fsStrikeOut;
        struck.name = QStringLiteral("No Such Family Anywhere");
        m_holders->book->setFontValue(struck);
        FontValue odd = FontValue::textDefault();
        odd.color = 0x123456;
        m_holders->text->setFontValue(odd);
        m_holders->panel->setColor(qint32(0x80000005));
        d.show();
        QCOMPARE(d.FontComboBoxBook->currentIndex(), -1);
        QCOMPARE(d.FontComboBoxBook->fontName(), QString());
        QCOMPARE(d.ColorComboBoxBackground->currentIndex(), -1);
        QCOMPARE(d.ColorComboBoxText->currentIndex(), -1);
        d.ButtonOKClick();
        QCOMPARE(m_holders->book->fontValue(), struck);
        QCOMPARE(m_holders->text->fontValue().color, 0x123456);
        QCOMPARE(m_holders->panel->color(), qint32(0x80000005));
    }

    void typingSizes()
    {
        TFormOptions &d = dialog();
        d.show();
        QList<int> sizes;
        connect(d.PanelSampleBook, &SampleFont::fontValueChanged, this,
                [&] { sizes << d.PanelSampleBook->fontValue().size(); });
        QLineEdit *edit = d.SpinEditFontSizeBook->findChild<QLineEdit *>();
        edit->clear();
        QTest::keyClicks(d.SpinEditFontSizeBook, QStringLiteral("1"));
        QTest::keyClicks(d.SpinEditFontSizeBook, QStringLiteral("8"));
        QCOMPARE(sizes.mid(sizes.size() - 2), QList<int>({1, 18}));
        QTest::keyClick(d.SpinEditFontSizeBook, Qt::Key_Up);
        QCOMPARE(d.SpinEditFontSizeBook->value(), 19);
        QTest::keyClicks(d.SpinEditFontSizeBook, QStringLiteral("x"));
        QCOMPARE(d.SpinEditFontSizeBook->value(), 19);
        edit->setText(QStringLiteral("-"));
        QCOMPARE(d.SpinEditFontSizeBook->value(), 0);
        QCOMPARE(d.PanelSampleBook->fontValue().height, 0);
    }

    void sizeBoxHasNoBounds()
    {
        SpinEdit box;
        box.setValue(-40);
        box.stepBy(-1);
        QCOMPARE(box.value(), -41);
        box.setValue(100000);
        box.stepBy(1);
        QCOMPARE(box.value(), 100001);
        box.setValue(std::numeric_limits<int>::max());
        box.stepBy(1);
        QCOMPARE(box.value(), std::numeric_limits<int>::max());
        QCOMPARE(SpinEdit::valueOf(QString()), 0);
        QCOMPARE(SpinEdit::valueOf(QStringLiteral("+")), 0);
        QCOMPARE(SpinEdit::valueOf(QStringLiteral("1.5")), 0);
        QCOMPARE(SpinEdit::valueOf(QStringLiteral("99999999999")), 0);
    }

    void colourList()
    {
        ColorComboBox list;
        int changes = 0;
        connect(&list, &ColorComboBox::changed, this, [&] { ++changes; });
        list.setColorValue(0x808080);
        QCOMPARE(list.currentText(), QStringLiteral("Gray"));
        list.setColorValue(0x808080);
        QCOMPARE(changes, 1);
        list.setColorValue(0x010203);
        QCOMPARE(list.currentIndex(), -1);
        QCOMPARE(list.colorValue(), 0x010203);
        QCOMPARE(changes, 2);
        emit list.activated(15);
        QCOMPARE(list.colorValue(), 0xFFFFFF);
        QCOMPARE(changes, 3);
    }

    void fontList()
    {
        FontComboBox list;
        QVERIFY(list.count() > 0);
        const QString first = list.itemText(0);
        int changes = 0;
        connect(&list, &FontComboBox::changed, this, [&] { ++changes; });
        list.setFontName(first.toUpper());
        QCOMPARE(list.currentIndex(), 0);
        QCOMPARE(changes, 1);
        list.setFontName(list.fontName());
        QCOMPARE(changes, 1);
        list.setFontName(QStringLiteral("Not A Font Family At All"));
        QCOMPARE(list.currentIndex(), -1);
        QCOMPARE(list.fontName(), QString());

        // Each family once, untagged; a name stored with a tag finds it.
        QSet<QString> entries;
        for (int i = 0; i < list.count(); ++i) {
            QCOMPARE(FontComboBox::plainFamilyName(list.itemText(i)), list.itemText(i));
            entries.insert(list.itemText(i));
        }
        QCOMPARE(entries.size(), list.count());
        list.setFontName(first + QStringLiteral(" [urw]"));
        QCOMPARE(list.fontName(), first);
    }

    // Qt tags a family that several foundries provide ("C059 [urw]"); the
    // list offers each family once under its plain name.
    void plainFamilyNames_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("plain");
        QTest::newRow("foundry") << "C059 [urw]"
                                 << "C059";
        QTest::newRow("unknown foundry") << "C059 [UKWN]"
                                         << "C059";
        QTest::newRow("padded foundry") << "Nimbus Sans [URW ]"
                                        << "Nimbus Sans";
        QTest::newRow("untagged") << "DejaVu Sans"
                                  << "DejaVu Sans";
        QTest::newRow("bracket inside") << "Odd [x] Face"
                                        << "Odd [x] Face";
        QTest::newRow("only a tag") << "[x]"
                                    << "[x]";
    }
    void plainFamilyNames()
    {
        QFETCH(QString, family);
        QFETCH(QString, plain);
        QCOMPARE(FontComboBox::plainFamilyName(family), plain);
    }

    void designFaceServedBySubstitute()
    {
        // Where the system serves "Times New Roman" through a metric-compatible
        // family, the design font still shows as chosen. The set-up installs
        // that family (Liberation Serif), so its absence is a fault here.
        const QString served = QFontInfo(QFont(QStringLiteral("Times New Roman"))).family();
        QVERIFY2(QFontDatabase::families().contains(served) &&
                     served != QFontInfo(QFont(QStringLiteral("Kelvaro No Such Face"))).family(),
                 "no substitute for Times New Roman: fonts-liberation is not installed "
                 "(scripts/setup.sh installs it)");
        FontComboBox list;
        list.setFontName(QStringLiteral("Times New Roman"));
        QCOMPARE(list.fontName(), QStringLiteral("Times New Roman"));
        QVERIFY(list.currentIndex() >= 0);
    }

    void viewerBrowsing()
    {
        QCOMPARE(FilenameEdit::programPart(QStringLiteral("\"/opt/a b/view\" --new")),
                 QStringLiteral("/opt/a b/view"));
        QCOMPARE(FilenameEdit::programPart(QStringLiteral("firefox -private")),
                 QStringLiteral("firefox"));
        QVERIFY(!FilenameEdit::isValidFileName(QStringLiteral("a|b")));
        QCOMPARE(FilenameEdit::boxText(QStringLiteral("/opt/Web Viewer/viewer")),
                 QStringLiteral("\"/opt/Web Viewer/viewer\""));
        QCOMPARE(FilenameEdit::boxText(QStringLiteral("/usr/bin/firefox")),
                 QStringLiteral("/usr/bin/firefox"));

        TFormOptions &d = dialog();
        d.show();
        QString startFolder;
        QString startFile;
        QString answer = QStringLiteral("/opt/Web Viewer/viewer");
        FilenameEdit::setChooser([&](QWidget *, const QString &folder, const QString &file) {
            startFolder = folder;
            startFile = file;
            return answer;
        });
        d.FilenameEdit1->setText(QStringLiteral("/usr/bin/nonexistent-viewer --flag"));
        d.FilenameEdit1->browseButton()->click();
        QCOMPARE(startFolder, QStringLiteral("/usr/bin"));
        QCOMPARE(startFile, QStringLiteral("nonexistent-viewer"));
        QCOMPARE(d.FilenameEdit1->text(), QStringLiteral("\"/opt/Web Viewer/viewer\""));
        answer.clear();
        QTest::keyClick(d.FilenameEdit1, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(startFile, QStringLiteral("viewer"));
        QCOMPARE(d.FilenameEdit1->text(), QStringLiteral("\"/opt/Web Viewer/viewer\""));

        // Tab reaches the browse button between the box and "Restore
        // Default", and Space there browses.
        d.PageControl1->setCurrentWidget(d.TabViewer);
        d.activateWindow();
        d.FilenameEdit1->setFocus();
        QTRY_VERIFY(d.FilenameEdit1->hasFocus());
        QTest::keyClick(d.FilenameEdit1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), d.FilenameEdit1->browseButton());
        startFile.clear();
        QTest::keyClick(d.FilenameEdit1->browseButton(), Qt::Key_Space);
        QCOMPARE(startFile, QStringLiteral("viewer"));
        QTest::keyClick(d.FilenameEdit1->browseButton(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), d.ButtonRestore);
        d.ButtonOKClick();
        QCOMPARE(m_holders->viewer->text(), QStringLiteral("\"/opt/Web Viewer/viewer\""));
    }

    void lastPageShownAgain()
    {
        TFormOptions &d = dialog();
        d.show();
        QCOMPARE(d.PageControl1->currentWidget(), d.TabDisplay);
        d.PageControl1->setCurrentWidget(d.TabViewer);
        d.ButtonCancelClick();
        d.show();
        QCOMPARE(d.PageControl1->currentWidget(), d.TabViewer);
    }

    // Closing the dialog gives the focus back to the window it was opened
    // from, not to another child of the main window.
    void focusReturnsToTheOpeningWindow_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("Cancel") << false;
        QTest::newRow("OK") << true;
    }

    void focusReturnsToTheOpeningWindow()
    {
        QFETCH(bool, ok);
        Sandbox sandbox;
        QVERIFY(sandbox.isValid());
        {
            std::unique_ptr<QSettings> store(FormStorage::openStore());
            store->setValue(QStringLiteral("TFormMain/EditFirstTime_Text"), "False");
        }
        TFormMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QTRY_COMPARE(readerPlaces(main).size(), 1);
        main.activateWindow();
        main.Open1Click(VerseReference{43, 3, 16});
        main.Open1Click(VerseReference{19, 23, 4});
        QMdiSubWindow *john = main.mdiArea()->subWindowList(QMdiArea::CreationOrder).at(1);
        main.mdiArea()->setActiveSubWindow(john);
        QTRY_COMPARE(main.activeReader()->windowTitle(), QStringLiteral("John 3:16"));
        main.activeReader()->RxRichEdit1->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(),
                     static_cast<QWidget *>(main.activeReader()->RxRichEdit1));

        TFormOptions *options = main.FormOptions();
        QTimer::singleShot(0, options, [options, ok] {
            QVERIFY(options->isVisible());
            if (ok)
                options->ButtonOKClick();
            else
                options->ButtonCancelClick();
        });
        main.Options1Click();
        QTRY_VERIFY(!main.TimerStartup->isActive());
        QTRY_VERIFY(main.activeReader());
        QTRY_COMPARE(main.activeReader()->windowTitle(), QStringLiteral("John 3:16"));
        QTRY_COMPARE(QApplication::focusWidget(),
                     static_cast<QWidget *>(main.activeReader()->RxRichEdit1));
        main.close();
    }

    // OK on the main window closes the readers and reopens them where they
    // were; with no reader it opens Genesis 1:1.
    void okReopensReaders()
    {
        Sandbox sandbox;
        QVERIFY(sandbox.isValid());
        {
            std::unique_ptr<QSettings> store(FormStorage::openStore());
            store->setValue(QStringLiteral("TFormMain/EditFirstTime_Text"), "False");
        }
        TFormMain main;
        main.show();
        QTRY_COMPARE(readerPlaces(main).size(), 1);
        main.Open1Click(VerseReference{43, 3, 16});
        main.Open1Click(VerseReference{19, 23, 4});
        const QList<Place> before = readerPlaces(main);
        QCOMPARE(before.size(), 3);

        TFormOptions *options = main.FormOptions();
        options->show();
        options->SpinEditFontSizetext->setValue(16);
        options->ButtonOKClick();
        QTRY_COMPARE(readerPlaces(main), before);
        QCOMPARE(main.PanelSampleText->fontValue().size(), 16);

        for (QMdiSubWindow *window : main.mdiArea()->subWindowList())
            window->close();
        QTRY_VERIFY(readerPlaces(main).isEmpty());
        options->show();
        options->ButtonOKClick();
        QTRY_COMPARE(readerPlaces(main), QList<Place>({{1, 1, 1}}));
        main.close();
    }

    // OK when the session table refuses the write (a full disk, say): the
    // readers cannot be stored, so they stay open where they were (none
    // lost, none doubled) and the person is told which file stood in the way.
    void okWithTheSessionUnwritableKeepsTheReaders()
    {
        Sandbox sandbox;
        QVERIFY(sandbox.isValid());
        {
            std::unique_ptr<QSettings> store(FormStorage::openStore());
            store->setValue(QStringLiteral("TFormMain/EditFirstTime_Text"), "False");
        }
        {
            // Made before the start: the program holds the table for itself.
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                        QStringLiteral("options-refuser"));
            db.setDatabaseName(sandbox.filePath(QStringLiteral("settings.db")));
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(query.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON db "
                                              "BEGIN SELECT RAISE(ABORT, 'disk is full'); END")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("options-refuser"));

        TFormMain main;
        main.show();
        QTRY_COMPARE(readerPlaces(main).size(), 1);
        main.Open1Click(VerseReference{43, 3, 16});
        const QList<Place> before = readerPlaces(main);
        MessageAnswers answers;
        TFormOptions *options = main.FormOptions();
        options->show();
        options->SpinEditFontSizetext->setValue(15);
        options->ButtonOKClick();
        QTRY_VERIFY(!answers.texts.isEmpty());
        QVERIFY2(answers.all().contains(QStringLiteral("settings.db")), qPrintable(answers.all()));
        QVERIFY(!main.TimerStartup->isActive());
        QCOMPARE(readerPlaces(main), before);
        QCOMPARE(main.PanelSampleText->fontValue().size(), 15);
        main.close();
    }

    // OK rebuilds the readers in the same places, sizes and order: a tiled
    // layout survives, and a maximized reader comes back maximized.
    void okKeepsTheLayout_data()
    {
        QTest::addColumn<bool>("maximizeActive");
        QTest::newRow("tiled") << false;
        QTest::newRow("active maximized") << true;
    }

    void okKeepsTheLayout()
    {
        QFETCH(bool, maximizeActive);
        Sandbox sandbox;
        QVERIFY(sandbox.isValid());
        {
            std::unique_ptr<QSettings> store(FormStorage::openStore());
            store->setValue(QStringLiteral("TFormMain/EditFirstTime_Text"), "False");
        }
        TFormMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QTRY_COMPARE(readerPlaces(main).size(), 1);
        main.Open1Click(VerseReference{43, 3, 16});
        main.Open1Click(VerseReference{19, 23, 4});
        main.Vertical1Click();
        if (maximizeActive)
            main.mdiArea()->currentSubWindow()->showMaximized();
        struct Layout
        {
            QString caption;
            QRect bounds;
            bool maximized;
        };
        auto layout = [&main] {
            QList<Layout> windows;
            for (QMdiSubWindow *window :
                 main.mdiArea()->subWindowList(QMdiArea::ActivationHistoryOrder))
                windows.append({window->widget()->windowTitle(),
                                window->isMaximized() ? QRect() : window->geometry(),
                                window->isMaximized()});
            return windows;
        };
        const QList<Layout> before = layout();
        // The reader in use had jumped: it can still go back afterwards.
        main.activeReader()->goTo(43, 3, 16);
        main.activeReader()->RxSpeedButtonBackClick();

        TFormOptions *options = main.FormOptions();
        options->show();
        options->ButtonOKClick();
        QTRY_VERIFY(!main.TimerStartup->isActive());
        QTRY_COMPARE(readerPlaces(main).size(), 3);
        const QList<Layout> after = layout();
        QCOMPARE(after.size(), before.size());
        for (int i = 0; i < before.size(); ++i) {
            QCOMPARE(after.at(i).caption, before.at(i).caption);
            QCOMPARE(after.at(i).maximized, before.at(i).maximized);
            QCOMPARE(after.at(i).bounds, before.at(i).bounds);
        }
        QVERIFY(main.activeReader()->history().canGoForward());
        QVERIFY(!main.activeReader()->history().canGoBack());
        main.close();
    }

    // The words of Christ in red: off at first, on through the dialog's check
    // box for every reader, and still on at the next start.
    void redLettersThroughTheDialog()
    {
        Sandbox sandbox;
        QVERIFY(sandbox.isValid());
        {
            std::unique_ptr<QSettings> store(FormStorage::openStore());
            store->setValue(QStringLiteral("TFormMain/EditFirstTime_Text"), "False");
        }
        const auto wordsOfChrist = [](TFormMain &main) {
            TFormBook *reader = main.activeReader();
            const QTextBlock verse = reader->RxRichEdit1->document()->findBlockByNumber(17);
            QTextCursor cursor(verse);
            cursor.setPosition(verse.position() + 10); // "God" in John 3:16
            return cursor.charFormat().foreground();
        };
        {
            TFormMain main;
            main.show();
            QTRY_COMPARE(readerPlaces(main).size(), 1);
            main.Open1Click(VerseReference{43, 3, 16});
            QTRY_COMPARE(main.activeReader()->windowTitle(), QStringLiteral("John 3:16"));
            QCOMPARE(wordsOfChrist(main).style(), Qt::NoBrush);

            TFormOptions *options = main.FormOptions();
            options->show();
            QVERIFY(!options->CheckBoxRedLetters->isChecked());
            QCOMPARE(options->CheckBoxRedLetters->accessibleName(),
                     QStringLiteral("Words of Christ in red"));
            options->CheckBoxRedLetters->setChecked(true);
            options->ButtonOKClick();
            QTRY_COMPARE(readerPlaces(main).size(), 2);
            QTRY_VERIFY(main.activeReader() &&
                        main.activeReader()->windowTitle() == QStringLiteral("John 3:16"));
            const QColor red = wordsOfChrist(main).color();
            QVERIFY2(red.red() > 150 && red.green() < 60 && red.blue() < 60,
                     qPrintable(red.name()));
            main.close();
        }
        {
            std::unique_ptr<QSettings> store(FormStorage::openStore());
            QCOMPARE(
                store->value(QStringLiteral("TFormMain/CheckBoxRedLetters_Checked")).toString(),
                QStringLiteral("True"));
        }
        TFormMain again;
        again.show();
        QTRY_VERIFY(again.activeReader() &&
                    again.activeReader()->windowTitle() == QStringLiteral("John 3:16"));
        QVERIFY(again.CheckBoxRedLetters->isChecked());
        QCOMPARE(wordsOfChrist(again).color(), ChapterMarkup::redOn(Qt::white));
        again.close();
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
