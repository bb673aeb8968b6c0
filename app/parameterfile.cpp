#include "app/formmain.h"

void TFormMain::TimerParameterFileTimer() {}
