#!/usr/bin/env python3
"""Writes the seed archives of fuzz/archive_arj/corpus: small ARJ archives, made by Debian's
arj program with every method and written byte by byte for the hostile and damaged ones.
Each seed starts with the byte that tells the fuzz target how to treat it (see
fuzz/checks/ArchiveDataCheck.h)."""
import os, struct, subprocess, sys, tempfile, zlib

SONG = b'*HEAD"Little tune"\r\nA: o5 l8 e d c d e e e4\r\n' * 20


def header(file_type, name, packed, original, crc, method=0, flags=0):
    fixed = struct.pack('<BBBBBBBBIIIIHHBB', 30, 11, 1, 2, flags, method, file_type, 0,
                        1700000000, packed, original, crc, 0, 0o644, 0, 0)
    basic = fixed + name + b'\0\0'
    return b'\x60\xea' + struct.pack('<H', len(basic)) + basic + \
        struct.pack('<I', zlib.crc32(basic)) + b'\0\0'


def archive(members):
    out = header(2, b'seed.arj', 0, 0, 0)
    for name, data, declared, crc in members:
        out += header(0, name, len(data), declared if declared is not None else len(data),
                      crc if crc is not None else zlib.crc32(data)) + data
    return out + b'\x60\xea\0\0'


def made_by_arj(method):
    with tempfile.TemporaryDirectory() as d:
        os.makedirs(os.path.join(d, 'src', 'sub'))
        with open(os.path.join(d, 'src', 'song.snr'), 'wb') as f:
            f.write(SONG)
        with open(os.path.join(d, 'src', 'sub', 'b.SNR'), 'wb') as f:
            f.write(SONG[::-1])
        target = os.path.join(d, 'a.arj')
        subprocess.run(['arj', 'a', '-m%d' % method, '-r', '-y', target, '*'],
                       cwd=os.path.join(d, 'src'), check=True, stdout=subprocess.DEVNULL)
        with open(target, 'rb') as f:
            return f.read()


def main(folder):
    seeds = {
        'hand_stored.bin': (0x00, archive([(b'song.snr', SONG, None, None)])),
        'hand_climbs_out.bin': (0x00, archive([(b'ok.snr', SONG, None, None),
                                               (b'../evil.snr', SONG, None, None)])),
        'hand_absolute.bin': (0x10, archive([(b'/tmp/evil.snr', SONG, None, None)])),
        'hand_bad_crc.bin': (0x10, archive([(b'song.snr', SONG, None, 1234)])),
        'hand_short.bin': (0x00, archive([(b'song.snr', SONG, len(SONG) + 9, None)])),
        'hand_over_bound.bin': (0x20, archive([(b'big.snr', SONG, 100 << 20, None)])),
        'hand_truncated.bin': (0x00, archive([(b'song.snr', SONG, None, None)])[:-30]),
    }
    for method in range(5):
        seeds['arj_m%d.bin' % method] = (0x20 if method % 2 else 0x00, made_by_arj(method))
    os.makedirs(folder, exist_ok=True)
    for name, (how, data) in seeds.items():
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(bytes([how]) + data)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..',
                                                             'archive_arj', 'corpus'))
