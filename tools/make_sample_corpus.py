#!/usr/bin/env python3
"""Regenerates the realistic sample corpus in tests/data/sample/.

The test suite only reads the committed files; this script is for developers
who want to rebuild them.  It needs the Debian packages fortunes-zh (the
Chinese poems and quotations) and python3-jieba (segmentation and tagging):

    apt-get install -y fortunes-zh python3-jieba
    /usr/bin/python3 tools/make_sample_corpus.py          # from the repository root

Output (GBK; characters GBK cannot encode are dropped):
    tang.txt, song.txt, prose.txt   word/tag sequence files, one sentence a line
    tree_square.txt                 [IP [NP [word TAG]] ...] tree lines
    tree_round.txt                  (IP (NP (TAG word)) ...) tree lines
    corpus.lst                      the five files by bare name

The list names the files relative to its own folder; the index builder opens
them from the current folder, so run it there or prefix the names.

Documents start with "Doc TITLE".  The first document of prose.txt comes
before any "Doc " line (its name stays empty) and tree_round.txt has no
"Doc " line at all (one document with the default name).  Every document
carries "#Global" information: author, dynasty, Cat (a "_" path), time_year (a
year, or a yyyymmdd date in prose.txt) and num_page (a page number running
through its file); song.txt separates the items by blanks, the others by ";".
Titles and authors are "Item:" sentences under the position tags set by
"POS="/"Pos="/"pos=" lines (title, author, quote); the parts of a multi-poem
entry in song.txt and the quotations in prose.txt are split by "#Group" lines.

The output is the same on every run: inputs are read in a fixed order and the
metadata comes from a seeded generator.  After writing, the script reads the
files back through the list (strict GBK) and prints each file's detected kind.
"""

import os
import random
import re
import sys

import jieba
import jieba.posseg as pseg

FORTUNES = "/usr/share/games/fortunes"
OUT_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "data", "sample")
SEED = 20261210

ANSI = re.compile(r"\x1b\[[0-9;]*m")
TITLE = re.compile(r"《(.+?)》")
HAN = re.compile(r"[\u4e00-\u9fff]")
SENTENCE_END = re.compile(r"(?<=[。！？])")


def gbk_clean(text):
    """Drops what GBK cannot encode, so every written line is plain GBK."""
    return text.encode("gbk", errors="ignore").decode("gbk")


def read_fortunes(name):
    """Entries of a fortune file as lists of lines, ANSI colours removed."""
    with open(os.path.join(FORTUNES, name), encoding="utf-8") as f:
        text = ANSI.sub("", f.read())
    entries = []
    for chunk in text.split("\n%\n"):
        lines = [line.rstrip() for line in chunk.strip("\n").split("\n")]
        if any(line.strip() for line in lines):
            entries.append(lines)
    return entries


def tag_tokens(text):
    """jieba word/tag pairs of a text; blank tokens are left out."""
    pairs = []
    for token in pseg.cut(gbk_clean(text)):
        word = token.word.strip()
        if word:
            pairs.append((word, token.flag))
    return pairs


def seq_line(pairs):
    return " ".join("%s/%s" % pair for pair in pairs)


class Metadata:
    """Seeded edition years, and page numbers running through one file."""

    def __init__(self, rng):
        self.rng = rng
        self.page = 1

    def next_page(self, sentences):
        page = self.page
        self.page += 1 + sentences // 12
        return page

    def year(self):
        return self.rng.randint(1956, 2023)

    def date(self):
        return "%04d%02d%02d" % (self.year(), self.rng.randint(1, 12), self.rng.randint(1, 28))


class CorpusFile:
    def __init__(self, name):
        self.name = name
        self.lines = []

    def add(self, line):
        self.lines.append(gbk_clean(line))

    def write(self):
        data = "".join(line + "\n" for line in self.lines).encode("gbk")
        with open(os.path.join(OUT_DIR, self.name), "wb") as f:
            f.write(data)
        return len(self.lines), len(data)


def author_of(line):
    # "作者：张九龄" or "作者:柳开（９４６－９９９）"
    name = re.split(r"[：:]", line, maxsplit=1)[1]
    match = re.match(r"(.+?)（(\S+?)－(\S+?)）", name)
    if match:
        born, died = (s.translate(str.maketrans("０１２３４５６７８９", "0123456789"))
                      for s in match.group(2, 3))
        return match.group(1).strip(), born, died
    return name.strip(), None, None


