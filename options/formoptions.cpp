#include "formoptions.h"

#include "app/documentlauncher.h"
#include "options/appearance.h"
#include "options/fontvalue.h"
#include "options/optionscontrols.h"
#include "options/sampleholders.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QToolButton>

// Design of the dialog. Positions and sizes in pixels, relative to the
// containing control.
namespace {
const QString Caption = QStringLiteral("Options");
// The outer size is 349 x 417; the frame takes 4 pixels a side and the
// caption 19, which leaves this client area.
const QSize OuterSize(349, 417);
const QSize ClientSize(341, 390);
const QFont DialogFont(QStringLiteral("MS Sans Serif"), 8);

const QRect PageControl1Rect(4, 4, 333, 357);
const QString TabDisplayCaption = QStringLiteral("Display");
const QString TabViewerCaption = QStringLiteral("HTML Viewer");

struct GroupDesign
{
    const char *suffix;
    const char *caption;
    QRect box;
    const char *sizeLabelName;
    const char *sizeBoxName;
};
const GroupDesign Groups[] = {
    {"Book", "Book and Chapter", QRect(4, 4, 317, 69), "Label4", "SpinEditFontSizeBook"},
    {"Verse", "Verse Number", QRect(4, 76, 317, 69), "Label2", "SpinEditFontSizeVerse"},
    {"Text", "Scripture Text", QRect(4, 148, 317, 69), "Label1", "SpinEditFontSizetext"},
};
// Inside each group, in tab order.
const QRect FontListRect(8, 16, 185, 21);
const QPoint SizeLabelPos(208, 20);
const QString SizeLabelCaption = QStringLiteral("Font Size:");
const QRect SizeBoxRect(260, 16, 49, 22);
const QRect BoldRect(8, 40, 53, 21);
const QString BoldCaption = QStringLiteral("Bold");
const QRect ItalicRect(64, 40, 49, 21);
const QString ItalicCaption = QStringLiteral("Italic");
const QRect UnderlineRect(120, 40, 69, 21);
const QString UnderlineCaption = QStringLiteral("Underline");
const QRect GroupColorListRect(200, 40, 109, 21);

const QPoint Label3Pos(8, 232);
const QString Label3Caption = QStringLiteral("Background Color: ");
const QRect BackgroundListRect(108, 228, 109, 21);
const QRect RedLettersRect(224, 228, 97, 21);
const QString RedLettersCaption = QStringLiteral("&Red letters");
const QString RedLettersHint = QStringLiteral("Show the words of Christ in red");
const QString RedLettersName = QStringLiteral("Words of Christ in red");
const QRect PanelSampleRect(4, 260, 317, 65);
const QRect PanelSampleBookRect(15, 1, 290, 29);
const QString PanelSampleBookCaption = QStringLiteral("John 1");
const QRect PanelSampleVerseRect(8, 28, 21, 33);
const QString PanelSampleVerseCaption = QStringLiteral("1");
const QRect PanelSampleTextRect(28, 28, 277, 33);
const QString PanelSampleTextCaption = QStringLiteral("In the beginning was the Word...");

const QRect Label5Rect(32, 20, 257, 57);
const QString Label5Caption = QStringLiteral(
    "Choose where the dictionary, the commentaries and the help are shown: in Kelvaro's own "
    "document window, in your web browser, or in a program whose filename you enter below.");
const QPoint Label7Pos(32, 84);
const QString Label7Caption = QStringLiteral("&Show documents in:");
const QRect ComboBoxViewerRect(32, 100, 257, 21);
// In the order of ViewerEntry.
const char *const ViewerEntries[] = {"Built-in", "The desktop's default browser",
                                     "The program named below"};
enum ViewerEntry { EntryBuiltIn, EntryDesktop, EntryProgram };
const QPoint Label6Pos(32, 128);
const QString Label6Caption = QStringLiteral("Filename:");
const QRect FilenameEdit1Rect(32, 144, 257, 21);
const QRect ButtonRestoreRect(196, 196, 93, 21);
const QString ButtonRestoreCaption = QStringLiteral("&Restore Default");

const QRect ButtonOKRect(196, 364, 69, 25);
const QString ButtonOKCaption = QStringLiteral("OK");
const QRect ButtonCancelRect(268, 364, 69, 25);
const QString ButtonCancelCaption = QStringLiteral("Cancel");

// Names for a screen reader where no label of the control's own stands
// beside it; the group's caption comes first.
const QString FontListName = QStringLiteral("%1 font");
const QString SizeBoxName = QStringLiteral("%1 font size");
const QString GroupColorListName = QStringLiteral("%1 font color");
const QString BackgroundListName = QStringLiteral("Background color");
const QString ComboBoxViewerName = QStringLiteral("Show documents in");
const QString BrowseButtonName = QStringLiteral("Browse for the HTML viewer");

template <typename Widget> Widget *placed(Widget *widget, const char *name, const QRect &rect)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(rect);
    return widget;
}

