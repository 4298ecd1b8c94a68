#!/usr/bin/python3
"""Trains a character segmentation model and writes it as a CRF text model.

An averaged structured perceptron over character n-gram templates with the
four tags B, E, M, S (begin, end, middle, single). Each sentence is scored
the way the library's segmenter scores it: left pads carry the tag E, the
first right pad the tag B, so the transitions into the first character and
out of the last one are learnt too. The result is the text model that
IdxCRF compiles (header, tags, templates, features, weights).

Input: a word-segmented corpus in the neutral format ("word/POS word/POS",
one sentence per line) listed by files.list; documents named in the held-out
list are left out of training.

Usage:
  crf_train.py CORPUS_DIR HELDOUT_LIST OUT_MODEL [--epochs N] [--max-chars N]
"""

import argparse
import os
import sys

import numpy as np

TAGS = ['B', 'E', 'M', 'S']
TAG_INDEX = {t: i for i, t in enumerate(TAGS)}
L = len(TAGS)
# name, row offsets (column 0, the character, is the only column)
TEMPLATES = [
    ('U00', (-2,)), ('U01', (-1,)), ('U02', (0,)), ('U03', (1,)), ('U04', (2,)),
    ('U05', (-1, 0)), ('U06', (0, 1)), ('U07', (-1, 1)),
]
LEFT_PADS = max(-min(o for _, offs in TEMPLATES for o in offs), 1)
RIGHT_PADS = max(max(o for _, offs in TEMPLATES for o in offs), 1)


def template_body(offsets):
    return '/'.join('%%x[%d,0]' % o for o in offsets)


def gbk_char(c):
    """The character as the segmenter sees it: unmapped characters are blanks."""
    try:
        c.encode('gbk')
        return c
    except UnicodeEncodeError:
        return ' '


def read_sentences(corpus_dir, heldout, want_heldout, with_tags=False):
    """Sentences as word lists (or (word, tag) lists) of the chosen documents."""
    with open(os.path.join(corpus_dir, 'files.list'), encoding='utf-8') as f:
        files = [line.strip() for line in f if line.strip()]
    for rel in files:
        doc = os.path.splitext(os.path.basename(rel))[0]
        if (doc in heldout) != want_heldout:
            continue
        with open(os.path.join(corpus_dir, rel), encoding='utf-8') as f:
            for line in f:
                words = []
                for token in line.split():
                    word, _, tag = token.rpartition('/')
                    if word:
                        word = ''.join(gbk_char(c) for c in word)
                        words.append((word, tag) if with_tags else word)
                if words:
                    yield words


def tags_of(words):
    tags = []
    for w in words:
        if len(w) == 1:
            tags.append('S')
        else:
            tags.extend(['B'] + ['M'] * (len(w) - 2) + ['E'])
    return tags


def columns(chars):
    """Pads around the characters, named as the segmenter names them."""
    left = ['_B-%d' % k for k in range(LEFT_PADS, 0, -1)]
    right = ['_B+%d' % k for k in range(1, RIGHT_PADS + 1)]
    return left + list(chars) + right


def feature_strings(cols, pos):
    # a template that reaches past the last pad has no value there
    return [name + ':' + '/'.join(cols[pos + o] for o in offs)
            for name, offs in TEMPLATES if pos + max(offs) < len(cols)]


