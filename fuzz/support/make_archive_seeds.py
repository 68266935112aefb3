#!/usr/bin/env python3
"""Writes the seed archives of fuzz/archive_data/corpus: small LZH and ZIP archives,
sound and hostile. Each seed starts with the byte that tells the fuzz target how to
treat it (bit 0: ZIP; bit 1: junk paths; bits 2-3: overwrite mode; bit 4: files already
in the target; bit 5: only "*.snr"; bit 6: bracket masks)."""
import io, os, struct, sys, zipfile

SONG = b'*HEAD"Little tune"\r\nA: o5 l8 e d c d e e e4\r\n'


def crc16(data):
    crc = 0
    for b in data:
        crc ^= b
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def lzh0(name, data, method=b'-lh0-', crc=None):
    """A level-0 header member, stored."""
    if crc is None:
        crc = crc16(data)
    body = method + struct.pack('<IIIBBB', len(data), len(data), 0x5A214C00, 0x20, 0, len(name)) + name + struct.pack('<H', crc)
    return bytes([len(body), sum(body) & 0xFF]) + body + data


def lzh2(name, data, mode=0o100644, dirname=None, crc=None):
    """A level-2 header member, stored, with Unix mode (and folder) extensions."""
    if crc is None:
        crc = crc16(data)
    ext = b''
    def add(kind, payload):
        return struct.pack('<H', 3 + len(payload)) + bytes([kind]) + payload
    exts = [add(0x00, b'\x00\x00'), add(0x01, name), add(0x50, struct.pack('<H', mode))]
    if dirname is not None:
        exts.append(add(0x02, dirname))
    # sizes chain: the base header ends with the first size, every ext ends with the next
    chain = b''
    sizes = [e[:2] for e in exts]
    for i, e in enumerate(exts):
        kind_payload = e[2:]
        nxt = sizes[i + 1] if i + 1 < len(exts) else b'\x00\x00'
        chain += kind_payload + nxt
    first = sizes[0]
    base_wo_size = b'-lh0-' + struct.pack('<IIIBBH', len(data), len(data), 1700000000, 0x20, 2, crc) + b'U' + first
    total = 2 + len(base_wo_size) + len(chain)
    if total % 256 == 0:
        chain += b'\x00'  # a header size multiple of 256 needs a pad byte
        total += 1
    header = bytearray(struct.pack('<H', total) + base_wo_size + chain)
    at = 2 + len(base_wo_size) + 1  # the header CRC, first extension's payload
    header[at:at + 2] = struct.pack('<H', crc16(bytes(header)))
    return bytes(header) + data


def zipfile_bytes(members):
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, 'w') as z:
        for name, data, kind in members:
            info = zipfile.ZipInfo(name, date_time=(2020, 1, 2, 3, 4, 6))
            info.create_system = 3
            if kind == 'link':
                info.external_attr = (0o120777 << 16)
            elif kind == 'dir':
                info.external_attr = (0o040755 << 16) | 0x10
            else:
                info.external_attr = (0o100644 << 16)
            z.writestr(info, data, compress_type=zipfile.ZIP_DEFLATED if kind == 'deflate' else zipfile.ZIP_STORED)
    return buf.getvalue()


def main(out):
    os.makedirs(out, exist_ok=True)
    def seed(name, how, data):
        with open(os.path.join(out, name), 'wb') as f:
            f.write(bytes([how]) + data)
    seed('lzh_stored.bin', 0x00, lzh0(b'song.snr', SONG) + b'\x00')
    seed('lzh_two_members_junk.bin', 0x02, lzh0(b'dir\\song.snr', SONG) + lzh0(b'notes.txt', b'x\r\n') + b'\x00')
    seed('lzh_climbs_out.bin', 0x00, lzh0(b'..\\..\\evil.snr', SONG) + lzh0(b'ok.snr', SONG) + b'\x00')
    seed('lzh_absolute.bin', 0x20, lzh0(b'/tmp/evil.snr', SONG) + b'\x00')
    seed('lzh_bad_crc.bin', 0x00, lzh0(b'song.snr', SONG, crc=0x1234) + b'\x00')
    seed('lzh_truncated.bin', 0x00, (lzh0(b'song.snr', SONG) + b'\x00')[:40])
    seed('lzh_level2_dir.bin', 0x00, lzh2(b'song.snr', SONG, dirname=b'a\xffb\xff') + b'\x00')
    seed('lzh_level2_symlink.bin', 0x00,
         lzh2(b'up|../..', b'', mode=0o120777) + lzh2(b'up2|..', b'', mode=0o120777) + b'\x00')
    seed('lzh_existing_never.bin', 0x14, lzh0(b'song.snr', SONG) + lzh0(b'a', b'file over a folder') + b'\x00')
    seed('zip_deflate.bin', 0x01, zipfile_bytes([('song.snr', SONG * 20, 'deflate'), ('sub/', b'', 'dir'),
                                                 ('sub/more.txt', b'x', 'stored')]))
    seed('zip_climbs_out.bin', 0x01, zipfile_bytes([('ok.snr', SONG, 'stored'), ('../evil.snr', SONG, 'stored')]))
    seed('zip_backslash.bin', 0x41, zipfile_bytes([('..\\evil.snr', SONG, 'stored'), ('[a].snr', SONG, 'stored')]))
    seed('zip_symlink_then_write.bin', 0x01,
         zipfile_bytes([('here', '.', 'link'), ('link', 'here/..', 'link'), ('link/evil.snr', SONG, 'stored')]))
    seed('zip_link_out.bin', 0x03, zipfile_bytes([('a/b', '../../..', 'link'), ('c', '/etc', 'link')]))
    z = bytearray(zipfile_bytes([('song.snr', SONG, 'stored')]))
    z[14:18] = b'\x00\x00\x00\x00'  # local CRC broken
    seed('zip_bad_crc.bin', 0x05, bytes(z))
    seed('zip_truncated.bin', 0x09, zipfile_bytes([('song.snr', SONG * 50, 'deflate')])[:120])
    seed('zip_existing.bin', 0x19, zipfile_bytes([('song.snr', SONG, 'stored'), ('a', b'x', 'stored')]))


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..', 'archive_data', 'corpus'))
