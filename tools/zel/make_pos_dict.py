#!/usr/bin/python3
"""Writes the part-of-speech dictionary from jieba's dictionary and a tagged corpus.

Words and their parts of speech come from jieba's dict.txt (word, frequency,
tag) together with the word/tag counts of the training documents of the
corpus; a word's weight for a tag is ln(count(word, tag) / count(tag)). Tag
pairs "A/B" weigh ln(count(A, B) / count(A)), counted over the corpus
sentences wrapped in the full stop the tagger wraps them in. Keywords are GBK
(words that GBK cannot hold, or longer than 255 bytes, are left out); entries
are in ascending byte order.

Usage: make_pos_dict.py CORPUS_DIR HELDOUT_LIST OUT_DICT [JIEBA_DICT]
"""

import collections
import math
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from crf_train import read_sentences  # noqa: E402

JIEBA_DICT = '/usr/lib/python3/dist-packages/jieba/dict.txt'
WRAP = ('。', 'x')


def main():
    corpus, heldout_path, out_path = sys.argv[1:4]
    jieba_dict = sys.argv[4] if len(sys.argv) > 4 else JIEBA_DICT
    with open(heldout_path, encoding='utf-8') as f:
        heldout = {line.strip() for line in f if line.strip() and not line.startswith('#')}

    word_tag = collections.Counter()
    pairs = collections.Counter()
    with open(jieba_dict, encoding='utf-8') as f:
        for line in f:
            parts = line.split()
            if len(parts) == 3:
                word_tag[(parts[0], parts[2])] += int(parts[1])
    for tokens in read_sentences(corpus, heldout, False, with_tags=True):
        seq = [WRAP] + tokens + [WRAP]
        for word, tag in tokens:
            word_tag[(word, tag)] += 1
        for (_, a), (_, b) in zip(seq, seq[1:]):
            pairs[(a, b)] += 1

    tag_total = collections.Counter()
    for (_, tag), n in word_tag.items():
        tag_total[tag] += n
    from_total = collections.Counter()
    for (a, _), n in pairs.items():
        from_total[a] += n

    names = sorted(set(tag_total) | {t for p in pairs for t in p})
    index = {t: i for i, t in enumerate(names)}
    entries = collections.defaultdict(list)
    for (word, tag), n in word_tag.items():
        entries[word].append((index[tag], math.log(n / tag_total[tag])))
    for (a, b), n in pairs.items():
        entries[a + '/' + b].append((index[b], math.log(n / from_total[a])))

    encoded = []
    for key, values in entries.items():
        try:
            gbk = key.encode('gbk')
        except UnicodeEncodeError:
            continue
        if len(gbk) <= 255 and len(values) <= 255 and len(names) <= 256:
            encoded.append((gbk, sorted(values, key=lambda v: -v[1])))
    encoded.sort()
    with open(out_path, 'wb') as f:
        f.write(struct.pack('<i', len(names)))
        for name in names:
            b = name.encode('gbk')
            f.write(struct.pack('<B', len(b)) + b)
        f.write(struct.pack('<i', len(encoded)))
        for gbk, values in encoded:
            f.write(struct.pack('<B', len(gbk)) + gbk + struct.pack('<B', len(values)))
            for i, w in values:
                f.write(struct.pack('<Bf', i, w))
    print('dictionary: %d parts of speech, %d entries, %s' % (len(names), len(encoded), out_path), file=sys.stderr)


if __name__ == '__main__':
    main()
