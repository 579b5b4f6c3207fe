#include "app/kobanu_app.h"
#include "app/run_kobanu.h"

// The one application object, built before main with the settings dialog and the state.
CKobanuApp theApp;

int main(int argc, char** argv) { RunKobanu(argc, argv); }
