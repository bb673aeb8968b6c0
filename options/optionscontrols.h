// The edit controls of the options dialog: the font list, the sixteen-colour
// list, the unbounded size box and the viewer's file name box. Each raises
// its `changed` signal whenever its value changes, whether the user or the
// code changed it.
#pragma once

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <functional>

class QToolButton;

// Every font family of the screen, each once, sorted by name; not editable.
class FontComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit FontComboBox(QWidget *parent = nullptr);
    // The text of the chosen entry (at most 31 characters); empty without one.
    QString fontName() const;
    // Selects the entry of that name, ignoring case, or none.
    void setFontName(const QString &name);
    // A family name without the foundry Qt adds when several provide it.
    static QString plainFamilyName(const QString &family);

signals:
    void changed();
};

// The sixteen named colours with swatches. The list keeps its own colour, so
// a colour that is not listed survives with no entry selected.
class ColorComboBox : public QComboBox
{
    Q_OBJECT
public:
    struct NamedColor
    {
        const char *name;
        qint32 value;
    };
    static const QList<NamedColor> &namedColors();

    explicit ColorComboBox(QWidget *parent = nullptr);
    qint32 colorValue() const { return m_value; }
    void setColorValue(qint32 value);

signals:
    void changed();

private:
    void entryPicked(int index);
    qint32 m_value = 0;
};

// A whole number without bounds. The text is the truth: a text that is not a
// whole number counts as 0, and every change of the text is a change.
class SpinEdit : public QAbstractSpinBox
{
    Q_OBJECT
public:
    explicit SpinEdit(QWidget *parent = nullptr);
    int value() const;
    void setValue(int value);
    // The value a text stands for.
    static int valueOf(const QString &text);

    void stepBy(int steps) override;
    QValidator::State validate(QString &input, int &pos) const override;

signals:
    void changed();

protected:
    StepEnabled stepEnabled() const override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    static bool isAccepted(QChar c);
};

// A one-line box for a program's file name with a browse button at its right
// end.
class FilenameEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit FilenameEdit(QWidget *parent = nullptr);
    QToolButton *browseButton() const { return m_button; }

    // Picks a file: the box's text becomes its full path, in double quotes
    // when the path holds a blank.
    void browse();

    // The program a command line names: the whole text when it names an
    // existing file, else its first word without surrounding quotes.
    static QString programPart(const QString &text);
    // A file name may not hold any of < > " [ ] |.
    static bool isValidFileName(const QString &name);
    // The text the box shows for a chosen path.
    static QString boxText(const QString &path);

    // The file picker: parent, start folder (may be empty), preselected file
    // name; returns the chosen path or an empty text. Tests replace it; an
    // empty function restores the system's open-file dialog.
    using Chooser = std::function<QString(QWidget *, const QString &, const QString &)>;
    static void setChooser(Chooser chooser);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QToolButton *m_button = nullptr;
};
