// The shipped program with START playing the loop 8 times instead of 1000, so that the
// whole-program test of the loop's end (PracticeAidsTest.cpp) reaches it in seconds.
#include "app/RhythmApp.h"

CRhythmApp theApp(8);
