#include "EventSchedule.h"

#include <cstring>

// Occurrences are ordered by time, then by slot: a key of both in one number.
static int64_t Key(int64_t time, int slot) {
    return time * 64 + slot;
}

static CalendarTime KeyTime(int64_t key) {
    return (CalendarTime)(key >> 6);
}

static int KeySlot(int64_t key) {
    return (int)(key & 63);
}

static int64_t EntryKey(const DueEntry* entry) {
    return Key(entry->time, entry->eventIndex);
}

// What a slot has carried out, unless that lies so far ahead of the clock that the
// clock was wrong then; a clock set right again must not silence the event for long.
static CalendarTime DoneMark(const EventSchedule* schedule, int slot, CalendarTime now) {
    CalendarTime mark = schedule->lastDone[slot];
    return (int64_t)mark > (int64_t)now + MARK_HORIZON ? 0 : mark;
}

static void SortEntries(DueEntry* entries, int count) {
    for (int i = 1; i < count; i++) {
        DueEntry entry = entries[i];
        int j = i;
        for (; j > 0 && EntryKey(&entries[j - 1]) > EntryKey(&entry); j--)
            entries[j] = entries[j - 1];
        entries[j] = entry;
    }
}

// Appends the candidates in key order while the list has room; the number appended.
static int AppendInOrder(DueList* due, DueEntry* candidates, int count) {
    SortEntries(candidates, count);
    int appended = 0;
    while (appended < count && due->count < MAX_DUE)
        due->entries[due->count++] = candidates[appended++];
    return appended;
}

// The missed occurrences of the slots after the cursor, in slot order, as many as
// fit. 1 once all are listed.
static int ListMissed(EventSchedule* schedule, const EventTable* table, const ScheduleOptions* options) {
    DueList* due = &schedule->due;
    int events = CountEvents(table);
    for (int k = schedule->missedCursor + 1; k < events; k++) {
        CalendarTime missed = MissedOccurrence(&table->slots[k], schedule->missedUntil, schedule->missedSince,
                                               options->lastOfMonthMode);
        if (missed == -1 || missed <= DoneMark(schedule, k, schedule->missedUntil))
            continue;
        if (due->count == MAX_DUE)
            return 0;
        due->entries[due->count++] = {missed, 0, k};
        schedule->missedCursor = k;
    }
    return 1;
}

// Appends what comes after the covered key up to `now` plus the window, in order,
// while the list has room. A full list covers up to its last entry; the rest follows
// once it is used up.
static void FillDueList(EventSchedule* schedule, const EventTable* table, CalendarTime now,
                        const ScheduleOptions* options) {
    if (schedule->catchingUp) {
        if (!ListMissed(schedule, table, options))
            return;
        schedule->catchingUp = 0;
    }
    int64_t windowEnd = Key((int64_t)now + DUE_WINDOW, 63);
    DueEntry candidates[MAX_EVENTS];
    int count = 0;
    int events = CountEvents(table);
    for (int k = 0; k < events; k++) {
        // An occurrence in the covered second itself counts for the slots after the
        // covered one.
        CalendarTime after = KeyTime(schedule->covered);
        if (k > KeySlot(schedule->covered))
            after--;
        CalendarTime mark = DoneMark(schedule, k, now);
        if (mark > after)
            after = mark;
        CalendarTime occurrence = NextOccurrenceAfter(&table->slots[k], after, options->lastOfMonthMode);
        if (occurrence > 0 && Key(occurrence, k) <= windowEnd)
            candidates[count++] = {occurrence, 0, k};
    }
    if (schedule->due.count >= MAX_DUE)
        return;
    if (AppendInOrder(&schedule->due, candidates, count) < count)
        schedule->covered = EntryKey(&schedule->due.entries[schedule->due.count - 1]);
    else
        schedule->covered = windowEnd;
}

// Empties the list and fills it with what comes after `from`.
static void RebuildDueList(EventSchedule* schedule, const EventTable* table, CalendarTime from,
                           CalendarTime now, const ScheduleOptions* options) {
    schedule->due.count = 0;
    schedule->catchingUp = 0;
    schedule->covered = Key(from, 63);
    FillDueList(schedule, table, now, options);
    schedule->nextRebuild = (CalendarTime)((int64_t)now + REBUILD_PERIOD);
}

// After a sleep or a jump forward past what the list held: the occurrences missed
// meanwhile are treated as those missed while the clock was not running.
static void CatchUp(EventSchedule* schedule, const EventTable* table, CalendarTime since, CalendarTime now,
                    const ScheduleOptions* options) {
    schedule->due.count = 0;
    schedule->catchingUp = options->displayPastEvents != 0;
    schedule->missedCursor = -1;
    schedule->missedSince = since;
    schedule->missedUntil = now;
    schedule->covered = Key(now, 63);
    FillDueList(schedule, table, now, options);
    schedule->nextRebuild = (CalendarTime)((int64_t)now + REBUILD_PERIOD);
}