QLabel *label(QWidget *parent, const char *name, const QString &caption, const QPoint &pos)
{
    auto *result = new QLabel(caption, parent);
    result->setObjectName(QLatin1String(name));
    result->adjustSize();
    result->move(pos);
    return result;
}

QString named(const char *stem, const char *suffix)
{
    return QLatin1String(stem) + QLatin1String(suffix);
}

// One change to the font of a sample, the other properties left as they are.
template <typename Change> void editFont(SampleFont *sample, Change change)
{
    FontValue font = sample->fontValue();
    change(font);
    sample->setFontValue(font);
}
} // namespace

TFormOptions::TFormOptions(std::function<Target()> target, QWidget *parent)
    : QDialog(parent), m_target(std::move(target))
{
    setObjectName(QStringLiteral("FormOptions"));
    setWindowTitle(Caption);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setFont(DialogFont);
    resize(ClientSize);
    createControls();
    createConnections();

    // Centred on the screen the first time; later showings keep the place
    // the user left it at.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - QPoint(OuterSize.width() / 2, OuterSize.height() / 2));
    }
}

void TFormOptions::createControls()
{
    PageControl1 = placed(new QTabWidget(this), "PageControl1", PageControl1Rect);
    TabDisplay = new QWidget;
    TabDisplay->setObjectName(QStringLiteral("TabDisplay"));
    TabViewer = new QWidget;
    TabViewer->setObjectName(QStringLiteral("TabViewer"));
    PageControl1->addTab(TabDisplay, TabDisplayCaption);
    PageControl1->addTab(TabViewer, TabViewerCaption);

    QWidget *previous = nullptr;
    const auto chain = [&previous](QWidget *next) {
        if (previous)
            setTabOrder(previous, next);
        previous = next;
    };

    FontGroup made[3];
    for (int i = 0; i < 3; ++i) {
        const GroupDesign &design = Groups[i];
        FontGroup &g = made[i];
        g.box = placed(new QGroupBox(QLatin1String(design.caption), TabDisplay),
                       named("GroupBox", design.suffix).toLatin1().constData(), design.box);
        g.fontList = new FontComboBox(g.box);
        g.fontList->setObjectName(named("FontComboBox", design.suffix));
        g.fontList->setGeometry(FontListRect);
        QLabel *sizeLabel = label(g.box, design.sizeLabelName, SizeLabelCaption, SizeLabelPos);
        g.sizeBox = placed(new SpinEdit(g.box), design.sizeBoxName, SizeBoxRect);
        sizeLabel->setBuddy(g.sizeBox);
        const QString groupCaption = QLatin1String(design.caption);
        g.fontList->setAccessibleName(FontListName.arg(groupCaption));
        g.sizeBox->setAccessibleName(SizeBoxName.arg(groupCaption));
        g.bold = new QCheckBox(BoldCaption, g.box);
        g.bold->setObjectName(named("CheckBoxBold", design.suffix));
        g.bold->setGeometry(BoldRect);
        g.italic = new QCheckBox(ItalicCaption, g.box);
        g.italic->setObjectName(named("CheckBoxItalic", design.suffix));
        g.italic->setGeometry(ItalicRect);
        g.underline = new QCheckBox(UnderlineCaption, g.box);
        g.underline->setObjectName(named("CheckBoxUnderline", design.suffix));
        g.underline->setGeometry(UnderlineRect);
        g.colorList = new ColorComboBox(g.box);
        g.colorList->setObjectName(named("ColorComboBox", design.suffix));
        g.colorList->setGeometry(GroupColorListRect);
        g.colorList->setAccessibleName(GroupColorListName.arg(groupCaption));
        for (QWidget *w :
             {static_cast<QWidget *>(g.fontList), static_cast<QWidget *>(g.sizeBox),
              static_cast<QWidget *>(g.bold), static_cast<QWidget *>(g.italic),
              static_cast<QWidget *>(g.underline), static_cast<QWidget *>(g.colorList)})
            chain(w);
    }
    GroupBoxBook = made[0].box;
    FontComboBoxBook = made[0].fontList;
    Label4 = GroupBoxBook->findChild<QLabel *>(QStringLiteral("Label4"));
    SpinEditFontSizeBook = made[0].sizeBox;
    CheckBoxBoldBook = made[0].bold;
    CheckBoxItalicBook = made[0].italic;
    CheckBoxUnderlineBook = made[0].underline;
    ColorComboBoxBook = made[0].colorList;
    GroupBoxVerse = made[1].box;
    FontComboBoxVerse = made[1].fontList;
    Label2 = GroupBoxVerse->findChild<QLabel *>(QStringLiteral("Label2"));
    SpinEditFontSizeVerse = made[1].sizeBox;
    CheckBoxBoldVerse = made[1].bold;
    CheckBoxItalicVerse = made[1].italic;
    CheckBoxUnderlineVerse = made[1].underline;
    ColorComboBoxVerse = made[1].colorList;
    GroupBoxText = made[2].box;
    FontComboBoxText = made[2].fontList;
    Label1 = GroupBoxText->findChild<QLabel *>(QStringLiteral("Label1"));
    SpinEditFontSizetext = made[2].sizeBox;
    CheckBoxBoldText = made[2].bold;
    CheckBoxItalicText = made[2].italic;
    CheckBoxUnderlineText = made[2].underline;
    ColorComboBoxText = made[2].colorList;

    Label3 = label(TabDisplay, "Label3", Label3Caption, Label3Pos);
    ColorComboBoxBackground =
        placed(new ColorComboBox(TabDisplay), "ColorComboBoxBackground", BackgroundListRect);
    ColorComboBoxBackground->setAccessibleName(BackgroundListName);
    Label3->setBuddy(ColorComboBoxBackground);
    chain(ColorComboBoxBackground);
    CheckBoxRedLetters =
        placed(new QCheckBox(RedLettersCaption, TabDisplay), "CheckBoxRedLetters", RedLettersRect);
    CheckBoxRedLetters->setToolTip(RedLettersHint);
    CheckBoxRedLetters->setAccessibleName(RedLettersName);
    chain(CheckBoxRedLetters);
    PanelSample = placed(new SamplePanel(TabDisplay), "PanelSample", PanelSampleRect);
    PanelSample->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelSampleBook =
        placed(new SampleFont(PanelSampleBookCaption, FontValue::headingDefault(), PanelSample),
               "PanelSampleBook", PanelSampleBookRect);
    PanelSampleBook->setAlignment(Qt::AlignCenter);
    PanelSampleVerse =
        placed(new SampleFont(PanelSampleVerseCaption, FontValue::verseDefault(), PanelSample),
               "PanelSampleVerse", PanelSampleVerseRect);
    PanelSampleVerse->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    PanelSampleText =
        placed(new SampleFont(PanelSampleTextCaption, FontValue::textDefault(), PanelSample),
               "PanelSampleText", PanelSampleTextRect);
    PanelSampleText->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    Label5 = placed(new QLabel(Label5Caption, TabViewer), "Label5", Label5Rect);
    Label5->setWordWrap(true);
    Label5->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label7 = label(TabViewer, "Label7", Label7Caption, Label7Pos);
    ComboBoxViewer = placed(new QComboBox(TabViewer), "ComboBoxViewer", ComboBoxViewerRect);
    for (const char *entry : ViewerEntries)
        ComboBoxViewer->addItem(QString::fromLatin1(entry));
    Label7->setBuddy(ComboBoxViewer);
    ComboBoxViewer->setAccessibleName(ComboBoxViewerName);
    chain(ComboBoxViewer);
    Label6 = label(TabViewer, "Label6", Label6Caption, Label6Pos);
    FilenameEdit1 = placed(new FilenameEdit(TabViewer), "FilenameEdit1", FilenameEdit1Rect);
    Label6->setBuddy(FilenameEdit1);
    ButtonRestore = placed(new QPushButton(ButtonRestoreCaption, TabViewer), "ButtonRestore",
                           ButtonRestoreRect);
    FilenameEdit1->browseButton()->setAccessibleName(BrowseButtonName);
    chain(FilenameEdit1);
    chain(FilenameEdit1->browseButton());
    chain(ButtonRestore);

    ButtonOK = placed(new QPushButton(ButtonOKCaption, this), "ButtonOK", ButtonOKRect);
    ButtonOK->setDefault(true);
    ButtonCancel =
        placed(new QPushButton(ButtonCancelCaption, this), "ButtonCancel", ButtonCancelRect);
    chain(ButtonOK);
    chain(ButtonCancel);
}

