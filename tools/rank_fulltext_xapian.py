#!/usr/bin/python3
"""Compare the ranked full-text search with BM25 computed from Xapian.

Reads the builder's input (INPUT_DIR, as compare_fulltext_xapian.py does) and
indexes its words with Xapian: one database of whole documents (N, df) and
one per field (field lengths, average length, within-field frequencies). It
makes 20 queries (ten single terms and ten of two terms, one of them twice,
spread over the terms that some but not all documents hold), runs them
through DRIVER (tests' fulltext_ranking program, the ten best documents and
their scores) over INDEX_DIR, and checks them against:

 1. the BM25 of the ranked search computed from Xapian's statistics: per field
    record idf * tf (k1 + 1) / (tf + k1 (1 - b + b dl / avgdl)) * qtf (k3 + 1)
    / (qtf + k3), idf = ln((N - df + 0.5) / (df + 0.5) + 1), avgdl the field's
    tokens per record rounded down, summed over the document's fields. The ten
    best documents and their scores must agree (exit status 1 otherwise).
 2. Xapian's own ranking with BM25Weight and the same k1, b and k3 (k2 = 0),
    per field database, summed over fields. Its idf is Xapian's
    log((N - df + 0.5) / (df + 0.5)) per field and its average length is not
    rounded, so scores differ; the overlap of the ten best is reported.

With REPEAT > 0 both sides run every query REPEAT more times and the median
and 95th-percentile latency of one query are printed: ours (the driver's
ranked search of the ten best) and Xapian's (an Enquire over the whole-document
database with BM25Weight, the ten best).

Usage: rank_fulltext_xapian.py INPUT_DIR INDEX_DIR DRIVER [REPEAT]
"""

import json
import math
import os
import subprocess
import sys
import tempfile
import time

import xapian

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from compare_fulltext_xapian import MAX_XAPIAN_TERM, read_named_documents  # noqa: E402

QUERIES = 20
BEST = 10


def size_value(config, key, default):
    value = config.get('SizeInfo', {}).get(key, default)
    return float(value)