void StartEventSchedule(EventSchedule* schedule, const EventTable* table, CalendarTime now,
                        CalendarTime savedLastCheck, const ScheduleOptions* options) {
    memset(schedule, 0, sizeof(*schedule));
    for (int k = 0; k < MAX_EVENTS; k++)
        schedule->lastDone[k] = savedLastCheck > 0 ? savedLastCheck : 0;
    schedule->lastCheck = now;
    CatchUp(schedule, table, savedLastCheck, now, options);
}

static int AllDone(const DueList* due) {
    for (uint32_t i = 0; i < due->count; i++)
        if (!due->entries[i].done)
            return 0;
    return 1;
}

static void CarryOutDue(EventSchedule* schedule, CalendarTime now, CarryOutFunction carryOut, void* context) {
    DueList* due = &schedule->due;
    for (uint32_t i = 0; i < due->count; i++) {
        DueEntry* entry = &due->entries[i];
        if (entry->done || entry->time > now)
            continue;
        carryOut(entry, context);
        entry->done = 1;
        int k = entry->eventIndex;
        if (entry->time > schedule->lastDone[k] || DoneMark(schedule, k, now) == 0)
            schedule->lastDone[k] = entry->time;
    }
}

void RunEventCheck(EventSchedule* schedule, const EventTable* table, CalendarTime now,
                   const ScheduleOptions* options, CarryOutFunction carryOut, void* context) {
    int64_t silence = (int64_t)now - schedule->lastCheck;
    if (silence < 0) {
        // Set back: what was carried out is kept from running again by the marks.
        RebuildDueList(schedule, table, now - 1, now, options);
    } else if (now > KeyTime(schedule->covered) && (silence > MAX_TICK_DELAY || schedule->recheck)) {
        CatchUp(schedule, table, schedule->lastCheck, now, options);
    } else if (schedule->recheck) {
        RebuildDueList(schedule, table, schedule->lastCheck, now, options);
    }
    schedule->recheck = 0;
    for (;;) {
        CarryOutDue(schedule, now, carryOut, context);
        if (schedule->due.count < MAX_DUE || !AllDone(&schedule->due))
            break;
        // A full list used up: what comes after its last entry, at once.
        schedule->due.count = 0;
        FillDueList(schedule, table, now, options);
        if (schedule->due.count == 0 || schedule->due.entries[0].time > now)
            break;
    }
    schedule->lastCheck = now;
    if (now >= schedule->nextRebuild || (int64_t)schedule->nextRebuild - now > REBUILD_PERIOD)
        RebuildDueList(schedule, table, now, now, options);
}

static int SameEvent(const EventRecord* a, const EventRecord* b) {
    return a->startTime == b->startTime && a->recurrence == b->recurrence &&
           strcmp(a->soundFile, b->soundFile) == 0 && strcmp(a->message, b->message) == 0 &&
           strcmp(a->appFile, b->appFile) == 0;
}

void ReplaceScheduledTable(EventSchedule* schedule, EventTable* table, const EventTable* replacement,
                           CalendarTime now, const ScheduleOptions* options) {
    CalendarTime marks[MAX_EVENTS];
    int taken[MAX_EVENTS] = {0};
    int oldEvents = CountEvents(table);
    for (int j = 0; j < MAX_EVENTS; j++) {
        marks[j] = 0;
        for (int k = 0; k < oldEvents; k++) {
            if (!taken[k] && SameEvent(&table->slots[k], &replacement->slots[j])) {
                taken[k] = 1;
                marks[j] = schedule->lastDone[k];
                break;
            }
        }
    }
    memcpy(table, replacement, sizeof(*table));
    memcpy(schedule->lastDone, marks, sizeof(marks));
    CalendarTime from = schedule->lastCheck <= now ? schedule->lastCheck : now - 1;
    RebuildDueList(schedule, table, from, now, options);
}

void RescheduleAfterJump(EventSchedule* schedule) {
    schedule->recheck = 1;
}

int SoundDueBy(const DueList* due, const EventTable* table, CalendarTime until) {
    for (uint32_t i = 0; i < due->count && i < MAX_DUE; i++) {
        const DueEntry* entry = &due->entries[i];
        if (!entry->done && entry->time <= until && entry->eventIndex >= 0 &&
            entry->eventIndex < MAX_EVENTS && table->slots[entry->eventIndex].soundFile[0])
            return 1;
    }
    return 0;
}
