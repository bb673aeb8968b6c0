// The options dialog bound to the main window. Kept apart so that the dialog
// itself can be built and tried without a main window.
#include "app/application.h"
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
              // The readers are rebuilt from the stored session: when it
              // cannot be stored (settings.db locked or read-only) they stay
              // open as they are and the person is told, rather than lost.
              target.reopenReaders = [main] {
                  ErrorReport::guard([main] {
                      main->SaveandCloseBooks();
                      main->TimerStartup->start();
                  });
              };
              return target;
          },
          parent)
{
}
