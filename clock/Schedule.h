// The due list: occurrences of the events in the next minutes.
#ifndef VANTEL_SCHEDULE_H
#define VANTEL_SCHEDULE_H

// Queues the occurrences that fell due while the clock was not running.
void CollectMissedEvents();

// Rebuilds the due list from the event table.
void RebuildDueList();

#endif
