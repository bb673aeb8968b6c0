#include "optionscontrols.h"

#include "options/fontvalue.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <QStyle>
#include <QToolButton>

#include <limits>

namespace {
constexpr int MaxFaceNameLength = 31;
constexpr int BrowseButtonWidth = 21;
const QSize SwatchSize(24, 12);
const QString BrowseCaption = QStringLiteral("Browse");
#ifdef Q_OS_WIN
const QString BrowseFilter = QStringLiteral("All files (*.*)");
#else
// "*.*" only matches names with a dot here, which would hide most programs.
const QString BrowseFilter = QStringLiteral("All files (*)");
#endif

FilenameEdit::Chooser &chooser()
{
    static FilenameEdit::Chooser function;
    return function;
}

QPixmap swatch(const QColor &color, const QColor &outline)
{
    QPixmap pixmap(SwatchSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.fillRect(pixmap.rect(), outline);
    painter.fillRect(pixmap.rect().adjusted(1, 1, -1, -1), color);
    return pixmap;
}

// A light colour gets a black outline; any other is outlined in white while
// highlighted and in its own colour otherwise.
QIcon swatchIcon(const QColor &color)
{
    const bool light = color.red() > 192 || color.green() > 192 || color.blue() > 192;
    QIcon icon;
    icon.addPixmap(swatch(color, light ? QColor(Qt::black) : color), QIcon::Normal);
    icon.addPixmap(swatch(color, light ? QColor(Qt::black) : QColor(Qt::white)), QIcon::Selected);
    return icon;
}
} // namespace

FontComboBox::FontComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    QStringList families;
    for (const QString &family : QFontDatabase::families())
        families.append(plainFamilyName(family));
    families.removeDuplicates();
    // The common Windows faces that the system serves through a metric-
    // compatible substitute are offered under their own names, so that the
    // design font "Times New Roman" shows as chosen.
    const QString fallback = QFontInfo(QFont(QStringLiteral("Kelvaro No Such Face"))).family();
    for (const char *face : {"Times New Roman", "Arial", "Courier New"}) {
        const QString name = QString::fromLatin1(face);
        const QString served = QFontInfo(QFont(name)).family();
        if (served != fallback && families.contains(served))
            families.append(name);
    }
    families.removeDuplicates();
    families.sort(Qt::CaseInsensitive);
    addItems(families);
    setCurrentIndex(-1);
    // The value is the entry's text, so it changes exactly when the entry does.
    connect(this, &QComboBox::currentIndexChanged, this, &FontComboBox::changed);
}

QString FontComboBox::plainFamilyName(const QString &family)
{
    // Qt names a family that several foundries provide "C059 [urw]"; the
    // font is found under its own name, which is also what the person
    // knows it by and what gets stored.
    static const QRegularExpression foundryTag(QStringLiteral("\\s*\\[[^\\[\\]]*\\]$"));
    QString name = family;
    name.remove(foundryTag);
    return name.isEmpty() ? family : name;
}

QString FontComboBox::fontName() const
{
    return currentIndex() < 0 ? QString() : currentText().left(MaxFaceNameLength);
}

void FontComboBox::setFontName(const QString &name)
{
    if (name == fontName())
        return;
    // A name stored with a foundry tag still finds its family.
    const QString wanted = plainFamilyName(name);
    int found = -1;
    for (int i = 0; i < count(); ++i) {
        if (itemText(i).left(MaxFaceNameLength).compare(wanted, Qt::CaseInsensitive) == 0) {
            found = i;
            break;
        }
    }
    setCurrentIndex(found);
}

const QList<ColorComboBox::NamedColor> &ColorComboBox::namedColors()
{
    static const QList<NamedColor> colors = {
        {"Black", 0x000000},  {"Maroon", 0x000080},  {"Green", 0x008000}, {"Olive", 0x008080},
        {"Navy", 0x800000},   {"Purple", 0x800080},  {"Teal", 0x808000},  {"Gray", 0x808080},
        {"Silver", 0xC0C0C0}, {"Red", 0x0000FF},     {"Lime", 0x00FF00},  {"Yellow", 0x00FFFF},
        {"Blue", 0xFF0000},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00},  {"White", 0xFFFFFF},
    };
    return colors;
}

ColorComboBox::ColorComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    setIconSize(SwatchSize);
    for (const NamedColor &entry : namedColors())
        addItem(swatchIcon(ColorValue::toQColor(entry.value)), QLatin1String(entry.name),
                entry.value);
    setCurrentIndex(findData(m_value));
    connect(this, &QComboBox::activated, this, &ColorComboBox::entryPicked);
}

void ColorComboBox::setColorValue(qint32 value)
{
    if (value == m_value)
        return;
    m_value = value;
    setCurrentIndex(findData(value));
    emit changed();
}

