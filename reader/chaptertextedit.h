// The reader's text area: a read-only rich text view with a keyboard caret,
// whose copies carry plain text, HTML and Rich Text Format.
#pragma once

#include "reader/chaptermarkup.h"

#include <QTextEdit>

#include <functional>

class QPainter;

class ChapterTextEdit : public QTextEdit
{
    Q_OBJECT
public:
    explicit ChapterTextEdit(QWidget *parent = nullptr);

    // Scrolls so that no line is cut at the top of the view: down to the next
    // whole line, or where the end of the text allows no more, up to the cut
    // line's top.
    void showWholeTopLine();
    // With the line of the position at the top of the view, scrolls up to
    // show the heading drawn above it, if it has one.
    void showHeadingAbove(int position);

    // What a copy of whole verses carries: null for a selection that is not
    // one, which copies as it stands. Without one every selection does.
    using VerseCopy = std::function<QMimeData *(const QWidget *area, const QTextCursor &selection)>;
    void setVerseCopy(VerseCopy copy) { m_verseCopy = std::move(copy); }

signals:
    // Ctrl+wheel: the chapter larger (steps > 0) or smaller, by whole notches.
    void zoomRequested(int steps);
    // The area changed size and its text was laid out anew, the character
    // that was at the top of the view still there.
    void viewResized();

protected:
    QMimeData *createMimeDataFromSelection() const override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    // Document y of the top of the display line holding the position.
    qreal lineTop(int position) const;
    // A heading between verses, in the line above the verse's first line.
    void paintHeading(QPainter &painter, const ChapterMarkup::HeadingLine &heading,
                      qreal verseTop) const;

    int m_wheelAngle = 0; // a notch's part, kept until it makes a whole one
    VerseCopy m_verseCopy;
};
