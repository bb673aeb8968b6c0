#include "formstorage.h"

FormStorage::FormStorage(TFormMain *form) : m_form(form) {}

void FormStorage::restore()
{
    m_restored = true;
}

void FormStorage::save(bool atDestruction)
{
    Q_UNUSED(atDestruction);
    m_saved = true;
}
