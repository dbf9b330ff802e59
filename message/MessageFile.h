// vantelmsg.ini as both programs use it: the clock hands a message over in its
// Message section, and every write of the file, by either program, is made under
// one lock so that a closing message window and a new hand-over never interleave.
#ifndef VANTEL_MESSAGEFILE_H
#define VANTEL_MESSAGEFILE_H

#include <windows.h>

extern const char kMessageSection[];    // "Message": the handed-over message
extern const char kSettingsSection[];   // "Settings": the message program's behaviour
extern const char kAppearanceSection[]; // "Appearance": its look, also copied by skins

// Takes the lock of vantelmsg.ini, shared by every thread and process of both
// programs, and returns it for UnlockMessageFile. Waits a few seconds at most: a
// writer that hangs must not cost the other one its data, so the write then goes
// ahead unguarded (null is returned, and unlocking it does nothing).
HANDLE LockMessageFile();
void UnlockMessageFile(HANDLE lock);

// Writes one value as one line of the file: each line break (CR LF, CR or LF)
// becomes the message's own break marker "<br>". 1 when it was written.
int WriteMessageFileValue(const char* iniPath, const char* section, const char* key, const char* value);

// The clock's hand-over: writes Message/Date, then Message/Text into the settings
// file at `iniPath`, under the lock. 1 when both were written.
int WriteMessageHandOver(const char* iniPath, const char* dateText, const char* text);

#endif
