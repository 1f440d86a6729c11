// The program's entry point: the frame runs it with the main window as start-up window.
#include "app/frame.h"
#include "inspector/main_window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return RunApplication(kMainWindow); }
