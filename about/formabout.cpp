#include "formabout.h"

TFormAbout::TFormAbout(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About..."));
}
