#include "pendingreference.h"

VerseReference PendingReference;
bool OpenBookRequest = false;
