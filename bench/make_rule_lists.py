"""Writes the two rule-base lists of the compile benchmark (GBK text).

make_rule_lists.py DIR [NETWORKS] [WORDS]: DIR/many.txt holds NETWORKS
(default 1,000) pattern networks with alternatives, conditions, a variable,
an entry marker and an action, and one operator library; DIR/big.txt holds
one network whose first part is an alternative of WORDS (default 20,000)
distinct words.
"""
import sys


def word(i, salt=0):
    # Two GB2312 characters from the Han rows: distinct for i below 72 * 94 * 94.
    i += salt
    first = bytes([0xB0 + (i // 94) % 72, 0xA1 + i % 94])
    second = bytes([0xB0 + (i // (94 * 94)) % 72, 0xA1 + (i // 94) % 94])
    return first + second


def many(count):
    out = [b"FuncLib benchlib", b'    function Tag(id) AddUnitKV(id, "Tag", "X") end']
    for n in range(count):
        alternatives = b" ".join(word(n * 7 + k) for k in range(5))
        out += [b"FSA N%d(Dist=3)" % n, b"#param Order=No",
                b"[ " + alternatives + b" ] ?Pos=n " + word(n, 50000) + b":$x Entry: [POS=v]",
                b"{", b"  Tag($x)", b"  Return(GetWord($x))", b"}"]
    return b"\n".join(out) + b"\n"


def big(count):
    out = [b"FSA BIG", b"(", b"["]
    out += [b" ".join(word(i) for i in range(start, min(start + 100, count))) for start in range(0, count, 100)]
    out += [b"]", b"Pos=n", b")", b"{", b"  Return(1)", b"}"]
    return b"\n".join(out) + b"\n"


def main():
    folder = sys.argv[1]
    networks = int(sys.argv[2]) if len(sys.argv) > 2 else 1000
    words = int(sys.argv[3]) if len(sys.argv) > 3 else 20000
    with open(folder + "/many.txt", "wb") as f:
        f.write(many(networks))
    with open(folder + "/big.txt", "wb") as f:
        f.write(big(words))


main()
