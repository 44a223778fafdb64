// Inside the settings pages: each page's fill and read steps, the control helpers
// they share and the settings-file dialog.
#pragma once

#include <cstddef>

// Fill (controls from the link record) and read (record from the controls) of each page.
void Q31FSetParamRun(int panel);      // page 0
void Q31FSetParamSynchro(int panel);  // page 1
void Q31FSetGetSynchro(int panel);
void Q31FSetParamMode(int panel);  // page 2
void Q31FSetGetMode(int panel);
void Q31FSetParamProg(int panel);  // page 3
void Q31FSetGetProg(int panel);
void Q31FSetParamGeneral(int panel);  // page 4
void Q31FSetGetGeneral(int panel);
void Q31FSetParamChargement(int panel);  // page 5
void Q31FSetGetChargement(int panel);
void Q31FSetParamEthernet(int panel);  // page 6
void Q31FSetGetEthernet(int panel);
void Q31FSetParamGsm(int panel);  // page 7
void Q31FSetGetGsm(int panel);

// Lists built once when the pages load (their texts are not translated).
void Q31FSetListesFixes();
// Page 4's translated item lists, emptied and filled again.
void Q31FSetListesGeneral(int panel);

// A control's whole-number value; `current` when the control cannot be read, so a
// page that is not loaded leaves the record as it was.
int Q31FSetValeur(int panel, int control, int current);
// A control's text into a fixed field; the field is left alone when it cannot be read.
void Q31FSetTexte(int panel, int control, char* field, size_t size);

// The page's panel handle (0 when the page is not loaded).
int Q31FSetPanel(int page);

// The settings-file dialog of pages 4 and 7: dims the main window and the page,
// asks for a file ("*.q31set" or "*.q31gsm" in "Settings"), undims. Returns 1 with
// the chosen path, else 0.
int Q31FSetChoisirFichier(int page, bool save, char path[260]);
// The record side of the settings files: save copies the page's controls into the
// record first; load fills the page from the record afterwards. Nothing is sent.
void Q31FSetSauverFichier(int page, const char* path);
void Q31FSetChargerFichier(int page, const char* path);
