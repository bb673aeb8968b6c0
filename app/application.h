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
} // namespace ErrorReport
