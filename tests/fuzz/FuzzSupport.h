// What the fuzz targets share: the check that ends a run when a property does not
// hold, the input taken as numbers from its front, and texts held in buffers of
// exactly their size, so AddressSanitizer catches a read past a terminator.
#ifndef VANTEL_FUZZSUPPORT_H
#define VANTEL_FUZZSUPPORT_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Ends the run when `holds` is false; libFuzzer keeps the input as a finding.
inline void Require(bool holds, const char* what) {
    if (holds)
        return;
    fprintf(stderr, "fuzz: property broken: %s\n", what);
    abort();
}

// A heap copy of the first `length` bytes of `text` and a terminator, in exactly
// length + 1 bytes. Free with free().
inline char* ExactText(const char* text, size_t length) {
    char* copy = static_cast<char*>(malloc(length + 1));
    memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}

// The input read from its front; once it runs out, every read gives zeros.
struct FuzzInput {
    const uint8_t* data;
    size_t size;

    uint8_t Byte() {
        if (!size)
            return 0;
        size--;
        return *data++;
    }
    uint32_t Word() {
        uint32_t word = 0;
        for (int i = 0; i < 4; i++)
            word |= uint32_t(Byte()) << (8 * i);
        return word;
    }
    int32_t Int() {
        return int32_t(Word());
    }
    // A value in 0 .. limit - 1 from one byte.
    int Below(int limit) {
        return Byte() % limit;
    }
    // The next text up to `end` (or a zero byte, or the end of the input), in a buffer
    // of exactly its size; the input goes on after `end`. Free with free().
    char* Text(uint8_t end) {
        size_t length = 0;
        while (length < size && data[length] != end && data[length] != 0)
            length++;
        char* text = ExactText(reinterpret_cast<const char*>(data), length);
        data += length;
        size -= length;
        if (size) {
            data++;
            size--;
        }
        return text;
    }
};

#endif
