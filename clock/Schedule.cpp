#include "Schedule.h"

// Scheduling arrives with the reminders; until then no event falls due.

void CollectMissedEvents() {}

void RebuildDueList() {}
