#!/usr/bin/python3
"""Compares the library's segmentation and tagging with jieba's on held-out sentences.

The corpus is jieba's own segmentation and tagging, so its held-out documents
are the reference. Prints the character-boundary F1 (boundaries between two
characters of a sentence), the word F1, and the share of reference words that
ZEL_POS tags as jieba did.

Usage: crf_eval.py LIBZELLIB MODEL_BIN POS_DICT CORPUS_DIR HELDOUT_LIST [--sentences N]
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from crf_train import read_sentences  # noqa: E402
from seg_lib import SegLib  # noqa: E402


def boundaries(words):
    out, at = set(), 0
    for w in words[:-1]:
        at += len(w)
        out.add(at)
    return out


def spans(words):
    out, at = set(), 0
    for w in words:
        out.add((at, at + len(w)))
        at += len(w)
    return out


def f1(hit, predicted, gold):
    p = hit / predicted if predicted else 1.0
    r = hit / gold if gold else 1.0
    return 2 * p * r / (p + r) if p + r else 0.0


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('library')
    ap.add_argument('model')
    ap.add_argument('dict')
    ap.add_argument('corpus')
    ap.add_argument('heldout')
    ap.add_argument('--sentences', type=int, default=0, help='at most this many (0: all)')
    args = ap.parse_args()
    with open(args.heldout, encoding='utf-8') as f:
        heldout = {line.strip() for line in f if line.strip() and not line.startswith('#')}

    lib = SegLib(args.library)
    lib.load(args.model, args.dict)
    b_hit = b_pred = b_gold = w_hit = w_pred = w_gold = 0
    tags_same = tags_all = sentences = skipped = 0
    for tokens in read_sentences(args.corpus, heldout, True, with_tags=True):
        gold = [w for w, _ in tokens]
        text = ''.join(gold)
        if ' ' in text:
            skipped += 1  # a blank cannot be told from the separator of the answer
            continue
        ours = lib.seg(text).split(' ')
        if ''.join(ours) != text:
            skipped += 1  # a character the library's GBK tables map differently
            continue
        bo, bg = boundaries(ours), boundaries(gold)
        b_hit += len(bo & bg)
        b_pred += len(bo)
        b_gold += len(bg)
        so, sg = spans(ours), spans(gold)
        w_hit += len(so & sg)
        w_pred += len(so)
        w_gold += len(sg)
        tagged = lib.pos(' '.join(gold)).split()
        for (word, tag), got in zip(tokens, tagged):
            tags_all += 1
            tags_same += got == word + '/' + tag
        sentences += 1
        if args.sentences and sentences >= args.sentences:
            break
    print('held-out sentences: %d (skipped %d)' % (sentences, skipped))
    print('character-boundary F1 against jieba: %.4f' % f1(b_hit, b_pred, b_gold))
    print('word F1 against jieba: %.4f' % f1(w_hit, w_pred, w_gold))
    print('part-of-speech agreement with jieba on its words: %.4f' % (tags_same / tags_all if tags_all else 0.0))


if __name__ == '__main__':
    main()
