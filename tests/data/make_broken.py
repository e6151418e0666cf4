#!/usr/bin/env python3
"""Writes the damaged database files of broken/ (each must be refused with "Stream read error").

Run from this folder; the files are committed, so this only documents how each was made."""
import struct


def s(text: bytes) -> bytes:
    return struct.pack('<H', len(text)) + text


def header(count: int, name: bytes = b'') -> bytes:
    return (struct.pack('<ii', 1, count) + s(name) + s(b'') + s(b'/\r\n') + s(b'') + b'\x00\x00\x00'
            + s(b'') + s(b'') + struct.pack('<id', 0, 0.0))


def record(name: bytes, folder: bytes = b'/f/') -> bytes:
    return s(name) + s(folder) + struct.pack('<dddqI', 0.0, 0.0, 0.0, 1, 0x80)


def block(content: bytes, length: int = None) -> bytes:
    return struct.pack('<i', len(content) + 4 if length is None else length) + content


files = {
    'empty.qdb': b'',
    'short-length.qdb': b'\x10\x00',
    'length-below-4.qdb': block(header(0), 3),
    'length-zero.qdb': block(header(0), 0),
    'length-negative.qdb': block(header(0), -1),
    'length-huge.qdb': block(header(0), 0x7FFFFFFF),
    'block-past-end.qdb': block(header(0), 1000),
    'header-truncated.qdb': block(header(0)[:10]),
    'header-string-past-block.qdb': block(header(0)[:8] + struct.pack('<H', 500) + b'abc'),
    'negative-count.qdb': block(header(-5) + record(b'a')),
    'record-name-past-block.qdb': block(header(1) + struct.pack('<H', 60000) + b'x' * 40),
    'partial-record.qdb': block(header(1) + record(b'abc')[:20]),
    'trailing-bytes.qdb': block(header(2) + record(b'a')) + b'\x05\x00\x00',
    'next-length-below-4.qdb': block(header(2) + record(b'a')) + block(record(b'b'), 2),
    'next-block-past-end.qdb': block(header(2) + record(b'a')) + block(record(b'b'), 500),
}

for name, data in files.items():
    with open('broken/' + name, 'wb') as f:
        f.write(data)

# A sound database made by hand (not by the engine's writer): three records in two blocks,
# a header with lists, flags and a name that is not valid UTF-8.
good_header = (struct.pack('<ii', 1, 3) + s(b'caf\xe9 "db"') + s(b'/home/u/caf\xe9.qdb')
               + s(b'/\r\n/home/\r\n') + s(b'/home/u/.cache/\r\n') + b'\x01\x00\x01'
               + s(b'') + s(b'tmp\r\nbak\r\n') + struct.pack('<id', 187, 46363.75))
good = (block(good_header + record(b'a.txt', b'/home/u/') + record(b'b', b''))
        + block(record(b'sub', b'/home/u/x/')))
with open('hand-built.qdb', 'wb') as f:
    f.write(good)