void ColorComboBox::entryPicked(int index)
{
    if (index < 0)
        return;
    const qint32 value = itemData(index).toInt();
    if (value == m_value)
        return;
    m_value = value;
    emit changed();
}

SpinEdit::SpinEdit(QWidget *parent) : QAbstractSpinBox(parent)
{
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setAccelerated(true);
    lineEdit()->setText(QStringLiteral("0"));
    connect(lineEdit(), &QLineEdit::textChanged, this, &SpinEdit::changed);
}

int SpinEdit::valueOf(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || text.isEmpty() || text.front().isSpace() || text.back().isSpace())
        return 0;
    return value;
}

int SpinEdit::value() const
{
    return valueOf(lineEdit()->text());
}

void SpinEdit::setValue(int value)
{
    lineEdit()->setText(QString::number(value));
}

void SpinEdit::stepBy(int steps)
{
    const qint64 next = qint64(value()) + steps;
    setValue(int(qBound(qint64(std::numeric_limits<int>::min()), next,
                        qint64(std::numeric_limits<int>::max()))));
    selectAll();
}

QAbstractSpinBox::StepEnabled SpinEdit::stepEnabled() const
{
    return StepUpEnabled | StepDownEnabled;
}

bool SpinEdit::isAccepted(QChar c)
{
    return c.isDigit() || c == u'+' || c == u'-' || c == QLocale().decimalPoint().front();
}

QValidator::State SpinEdit::validate(QString &input, int &pos) const
{
    Q_UNUSED(pos);
    for (const QChar c : input) {
        if (!isAccepted(c))
            return QValidator::Invalid;
    }
    return QValidator::Acceptable;
}

void SpinEdit::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    const bool printable = !text.isEmpty() && text.front().unicode() >= 0x20 &&
                           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (printable && !std::all_of(text.begin(), text.end(), isAccepted)) {
        QApplication::beep();
        event->accept();
        return;
    }
    QAbstractSpinBox::keyPressEvent(event);
}

FilenameEdit::FilenameEdit(QWidget *parent) : QLineEdit(parent)
{
    m_button = new QToolButton(this);
    m_button->setObjectName(QStringLiteral("BrowseButton"));
    m_button->setText(QStringLiteral("..."));
    m_button->setToolTip(BrowseCaption);
    m_button->setCursor(Qt::ArrowCursor);
    // Reached with Tab, so the picker is open to the keyboard; a click leaves
    // the focus in the box.
    m_button->setFocusPolicy(Qt::TabFocus);
    m_button->setFixedWidth(BrowseButtonWidth);
    setTextMargins(0, 0, BrowseButtonWidth, 0);
    connect(m_button, &QToolButton::clicked, this, &FilenameEdit::browse);
}

void FilenameEdit::setChooser(Chooser function)
{
    chooser() = std::move(function);
}

QString FilenameEdit::programPart(const QString &text)
{
    if (!text.isEmpty() && QFileInfo(text).isFile())
        return text;
    const QString line = text.trimmed();
    if (line.startsWith(u'"')) {
        const qsizetype close = line.indexOf(u'"', 1);
        return close < 0 ? line.mid(1) : line.mid(1, close - 1);
    }
    const qsizetype blank = line.indexOf(u' ');
    return blank < 0 ? line : line.left(blank);
}

bool FilenameEdit::isValidFileName(const QString &name)
{
    static const QString forbidden = QStringLiteral("<>\"[]|");
    for (const QChar c : name) {
        if (forbidden.contains(c))
            return false;
    }
    return true;
}

QString FilenameEdit::boxText(const QString &path)
{
    const QString native = QDir::toNativeSeparators(path);
    if (native.contains(u' ') && !native.startsWith(u'"'))
        return u'"' + native + u'"';
    return native;
}

void FilenameEdit::browse()
{
    const QString program = programPart(text());
    QString folder;
    QString fileName;
    if (isValidFileName(program) && !program.isEmpty()) {
        const QFileInfo info(QDir::fromNativeSeparators(program));
        const bool hasFolder = QDir::fromNativeSeparators(program).contains(u'/');
        if (hasFolder && QFileInfo(info.path()).isDir())
            folder = info.path();
        fileName = info.fileName();
    }
    QString chosen;
    if (chooser()) {
        chosen = chooser()(this, folder, fileName);
    } else {
        QFileDialog dialog(this, BrowseCaption, folder, BrowseFilter);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        if (!fileName.isEmpty())
            dialog.selectFile(fileName);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().constFirst();
    }
    if (!chosen.isEmpty())
        setText(boxText(QFileInfo(chosen).absoluteFilePath()));
}

void FilenameEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier)) {
        browse();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void FilenameEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    m_button->setGeometry(width() - BrowseButtonWidth, 0, BrowseButtonWidth, height());
}
