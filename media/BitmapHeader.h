// The headers of a BMP file, checked before the file goes to the system's loader,
// which reads as many pixels as they promise. No Windows header.
#ifndef VANTEL_BITMAPHEADER_H
#define VANTEL_BITMAPHEADER_H

#include <cstddef>
#include <cstdint>

enum { BITMAP_HEAD_SIZE = 54 }; // file header and the common info header

// 1 when a file of `fileSize` bytes that begins with `head` (`headSize` bytes read)
// is a BMP file whose headers make sense (a size above zero and below 32768 pixels
// a side, 1, 4, 8, 16, 24 or 32 bits a pixel, no compression but RLE or bit fields)
// and that holds every pixel byte they promise.
int BitmapFileComplete(const uint8_t* head, size_t headSize, uint64_t fileSize);

#endif
