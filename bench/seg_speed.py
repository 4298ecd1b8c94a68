#!/usr/bin/python3
"""Times the library's segmentation and tagging beside python3-jieba's (see seg.sh)."""

import os
import sys
import time

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(root, 'tools', 'zel'))
from crf_train import read_sentences  # noqa: E402
from seg_lib import SegLib  # noqa: E402

import jieba  # noqa: E402
import jieba.posseg  # noqa: E402


def timed(label, fn, items, chars):
    start = time.perf_counter()
    for item in items:
        fn(item)
    seconds = time.perf_counter() - start
    rate = chars / seconds
    print('  %-34s %8.3f s %12.0f chars/s' % (label, seconds, rate))
    return rate


def main():
    library, seg_dir, corpus, heldout_path, limit = sys.argv[1:6]
    limit = int(limit)
    with open(heldout_path, encoding='utf-8') as f:
        heldout = {line.strip() for line in f if line.strip() and not line.startswith('#')}
    sentences = []
    for words in read_sentences(corpus, heldout, True):
        sentences.append(words)
        if limit and len(sentences) >= limit:
            break
    texts = [''.join(w) for w in sentences]
    word_texts = [' '.join(w) for w in sentences]
    chars = sum(len(t) for t in texts)
    print('sentences: %d, characters: %d' % (len(texts), chars))

    lib = SegLib(library)
    lib.load(os.path.join(seg_dir, 'seg_model.bin'), os.path.join(seg_dir, 'pos_dict.bin'))
    jieba.setLogLevel(60)
    jieba.initialize()
    list(jieba.posseg.cut('预热'))

    ours_seg = timed('ours: CRF segmentation (ZEL_Seg)', lib.seg, texts, chars)
    peer_seg = timed('jieba.cut (HMM)', lambda t: list(jieba.cut(t)), texts, chars)
    ours_pos = timed('ours: tagging words (ZEL_POS)', lib.pos, word_texts, chars)
    peer_pos = timed('jieba.posseg.cut (HMM)', lambda t: list(jieba.posseg.cut(t)), texts, chars)
    print('ratio segmentation ours/jieba: %.2f x' % (ours_seg / peer_seg))
    print('ratio tagging ours/jieba:      %.2f x (jieba segments as it tags)' % (ours_pos / peer_pos))


if __name__ == '__main__':
    main()
