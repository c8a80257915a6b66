#include <windows.h>

#include "vmhost/idle.h"

void SleepForever() {
    for (;;) Sleep(INFINITE);
}
