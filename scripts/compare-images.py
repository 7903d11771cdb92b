#!/usr/bin/env python3
"""Compares the pulled markets that the builds wrote (tests/running/market_image_test.cpp).

Usage: compare-images.py NAME=FILE NAME=FILE ...
Every file must equal the first byte for byte; where one does not, the part, record and byte
offsets that differ are named. Exits 1 on any difference or unreadable file.
"""
import sys


def parts(data):
    """Yields (name, record_size, records) of a market image."""
    at = 0
    while at < len(data):
        end = data.index(b"\n", at)
        name, size, count = data[at:end].decode().rsplit(None, 2)
        size, count = int(size), int(count)
        at = end + 1
        yield name, size, [data[at + i * size:at + (i + 1) * size] for i in range(count)]
        at += size * count


def differences(a, b):
    pa, pb = list(parts(a)), list(parts(b))
    if [(n, s, len(r)) for n, s, r in pa] != [(n, s, len(r)) for n, s, r in pb]:
        return ["parts or record counts differ: %s vs %s" % (
            [(n, len(r)) for n, s, r in pa], [(n, len(r)) for n, s, r in pb])]
    found = []
    for (name, size, ra), (_, _, rb) in zip(pa, pb):
        for i, (x, y) in enumerate(zip(ra, rb)):
            if x != y:
                offsets = [o for o in range(size) if x[o] != y[o]]
                found.append("%s record %d (code %s): bytes %s" % (
                    name, i, x[:6].split(b"\0")[0].decode(errors="replace"), offsets))
    return found


def main(args):
    images = []
    for arg in args:
        name, _, path = arg.partition("=")
        try:
            with open(path, "rb") as f:
                images.append((name, f.read()))
        except OSError as e:
            print("agreement: %s wrote no market image (%s)" % (name, e))
            return 1
    first_name, first = images[0]
    failed = False
    for name, data in images[1:]:
        if data == first:
            continue
        failed = True
        found = differences(first, data)
        print("agreement: %s DIFFERS from %s in %d places" % (name, first_name, len(found)))
        for line in found[:20]:
            print("  " + line)
    if not failed:
        print("agreement: %s pulled the same market, %d bytes" % (", ".join(n for n, _ in images), len(first)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
