#!/usr/bin/env python3
"""Builds a large corpus for the benchmarks from the committed sample corpus.

    python3 tools/make_bench_corpus.py 100 /tmp/bench100        # about 100 MB
    python3 tools/make_bench_corpus.py 200 /tmp/bench200 --tree-percent 0

The sentences of tests/data/sample/ (word/tag lines and tree lines) are drawn
in seeded shuffled passes and packed into documents with "Doc", "#Global",
"POS="/"Item:" and "#Group" lines like the sample's.  Sequence files and tree
files (square and round notation alternately) are cut at --file-mb each; the
folder gets a corpus.lst with absolute paths, so the builder can be started
from any folder.  The same arguments always give the same bytes.  Only the
standard library is needed.
"""

import argparse
import os
import random

SAMPLE_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "data", "sample")
DIRECTIVES = (b"Doc ", b"#Global", b"#Group", b"POS=", b"Pos=", b"pos=", b"Item:")


def read_sample():
    """Sentence lines of the sample (sequences, square trees, round trees) and its metadata."""
    with open(os.path.join(SAMPLE_DIR, "corpus.lst"), "rb") as f:
        names = [line.strip() for line in f if line.strip() and not line.startswith(b"#")]
    seqs, squares, rounds, titles, authors = [], [], [], set(), set()
    for name in names:
        with open(os.path.join(SAMPLE_DIR, name.decode()), "rb") as f:
            for line in f.read().split(b"\n"):
                if line.startswith(b"Doc ") and len(line) > 4:
                    titles.add(line[4:])
                elif line.startswith(b"#Global"):
                    authors.update(item[7:] for item in line[8:].replace(b" ", b";").split(b";")
                                   if item.startswith(b"author="))
                elif not line or line.startswith(DIRECTIVES):
                    continue
                elif line.startswith(b"[") and line.endswith(b"]"):
                    squares.append(line)
                elif line.startswith(b"(") and line.endswith(b")"):
                    rounds.append(line)
                else:
                    seqs.append(line)
    return seqs, squares, rounds, sorted(titles), sorted(authors)


class Shuffled:
    """Endless draw from a list: one seeded shuffle per pass."""

    def __init__(self, items, rng):
        self.items, self.rng, self.pos = list(items), rng, len(items)

    def next(self):
        if self.pos == len(self.items):
            self.rng.shuffle(self.items)
            self.pos = 0
        self.pos += 1
        return self.items[self.pos - 1]


def write_file(path, budget, sentences, meta, rng):
    """Writes documents to path until budget bytes are reached; returns the size."""
    titles, authors, counter = meta
    out, size = [], 0
    while size < budget:
        counter[0] += 1
        doc = counter[0]
        lines = [b"Doc %s_%d" % (titles.next(), doc),
                 b"#Global author=%s;dynasty=%s;Cat=%s;time_year=%d;num_page=%d"
                 % (authors.next(), "唐宋元明清".encode("gbk")[2 * (doc % 5):2 * (doc % 5) + 2],
                    b"bench_" + (b"poem", b"prose", b"tree")[doc % 3],
                    rng.randint(1950, 2024), doc)]
        if doc % 4 == 0:
            lines += [b"POS=title", b"Item:" + sentences.next(), b"POS=text"]
        for n in range(rng.randint(20, 200)):
            if n and n % 37 == 0:
                lines.append(b"#Group")
            lines.append(sentences.next())
        chunk = b"".join(line + b"\n" for line in lines)
        out.append(chunk)
        size += len(chunk)
    with open(path, "wb") as f:
        f.write(b"".join(out))
    return size


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[1])
    parser.add_argument("size_mb", type=float, help="total corpus size in MB (the builder accepts up to 1024)")
    parser.add_argument("out_dir", help="folder for the corpus files and corpus.lst")
    parser.add_argument("--file-mb", type=float, default=32, help="size of one corpus file (default 32)")
    parser.add_argument("--tree-percent", type=float, default=10, help="share of tree files (default 10)")
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()

    rng = random.Random(args.seed)
    seqs, squares, rounds, titles, authors = read_sample()
    meta = (Shuffled(titles, rng), Shuffled(authors, rng), [0])
    os.makedirs(args.out_dir, exist_ok=True)
    mb = 1024 * 1024
    tree_bytes = args.size_mb * mb * args.tree_percent / 100
    plan = [("seq", Shuffled(seqs, rng), args.size_mb * mb - tree_bytes),
            ("tree", None, tree_bytes)]
    tree_sources = [Shuffled(squares, rng), Shuffled(rounds, rng)]
    paths = []
    for kind, sentences, total in plan:
        written = 0
        while written < total:
            budget = min(args.file_mb * mb, total - written)
            if kind == "tree":
                sentences = tree_sources[len(paths) % 2]
            path = os.path.abspath(os.path.join(args.out_dir, "bench_%s_%03d.txt" % (kind, len(paths))))
            written += write_file(path, budget, sentences, meta, rng)
            paths.append(path)
            print("%s %d bytes" % (path, os.path.getsize(path)))
    with open(os.path.join(args.out_dir, "corpus.lst"), "w") as f:
        f.write("".join(p + "\n" for p in paths))


if __name__ == "__main__":
    main()
