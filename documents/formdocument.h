// The built-in document window: a child window of the main window that shows
// the program's own HTML documents (dictionary entries, commentaries, help),
// with Back, Forward, Find, zoom, Copy and Print. One window serves each kind
// of document; a further document of that kind replaces the page shown.
#pragma once

#include <QUrl>
#include <QWidget>

class ClientArea;
class QAction;
class QLabel;
class QLineEdit;
class QPrinter;
class QTextBrowser;
class QToolBar;

class TFormDocument : public QWidget
{
    Q_OBJECT
public:
    enum class Kind { Dictionary, Commentary, Help };

    explicit TFormDocument(Kind kind, QWidget *parent = nullptr);

    // The kind of document a file of the program folder is: by its folder.
    static Kind kindOf(const QString &fullPath);
    // Shows the document in the window of its kind, opening that window in
    // the client area (on its own without one) when there is none yet, and
    // brings it to the front.
    static TFormDocument *showDocument(const QUrl &url, ClientArea *area);
    static TFormDocument *showDocument(Kind kind, const QUrl &url, ClientArea *area);
    // The open window of a kind in the client area (among the windows on
    // their own without one), or null.
    static TFormDocument *windowOf(Kind kind, const ClientArea *area);

    Kind kind() const { return m_kind; }
    void setSource(const QUrl &url);

    QToolBar *ToolBarDocument = nullptr;
    QTextBrowser *BrowserDocument = nullptr;
    QLineEdit *EditFind = nullptr;
    QLabel *LabelFound = nullptr;
    QAction *Back1 = nullptr;
    QAction *Forward1 = nullptr;
    QAction *Find1 = nullptr;
    QAction *ZoomIn1 = nullptr;
    QAction *ZoomOut1 = nullptr;
    QAction *Copy1 = nullptr;
    QAction *Print1 = nullptr;

public slots:
    void Back1Click();
    void Forward1Click();
    void Find1Click();
    // Finds the find box's text after the cursor (backward: before it),
    // going round the end of the document once.
    bool FindNext(bool backward = false);
    void ZoomIn1Click();
    void ZoomOut1Click();
    void Copy1Click();
    void Print1Click();
    void printTo(QPrinter *printer);
    // A link of the page: another page of the program folder opens here, a
    // verse ("kelvaro:John+3:16") in a new reader, anything else in the
    // desktop's browser.
    void BrowserDocumentAnchorClicked(const QUrl &url);

signals:
    // A verse link was followed: its owner opens a reader there.
    void verseLinkClicked(const QString &link);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createActions();
    void updateCaption();

    Kind m_kind;
};
