// The box in the main tool bar where a reference is typed: "John 3:16" and
// Enter shows it in the active reader, Shift+Enter in a new one. What cannot
// be shown is said beside the box, without a message box.
#pragma once

#include "scripture/referenceparser.h"

#include <QWidget>
#include <memory>

class QLabel;
class QLineEdit;
class VerseCounts;

class ReferenceBox : public QWidget
{
    Q_OBJECT
public:
    explicit ReferenceBox(QWidget *parent = nullptr);
    ~ReferenceBox() override;

    QLineEdit *EditReference = nullptr;
    QLabel *LabelReferenceMessage = nullptr;

    // Puts the keyboard focus into the box with its text selected.
    void focusBox();
    // Reads the box as if Enter (or Shift+Enter) had been pressed.
    void submit(bool newReader);
    void showMessage(const QString &message);
    // On a bar at the left or right edge the message goes under the box.
    void setOrientation(Qt::Orientation orientation);

signals:
    void referenceChosen(const ReferenceParser::Reference &reference, bool newReader);
    // Escape: the person goes back to reading.
    void escaped();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::unique_ptr<VerseCounts> m_verseCounts;
};
