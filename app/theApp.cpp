// The one application object of Zarp.exe.
#include "ZarpApp.h"

CZarpApp theApp;
