// Skins: named appearances kept as files in the skins folder beside the clock,
// read into and written from the clock's appearance, and applied to the running
// clock. A skin may also carry the message window's look, for vantelmsg.ini.
#ifndef VANTEL_SKINS_H
#define VANTEL_SKINS_H

#include <windows.h>

#include "Settings.h"
#include "SkinNames.h"

enum { MESSAGE_LOOK_KEYS = 9, MESSAGE_LOOK_VALUE_SIZE = 260 };

// The message window's look a loaded skin brings, written to vantelmsg.ini only
// once the clock has taken the skin.
struct MessageLook {
    int32_t kind;              // MESSAGE_LOOK_NONE, _DEFAULTS or _SKIN
    char background[MAX_PATH]; // BackgroundBMP, resolved; empty: the built-in picture
    char values[MESSAGE_LOOK_KEYS][MESSAGE_LOOK_VALUE_SIZE]; // UseTransparency .. FontCharSet, as text
};
enum { MESSAGE_LOOK_NONE = 0, MESSAGE_LOOK_DEFAULTS = 1, MESSAGE_LOOK_SKIN = 2 };

// The keys of MessageLook::values, in the order they are written.
extern const char* const kMessageLookKeys[MESSAGE_LOOK_KEYS];

enum FindSkinResult { SKIN_FOUND, SKIN_NOT_FOUND, SKIN_NO_FILES };

// Calls `visit` with the path and SkinName of every skin file in the skins folder,
// in the order the folder search yields them, until it returns 0. Files whose path
// would not fit are left out. Returns how many *.ini files the search found.
typedef int (*SkinVisitor)(const char* path, const char* skinName, void* context);
int VisitSkinFiles(SkinVisitor visit, void* context);

// The skin file carrying `name`: the one named after the name's file stem when it
// carries it, else the first the folder search yields.
FindSkinResult FindSkinFile(const char* name, char path[SKIN_PATH_SIZE]);

// Reads the skin file over `appearance` and its message look into `look`. 0 after
// a message box owned by `owner` when a bitmap it names is missing: nothing has
// changed then.
int ReadSkinFile(HWND owner, const char* path, ClockAppearance* appearance, MessageLook* look);

// Writes the appearance as skin `name` with file stem `stem`, with copies of its
// bitmaps and, when asked, the message window's look: every file or none, so a
// skin saved over keeps all its old files when the save fails. 1, or 0 after an
// error box owned by `owner` naming what could not be written.
int WriteSkinFile(HWND owner, const char* name, const char* stem, int includeMessage);

// Writes the message look (defaults, or the skin's) into vantelmsg.ini; 0 when a
// value could not be written.
int WriteMessageLook(const MessageLook* look);
int WriteDefaultMessageAppearance();

// Rebuilds the face from the appearance with the display ticks held off. On
// failure (a bitmap that cannot be loaded: a warning box has been shown) the
// appearance `previous` comes back whole and the face stays as it was. 1 or 0.
int ApplySkin(HWND window, const ClockAppearance* previous);

// Makes `next` the appearance, with the display ticks held off, and applies it as
// ApplySkin does; on failure the appearance before comes back.
int TakeSkin(HWND window, const ClockAppearance* next);

// 1 when a message window is open: what is written into vantelmsg.ini now would
// be replaced when it closes.
int MessageWindowOpen();

#endif
