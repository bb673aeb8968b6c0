#include "application.h"

#include "resources/artwork.h"

#include <QMessageBox>
#include <QTimer>

KelvaroApplication::KelvaroApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    // No display name: on X11 Qt would append it to every window's caption
    // ("Information — Kelvaro"), and the captions are the windows' own.
    setApplicationName(QStringLiteral("Kelvaro"));
    setApplicationVersion(QStringLiteral(KELVARO_VERSION));
    // Docks and task bars match the windows to the desktop entry by it.
    setDesktopFileName(QStringLiteral("org.kelvaro.Kelvaro"));
    setWindowIcon(Artwork::appIcon());
}

bool KelvaroApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        ErrorReport::show(error);
    } catch (...) {
        ErrorReport::show(QStringLiteral("Unknown error"));
    }
    return false;
}

namespace ErrorReport {
void show(const QString &message)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), message,
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

void show(const std::exception &error)
{
    show(QString::fromUtf8(error.what()));
}

void showLater(const QString &message)
{
    static QStringList waiting;
    if (waiting.contains(message))
        return;
    waiting.append(message);
    QTimer::singleShot(0, qApp, [message] {
        show(message);
        waiting.removeOne(message);
    });
}

void information(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Information"), text, QMessageBox::Ok,
                    parent);
    box.exec();
}
} // namespace ErrorReport