void TFormOptions::createConnections()
{
    connect(FontComboBoxBook, &FontComboBox::changed, this, &TFormOptions::FontComboBoxBookChange);
    connect(SpinEditFontSizeBook, &SpinEdit::changed, this,
            &TFormOptions::SpinEditFontSizeBookChange);
    connect(CheckBoxBoldBook, &QCheckBox::toggled, this, &TFormOptions::CheckBoxBoldBookClick);
    connect(CheckBoxItalicBook, &QCheckBox::toggled, this, &TFormOptions::CheckBoxItalicBookClick);
    connect(CheckBoxUnderlineBook, &QCheckBox::toggled, this,
            &TFormOptions::CheckBoxUnderlineBookClick);
    connect(ColorComboBoxBook, &ColorComboBox::changed, this,
            &TFormOptions::ColorComboBoxBookChange);

    connect(FontComboBoxVerse, &FontComboBox::changed, this,
            &TFormOptions::FontComboBoxVerseChange);
    connect(SpinEditFontSizeVerse, &SpinEdit::changed, this,
            &TFormOptions::SpinEditFontSizeVerseChange);
    connect(CheckBoxBoldVerse, &QCheckBox::toggled, this, &TFormOptions::CheckBoxBoldVerseClick);
    connect(CheckBoxItalicVerse, &QCheckBox::toggled, this,
            &TFormOptions::CheckBoxItalicVerseClick);
    connect(CheckBoxUnderlineVerse, &QCheckBox::toggled, this,
            &TFormOptions::CheckBoxUnderlineVerseClick);
    connect(ColorComboBoxVerse, &ColorComboBox::changed, this,
            &TFormOptions::ColorComboBoxVerseChange);

    connect(FontComboBoxText, &FontComboBox::changed, this, &TFormOptions::FontComboBoxTextChange);
    connect(SpinEditFontSizetext, &SpinEdit::changed, this,
            &TFormOptions::SpinEditFontSizetextChange);
    connect(CheckBoxBoldText, &QCheckBox::toggled, this, &TFormOptions::CheckBoxBoldTextClick);
    connect(CheckBoxItalicText, &QCheckBox::toggled, this, &TFormOptions::CheckBoxItalicTextClick);
    connect(CheckBoxUnderlineText, &QCheckBox::toggled, this,
            &TFormOptions::CheckBoxUnderlineTextClick);
    connect(ColorComboBoxText, &ColorComboBox::changed, this,
            &TFormOptions::ColorComboBoxTextChange);

    connect(ColorComboBoxBackground, &ColorComboBox::changed, this,
            &TFormOptions::ColorComboBoxBackgroundChange);
    connect(ButtonOK, &QPushButton::clicked, this, &TFormOptions::ButtonOKClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &TFormOptions::ButtonCancelClick);
    connect(ButtonRestore, &QPushButton::clicked, this, &TFormOptions::ButtonRestoreClick);
    connect(FilenameEdit1, &QLineEdit::textChanged, this, &TFormOptions::FilenameEdit1Change);
}

