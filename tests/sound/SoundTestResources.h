// "WAVE" resources of the sound tests.
#ifndef VANTEL_SOUND_TEST_RESOURCES_H
#define VANTEL_SOUND_TEST_RESOURCES_H

#define IDW_TEST_MESSAGE 108    // the message program's sound: 16-byte PCM "fmt ", data last
#define IDW_TEST_FMT_LAST 201   // 8-bit PCM, odd chunks with pad bytes, "fmt " last in the image
#define IDW_TEST_EXTENSIBLE 202 // WAVE_FORMAT_EXTENSIBLE with 22 extra bytes
#define IDW_TEST_FLOAT16 206    // IEEE float in a 16-byte "fmt " (no extra-size field)
#define IDW_TEST_SHORT_FMT 203  // damaged: 12-byte "fmt "
#define IDW_TEST_LONG_DATA 204  // damaged: "data" longer than the image
#define IDW_TEST_BAD_EXTRA 205  // damaged: extra bytes past the "fmt " chunk

#endif
