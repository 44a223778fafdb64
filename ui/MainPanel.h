// The main window as the layers below the application see it: the panel their popups,
// pages and waits open over, and the moment of the operator's last press on it. The
// main window sets both; before it is loaded the handle is 0 (no parent).
#pragma once

extern int Q31FIhmG;      // the main window's panel handle
extern double Q31TopBpG;  // time of the last left mouse press on the main window
