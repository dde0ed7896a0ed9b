// The program's entry point: runs the application object that the program defines.
#include "app.h"

int WINAPI wWinMain(HINSTANCE hInst, HINSTANCE, LPWSTR cmdLine, int nCmdShow) {
    return AfxWinMain(hInst, cmdLine, nCmdShow);
}
