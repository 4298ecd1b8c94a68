#!/usr/bin/env python3
"""Runs the peer engine's benchmark queries beside our closest queries on the same corpus, in one run.

  peer_compare.py build   WORK NAME VRT INPUT_DIR RELEASE_DIR   build both indexes, print wall, CPU and peak memory
  peer_compare.py queries WORK NAME RUNS RELEASE_DIR PARSER     time both engines' queries, interleaved; print the table
  peer_compare.py default WORK NAME RELEASE_DIR PARSER          our multi-word queries once more with the default capacities

WORK holds our index (WORK/index) and answers; NAME is the peer's corpus id (e.g. zh100m). The peer's
programs and query list come from cwb_bench.py of the peers folder (PEERS, CWB_ROOT as it reads them).
Our queries run in one long-lived bench/query_server process, so that engine start-up is paid once, as
the peer's index files stay in the page cache; each peer query runs in its own cqp process, whose start
(the baseline line) is part of its time.
"""
import argparse
import contextlib
import json
import os
import statistics
import subprocess
import sys

sys.path.insert(0, os.environ.get('PEERS', '/work/shared/peers'))
import cwb_bench  # noqa: E402  (the peer's programs, query list and timing helpers)

# Our closest query to each peer query, in the peer's order, and what its answer's figure is: the
# "Total" of a context answer (sentences with hits for a single search, the hits of a join), the
# count of a count answer, or the sum of a frequency list (of at most 2,000 texts). Our texts are
# matched on characters within one sentence; relations "*" pair every later word of the clause.
OURS = [
    '广州 => count',
    '中国 => count',
    '的 => count',
    '发. => count',            # 发 and one more character, not every word beginning with 发
    '中国 * <v>',
    '文件 * <v>',
    '<n> 的 <n>',
    '<a> <uj> <n>',
    '如果 * 文件',
    '发. => freq',
    '<uj> <n> => freq',
    '使用 => ctx 10 0 100',
    '中国 => ctx 10 0 1000',
    '文件 * <v>',
    '<n> 的 <n>',
    '<a> <uj> <n>',
    '<uj> <n>',
]
assert len(OURS) == len(cwb_bench.QUERIES)

# Large enough that no result of the 100M or 500M corpus is cut; see "Reading the answers" in
# docs/query-language.md for what they cost.
RAISED_CAPACITIES = {'MaxAtomSearchRetSize': 4000000, 'RetInfoMaxSize': 4000000, 'RetBuffSize': 4000000}
# Tables of our index sized for millions of units (as bench/common.bash does).
HASH_SIZES = {'HashSize_IdxUnit': 4194304, 'HashSize_WordList': 1048576, 'HashSize_SentInfo': '1048576'}


def read_config(path):
    with open(path, 'rb') as f:
        return json.loads(f.read().decode('gbk'))


def write_config(path, config):
    with open(path, 'wb') as f:
        f.write(json.dumps(config, ensure_ascii=False).encode('gbk'))


def figure(answer_path):
    """What an answer found, and '~' when it is approximate."""
    try:
        with open(answer_path, 'rb') as f:
            answer = json.loads(f.read().decode('utf-8'))
    except (OSError, ValueError):
        return 'error', ''
    if not isinstance(answer, dict) or 'Type' not in answer:
        return 'error', ''
    approx = '~' if answer.get('Approximate') == '1' else ''
    if answer['Type'] == 'Context':
        return answer.get('Total', 0), approx
    freq = answer.get('Freq', {})
    if answer['Type'] == 'Count':
        return (freq[0] if freq else 0), approx
    return sum(freq.values()) if isinstance(freq, dict) else 0, approx


def peer_query_parts(body):
    """The query of a peer command list and the command that follows its "size A;", if any."""
    lines = [line.rstrip(';') for line in body.split('\n')]
    query = next(line for line in lines if line.startswith('A = '))[len('A = '):]
    after = lines[lines.index('size A') + 1:]
    return query, '; '.join(after)


