#include "reader/formbook.h"

#include <QString>

void TFormBook::RxSpeedButtonMHCClick() {}
void TFormBook::MHCCommentary1Click() { RxSpeedButtonMHCClick(); }
void TFormBook::RxSpeedButtonJFBClick() {}
void TFormBook::JFBCommentary1Click() { RxSpeedButtonJFBClick(); }
void TFormBook::RxSpeedButtonEBDClick() { LookUpWord1Click(); }
void TFormBook::LookUpWord1Click() {}
void TFormBook::CopyCtrlC1Click() {}
void TFormBook::RxPopupMenu1Popup() {}
QString TFormBook::selectedWord() const { return QString(); }
