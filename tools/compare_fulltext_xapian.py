#!/usr/bin/python3
"""Compare a full-text index with Xapian on the same documents.

Reads the builder's input (INPUT_DIR: config.txt, files.list, the input files
and the stop-word file) and splits it into words by the builder's rules
(tokens between blanks, tabs and line feeds; the word before a token's last
"/"; empty words, numbers when "DelNumber" is on, stop words and stop tags
dropped). Each document becomes one Xapian document with its words as terms
(wdf = occurrences); each field record (one "#Group" of a document) becomes a
document of a second database per field, for documents and tokens per field.
Then the term table of INDEX_DIR (the "WordList" file) must agree with Xapian:
N, df of every term, the set of terms, and documents and tokens per field.

Xapian (Debian's python3-xapian) is used as a program beside ours, never
linked. Terms longer than Xapian's limit (245 bytes) are counted and skipped.

Usage: compare_fulltext_xapian.py INPUT_DIR INDEX_DIR
Exit status 0 when everything agrees, 1 otherwise.
"""

import json
import os
import struct
import sys
import time

import xapian

MAX_XAPIAN_TERM = 245
MAX_TERM = 2047


def last_slash(token):
    slash = -1
    i = 0
    while i < len(token):
        if token[i] >= 0x80:
            i += 2
            continue
        if token[i] == 0x2F:
            slash = i
        i += 1
    return slash


def cut_word(word):
    if len(word) <= MAX_TERM:
        return word
    end = 0
    while end < len(word):
        step = 2 if word[end] >= 0x80 else 1
        if end + step > MAX_TERM:
            break
        end += step
    return word[:end]


def split_line(text, stop_words, stop_tags, drop_numbers):
    words = []
    start = 0
    n = len(text)
    while start < n:
        end = start
        while end < n and text[end] not in (0x20, 0x09, 0x0A):
            end += 2 if text[end] >= 0x80 else 1
        end = min(end, n)
        token = text[start:end]
        start = end + 1
        if not token:
            continue
        slash = last_slash(token)
        word = cut_word(token if slash < 0 else token[:slash])
        tag = b'' if slash < 0 else token[slash + 1:]
        if not word or (drop_numbers and all(c in b'0123456789.' for c in word)):
            continue
        if tag in stop_tags or word in stop_words:
            continue
        words.append(word)
    return words


def read_documents(input_dir, config):
    """Yields documents as lists of (field number, [words]) field records."""
    for _, records in read_named_documents(input_dir, config):
        yield records


def read_named_documents(input_dir, config):
    """Yields documents as (name, [(field number, [words])]): the name is the
    "DocID_Name" value of the last "#Global" line before the document ends."""
    fields = [f.encode('gbk') for f in config.get('Field', [])]
    id_key = config.get('DocID_Name', '').encode('gbk')
    stop_tags = {t.encode('gbk') for t in config.get('StopPOS', [])}
    stop_words = set()
    if 'StopWord' in config:
        path = config['StopWord']
        if not os.path.isabs(path):
            path = os.path.join(input_dir, path)
        with open(path, 'rb') as f:
            stop_words = {line.rstrip(b'\r\n') for line in f if line.rstrip(b'\r\n')}
    drop_numbers = config.get('DelNumber', 'Yes') != 'No'
    with open(os.path.join(input_dir, 'files.list')) as f:
        paths = [line.rstrip('\r\n') for line in f]
    paths = [p for p in paths if p and p[0] not in ' #-\\']
    for path in paths:
        if not os.path.isabs(path):
            path = os.path.join(input_dir, path)
        records, current, pending, name = [], b' ', [], b''

        def flush(field):
            if field in fields and pending:
                words = []
                for line in pending:
                    words += split_line(line, stop_words, stop_tags, drop_numbers)
                records.append((fields.index(field), words))
            pending.clear()

        with open(path, 'rb') as f:
            for line in f:
                line = line.rstrip(b'\n').rstrip(b'\r')
                if line.startswith(b'#Global '):
                    info = dict(item.split(b'=', 1) for item in line[8:].split(b';') if b'=' in item)
                    name = info.get(id_key, b'')
                elif line.startswith(b'#Group '):
                    flush(current)
                    current = line[line.index(b'=') + 1:] if b'=' in line else current
                elif line.startswith(b'Item:'):
                    pending.append(line[5:])
                elif line.startswith(b'Table'):
                    flush(current)
                    if records:
                        yield name, records
                    records = []
        flush(current)
        if records:
            yield name, records


