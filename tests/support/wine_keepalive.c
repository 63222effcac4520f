#include <windows.h>

int main(void) {
  for (;;) Sleep(INFINITE);
}
