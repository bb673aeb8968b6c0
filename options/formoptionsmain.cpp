// The options dialog bound to the main window. Kept apart so that the dialog
// itself can be built and tried without a main window.
#include "app/formmain.h"
#include "options/formoptions.h"

#include <QTimer>

TFormOptions::TFormOptions(TFormMain *main, QWidget *parent)
    : TFormOptions(
          [main] {
              Target target;
              if (!main)
                  return target;
              target.store = main->appearance();
              target.reopenReaders = [main] {
                  main->SaveandCloseBooks();
                  main->TimerStartup->start();
              };
              return target;
          },
          parent)
{
}