def make_tang(rng):
    """Tang poems: a named document per poem, title and author as tagged items."""
    meta = Metadata(rng)
    out = CorpusFile("tang.txt")
    out.add("POS=text")
    for lines in read_fortunes("tang300"):
        title = TITLE.search(lines[0]).group(1)
        author, _, _ = author_of(lines[1])
        verses = [line.strip() for line in lines[2:] if line.strip()]
        out.add("Doc " + title)
        out.add("#Global author=%s;dynasty=唐;Cat=诗_唐诗;time_year=%d;num_page=%d"
                % (author, meta.year(), meta.next_page(len(verses))))
        out.add("POS=title")
        out.add("Item:" + seq_line(tag_tokens(title)))
        out.add("POS=author")
        out.add("Item:" + seq_line(tag_tokens(author)))
        out.add("POS=text")
        for verse in verses:
            out.add(seq_line(tag_tokens(verse)))
    return out


def make_song(rng):
    """Song poems; the parts of a multi-poem entry are split by group lines."""
    meta = Metadata(rng)
    out = CorpusFile("song.txt")
    for lines in read_fortunes("song100"):
        title = TITLE.search(lines[0]).group(1)
        author, born, died = author_of(lines[1])
        body = [line.strip() for line in lines[2:] if line.strip()]
        verses = [line for line in body if not re.fullmatch(r"其[一二三四五六七八九十]+", line)]
        out.add("Doc " + title)
        info = ["author=" + author, "dynasty=宋"]
        if born:
            info += ["born=" + born, "died=" + died]
        info += ["Cat=诗_宋诗", "time_year=%d" % meta.year(),
                 "num_page=%d" % meta.next_page(len(verses))]
        out.add("#Global " + " ".join(info))
        out.add("Pos=title")
        out.add("Item:" + seq_line(tag_tokens(title)))
        parts = 0
        for line in body:
            if line in ("其一", "其二", "其三", "其四", "其五"):
                parts += 1
                if parts > 1:
                    out.add("#Group=text")
                continue
            out.add(seq_line(tag_tokens(line)))
    return out


# Quotation authors taken from the general collection, with their era.
PROSE_AUTHORS = {
    "钱钟书": "现代", "鲁迅": "现代", "老舍": "现代", "巴金": "现代",
    "论语": "先秦", "荀子": "先秦", "谚语": "民间",
    "辛弃疾": "宋", "苏轼": "宋", "李清照": "宋", "柳永": "宋", "范仲淹": "宋",
    "李白": "唐", "杜甫": "唐", "白居易": "唐", "张若虚": "唐", "温庭筠": "唐",
    "李煜": "五代",
}


PROSE_SENTENCES_PER_AUTHOR = 150


def prose_author(signature):
    sig = signature.strip().lstrip("-").strip()
    for name in PROSE_AUTHORS:
        if sig.startswith(name) or sig.startswith("《" + name):
            return name
    return None


def prose_sentences(lines):
    text = "".join(line.strip() for line in lines)
    text = re.sub(r"（《.*?》）", "", text)
    return [s for s in SENTENCE_END.split(text) if HAN.search(s)]


def make_prose(rng):
    """Quotations grouped by author into documents; the first group has no name."""
    by_author = {}
    for lines in read_fortunes("chinese"):
        sig = [i for i, line in enumerate(lines) if line.strip().startswith("--")]
        if not sig:
            continue
        author = prose_author(lines[sig[-1]])
        if author:
            by_author.setdefault(author, []).append(lines[:sig[-1]])
    meta = Metadata(rng)
    out = CorpusFile("prose.txt")
    out.add("pos=quote")
    for n, author in enumerate(sorted(by_author, key=lambda a: list(PROSE_AUTHORS).index(a))):
        entries = []
        for entry in by_author[author]:
            sentences = prose_sentences(entry)
            if sum(map(len, entries)) + len(sentences) > PROSE_SENTENCES_PER_AUTHOR:
                break
            entries.append(sentences)
        if n > 0:
            out.add("Doc %s语录" % author)
        out.add("#Global author=%s;dynasty=%s;Cat=文_语录_%s;time_year=%s;num_page=%d"
                % (author, PROSE_AUTHORS[author], PROSE_AUTHORS[author],
                   meta.date(), meta.next_page(sum(map(len, entries)))))
        out.add("Item:" + seq_line(tag_tokens(author)))
        for i, sentences in enumerate(entries):
            if i > 0:
                out.add("#Group")
            for sentence in sentences:
                out.add(seq_line(tag_tokens(sentence)))
    return out


