#!/usr/bin/env python3
"""Independent check of the character n-gram models.

"count" counts the character n-grams of a text corpus and writes the inputs of
the model builder (a character list and the n-gram texts of a plain and of a
back-off model) and a set of held-out sentences. "expect" reads those files
again and computes, on its own, the score that each model must give to every
n-gram of the held-out sentences: the probabilities and weights as the files
store them (16-bit steps of -12/65535), the plain mean over nine levels and
the back-off value of the longest n-gram. The test program test_zel_models
builds the models with the library and compares its scores with these
figures (set QZ_NGRAM_CHECK_DIR to run it on a folder made here).

    ngram_check.py count --out DIR [--encoding gbk] FILE...
    ngram_check.py expect DIR
"""
import argparse
import collections
import math
import os
import re
import struct
import sys

PLAIN_ORDER = 9
BACKOFF_ORDER = 5
STEPS = 65535


def f32(x):
    return struct.unpack('<f', struct.pack('<f', x))[0]


STEP = f32(-12.0 / STEPS)


def quantise(v):
    """The binary search of the builder, in single precision."""
    v = f32(v)
    step = STEP
    lo, hi = 0, STEPS
    while True:
        t = lo + hi
        if t < 4:
            return 0
        m = t // 2
        if m >= STEPS - 1:
            return STEPS
        upper = f32(m * step)
        lower = f32((m - 1) * step)
        if upper <= v <= lower:
            return m - 1
        if upper <= v:
            hi = (m - 1) & 0xFFFF
        else:
            lo = (m + 1) & 0xFFFF
        if lo > hi:
            return m


def dequantise(q):
    return f32(q * STEP)


# ---------------------------------------------------------------- counting

HAN = re.compile('[\u4e00-\u9fff]+')
TAG = re.compile('/[A-Za-z]+')


def sentences_of(path, encoding):
    with open(path, encoding=encoding, errors='replace') as f:
        for line in f:
            line = TAG.sub('', line).replace(' ', '')
            for run in HAN.findall(line):
                yield run


def count(args):
    os.makedirs(args.out, exist_ok=True)
    train, held = [], []
    n = 0
    for path in args.files:
        for s in sentences_of(path, args.encoding):
            n += 1
            (held if n % args.held_out_every == 0 and len(s) >= 4 else train).append(s)
    unigram_counts = collections.Counter()
    for s in train:
        unigram_counts.update(s)
    total = sum(unigram_counts.values())
    top = sorted(unigram_counts.items(), key=lambda wc: (-wc[1], wc[0]))[:args.chars]
    chars = sorted((w for w, _ in top), key=lambda w: w.encode('gbk'))
    charset = set(chars)
    # Only n-grams of kept characters reach the model; their counts (and
    # those of their histories) are the same within the runs of kept ones.
    counts = collections.Counter()
    for s in train:
        for run in re.split('[^%s]+' % re.escape(''.join(chars)), s):
            for i in range(len(run)):
                for k in range(1, min(PLAIN_ORDER, len(run) - i) + 1):
                    counts[run[i:i + k]] += 1
    with open(os.path.join(args.out, 'chars.txt'), 'wb') as f:
        for w in chars:
            f.write(w.encode('gbk') + b'\r\n')
    # Distinct continuations of each history, for the back-off weights.
    follow = collections.Counter(w[:-1] for w in counts if len(w) >= 2)

    def line_of(w, c, order_limit):
        if len(w) == 1:
            p = math.log10(c / total)
        else:
            p = math.log10(c / counts[w[:-1]])
        b = 0.0
        if len(w) < order_limit and follow[w]:
            b = math.log10(c / (c + follow[w]))
        return '%s\t%.6f\t%d\t%.6f' % (w, p, c, b)

    kept = sorted((w for w, c in counts.items() if c >= args.write_min and set(w) <= charset),
                  key=lambda w: w.encode('gbk'))
    with open(os.path.join(args.out, 'plain.txt'), 'wb') as f:
        for w in kept:
            # Three leading bytes that the builder skips in plain mode.
            f.write(('%02d\t' % len(w) + line_of(w, counts[w], PLAIN_ORDER) + '\n').encode('utf-8'))
    with open(os.path.join(args.out, 'lm.txt'), 'wb') as f:
        for w in kept:
            if len(w) <= BACKOFF_ORDER:
                f.write((line_of(w, counts[w], BACKOFF_ORDER) + '\r\n').encode('utf-8'))
    with open(os.path.join(args.out, 'heldout.txt'), 'w', encoding='utf-8') as f:
        for s in held[:args.max_held_out]:
            f.write(s + '\n')
    with open(os.path.join(args.out, 'min_count.txt'), 'w') as f:
        f.write('%d\n' % args.min_count)
    print('%d training sentences, %d held out, %d characters, %d n-gram lines'
          % (len(train), min(len(held), args.max_held_out), len(chars), len(kept)))


# ---------------------------------------------------------------- expecting

def read_model_lines(path, skip, min_count, charset, max_order):
    """n-gram -> (probability, weight) as the builder keeps them."""
    lines = {}
    with open(path, 'rb') as f:
        for raw in f:
            text = raw.rstrip(b'\n').rstrip(b'\r').decode('utf-8')[skip:]
            w, p, c, b = text.split('\t')
            if int(c) < min_count or not set(w) <= charset or len(w) > max_order:
                continue
            p, b = f32(float(p)), f32(float(b))
            if len(w) >= 3:  # longer n-grams pass through "%f" on their way
                p, b = f32(float('%f' % p)), f32(float('%f' % b))
            lines[w] = (p, b)
    return lines


