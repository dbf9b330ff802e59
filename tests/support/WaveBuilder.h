// RIFF WAVE images built chunk by chunk, for the tests of the wave reader: the native
// unit tests, the fuzz driver and the Windows-side sound tests. No Windows header.
#ifndef VANTEL_WAVE_BUILDER_H
#define VANTEL_WAVE_BUILDER_H

#include <cstdint>
#include <vector>

typedef std::vector<uint8_t> Bytes;

// Appends the low `bytes` bytes of the value, little-endian.
inline void PutLE(Bytes& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; i++)
        out.push_back(uint8_t(value >> (8 * i)));
}

// A chunk: id, size (the data's unless `declared` is not negative), data, and a pad
// byte when the data is odd and `pad` holds.
inline Bytes WaveChunk(const char* id, const Bytes& data, int64_t declared = -1, bool pad = true) {
    Bytes out(id, id + 4);
    PutLE(out, declared < 0 ? uint32_t(data.size()) : uint32_t(declared), 4);
    out.insert(out.end(), data.begin(), data.end());
    if (pad && data.size() % 2)
        out.push_back(0);
    return out;
}

// "fmt " data: the 16 bytes of a format (tag, channels, rate, bytes per second, block
// alignment, bits per sample), then `tail` (extra size and extra bytes).
inline Bytes WaveFormat(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                        const Bytes& tail = {}) {
    Bytes out;
    const uint16_t align = uint16_t(channels * ((bits + 7) / 8));
    PutLE(out, tag, 2);
    PutLE(out, channels, 2);
    PutLE(out, rate, 4);
    PutLE(out, rate * align, 4);
    PutLE(out, align, 2);
    PutLE(out, bits, 2);
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
}

// "RIFF", the length (of what follows unless `declared` is not negative), the form
// type, the chunks.
inline Bytes RiffWave(const std::vector<Bytes>& chunks, int64_t declared = -1, const char* form = "WAVE") {
    Bytes body(form, form + 4);
    for (const Bytes& c : chunks)
        body.insert(body.end(), c.begin(), c.end());
    Bytes out{'R', 'I', 'F', 'F'};
    PutLE(out, declared < 0 ? uint32_t(body.size()) : uint32_t(declared), 4);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

#endif
