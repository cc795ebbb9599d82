// A wait that keeps the window responsive.
#pragma once

class Clock;

// Waits `seconds` in 4 ms slices, handling pending window events between
// them; safe across midnight. Handlers may run nested inside it.
void waitSeconds(Clock& clock, float seconds);
