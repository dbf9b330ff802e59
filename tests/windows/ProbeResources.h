// Resources built into the Windows-side tests.
#ifndef VANTEL_PROBE_RESOURCES_H
#define VANTEL_PROBE_RESOURCES_H

// The probe bitmap (made by make_probe_bitmap.py), by number and by name.
#define IDB_PROBE 501
#define PROBE_NAME "VANTELPROBE"

#endif
