#pragma once

// Whether this process's window station can show a window to somebody: a service's cannot.
// Unknown counts as visible, so that a window is at least tried.
bool WindowStationVisible();
