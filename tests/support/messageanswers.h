// Answers every message box the program shows while it lives, keeping the
// texts: errors that a handler tells rather than throws are read here.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

struct MessageAnswers
{
    QStringList texts;
    QTimer timer;
    MessageAnswers()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                texts.append(box->text());
                box->accept();
            }
        });
        timer.start(10);
    }
    // All texts, one a line: for a test that looks for words in them.
    QString all() const { return texts.join(QLatin1Char('\n')); }
};
