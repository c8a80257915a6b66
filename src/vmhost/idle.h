#pragma once

// Sleeps for good; the process then ends only from another thread or from outside.
[[noreturn]] void SleepForever();
