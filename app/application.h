// The application object: catches every exception that escapes an event
// handler and shows its message, so that the window stays open.
#pragma once

#include <QApplication>
#include <exception>

class KelvaroApplication : public QApplication
{
    Q_OBJECT
public:
    KelvaroApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

namespace ErrorReport {
// The standard error report: the message in a message box.
void show(const QString &message);
void show(const std::exception &error);
// The standard error report, shown from the event loop: for failures inside
// handlers that must finish their work. A message already waiting is not
// queued again, so readers failing alike are told once.
void showLater(const QString &message);
// The program's own information message: caption "Information", one OK.
void information(QWidget *parent, const QString &text);

// The standard error report shown from the event loop, for a handler that
// must finish its work first (a line edit's, a button's own code); dropped
// when context goes before the loop comes round.
inline auto later(QObject *context)
{
    return [context](const QString &message) {
        QMetaObject::invokeMethod(
            context, [message] { show(message); }, Qt::QueuedConnection);
    };
}

// Runs a handler's body where the handler begins. An error stops here and is
// told by report (the standard error report unless given), so that no
// exception leaves a slot and none goes untold. True when the body ran
// through.
template <typename Body, typename Report = void (*)(const QString &)>
bool guard(Body &&body, Report report = static_cast<void (*)(const QString &)>(&show))
{
    try {
        body();
        return true;
    } catch (const std::exception &error) {
        report(QString::fromUtf8(error.what()));
    } catch (...) {
        report(QStringLiteral("Unknown error"));
    }
    return false;
}
} // namespace ErrorReport