# Hand-written tree-bank sentences (square notation; the round file gets the
# same trees converted).
HAND_TREES = [
    "[IP [NP [中国 NR]] [VP [发展 VV]]]",
    "[IP [NP [我 PN]] [VP [爱 VV] [NP [北京 NR] [天安门 NR]]] [。 PU]]",
    "[IP [NP [经济 NN] [建设 NN]] [VP [ADVP [稳步 AD]] [VP [推进 VV]]] [。 PU]]",
    "[IP [NP [他 PN]] [VP [是 VC] [NP [DNP [NP [北京 NR]] [的 DEG]] [NP [学生 NN]]]] [。 PU]]",
    "[IP [NP [QP [三 CD] [CLP [位 M]]] [NP [专家 NN]]] [VP [PP [在 P] [NP [会上 NN]]] [VP [发言 VV]]] [。 PU]]",
    "[IP [NP [春风 NN]] [VP [吹 VV] [过 AS] [NP [江南 NR] [岸 NN]]] [。 PU]]",
    "[IP [IP [NP [明月 NN]] [VP [PP [从 P] [NP [松间 NN]]] [VP [照 VV]]]] [， PU] "
    "[IP [NP [清泉 NN]] [VP [PP [在 P] [NP [石上 NN]]] [VP [流 VV]]]] [。 PU]]",
    "[IP [NP-SBJ [学生 NN] [们 NN]] [VP [ADVP [正在 AD]] [VP [阅读 VV] [NP-OBJ [唐诗 NN]]]] [。 PU]]",
    "[IP [NP [这 DT] [本 M] [书 NN]] [VP [ADVP [很 AD]] [VP [有趣 VA]]] [。 PU]]",
    "[IP [LCP [NP [会议 NN]] [期间 LC]] [， PU] [NP [代表 NN] [们 NN]] "
    "[VP [讨论 VV] [了 AS] [NP [QP [12 CD] [CLP [项 M]]] [NP [议案 NN]]]] [。 PU]]",
    "[CP [IP [NP [你 PN]] [VP [去 VV] [NP [哪里 PN]]]] [呢 SP] [？ PU]]",
    "[IP [NP [老师 NN]] [VP [说 VV] [IP [NP [诗歌 NN]] [VP [是 VC] [NP [心灵 NN] [的 DEG] [声音 NN]]]]] [。 PU]]",
    "[IP [NP [小明 NR]] [VP [把 BA] [IP [NP [作业 NN]] [VP [做 VV] [完 VV]]]] [了 SP] [。 PU]]",
    # Traditional characters whose second GBK byte is "]" or "[" (郵 閉 揮 覽).
    "[IP [NP [郵局 NN]] [VP [ADVP [已經 AD]] [VP [關閉 VV]]] [。 PU]]",
    "[IP [NP [遊客 NN]] [VP [揮 VV] [手 NN]] [， PU] [VP [遊覽 VV] [NP [西湖 NR]]] [。 PU]]",
    "[IP [ADVP [昨天 NT]] [NP [我们 PN]] [VP [VP [读 VV] [NP [李白 NR] [的 DEG] [诗 NN]]] [， PU] "
    "[VP [唱 VV] [NP [苏轼 NR] [的 DEG] [词 NN]]]] [。 PU]]",
]


def square_to_round(tree):
    """[LABEL ...] becomes (LABEL ...); a leaf [word TAG] becomes (TAG word)."""
    tree = re.sub(r"\[([^\s\[\]]+) ([^\s\[\]]+)\]", r"(\2 \1)", tree)
    return tree.replace("[", "(").replace("]", ")")


JIEBA_TO_TREE_TAG = {
    "n": "NN", "nr": "NR", "ns": "NR", "nt": "NR", "nz": "NR", "ng": "NN", "t": "NT",
    "v": "VV", "vn": "NN", "vd": "VV", "vg": "VV", "a": "VA", "ad": "AD", "an": "NN",
    "ag": "VA", "z": "VA", "d": "AD", "df": "AD", "r": "PN", "m": "CD", "mq": "CD",
    "q": "M", "p": "P", "c": "CC", "u": "DEC", "uj": "DEG", "ul": "AS", "uz": "AS",
    "f": "LC", "s": "NN", "x": "PU", "y": "SP", "e": "IJ", "o": "ON", "l": "NN",
    "i": "NN", "j": "NN", "b": "JJ", "k": "NN", "h": "NN", "g": "NN", "zg": "NN",
}


def clause_tree(pairs, leaf):
    """One clause as [IP [NP ...] [VP ...]], split before its first verb."""
    verb = next((i for i, (_, tag) in enumerate(pairs) if tag.startswith("v") and tag != "vn"), None)
    leaves = [leaf(word, JIEBA_TO_TREE_TAG.get(tag, tag.upper())) for word, tag in pairs]
    if verb is None:
        return "[NP %s]" % " ".join(leaves)
    parts = []
    if verb > 0:
        parts.append("[NP %s]" % " ".join(leaves[:verb]))
    parts.append("[VP %s]" % " ".join(leaves[verb:]))
    return "[IP %s]" % " ".join(parts)


