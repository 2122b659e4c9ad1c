// The program's entry point: the application object does the rest.
#include "framework/WinApp.h"

int main(int argc, char** argv) {
  return AfxWinMain(argc, argv);
}
