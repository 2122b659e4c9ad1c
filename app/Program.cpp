// The shipped program's application object; AfxWinMain (framework/WinMain.cpp) runs it.
#include "app/RhythmApp.h"

CRhythmApp theApp;
