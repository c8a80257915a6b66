#pragma once

#include "support/handles.h"

// Tells a waiting single-instance launch that the program is about to start: sets the started
// event when single-instance mode created one, and does nothing otherwise.
void SignalReady(const UniqueHandle& startedEvent);
