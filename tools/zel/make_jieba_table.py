#!/usr/bin/env python3
"""Writes python3-jieba's dictionary as a GBK word-table source.

Each dictionary line "word freq pos" becomes the item line
"word POS=pos Freq=freq" under the header ".Jieba". Words that GBK cannot
encode, or whose GBK form holds a byte the full-width conversion of the
tables drops (control bytes, 0x7F, 0x80) or a blank, are left out; so are
repeated words (the first is kept).

Usage: make_jieba_table.py OUTPUT [EVERY]
    EVERY: keep only every EVERY-th word (default 1: all of them); the
    committed reduced form tests/data/tables/jieba_sample.txt is made with
    EVERY = 100.
"""
import sys

DICT = "/usr/lib/python3/dist-packages/jieba/dict.txt"


def usable(gbk):
    return all(b > 0x20 and b not in (0x7F, 0x80) for b in gbk)


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    every = int(sys.argv[2]) if len(sys.argv) == 3 else 1
    seen, kept, dropped = set(), 0, 0
    with open(DICT, encoding="utf-8") as source, open(sys.argv[1], "wb") as out:
        out.write(b".Jieba\n")
        for number, line in enumerate(source):
            word, freq, pos = line.split()
            if number % every or word in seen:
                continue
            seen.add(word)
            try:
                gbk = word.encode("gbk")
            except UnicodeEncodeError:
                dropped += 1
                continue
            if not usable(gbk):
                dropped += 1
                continue
            out.write(gbk + f" POS={pos} Freq={freq}\n".encode("ascii"))
            kept += 1
    print(f"{kept} words written, {dropped} left out", file=sys.stderr)


if __name__ == "__main__":
    main()
