// The 32-bit build checks the platform records whose sizes the programs pass to
// DirectDraw, the common dialogs and DirectSound.
#include <windows.h>
#include <ddraw.h>
#include <commdlg.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cstddef>

#ifndef _WIN64
static_assert(sizeof(DDSURFACEDESC) == 108, "surface descriptor");
// The open-file record as the common dialogs took it before Windows 2000.
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == 76, "open-file record");
static_assert(sizeof(DSBUFFERDESC1) == 20, "sound buffer description");
#endif
static_assert(sizeof(DWORD) == 4 && sizeof(COLORREF) == 4, "32-bit words");