class Model:
    def __init__(self, lines, chars, plain):
        self.index = {w: i for i, w in enumerate(chars)}
        self.plain = plain
        self.lines = lines
        self.groups = set()
        self.trigrams = {}
        self.lists = collections.defaultdict(set)  # (trigram, order, key) -> values
        top = PLAIN_ORDER if plain else BACKOFF_ORDER
        for w, (p, b) in lines.items():
            if len(w) >= 3:
                self.groups.add(w[:2])
                self.trigrams.setdefault(w[:3], None)
            if len(w) == 3:
                self.trigrams[w] = (p, b)
            elif 4 <= len(w) <= top:
                v = p + b if (len(w) == 4 or len(w) == 5) and plain else p
                self.lists[(w[:3], len(w), self.key(w, len(w)))].add(quantise(v))

    def pair_key(self, a, b):
        v = (self.index[a] << 20) | (self.index[b] << 8)
        return bytes([v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF])

    def key(self, w, order):
        out, rest = b'', w[3:order]
        while rest:
            if len(rest) == 1:
                return out + rest.encode('gbk')
            if rest[0] not in self.index or rest[1] not in self.index:
                return None
            out += self.pair_key(rest[0], rest[1])
            rest = rest[2:]
        return out

    def q(self, w):
        if w not in self.lines:
            return STEPS
        p, b = self.lines[w]
        return quantise(f32(p + b))

    def find(self, w, order):
        """Quantised value of the list record the key of w finds: None when
        absent, 'ambiguous' when colliding keys hold different values."""
        key = self.key(w, order)
        values = self.lists.get((w[:3], order, key)) if key is not None else None
        if not values:
            return None
        return next(iter(values)) if len(values) == 1 else 'ambiguous'

    def plain_score(self, w):
        if w[0] not in self.index:
            return -12.0
        s = dequantise(self.q(w[0]))
        f = 1
        if len(w) >= 2 and w[1] in self.index:
            s = f32(s + dequantise(self.q(w[:2])))
            f = 2
            if len(w) >= 3 and w[:2] in self.groups and w[:3] in self.trigrams:
                t = self.trigrams[w[:3]]
                s = f32(s + dequantise(quantise(f32(t[0] + t[1])) if t else STEPS))
                f = 3
                for order in range(PLAIN_ORDER, 3, -1):
                    if len(w) < order:
                        continue
                    v = self.find(w, order)
                    if v == 'ambiguous':
                        return None
                    if v is not None:
                        s = f32(s + dequantise(v))
                        f += 1
        return f32(f32(s + f32((PLAIN_ORDER - f) * -12)) / 9)

    def backoff_value(self, w):
        if w[0] not in self.index:
            return -12.0, 1
        value, order = dequantise(self.q(w[0])), 1
        if len(w) < 2 or w[1] not in self.index:
            return value, order
        value, order = dequantise(self.q(w[:2])), 2
        if len(w) < 3 or w[:2] not in self.groups or w[:3] not in self.trigrams:
            return value, order
        t = self.trigrams[w[:3]]
        value, order = dequantise(quantise(t[0]) if t else STEPS), 3
        if len(w) >= 5:
            v = self.find(w, 5)
            if v == 'ambiguous':
                return None, None
            if v is not None:
                return dequantise(v), 5
        if len(w) >= 4:
            v = self.find(w, 4)
            if v is not None:
                return dequantise(v), 4
        return value, order

    def backoff_score(self, w):
        value, order = self.backoff_value(w)
        return None if value is None else f32(value + (5 - order) * -0.4)


def expect(args):
    d = args.dir
    with open(os.path.join(d, 'chars.txt'), 'rb') as f:
        chars = [line.rstrip(b'\r\n').decode('gbk') for line in f if line.strip()]
    charset = set(chars)
    with open(os.path.join(d, 'min_count.txt')) as f:
        min_count = int(f.read())
    plain = Model(read_model_lines(os.path.join(d, 'plain.txt'), 3, min_count, charset, PLAIN_ORDER), chars, True)
    lm = Model(read_model_lines(os.path.join(d, 'lm.txt'), 0, min_count, charset, BACKOFF_ORDER), chars, False)
    written = skipped = 0
    with open(os.path.join(d, 'heldout.txt'), encoding='utf-8') as f, \
            open(os.path.join(d, 'expected.txt'), 'w', encoding='utf-8') as out:
        for s in (line.strip() for line in f):
            for i in range(len(s)):
                for k in range(1, PLAIN_ORDER + 1):
                    if i + k > len(s):
                        break
                    w = s[i:i + k]
                    ps, ls = plain.plain_score(w), lm.backoff_score(w)
                    if ps is None or ls is None:
                        skipped += 1  # colliding pair keys: the file may answer either record
                        continue
                    out.write('%s\t%.9g\t%.9g\n' % (w, ps, ls))
                    written += 1
    print('%d scores written, %d skipped for colliding keys' % (written, skipped))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest='command', required=True)
    c = sub.add_parser('count')
    c.add_argument('--out', required=True)
    c.add_argument('--encoding', default='gbk')
    c.add_argument('--chars', type=int, default=300, help='most frequent characters kept')
    c.add_argument('--write-min', type=int, default=2, help='least count of a written n-gram line')
    c.add_argument('--min-count', type=int, default=3, help='least count the builder is run with')
    c.add_argument('--held-out-every', type=int, default=10)
    c.add_argument('--max-held-out', type=int, default=1000)
    c.add_argument('files', nargs='+')
    e = sub.add_parser('expect')
    e.add_argument('dir')
    args = parser.parse_args()
    count(args) if args.command == 'count' else expect(args)


if __name__ == '__main__':
    sys.exit(main())
