#!/usr/bin/env python3
"""Writes the seed corpus of the read and write fuzzers from real Access 97 files.

usage: make_fuzz_seeds.py [--control HEX] FIXTURES_DIR OUT_DIR

Every .mdb file of FIXTURES_DIR gives a few seeds, each at most 256 KiB: the
file itself (its first 128 pages when larger), cut after a few pages and in
the middle of a page, and copies with every page of one type zeroed. OUT_DIR
is created and its old seeds replaced. Output is the same on every run.

With --control, every seed starts with those bytes (given in hexadecimal):
the write fuzzer's control block, which says how many rows to insert and
how (fuzz/write_fuzzer.cpp).

Exit codes: 0 done, 1 failure, 2 usage, 77 FIXTURES_DIR does not exist (so
that a test built on the seeds reports itself skipped).
"""

import pathlib
import sys

SKIPPED = 77
PAGE_SIZE = 2048
MAX_SEED = 256 * 1024
# Truncations, in pages: the header alone, header and catalogue, and a few more.
CUT_PAGES = (1, 3, 8, 32)
# Page types by byte 0: data, table definition, index node, index leaf, usage map.
PAGE_TYPES = {1: "data", 2: "tdef", 3: "index-node", 4: "index-leaf", 5: "usage-map"}


def with_pages_zeroed(image, page_type):
    """The image with every page of this type (except the header page) zeroed, or None."""
    pages = bytearray(image)
    zeroed = False
    for start in range(PAGE_SIZE, len(pages) - PAGE_SIZE + 1, PAGE_SIZE):
        if pages[start] == page_type:
            pages[start:start + PAGE_SIZE] = bytes(PAGE_SIZE)
            zeroed = True
    return bytes(pages) if zeroed else None


def seeds_of(image):
    """(suffix, bytes) of every seed made from one file."""
    base = image[:MAX_SEED]
    yield "whole" if len(base) == len(image) else "first-128-pages", base
    for pages in CUT_PAGES:
        if pages * PAGE_SIZE < len(base):
            yield f"cut-{pages}-pages", base[:pages * PAGE_SIZE]
    if len(base) > 3 * PAGE_SIZE:
        yield "cut-mid-page", base[:3 * PAGE_SIZE + PAGE_SIZE // 2]
    for page_type, name in PAGE_TYPES.items():
        zeroed = with_pages_zeroed(base, page_type)
        if zeroed is not None:
            yield f"no-{name}-pages", zeroed


def main(argv):
    args = argv[1:]
    control = b""
    if len(args) == 4 and args[0] == "--control":
        try:
            control = bytes.fromhex(args[1])
        except ValueError:
            args = []
        args = args[2:]
    if len(args) != 2:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    fixtures, out = pathlib.Path(args[0]), pathlib.Path(args[1])
    if not fixtures.is_dir():
        print(f"skipped: real Access 97 files not found, {fixtures} is no folder")
        return SKIPPED
    files = sorted(fixtures.glob("*.mdb"))
    if not files:
        print(f"make_fuzz_seeds.py: no .mdb files in {fixtures}", file=sys.stderr)
        return 1
    out.mkdir(parents=True, exist_ok=True)
    for old in out.glob("*.seed"):
        old.unlink()
    count = 0
    for path in files:
        for suffix, data in seeds_of(path.read_bytes()):
            (out / f"{path.stem}-{suffix}.seed").write_bytes(control + data)
            count += 1
    print(f"make_fuzz_seeds.py: {count} seeds from {len(files)} files in {out}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
