#include "formoptions.h"

TFormOptions::TFormOptions(TFormMain *main, QWidget *parent) : QDialog(parent)
{
    Q_UNUSED(main);
    setWindowTitle(QStringLiteral("Options"));
}
