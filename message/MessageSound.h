// The message sound: vantelmsg.wav beside the program, or the built-in "WAVE" 108,
// in one DirectSound buffer that loops while the text is typed.
#ifndef VANTEL_MESSAGESOUND_H
#define VANTEL_MESSAGESOUND_H

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

// Chooses the source: the file when a search finds something of that name, else the
// built-in sound.
void LocateMessageSound();

// Opens the sound device and fills the message sound buffer. A file that is no
// usable wave falls back to the built-in sound. 0 on failure, after its box.
int InitMessageSound(HWND window);

// Copies the sound into its buffer again after the buffer's memory was lost.
void RefillMessageSoundBuffer();

// The message sound buffer, or null.
IDirectSoundBuffer* MessageSoundBuffer();

// Releases the buffer and the sound device; may run twice.
void ReleaseMessageSound();

#endif
