// The options dialog: edits a copy of the appearance settings (background
// colour, the three fonts, red letters and the HTML viewer); "OK" puts it
// into the store and has the open readers rebuilt with it.
#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class AppearanceStore;
class ColorComboBox;
class FilenameEdit;
class FontComboBox;
class SampleFont;
class SamplePanel;
class SpinEdit;
class TFormMain;

class TFormOptions : public QDialog
{
    Q_OBJECT
public:
    // What the dialog edits: the store of the settings in force, and what
    // "OK" runs after it has written them (close the readers, recording the
    // session, and have them reopened).
    struct Target
    {
        AppearanceStore *store = nullptr;
        std::function<void()> reopenReaders;
    };

    explicit TFormOptions(TFormMain *main, QWidget *parent = nullptr);
    // The target is asked for each time it is needed.
    explicit TFormOptions(std::function<Target()> target, QWidget *parent = nullptr);

    QTabWidget *PageControl1 = nullptr;
    QWidget *TabDisplay = nullptr;
    QWidget *TabViewer = nullptr;

    QGroupBox *GroupBoxBook = nullptr;
    FontComboBox *FontComboBoxBook = nullptr;
    QLabel *Label4 = nullptr;
    SpinEdit *SpinEditFontSizeBook = nullptr;
    QCheckBox *CheckBoxBoldBook = nullptr;
    QCheckBox *CheckBoxItalicBook = nullptr;
    QCheckBox *CheckBoxUnderlineBook = nullptr;
    ColorComboBox *ColorComboBoxBook = nullptr;

    QGroupBox *GroupBoxVerse = nullptr;
    FontComboBox *FontComboBoxVerse = nullptr;
    QLabel *Label2 = nullptr;
    SpinEdit *SpinEditFontSizeVerse = nullptr;
    QCheckBox *CheckBoxBoldVerse = nullptr;
    QCheckBox *CheckBoxItalicVerse = nullptr;
    QCheckBox *CheckBoxUnderlineVerse = nullptr;
    ColorComboBox *ColorComboBoxVerse = nullptr;

    QGroupBox *GroupBoxText = nullptr;
    FontComboBox *FontComboBoxText = nullptr;
    QLabel *Label1 = nullptr;
    SpinEdit *SpinEditFontSizetext = nullptr;
    QCheckBox *CheckBoxBoldText = nullptr;
    QCheckBox *CheckBoxItalicText = nullptr;
    QCheckBox *CheckBoxUnderlineText = nullptr;
    ColorComboBox *ColorComboBoxText = nullptr;

    QLabel *Label3 = nullptr;
    ColorComboBox *ColorComboBoxBackground = nullptr;
    QCheckBox *CheckBoxRedLetters = nullptr;
    SamplePanel *PanelSample = nullptr;
    SampleFont *PanelSampleBook = nullptr;
    SampleFont *PanelSampleVerse = nullptr;
    SampleFont *PanelSampleText = nullptr;

    QLabel *Label5 = nullptr;
    QLabel *Label7 = nullptr;
    // Built-in window, the desktop's browser, or the program in FilenameEdit1.
    QComboBox *ComboBoxViewer = nullptr;
    QLabel *Label6 = nullptr;
    FilenameEdit *FilenameEdit1 = nullptr;
    QPushButton *ButtonRestore = nullptr;

    QPushButton *ButtonOK = nullptr;
    QPushButton *ButtonCancel = nullptr;

public slots:
    void FormActivate();
    void FontComboBoxBookChange();
    void SpinEditFontSizeBookChange();
    void CheckBoxBoldBookClick();
    void CheckBoxItalicBookClick();
    void CheckBoxUnderlineBookClick();
    void ColorComboBoxBookChange();
    void FontComboBoxVerseChange();
    void SpinEditFontSizeVerseChange();
    void CheckBoxBoldVerseClick();
    void CheckBoxItalicVerseClick();
    void CheckBoxUnderlineVerseClick();
    void ColorComboBoxVerseChange();
    void FontComboBoxTextChange();
    void SpinEditFontSizetextChange();
    void CheckBoxBoldTextClick();
    void CheckBoxItalicTextClick();
    void CheckBoxUnderlineTextClick();
    void ColorComboBoxTextChange();
    void ColorComboBoxBackgroundChange();
    void ButtonOKClick();
    void ButtonCancelClick();
    void ButtonRestoreClick();
    void FilenameEdit1Change();

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct FontGroup
    {
        QGroupBox *box;
        FontComboBox *fontList;
        SpinEdit *sizeBox;
        QCheckBox *bold;
        QCheckBox *italic;
        QCheckBox *underline;
        ColorComboBox *colorList;
        SampleFont *sample;
    };

    void createControls();
    void createConnections();
    FontGroup group(int index) const;
    void loadGroup(const FontGroup &group);
    void loadViewer(const QString &text);
    QString viewerText() const;

    std::function<Target()> m_target;
    bool m_loadingViewer = false;
};
