#pragma once
#include <QDialog>

class TFormMain;

class TFormOptions : public QDialog
{
    Q_OBJECT
public:
    explicit TFormOptions(TFormMain *main, QWidget *parent = nullptr);
};
