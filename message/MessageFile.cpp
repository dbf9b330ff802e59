#include "MessageFile.h"

#include <cstring>

const char kMessageSection[] = "Message";
const char kSettingsSection[] = "Settings";
const char kAppearanceSection[] = "Appearance";

enum {
    LOCK_WAIT_MS = 5000, // longest wait for another writer
    LINE_SIZE = 4 * 512, // a written value after its line breaks became "<br>"
};

// Named in the session's namespace: the clock and the message windows it starts
// run in one session.
static const char kLockName[] = "Vantel vantelmsg.ini writer";

HANDLE LockMessageFile() {
    HANDLE lock = CreateMutexA(NULL, FALSE, kLockName);
    if (!lock)
        return NULL;
    // An abandoned lock (its holder died) is ours all the same.
    DWORD waited = WaitForSingleObject(lock, LOCK_WAIT_MS);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(lock);
        return NULL;
    }
    return lock;
}

void UnlockMessageFile(HANDLE lock) {
    if (!lock)
        return;
    ReleaseMutex(lock);
    CloseHandle(lock);
}

// A private-profile value is one line of the file: a line break written inside one
// would start new keys or sections. A value too long for the buffer is cut before
// the piece that does not fit.
static void CopyAsOneLine(const char* value, char* line, int size) {
    int length = 0;
    for (const char* p = value; *p; p++) {
        const char* piece = p;
        int pieceLength = 1;
        if (*p == '\r' || *p == '\n') {
            if (p[0] == '\r' && p[1] == '\n')
                p++;
            piece = "<br>";
            pieceLength = 4;
        }
        if (length + pieceLength >= size)
            break;
        memcpy(line + length, piece, pieceLength);
        length += pieceLength;
    }
    line[length] = '\0';
}

int WriteMessageFileValue(const char* iniPath, const char* section, const char* key, const char* value) {
    char line[LINE_SIZE];
    CopyAsOneLine(value, line, sizeof(line));
    return WritePrivateProfileStringA(section, key, line, iniPath) != 0;
}

int WriteMessageHandOver(const char* iniPath, const char* dateText, const char* text) {
    // A null value would delete the key, and the message program would show its
    // default text instead of a message.
    if (!iniPath || !iniPath[0] || !dateText || !text)
        return 0;
    HANDLE lock = LockMessageFile();
    int written = WriteMessageFileValue(iniPath, kMessageSection, "Date", dateText) &&
                  WriteMessageFileValue(iniPath, kMessageSection, "Text", text);
    UnlockMessageFile(lock);
    return written;
}