TFormOptions::FontGroup TFormOptions::group(int index) const
{
    switch (index) {
    case 0:
        return {GroupBoxBook,       FontComboBoxBook,      SpinEditFontSizeBook, CheckBoxBoldBook,
                CheckBoxItalicBook, CheckBoxUnderlineBook, ColorComboBoxBook,    PanelSampleBook};
    case 1:
        return {GroupBoxVerse,      FontComboBoxVerse,   SpinEditFontSizeVerse,
                CheckBoxBoldVerse,  CheckBoxItalicVerse, CheckBoxUnderlineVerse,
                ColorComboBoxVerse, PanelSampleVerse};
    default:
        return {GroupBoxText,       FontComboBoxText,      SpinEditFontSizetext, CheckBoxBoldText,
                CheckBoxItalicText, CheckBoxUnderlineText, ColorComboBoxText,    PanelSampleText};
    }
}

void TFormOptions::showEvent(QShowEvent *event)
{
    FormActivate();
    QDialog::showEvent(event);
}

void TFormOptions::FormActivate()
{
    const Target target = m_target ? m_target() : Target();
    // The controls and samples are the copy being edited; the store
    // changes only with "OK".
    if (target.store) {
        const Appearance &current = target.store->value();
        PanelSample->setColor(current.PanelSample);
        PanelSampleBook->setFontValue(current.PanelSampleBook);
        PanelSampleVerse->setFontValue(current.PanelSampleVerse);
        PanelSampleText->setFontValue(current.PanelSampleText);
        loadViewer(current.edithtmlviewer);
        CheckBoxRedLetters->setChecked(current.CheckBoxRedLetters);
    }
    ColorComboBoxBackground->setColorValue(PanelSample->color());
    // Each control set here writes its value back into the sample through
    // its change handler.
    for (int i = 0; i < 3; ++i)
        loadGroup(group(i));
}