class Model:
    def __init__(self):
        self.ids = {}          # feature string -> row in the weight table
        self.w = np.zeros((1024, L))
        self.u = np.zeros((1024, L))   # step-weighted updates, for averaging
        self.trans = np.zeros((L, L))
        self.trans_u = np.zeros((L, L))
        self.step = 1

    def row(self, feat, grow):
        r = self.ids.get(feat)
        if r is None and grow:
            r = len(self.ids)
            self.ids[feat] = r
            if r >= len(self.w):
                self.w = np.vstack([self.w, np.zeros_like(self.w)])
                self.u = np.vstack([self.u, np.zeros_like(self.u)])
        return r

    def sentence_rows(self, chars, grow):
        cols = columns(chars)
        rows = []
        # sentence columns and the first right pad
        for pos in range(LEFT_PADS, LEFT_PADS + len(chars) + 1):
            rows.append([r for r in (self.row(f, grow) for f in feature_strings(cols, pos)) if r is not None])
        return rows

    def decode(self, rows, w, trans):
        n = len(rows) - 1
        emit = np.array([w[r].sum(axis=0) if r else np.zeros(L) for r in rows])
        score = trans[TAG_INDEX['E']] + emit[0]
        back = []
        for i in range(1, n):
            cand = score[:, None] + trans
            back.append(cand.argmax(axis=0))
            score = cand.max(axis=0) + emit[i]
        # the first right pad is fixed to B
        b = TAG_INDEX['B']
        last = int((score + trans[:, b]).argmax())
        path = [last]
        for bp in reversed(back):
            path.append(int(bp[path[-1]]))
        return path[::-1]

    def update(self, rows, gold, pred):
        b = TAG_INDEX['B']
        seq_g = [TAG_INDEX['E']] + gold + [b]
        seq_p = [TAG_INDEX['E']] + pred + [b]
        for i, r in enumerate(rows):
            tg, tp = seq_g[i + 1], seq_p[i + 1]
            pg, pp = seq_g[i], seq_p[i]
            if tg != tp:
                self.w[r, tg] += 1
                self.w[r, tp] -= 1
                self.u[r, tg] += self.step
                self.u[r, tp] -= self.step
            if tg != tp or pg != pp:
                self.trans[pg, tg] += 1
                self.trans[pp, tp] -= 1
                self.trans_u[pg, tg] += self.step
                self.trans_u[pp, tp] -= self.step

    def averaged(self):
        n = len(self.ids)
        return (self.w[:n] - self.u[:n] / self.step,
                self.trans - self.trans_u / self.step)


def write_text_model(path, ids, w, trans):
    order = sorted(ids.items(), key=lambda kv: kv[1])
    maxid = L * L + L * len(order)
    with open(path, 'w', encoding='utf-8') as f:
        f.write('version: 100\ncost-factor: 1\nmaxid: %d\nxsize: 1\n\n' % maxid)
        f.write(''.join(t + '\n' for t in TAGS) + '\n')
        f.write(''.join('%s:%s\n' % (name, template_body(offs)) for name, offs in TEMPLATES))
        f.write('B\n\n')
        f.write('0 B\n')
        for feat, r in order:
            f.write('%d %s\n' % (L * L + L * r, feat))
        f.write('\n')
        out = [trans.reshape(-1)] + [w[r] for _, r in order]
        for v in np.concatenate(out):
            f.write('%.6g\n' % v)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('corpus')
    ap.add_argument('heldout')
    ap.add_argument('out')
    ap.add_argument('--epochs', type=int, default=5)
    ap.add_argument('--max-chars', type=int, default=1500000)
    args = ap.parse_args()

    with open(args.heldout, encoding='utf-8') as f:
        heldout = {line.strip() for line in f if line.strip() and not line.startswith('#')}
    data = []
    chars_total = 0
    for words in read_sentences(args.corpus, heldout, False):
        chars = ''.join(words)
        data.append((chars, [TAG_INDEX[t] for t in tags_of(words)]))
        chars_total += len(chars)
        if chars_total >= args.max_chars:
            break
    print('training on %d sentences, %d characters' % (len(data), chars_total), file=sys.stderr)

    model = Model()
    rows = [model.sentence_rows(chars, True) for chars, _ in data]
    rng = np.random.default_rng(27)
    for epoch in range(args.epochs):
        errors = 0
        for k in rng.permutation(len(data)):
            gold = data[k][1]
            pred = model.decode(rows[k], model.w, model.trans)
            if pred != gold:
                errors += sum(1 for a, b in zip(pred, gold) if a != b)
                model.update(rows[k], gold, pred)
            model.step += 1
        print('epoch %d: %d tag errors' % (epoch + 1, errors), file=sys.stderr)
    w, trans = model.averaged()
    write_text_model(args.out, model.ids, w, trans)
    print('features %d, written %s' % (len(model.ids), args.out), file=sys.stderr)


if __name__ == '__main__':
    main()
