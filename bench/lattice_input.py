#!/usr/bin/python3
"""Input of the lattice benchmark: the first N sentences of the real corpus.

Usage: lattice_input.py CORPUS_DIR COUNT OUT_DIR
CORPUS_DIR is the "real" corpus of ../shared/peers/make_corpus.py (files.list
and neutral files of "word/POS" tokens, UTF-8). Writes, one sentence a line
and in GBK (characters GBK lacks are dropped):
  OUT_DIR/plain.txt  the words joined
  OUT_DIR/json.txt   {"Units":[words],"POS":[tags]}
"""
import json
import os
import sys


def sentences(corpus):
    with open(os.path.join(corpus, 'files.list'), encoding='utf-8') as listing:
        for name in listing:
            with open(os.path.join(corpus, name.strip()), encoding='utf-8') as doc:
                for line in doc:
                    tokens = [t.rsplit('/', 1) for t in line.split()]
                    pairs = [(w, p) for w, p in (t for t in tokens if len(t) == 2) if w]
                    if pairs:
                        yield pairs


def gbk(text):
    return text.encode('gbk', errors='ignore')


def main():
    corpus, count, out = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    os.makedirs(out, exist_ok=True)
    written = 0
    with open(os.path.join(out, 'plain.txt'), 'wb') as plain, open(os.path.join(out, 'json.txt'), 'wb') as js:
        for pairs in sentences(corpus):
            pairs = [(w, p) for w, p in pairs if gbk(w)]
            if not pairs:
                continue
            plain.write(gbk(''.join(w for w, _ in pairs)) + b'\n')
            units = json.dumps({'Units': [w for w, _ in pairs], 'POS': [p for _, p in pairs]}, ensure_ascii=False)
            js.write(gbk(units) + b'\n')
            written += 1
            if written == count:
                break
    print(written)


if __name__ == '__main__':
    main()
