// The reader's text area: a read-only rich text view with a keyboard caret,
// whose copies carry plain text, HTML and Rich Text Format.
#pragma once

#include <QTextEdit>

class ChapterTextEdit : public QTextEdit
{
    Q_OBJECT
public:
    explicit ChapterTextEdit(QWidget *parent = nullptr);

protected:
    QMimeData *createMimeDataFromSelection() const override;
};