def make_queries(documents):
    docs_of = {}
    for d, (_, records) in enumerate(documents):
        for _, words in records:
            for word in words:
                docs_of.setdefault(word, set()).add(d)
    n = len(documents)
    terms = sorted(t for t, docs in docs_of.items()
                   if 2 <= len(docs) < n and b'/' not in t and len(t) <= MAX_XAPIAN_TERM)
    step = len(terms) // QUERIES
    if step == 0:
        raise SystemExit('too few terms for %d queries' % QUERIES)
    queries = []
    for i in range(QUERIES):
        if i < QUERIES // 2:
            queries.append([terms[i * step]])
        else:
            queries.append([terms[i * step], terms[i * step + step // 2], terms[i * step]])
    return queries


def percentile(sorted_times, share):
    rank = max(1, math.ceil(share * len(sorted_times)))
    return sorted_times[rank - 1]


def main():
    if len(sys.argv) not in (4, 5):
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    input_dir, index_dir, driver = sys.argv[1:4]
    repeat = int(sys.argv[4]) if len(sys.argv) == 5 else 0
    with open(os.path.join(input_dir, 'config.txt')) as f:
        config = json.load(f)
    k1 = size_value(config, 'BM_K1', 2)
    k3 = size_value(config, 'BM_K2', 1)
    b = size_value(config, 'BM_B', 0.75)

    documents = list(read_named_documents(input_dir, config))
    whole = xapian.WritableDatabase('', xapian.DB_BACKEND_INMEMORY)
    fields = {}  # field -> (database, {docid: document number})
    for d, (_, records) in enumerate(documents):
        doc = xapian.Document()
        counts = {}
        for field, words in records:
            field_counts = {}
            for word in words:
                counts[word] = counts.get(word, 0) + 1
                field_counts[word] = field_counts.get(word, 0) + 1
            field_doc = xapian.Document()
            for word, wdf in field_counts.items():
                if len(word) <= MAX_XAPIAN_TERM:
                    field_doc.add_term(word, wdf)
            if field not in fields:
                fields[field] = (xapian.WritableDatabase('', xapian.DB_BACKEND_INMEMORY), {})
            db, owners = fields[field]
            owners[db.add_document(field_doc)] = d
        for word, wdf in counts.items():
            if len(word) <= MAX_XAPIAN_TERM:
                doc.add_term(word, wdf)
        whole.add_document(doc)
    whole.commit()

    queries = make_queries(documents)
    names = [name for name, _ in documents]
    n = whole.get_doccount()

    def recompute(query):
        qtf = {}
        for term in query:
            qtf[term] = qtf.get(term, 0) + 1
        scores = {}
        for db, owners in fields.values():
            avgdl = db.get_total_length() // db.get_doccount()
            for term, q in qtf.items():
                df = whole.get_termfreq(term)
                idf = math.log((n - df + 0.5) / (df + 0.5) + 1)
                for posting in db.postlist(term):
                    tf, dl = posting.wdf, db.get_doclength(posting.docid)
                    part = idf * tf * (k1 + 1) / (tf + k1 * (1 - b + b * dl / avgdl)) * q * (k3 + 1) / (q + k3)
                    owner = owners[posting.docid]
                    scores[owner] = scores.get(owner, 0.0) + part
        return scores

    def xapian_ranking(query):
        scores = {}
        for db, owners in fields.values():
            enquire = xapian.Enquire(db)
            enquire.set_weighting_scheme(xapian.BM25Weight(k1, 0, k3, b, 0))
            enquire.set_query(xapian.Query(xapian.Query.OP_OR, query))
            for match in enquire.get_mset(0, db.get_doccount()):
                owner = owners[match.docid]
                scores[owner] = scores.get(owner, 0.0) + match.weight
        return sorted(scores, key=lambda d: (-scores[d], d))[:BEST]

    with tempfile.NamedTemporaryFile('wb', suffix='.txt', delete=False) as f:
        for query in queries:
            f.write(b' '.join(query) + b'\n')
        query_file = f.name
    try:
        # Relative paths of the configuration (the stop-word file) are the
        # input folder's, as when the index was built.
        run = subprocess.run([os.path.abspath(driver), 'config.txt', os.path.abspath(index_dir), query_file,
                              str(repeat)], capture_output=True, check=True, cwd=input_dir)
    finally:
        os.unlink(query_file)
    ours = {}
    latency = None
    current = None
    for line in run.stdout.split(b'\n'):
        if line.startswith(b'Q '):
            current = int(line[2:])
            ours[current] = []
        elif line.startswith(b'D ') and current is not None:
            name, score = line[2:].rsplit(b' ', 1)
            ours[current].append((name, float(score)))
        elif line.startswith(b'LATENCY '):
            latency = [float(v) for v in line.split()[1:3]]

    problems = []
    overlap_total = 0
    top_agree = 0
    for i, query in enumerate(queries):
        scores = recompute(query)
        by_name = {names[d]: s for d, s in scores.items()}
        expected = sorted(scores.values(), reverse=True)[:BEST]
        got = ours.get(i, [])
        if len(got) != len(expected):
            problems.append('query %d: %d documents, recomputed %d' % (i, len(got), len(expected)))
            continue
        for rank, ((name, score), want) in enumerate(zip(got, expected)):
            if abs(score - want) > 1e-3 * max(1.0, want) or abs(by_name.get(name, -1) - score) > 1e-3 * max(1.0, score):
                problems.append('query %d rank %d: %r scores %.6f, recomputed %.6f (rank score %.6f)'
                                % (i, rank, name, score, by_name.get(name, float('nan')), want))
        theirs = [names[d] for d in xapian_ranking(query)]
        mine = [name for name, _ in got]
        overlap_total += len(set(theirs) & set(mine))
        top_agree += int(bool(theirs) and bool(mine) and theirs[0] == mine[0])

    print('documents %d, fields %d, k1 %.2f, b %.2f, k3 %.2f, %d queries'
          % (n, len(fields), k1, b, k3, len(queries)))
    print('ten best and their scores equal the BM25 from Xapian statistics: %s'
          % ('yes' if not problems else 'NO'))
    for problem in problems[:20]:
        print('  ' + problem)
    print("Xapian's own BM25Weight ranking: ten best shared %d of %d, same best document in %d of %d queries"
          % (overlap_total, sum(min(BEST, len(ours.get(i, []))) for i in range(len(queries))), top_agree,
             len(queries)))

    if repeat > 0 and latency:
        enquire = xapian.Enquire(whole)
        enquire.set_weighting_scheme(xapian.BM25Weight(k1, 0, k3, b, 0))
        times = []
        for _ in range(repeat):
            for query in queries:
                start = time.perf_counter()
                enquire.set_query(xapian.Query(xapian.Query.OP_OR, query))
                enquire.get_mset(0, BEST)
                times.append((time.perf_counter() - start) * 1000)
        times.sort()
        print('query latency, ours: median %.4f ms, p95 %.4f ms' % (latency[0], latency[1]))
        print('query latency, Xapian: median %.4f ms, p95 %.4f ms' % (percentile(times, 0.5), percentile(times, 0.95)))
        print('ratio Xapian / ours (median): %.2f' % (percentile(times, 0.5) / latency[0]))
    return 0 if not problems else 1


if __name__ == '__main__':
    sys.exit(main())