void TFormOptions::loadGroup(const FontGroup &g)
{
    const FontValue font = g.sample->fontValue();
    g.fontList->setFontName(font.name);
    g.sizeBox->setValue(font.size());
    g.bold->setChecked(font.hasStyle(fsBold));
    g.italic->setChecked(font.hasStyle(fsItalic));
    g.underline->setChecked(font.hasStyle(fsUnderline));
    g.colorList->setColorValue(font.color);
}

void TFormOptions::FontComboBoxBookChange()
{
    editFont(PanelSampleBook, [this](FontValue &f) { f.setName(FontComboBoxBook->fontName()); });
}

void TFormOptions::SpinEditFontSizeBookChange()
{
    editFont(PanelSampleBook, [this](FontValue &f) { f.setSize(SpinEditFontSizeBook->value()); });
}

void TFormOptions::CheckBoxBoldBookClick()
{
    editFont(PanelSampleBook,
             [this](FontValue &f) { f.setStyle(fsBold, CheckBoxBoldBook->isChecked()); });
}

void TFormOptions::CheckBoxItalicBookClick()
{
    editFont(PanelSampleBook,
             [this](FontValue &f) { f.setStyle(fsItalic, CheckBoxItalicBook->isChecked()); });
}

void TFormOptions::CheckBoxUnderlineBookClick()
{
    editFont(PanelSampleBook,
             [this](FontValue &f) { f.setStyle(fsUnderline, CheckBoxUnderlineBook->isChecked()); });
}

void TFormOptions::ColorComboBoxBookChange()
{
    editFont(PanelSampleBook, [this](FontValue &f) { f.color = ColorComboBoxBook->colorValue(); });
}

void TFormOptions::FontComboBoxVerseChange()
{
    editFont(PanelSampleVerse, [this](FontValue &f) { f.setName(FontComboBoxVerse->fontName()); });
}

void TFormOptions::SpinEditFontSizeVerseChange()
{
    editFont(PanelSampleVerse, [this](FontValue &f) { f.setSize(SpinEditFontSizeVerse->value()); });
}

void TFormOptions::CheckBoxBoldVerseClick()
{
    editFont(PanelSampleVerse,
             [this](FontValue &f) { f.setStyle(fsBold, CheckBoxBoldVerse->isChecked()); });
}

void TFormOptions::CheckBoxItalicVerseClick()
{
    editFont(PanelSampleVerse,
             [this](FontValue &f) { f.setStyle(fsItalic, CheckBoxItalicVerse->isChecked()); });
}

