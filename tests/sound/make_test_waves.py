#!/usr/bin/env python3
"""Writes the wave images the sound tests carry as "WAVE" resources.

Usage: make_test_waves.py <output folder>
"""
import os
import struct
import sys


def chunk(cid, data, declared=None):
    size = len(data) if declared is None else declared
    out = cid + struct.pack('<I', size) + data
    return out + b'\0' if len(data) % 2 else out


def riff(*chunks):
    body = b'WAVE' + b''.join(chunks)
    return b'RIFF' + struct.pack('<I', len(body)) + body


def fmt(tag, channels, rate, bits, tail=b''):
    align = channels * ((bits + 7) // 8)
    return struct.pack('<HHIIHH', tag, channels, rate, rate * align, align, bits) + tail


def pattern(count, seed):
    return bytes((seed + i * 37 + (i >> 8)) & 0xFF for i in range(count))


PCM_GUID = bytes.fromhex('0100000000001000800000aa00389b71')
EXTENSIBLE_TAIL = struct.pack('<HHI', 22, 16, 3) + PCM_GUID

WAVES = {
    # 8-bit PCM; an odd LIST chunk and odd sample data, each with its pad byte; the
    # 16-byte "fmt " chunk is the last bytes of the image.
    'fmt_last.wav': riff(chunk(b'LIST', b'INFOINAM\x03\0\0\0ab\0'),
                         chunk(b'data', pattern(1001, 5)),
                         chunk(b'fmt ', fmt(1, 1, 22050, 8))),
    # WAVE_FORMAT_EXTENSIBLE, 16-bit stereo PCM: a format block of 40 bytes.
    'extensible.wav': riff(chunk(b'fmt ', fmt(0xFFFE, 2, 22050, 16, EXTENSIBLE_TAIL)),
                           chunk(b'data', pattern(4000, 9))),
    # IEEE float in a 16-byte "fmt " chunk: no extra-size field (the bytes after the
    # chunk are the "data" header).
    'float16.wav': riff(chunk(b'fmt ', fmt(3, 1, 22050, 32)), chunk(b'data', pattern(4000, 4))),
    # Damaged: a 12-byte "fmt " chunk.
    'short_fmt.wav': riff(chunk(b'fmt ', fmt(1, 1, 22050, 8)[:12]), chunk(b'data', pattern(64, 1))),
    # Damaged: the "data" chunk claims more than the image holds.
    'long_data.wav': riff(chunk(b'fmt ', fmt(1, 1, 22050, 8)), chunk(b'data', pattern(64, 2), 6400)),
    # Damaged: extra bytes declared past the end of the "fmt " chunk.
    'bad_extra.wav': riff(chunk(b'fmt ', fmt(0xFFFE, 2, 22050, 16, struct.pack('<H', 22))),
                          chunk(b'data', pattern(400, 3))),
}

if __name__ == '__main__':
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, image in WAVES.items():
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(image)
