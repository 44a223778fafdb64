// The main window's handle and last press, set by the main window.
#include "ui/MainPanel.h"

int Q31FIhmG = 0;
double Q31TopBpG = 0;