def read_term_table(path):
    with open(path, 'rb') as f:
        data = f.read()
    p = 0

    def u32():
        nonlocal p
        value = struct.unpack_from('<I', data, p)[0]
        p += 4
        return value

    n = u32()
    field_docs = {}
    for _ in range(u32()):
        field = u32()
        field_docs[field] = u32()
    field_tokens = {}
    for _ in range(u32()):
        field = u32()
        field_tokens[field] = u32()
    df = {}
    while p < len(data):
        length = u32()
        term = data[p:p + length]
        p += length
        u32()  # term number
        df[term] = u32()
        u32()  # postings
        chunks = u32()
        p += 5 * chunks
    return n, field_docs, field_tokens, df


def main():
    if len(sys.argv) != 3:
        print(__doc__.strip().splitlines()[-2], file=sys.stderr)
        return 2
    input_dir, index_dir = sys.argv[1], sys.argv[2]
    with open(os.path.join(input_dir, 'config.txt')) as f:
        config = json.load(f)

    # Word splitting is ours, done before the clock runs: the time is Xapian's
    # indexing of the same words.
    all_records = list(read_documents(input_dir, config))
    start = time.monotonic()
    documents = xapian.WritableDatabase('', xapian.DB_BACKEND_INMEMORY)
    per_field = {}
    too_long = set()
    for records in all_records:
        doc = xapian.Document()
        counts = {}
        for field, words in records:
            field_doc = xapian.Document()
            field_counts = {}
            for word in words:
                counts[word] = counts.get(word, 0) + 1
                field_counts[word] = field_counts.get(word, 0) + 1
            for word, wdf in field_counts.items():
                if len(word) <= MAX_XAPIAN_TERM:
                    field_doc.add_term(word, wdf)
            if field not in per_field:
                per_field[field] = [xapian.WritableDatabase('', xapian.DB_BACKEND_INMEMORY), 0]
            per_field[field][0].add_document(field_doc)
            per_field[field][1] += len(words)  # tokens, long terms included
        for word, wdf in counts.items():
            if len(word) <= MAX_XAPIAN_TERM:
                doc.add_term(word, wdf)
            else:
                too_long.add(word)
        documents.add_document(doc)
    documents.commit()
    xapian_seconds = time.monotonic() - start

    n, field_docs, field_tokens, df = read_term_table(os.path.join(index_dir, config['FileInfo']['WordList']))
    problems = []
    if n != documents.get_doccount():
        problems.append('N: ours %d, Xapian %d' % (n, documents.get_doccount()))
    xapian_terms = {bytes(t.term) for t in documents.allterms()}
    ours = {t for t in df if len(t) <= MAX_XAPIAN_TERM}
    for term in sorted(ours ^ xapian_terms):
        problems.append('term only in %s: %r' % ('ours' if term in ours else 'Xapian', term))
    differing = 0
    for term in sorted(ours & xapian_terms):
        if df[term] != documents.get_termfreq(term):
            differing += 1
            if differing <= 20:
                problems.append('df of %r: ours %d, Xapian %d' % (term, df[term], documents.get_termfreq(term)))
    for field, (db, tokens) in sorted(per_field.items()):
        if field_docs.get(field) != db.get_doccount():
            problems.append('documents of field %d: ours %s, Xapian %d' % (field, field_docs.get(field), db.get_doccount()))
        if field_tokens.get(field) != tokens:
            problems.append('tokens of field %d: ours %s, recount %d' % (field, field_tokens.get(field), tokens))

    print('documents %d, terms %d (%d compared, %d longer than %d bytes skipped), fields %d'
          % (n, len(df), len(ours & xapian_terms), len(too_long), MAX_XAPIAN_TERM, len(per_field)))
    print('Xapian indexing (in memory, words given): %.3f s' % xapian_seconds)
    print('terms whose df differs: %d' % differing)
    for problem in problems:
        print('  ' + problem)
    print('AGREE' if not problems else 'DISAGREE')
    return 0 if not problems else 1


if __name__ == '__main__':
    sys.exit(main())
