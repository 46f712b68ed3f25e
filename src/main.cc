// Builds the program: picks the ui backend, wires the handlers and calls
// start-up.
#include <cstdio>

int main() {
  std::fputs("ardentix: start-up is not built yet\n", stderr);
  return 2;
}
