#include <windows.h>

#include "modes/ready_signal.h"

void SignalReady(const UniqueHandle& startedEvent) {
    if (startedEvent) SetEvent(startedEvent.get());
}