def sentence_tree(pairs):
    """A poem line as a tree: clauses split at punctuation under one IP."""
    leaf = lambda word, tag: "[%s %s]" % (word, tag)
    parts, clause = [], []
    for word, tag in pairs:
        if tag == "x":
            if clause:
                parts.append(clause_tree(clause, leaf))
                clause = []
            parts.append(leaf(word, "PU"))
        else:
            clause.append((word, tag))
    if clause:
        parts.append(clause_tree(clause, leaf))
    return "[IP %s]" % " ".join(parts)


def tree_safe(pairs):
    return all(not re.search(r"[\s\[\]()/]", word) for word, _ in pairs)


def make_trees(song, rng):
    """Hand-written trees plus trees wrapped around tagged Song verses.

    The square file has named documents; the round file has no "Doc " line,
    so it is one document that takes the default name."""
    verses = [line for line in song.lines
              if line and not line.startswith(("Doc ", "#", "Item:", "Pos="))]
    pairs = [[tuple(tok.rsplit("/", 1)) for tok in verse.split(" ")] for verse in verses]
    wrapped = [sentence_tree(p) for p in pairs if tree_safe(p)]
    rng.shuffle(wrapped)

    square = CorpusFile("tree_square.txt")
    square.add("Doc 树库样例")
    square.add("#Global author=编者;dynasty=现代;Cat=树库_手工;time_year=2021;num_page=1")
    for tree in HAND_TREES:
        square.add(tree)
    for n in range(3):
        square.add("Doc 宋诗树库%d" % (n + 1))
        square.add("#Global author=宋诗选;dynasty=宋;Cat=树库_自动;time_year=%d;num_page=%d"
                   % (2000 + 5 * n, 2 + n))
        for tree in wrapped[50 * n:50 * (n + 1)]:
            square.add(tree)

    round_ = CorpusFile("tree_round.txt")
    round_.add("#Global author=编者;dynasty=现代;Cat=树库_转写;time_year=2022;num_page=5")
    for tree in HAND_TREES + wrapped[150:250]:
        round_.add(square_to_round(tree))
    return [square, round_]


def file_kind(lines):
    """Tree-file detection as the index builder does it: 1 square, 2 round, 0 sequences."""
    considered = trees = kind = 0
    for line in lines:
        if (not line or line.startswith((b"Doc ", b"#Global", b"#Group", b"pos=", b"Pos=", b"POS="))
                or "齄".encode("gbk") in line or not line.removeprefix(b"Item:")):
            continue
        considered += 1
        depth, count, i, tagged = {b"[": 0, b"(": 0}, {b"[": 0, b"(": 0}, 0, False
        while i < len(line):
            c = line[i:i + 1]
            if c[0] >= 0x80:
                i += 2
                continue
            pair = {b"[": b"[", b"]": b"[", b"(": b"(", b")": b"("}.get(c)
            if pair:
                if line[i + 1:i + 2] == b"/":
                    tagged = True
                    break
                depth[pair] += 1 if c in (b"[", b"(") else -1
                count[pair] += 1
            i += 1
        if not tagged and depth[b"["] == 0 and count[b"["] > 3:
            trees, kind = trees + 1, 1
        elif not tagged and depth[b"("] == 0 and count[b"("] > 3:
            trees, kind = trees + 1, 2
        if considered == 2000:
            break
    return kind if considered and trees > 0.4 * considered else 0


def check(list_path):
    """Reads the written corpus back through its list: strict GBK, kinds, documents."""
    folder = os.path.dirname(list_path)
    with open(list_path, "rb") as f:
        names = [line.rstrip(b"\r\n") for line in f]
    names = [n for n in names if n and n[:1] not in (b" ", b"#", b"-", b"\\")]
    for name in names:
        with open(os.path.join(folder, name.decode()), "rb") as f:
            data = f.read()
        data.decode("gbk")  # raises on anything that is not GBK
        lines = data.split(b"\n")[:-1]
        docs = [l[4:].decode("gbk") for l in lines if l.startswith(b"Doc ")]
        print("%-16s kind %d, %d Doc lines, first %s"
              % (name.decode(), file_kind(lines), len(docs), docs[:2]))


def main():
    jieba.setLogLevel(60)
    os.makedirs(OUT_DIR, exist_ok=True)
    rng = random.Random(SEED)
    tang = make_tang(rng)
    song = make_song(rng)
    files = [tang, song, make_prose(rng)] + make_trees(song, rng)
    total = 0
    for f in files:
        lines, size = f.write()
        total += size
        print("%-16s %6d lines %8d bytes" % (f.name, lines, size))
    with open(os.path.join(OUT_DIR, "corpus.lst"), "w", encoding="ascii") as f:
        f.write("# Sample corpus; paths are relative to this list's folder.\n")
        for out in files:
            f.write(out.name + "\n")
    print("total %d bytes" % total)
    check(os.path.join(OUT_DIR, "corpus.lst"))


if __name__ == "__main__":
    sys.exit(main())