void TFormOptions::CheckBoxUnderlineVerseClick()
{
    editFont(PanelSampleVerse, [this](FontValue &f) {
        f.setStyle(fsUnderline, CheckBoxUnderlineVerse->isChecked());
    });
}

void TFormOptions::ColorComboBoxVerseChange()
{
    editFont(PanelSampleVerse,
             [this](FontValue &f) { f.color = ColorComboBoxVerse->colorValue(); });
}

void TFormOptions::FontComboBoxTextChange()
{
    editFont(PanelSampleText, [this](FontValue &f) { f.setName(FontComboBoxText->fontName()); });
}

void TFormOptions::SpinEditFontSizetextChange()
{
    editFont(PanelSampleText, [this](FontValue &f) { f.setSize(SpinEditFontSizetext->value()); });
}

void TFormOptions::CheckBoxBoldTextClick()
{
    editFont(PanelSampleText,
             [this](FontValue &f) { f.setStyle(fsBold, CheckBoxBoldText->isChecked()); });
}

void TFormOptions::CheckBoxItalicTextClick()
{
    editFont(PanelSampleText,
             [this](FontValue &f) { f.setStyle(fsItalic, CheckBoxItalicText->isChecked()); });
}

void TFormOptions::CheckBoxUnderlineTextClick()
{
    editFont(PanelSampleText,
             [this](FontValue &f) { f.setStyle(fsUnderline, CheckBoxUnderlineText->isChecked()); });
}

void TFormOptions::ColorComboBoxTextChange()
{
    editFont(PanelSampleText, [this](FontValue &f) { f.color = ColorComboBoxText->colorValue(); });
}

void TFormOptions::ColorComboBoxBackgroundChange()
{
    PanelSample->setColor(ColorComboBoxBackground->colorValue());
}

void TFormOptions::ButtonOKClick()
{
    const Target target = m_target ? m_target() : Target();
    if (target.store) {
        Appearance edited = target.store->value();
        edited.PanelSample = PanelSample->color();
        edited.PanelSampleBook = PanelSampleBook->fontValue();
        edited.PanelSampleVerse = PanelSampleVerse->fontValue();
        edited.PanelSampleText = PanelSampleText->fontValue();
        edited.edithtmlviewer = viewerText();
        edited.CheckBoxRedLetters = CheckBoxRedLetters->isChecked();
        target.store->set(edited);
    }
    if (target.reopenReaders)
        target.reopenReaders();
    accept();
}

void TFormOptions::ButtonCancelClick()
{
    reject();
}

void TFormOptions::ButtonRestoreClick()
{
    loadViewer(DocumentLauncher::defaultSetting());
}

// A program typed or picked is the program chosen.
void TFormOptions::FilenameEdit1Change()
{
    if (!m_loadingViewer && !FilenameEdit1->text().trimmed().isEmpty())
        ComboBoxViewer->setCurrentIndex(EntryProgram);
}

// The setting's text as the dialog shows it: the choice in the list, and a
// program's name in the file name box (an older "iexplore.exe" shows as the
// built-in window, which is what it now means).
void TFormOptions::loadViewer(const QString &text)
{
    const DocumentLauncher::ViewerChoice choice = DocumentLauncher::viewerChoice(text);
    m_loadingViewer = true;
    switch (choice.viewer) {
    case DocumentLauncher::Viewer::BuiltIn:
        ComboBoxViewer->setCurrentIndex(EntryBuiltIn);
        FilenameEdit1->clear();
        break;
    case DocumentLauncher::Viewer::Desktop:
        ComboBoxViewer->setCurrentIndex(EntryDesktop);
        FilenameEdit1->clear();
        break;
    case DocumentLauncher::Viewer::Program:
        ComboBoxViewer->setCurrentIndex(EntryProgram);
        FilenameEdit1->setText(text);
        break;
    }
    m_loadingViewer = false;
}

QString TFormOptions::viewerText() const
{
    switch (ComboBoxViewer->currentIndex()) {
    case EntryDesktop:
        return DocumentLauncher::desktopSetting();
    case EntryProgram:
        // Exactly as shown, quotes included; a program that does not start
        // is reported when a document is opened.
        return FilenameEdit1->text();
    default:
        return DocumentLauncher::builtInSetting();
    }
}
