#include "formsearch.h"

TFormSearch::TFormSearch(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Find Verses"));
    setAttribute(Qt::WA_DeleteOnClose);
}
