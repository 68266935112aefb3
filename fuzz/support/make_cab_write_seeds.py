#!/usr/bin/env python3
"""Writes the seeds of fuzz/cab_write/corpus: descriptions of files for the CAB writer
(see fuzz/checks/CabWriteCheck.h). First byte: bit 0 recurse with "*", bit 1 junk paths,
bit 2 two commands. Each file: piece count, pieces, flags (bit 0 Shift-JIS, bits 1-2
sub-folder, bit 3 size x37), size (2 bytes), pattern length, up to 16 pattern bytes."""
import os, struct, sys

UTF = 0        # a piece byte divisible by 3 chooses a double-byte piece
ASCII_A = 1


def file(pieces=(), flags=0, size=0, pattern=b'*'):
    return bytes([len(pieces)]) + bytes(pieces) + bytes([flags]) + struct.pack('<H', size) + bytes([len(pattern[:16])]) + pattern[:16]


SEEDS = {
    'empty_and_tiny': bytes([0]) + file(size=0, pattern=b'') + file((ASCII_A,), size=1, pattern=b'x'),
    'several_blocks': bytes([0]) + file((2,), flags=8, size=2000, pattern=b'*HEAD"Long"\r\nCDE'),
    'noise': bytes([0]) + file((4,), size=65535, pattern=bytes(range(7, 247, 15))),
    'repetitive': bytes([0]) + file((5,), size=65535, pattern=b'a'),
    'sub_folders': bytes([1]) + file((1,), flags=2, size=10, pattern=b'in')
                   + file((2, 4), flags=4, size=100, pattern=b'deeper') + file((7,), size=3),
    'shift_jis_names': bytes([0]) + file((UTF, ASCII_A), flags=1, size=4, pattern=b'song')
                       + file((3, UTF), flags=0, size=4, pattern=b'utf8'),
    'two_commands': bytes([4]) + file((1,), size=40000, pattern=b'first')
                    + file((UTF,), flags=1, size=5) + file((2,), flags=2, size=7),
    'junked_paths': bytes([3]) + file((1,), flags=6, size=9) + file((2,), flags=2, size=33000),
}

if __name__ == '__main__':
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..', 'cab_write', 'corpus')
    os.makedirs(out, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(out, name + '.bin'), 'wb') as f:
            f.write(data)
