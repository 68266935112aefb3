#!/usr/bin/env python3
"""Writes the seed archives of fuzz/bga/corpus: small GZA and BZA archives, sound and
hostile, in the member layout of docs/archivers.md. Each seed starts with the byte that
tells the fuzz target how to treat it (bit 0: saved as .bza; the other bits as for
fuzz/archive_data)."""
import bz2, os, struct, sys, zlib

SONG = b'*HEAD"Little tune"\r\nA: o5 l8 e d c d e e e4\r\n'


def compress(method, data):
    if method == b'BZ2\0':
        return bz2.compress(data)
    c = zlib.compressobj(9, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()


def member(name, data, method=b'GZIP', folder=False, crc=None, size=None, packed=None,
           bad_checksum=False):
    body = b'' if folder else compress(method, data)
    fields = struct.pack('<IIIIHH', len(body) if packed is None else packed,
                         len(data) if size is None else size,
                         zlib.crc32(data) if crc is None else crc, 1700000000,
                         0x10 if folder else 0x20, len(name))
    header = method + fields + name
    checksum = zlib.crc32(header) ^ (1 if bad_checksum else 0)
    return struct.pack('<I', checksum) + header + body


def main(folder):
    z, b = b'GZIP', b'BZ2\0'
    seeds = {
        'gza_two_members': (0, member(b'song.snr', SONG) + member(b'sub/b.txt', b'text')),
        'bza_two_members': (1, member(b'song.snr', SONG, b) + member(b'readme.txt', b'x', b)),
        'gza_folder': (2, member(b'dir', b'', folder=True) + member(b'dir/song.snr', SONG)),
        'gza_empty_member': (0, member(b'empty.snr', b'')),
        'gza_bad_crc': (0, member(b'song.snr', SONG, crc=1)),
        'gza_bad_header': (0, member(b'song.snr', SONG, bad_checksum=True)),
        'gza_longer_than_said': (0, member(b'song.snr', SONG, size=4)),
        'gza_truncated': (0, member(b'song.snr', SONG * 20)[:-9]),
        'gza_packed_past_end': (0, member(b'song.snr', SONG, packed=100000)),
        'gza_climbs_out': (0, member(b'../out.snr', SONG)),
        'gza_absolute': (0, member(b'/tmp/abs.snr', SONG)),
        'gza_existing_never': (16 | 4, member(b'song.snr', SONG) + member(b'a', b'', folder=True)),
        'bza_junk_snr_only': (1 | 2 | 32, member(b'd/x.snr', SONG, b) + member(b'd/y.txt', b'y', b)),
        'gza_huge_declared': (0, member(b'big.bin', b'', size=0x7FFFFFFF)),
        'gza_garbage_after': (0, member(b'song.snr', SONG) + b'GZIPjunk'),
    }
    os.makedirs(folder, exist_ok=True)
    for name, (how, data) in seeds.items():
        with open(os.path.join(folder, name + '.bin'), 'wb') as f:
            f.write(bytes([how]) + data)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..', 'bga', 'corpus'))
