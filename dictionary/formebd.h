#pragma once
#include <QWidget>

class TFormebd : public QWidget
{
    Q_OBJECT
public:
    explicit TFormebd(QWidget *parent = nullptr);
};
