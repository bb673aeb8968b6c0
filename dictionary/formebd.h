// Easton's Bible Dictionary: the entry words narrowed, as the user types, to
// those containing the typed text; a double-click opens the entry's
// definition document in the HTML viewer.
#pragma once

#include <QStringList>
#include <QWidget>
#include <memory>

class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class Query;
class EbdWordModel;

class TFormebd : public QWidget
{
    Q_OBJECT
public:
    explicit TFormebd(QWidget *parent = nullptr);
    ~TFormebd() override;

    // The statement lines: all entries, and the entries whose word contains
    // text (ASCII letters compared without regard to case).
    static QStringList creationStatement();
    static QStringList searchStatement(const QString &text);

    QFrame *Panel1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QLabel *Label2 = nullptr;
    QFrame *Panel2 = nullptr;
    QListView *RxDBLookupList1 = nullptr;

    Query &Queryebd() { return *m_queryebd; }
    // The entry words as the list shows them.
    QStringList words() const;
    // The list's current entry (-1 when the list is empty).
    int currentRow() const;

    // Reruns the statement for the search box's text. An engine error leaves
    // the list empty and is thrown on: the search box's edits run it where
    // errors are told.
    void Edit1Change();

public slots:
    // Opens the definition of the current entry; nothing on an empty list.
    void RxDBLookupList1DblClick();

signals:
    // A definition to show (a full path, with its anchor after "#").
    void documentRequested(const QString &fullPath);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void createControls();
    void layoutPanel1();
    // Opens the statement and shows its result; a failure empties the list
    // and is thrown on.
    void openQuery();
    void refreshList();
    void followCurrentEntry(int row);

    std::unique_ptr<Query> m_queryebd;
    EbdWordModel *m_model = nullptr;
    bool m_placed = false;
};
