#include "EventCheck.h"

// Events fall due once the reminders arrive; until then the event timer only ticks.

void CALLBACK CheckEvents(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {}

void CALLBACK CountdownTick(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {}
