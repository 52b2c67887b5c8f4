// The demo: one window, one button, explosions until the window is closed.
#include "shell/shell.h"

int main(int argc, char** argv) {
  return RunDemo(argc, argv);
}