class OurEngine:
    """bench/query_server on our index: one query per line in, its latency in ms per line out."""

    def __init__(self, release, parser, index, answer_path):
        self.answer_path = answer_path
        self.proc = subprocess.Popen([os.path.join(release, 'query_server'), parser, index, answer_path],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                     text=True, encoding='utf-8')

    def run(self, query):
        self.proc.stdin.write(query + '\n')
        self.proc.stdin.flush()
        line = self.proc.stdout.readline()
        if not line:
            raise SystemExit('query_server ended at: ' + query)
        return float(line) / 1000.0

    def close(self):
        self.proc.stdin.close()
        self.proc.wait()


def build(args):
    """Builds the peer's index and ours from the same corpus and prints what each build cost."""
    os.makedirs(args.work, exist_ok=True)
    with contextlib.redirect_stdout(sys.stderr):  # its own table; ours follows
        cwb_bench.encode(argparse.Namespace(name=args.name, vrt=args.vrt, runs=1, compress=False))
    with open(os.path.join(cwb_bench.BENCH, 'results-%s-encode.json' % args.name)) as f:
        peer = json.load(f)['runs'][0]
    steps = [peer['encode'], peer['makeall']]
    peer_row = (sum(s[0] for s in steps), sum(s[2] + s[3] for s in steps), max(s[1] for s in steps))

    config = read_config(os.path.join(args.input, 'config.txt'))
    config['SizeInfo'].update(HASH_SIZES)
    config['SizeInfo'].update(RAISED_CAPACITIES)
    threads = config['SizeInfo'].get('ThreadNum_Count', '?')

    def our_build(config, name):
        """Builds our index WORK/name with config; (wall s, peak KiB, user s, sys s)."""
        config_path = os.path.join(args.work, 'config-%s.txt' % name)
        write_config(config_path, config)
        index = os.path.join(args.work, name)
        subprocess.run(['rm', '-rf', index], check=True)
        return cwb_bench.time_v(
            [os.path.join(args.release, 'build_index'), config_path, os.path.join(args.input, 'corpus.list'), index],
            os.path.join(args.work, 'build_' + name))

    ours = our_build(config, 'index')
    # Once more on one thread (its data files follow the single counting thread), then dropped.
    single = json.loads(json.dumps(config))
    single['SizeInfo'].update({'ThreadNum_Count': 1, 'ThreadNum_Offset': 1, 'ThreadNum_Sort': 1})
    one = our_build(single, 'index-1thread')
    subprocess.run(['rm', '-rf', os.path.join(args.work, 'index-1thread')], check=True)

    input_bytes = sum(os.path.getsize(os.path.join(args.input, f)) for f in os.listdir(args.input))
    print()
    print('| build | wall s | CPU s | peak MB |')
    print('|---|---:|---:|---:|')
    print('| peer (cwb-encode + cwb-makeall) | %.2f | %.2f | %.1f |' % (peer_row[0], peer_row[1], peer_row[2] / 1024))
    for label, (wall, rss, user, sys_) in (('%s threads' % threads, ours), ('1 thread', one)):
        print('| ours (build_index, %s) | %.2f | %.2f | %.1f |' % (label, wall, user + sys_, rss / 1024))
        print('| ours / peer, %s | %.2f | %.2f | %.2f |' % (label, wall / peer_row[0], (user + sys_) / peer_row[1],
                                                          rss / peer_row[2]))
    print()
    print('our input: %.1f MB in %s; our peak memory / input: %.2f (%s threads), %.2f (1 thread)' % (
        input_bytes / 1048576, args.input, ours[1] * 1024 / input_bytes, threads, one[1] * 1024 / input_bytes))


