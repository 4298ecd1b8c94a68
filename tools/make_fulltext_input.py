#!/usr/bin/python3
"""Turn the real corpus into input of the full-text index builder.

The corpus (made by ../shared/peers/make_corpus.py) holds one folder per part,
one file per document: <neutral>/NNN/<docid>.txt, one sentence a line, tokens
"word/POS" (UTF-8). Each document becomes, in GBK:

    #Global id=<docid>;part=<NNN>
    #Group name=title
    Item:<first sentence>
    #Group name=abstract
    Item:<next sentence>
    ...
    Table

Documents go round-robin into --files input files (so that several groups and
shards exist). Also written: files.list (the input files), config.txt (fields
title and abstract, document information id and part, "StopPOS" x, numbers
dropped) and stopwords.txt (a few function words).

Usage:
  make_fulltext_input.py NEUTRAL_DIR OUT_DIR [--files N] [--docs N] [--sentences N]
"""

import argparse
import json
import os
import sys

STOP_WORDS = ['的', '了', '是']


def documents(neutral):
    for part in sorted(os.listdir(neutral)):
        folder = os.path.join(neutral, part)
        for name in sorted(os.listdir(folder)):
            if name.endswith('.txt'):
                yield part, name[:-4], os.path.join(folder, name)


def gbk(text):
    # Characters GBK lacks become "?", as the engine's converters write a blank
    # for them; a blank would split the token.
    return text.encode('gbk', errors='replace')


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('neutral')
    ap.add_argument('out')
    ap.add_argument('--files', type=int, default=8)
    ap.add_argument('--docs', type=int, default=0, help='first N documents only (0: all)')
    ap.add_argument('--sentences', type=int, default=0, help='first N sentences per document (0: all)')
    args = ap.parse_args()

    os.makedirs(args.out, exist_ok=True)
    names = ['input_%02d.txt' % i for i in range(args.files)]
    outputs = [open(os.path.join(args.out, n), 'wb') for n in names]
    count = 0
    for part, docid, path in documents(args.neutral):
        if args.docs and count == args.docs:
            break
        with open(path, encoding='utf-8') as f:
            sentences = [line.strip() for line in f if line.strip()]
        if args.sentences:
            sentences = sentences[:args.sentences]
        if not sentences:
            continue
        out = outputs[count % args.files]
        out.write(gbk('#Global id=%s;part=%s\n' % (docid, part)))
        out.write(b'#Group name=title\n')
        out.write(b'Item:' + gbk(sentences[0]) + b'\n')
        out.write(b'#Group name=abstract\n')
        for sentence in sentences[1:]:
            out.write(b'Item:' + gbk(sentence) + b'\n')
        out.write(b'Table\n')
        count += 1
    for out in outputs:
        out.close()

    with open(os.path.join(args.out, 'files.list'), 'w') as f:
        for n in names:
            f.write(n + '\n')
    with open(os.path.join(args.out, 'stopwords.txt'), 'wb') as f:
        for word in STOP_WORDS:
            f.write(gbk(word) + b'\n')
    config = {
        'FileInfo': {'Data': 'Data', 'Unit': 'Unit', 'WordList': 'WordList', 'OrgDat': 'Org.dat',
                     'SavePath': 'save', 'CatTable': 'CatTable.txt'},
        'SizeInfo': {'ThreadNum_Count': 4, 'HashSize_WordList': 65536, 'BM_K1': '2', 'BM_K2': '1',
                     'BM_B': '0.75'},
        'Field': ['title', 'abstract'],
        'DocInfo': ['id', 'part'],
        'DocID_Name': 'id',
        'StopWord': 'stopwords.txt',
        'StopPOS': ['x'],
        'DelNumber': 'Yes',
        'LowFreq': 0,
    }
    with open(os.path.join(args.out, 'config.txt'), 'w') as f:
        json.dump(config, f, indent=1)
        f.write('\n')
    print('%d documents in %d files' % (count, args.files), file=sys.stderr)


if __name__ == '__main__':
    main()
