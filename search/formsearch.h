#pragma once
#include <QWidget>

class TFormSearch : public QWidget
{
    Q_OBJECT
public:
    explicit TFormSearch(QWidget *parent = nullptr);
};