def queries(args):
    """Times every peer query and our closest one in interleaved rounds; prints one table."""
    cqp = [os.path.join(cwb_bench.CWB, 'cqp'), '-c', '-r', cwb_bench.REG, '-f']
    peer_files = [cwb_bench.cqp_file(args.name, body) for _, body in cwb_bench.QUERIES]
    out_dir = os.path.join(args.work, 'peer-out')
    os.makedirs(out_dir, exist_ok=True)
    peer_outs = [os.path.join(out_dir, 'q%02d.txt' % i) for i in range(1, len(peer_files) + 1)]
    baseline_file = cwb_bench.cqp_file(args.name, '')
    ours = OurEngine(args.release, args.parser, os.path.join(args.work, 'index'),
                     os.path.join(args.work, 'answer.json'))
    n = len(OURS)
    peer_t, our_t, our_fig, baseline = [[] for _ in range(n)], [[] for _ in range(n)], [None] * n, []
    # A warm-up round (page cache, lazy loads), then rounds that run every pair once: slow phases of
    # the machine spread over all queries instead of hitting one.
    for round_no in range(args.runs + 1):
        if round_no:
            baseline.append(cwb_bench.run_timed(cqp + [baseline_file]))
        for k in range(n):
            tp = cwb_bench.run_timed(cqp + [peer_files[k]], peer_outs[k])
            to = ours.run(OURS[k])
            if round_no == 0:
                our_fig[k] = figure(ours.answer_path)
            else:
                peer_t[k].append(tp)
                our_t[k].append(to)
    ours.close()

    print()
    print('peer: cqp start and corpus selection alone (in every peer time): %.1f ms' %
          (1000 * statistics.median(baseline)))
    print('medians of %d interleaved runs; "~" marks an approximate answer' % args.runs)
    print()
    print('| # | peer query | peer hits | our query | our hits | peer ms | our ms | ours / peer |')
    print('|---|---|---:|---|---:|---:|---:|---:|')
    for k, (_, body) in enumerate(cwb_bench.QUERIES):
        with open(peer_outs[k], encoding='utf-8', errors='replace') as f:
            lines = f.read().split('\n')
        hits = int(lines[1]) if len(lines) > 1 and lines[1].strip().isdigit() else None
        query, extra = peer_query_parts(body)
        tp, to = statistics.median(peer_t[k]), statistics.median(our_t[k])
        value, approx = our_fig[k]
        print('| %d | `%s`%s | %s | `%s` | %s%s | %.1f | %.1f | %.2f |' % (
            k + 1, query.replace('|', '\\|'), (' then `%s`' % extra) if extra else '',
            '{:,}'.format(hits) if hits is not None else '-', OURS[k].replace('|', '\\|'),
            '{:,}'.format(value) if isinstance(value, int) else value, approx, 1000 * tp, 1000 * to, to / tp))


def default_capacities(args):
    """Our multi-word queries once with the capacities of the default configuration and once raised."""
    index = os.path.join(args.work, 'index')
    config_path = os.path.join(index, 'config.txt')
    raised = read_config(config_path)
    default = json.loads(json.dumps(raised))
    for key in RAISED_CAPACITIES:
        default['SizeInfo'].pop(key, None)
    picked = sorted({q for q in OURS if '=>' not in q}, key=OURS.index)
    totals = {}
    try:
        for label, config in (('default', default), ('raised', raised)):
            write_config(config_path, config)
            ours = OurEngine(args.release, args.parser, index, os.path.join(args.work, 'answer.json'))
            for query in picked:
                ours.run(query)
                totals[label, query] = figure(ours.answer_path)
            ours.close()
    finally:
        write_config(config_path, raised)
    print()
    print('our joins with the default capacities (102,400 each) and with %s:' %
          ', '.join('%s %d' % item for item in RAISED_CAPACITIES.items()))
    print()
    print('| our query | Total, default | Total, raised |')
    print('|---|---:|---:|')
    for query in picked:
        d, r = totals['default', query], totals['raised', query]
        print('| `%s` | %s%s | %s%s |' % (query, '{:,}'.format(d[0]) if isinstance(d[0], int) else d[0], d[1],
                                         '{:,}'.format(r[0]) if isinstance(r[0], int) else r[0], r[1]))


def main():
    ap = argparse.ArgumentParser()
    sub = ap.add_subparsers(dest='cmd', required=True)
    b = sub.add_parser('build')
    for name in ('work', 'name', 'vrt', 'input', 'release'):
        b.add_argument(name)
    q = sub.add_parser('queries')
    for name in ('work', 'name'):
        q.add_argument(name)
    q.add_argument('runs', type=int)
    for name in ('release', 'parser'):
        q.add_argument(name)
    d = sub.add_parser('default')
    for name in ('work', 'name', 'release', 'parser'):
        d.add_argument(name)
    args = ap.parse_args()
    {'build': build, 'queries': queries, 'default': default_capacities}[args.cmd](args)


if __name__ == '__main__':
    main()
