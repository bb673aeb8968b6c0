// The application's standard error report: an exception that escapes an
// event handler is shown in a message box and the program goes on.

#include "app/application.h"
#include "scripture/dataset.h"

#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <stdexcept>

class ApplicationTest : public QObject
{
    Q_OBJECT
private slots:
    void escapingExceptionIsShownAndTheLoopGoesOn();
};

// Closes every message box as it appears, remembering the last text.
class BoxCloser : public QObject
{
public:
    BoxCloser()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                auto *box = qobject_cast<QMessageBox *>(widget);
                if (box && box->isVisible()) {
                    shown = box->text();
                    box->accept();
                }
            }
        });
        m_timer.start(10);
    }
    QString shown;

private:
    QTimer m_timer;
};

void ApplicationTest::escapingExceptionIsShownAndTheLoopGoesOn()
{
    BoxCloser closer;
    QTimer failing;
    failing.setSingleShot(true);
    connect(&failing, &QTimer::timeout, this,
            [] { throw EngineError(QStringLiteral("Table does not exist: /x/kjvbible.db")); });
    failing.start(0);
    QTRY_COMPARE(closer.shown, QStringLiteral("Table does not exist: /x/kjvbible.db"));

    // Later events are handled as usual.
    bool ranAfterwards = false;
    QTimer::singleShot(0, this, [&] { ranAfterwards = true; });
    QTRY_VERIFY(ranAfterwards);

    QTimer other;
    other.setSingleShot(true);
    connect(&other, &QTimer::timeout, this, [] { throw std::runtime_error("plain failure"); });
    other.start(0);
    QTRY_COMPARE(closer.shown, QStringLiteral("plain failure"));
}

int main(int argc, char **argv)
{
    KelvaroApplication app(argc, argv);
    ApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
