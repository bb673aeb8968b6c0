#include "formebd.h"

TFormebd::TFormebd(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Easton's Bible Dictionary"));
    setAttribute(Qt::WA_DeleteOnClose);
}
