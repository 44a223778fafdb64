// The second display before its window lands: nothing is shown, nothing fails.
#include "display/Q31Fsd.h"

void Q31FsdCharger() {}
void Q31FsdOuvrir() {}
void Q31FsdFermer() {}
void Q31FsdQuitter() {}
void Q31FsdInit(bool, bool) {}
void Q31FsdGetTaille() {}
void Q31FsdInitDigital(bool) {}
bool Q31FsdAffiche() { return false; }
void Q31FsdAffLumiere(int) {}
void Q31FsdAffChiffre(int, int) {}
void Q31FsdAffMoins(int) {}
void Q31FsdAffPoint(int, int) {}
void Q31FsdAffAiguille(bool, int) {}

#include "display/Q31FsdParamDlg.h"

void Q31FsdParamTraduire(int) {}
void Q31FsdParamSet(int, bool) {}
void Q31FsdParamGet(int) {}
void Q31FsdEnregistrerCallbacks() {}
