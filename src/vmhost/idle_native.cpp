#include <unistd.h>

#include "vmhost/idle.h"

void SleepForever() {
    for (;;) pause();
}
