// The text forms of the stored settings: every value in the store is text,
// numbers included, and these functions turn property values into those
// texts and back. No store and no widget is touched here.
#pragma once

#include "fontvalue.h"

#include <QList>
#include <QPair>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

namespace StoredValues {

// The edge of the main window at which the tool bar sits, by the names the
// store uses.
enum class Align { alNone, alTop, alBottom, alLeft, alRight, alClient };

// Leading and trailing blanks and control characters removed.
QString trimmed(const QString &text);

// A whole 32-bit number: decimal with an optional sign, or hexadecimal after
// "$" (up to eight digits, read as the bits of the value). False for any
// other text.
bool parseInteger(const QString &text, qint32 *value);
// The same, with 0 for a text that is not such a number.
qint32 toInteger(const QString &text);
QString integerText(qint32 value);

// "[fsBold,fsItalic]": members present in member order, no blanks.
QString styleText(int style);
// Every word (split at blanks, commas and brackets) that names a member,
// ignoring case; other words are dropped.
int parseStyle(const QString &text);

QString pitchText(FontPitch pitch);
// The member named by the text, ignoring case; false when there is none.
bool parsePitch(const QString &text, FontPitch *pitch);

QString alignText(Align align);
bool parseAlign(const QString &text, Align *align);
// The edges a tool bar accepts; alNone and alClient are refused.
bool isToolBarEdge(Align align);
Qt::ToolBarArea toToolBarArea(Align align);
// A tool bar that is not docked anywhere counts as sitting at the top.
Align fromToolBarArea(Qt::ToolBarArea area);

// "False" or "True"; read ignoring case, any other text names nothing.
QString booleanText(bool value);
bool parseBoolean(const QString &text, bool *value);

// "%d,%d,%d,%d".
QString rectText(int a, int b, int c, int d);
// Words of a placement text, split at runs of blanks and commas.
QStringList placementWords(const QString &text);
// Word `index` of the words as a number, or the fallback when it is missing
// or not a number.
int placementNumber(const QStringList &words, int index, int fallback);
// "(%dx%d)", the screen-size suffix of the placement value names.
QString screenSuffix(const QSize &screen);

// The six value texts of a font, in the order Color, Height, Name, Pitch,
// Size, Style, each paired with its property name.
QList<QPair<QString, QString>> fontTexts(const FontValue &font, int pixelsPerInch);
// The text of one font property as the store holds it.
QString fontPropertyText(const FontValue &font, const QString &property, int pixelsPerInch);
// Assigns one font property from its (untrimmed) stored text; a text that
// names nothing leaves enumerations unchanged, a non-number gives 0, an
// empty name is ignored.
void applyFontProperty(FontValue &font, const QString &property, const QString &text,
                       int pixelsPerInch);

// The font property names in the order of reading and writing.
const QStringList &fontPropertyNames();

} // namespace StoredValues
