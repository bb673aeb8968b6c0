#!/usr/bin/env python3
"""Tests of the scripture references found in the documents' text: the forms
the sources use, what stays text, and how many each source holds."""

import os
import re
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True
sys.path.insert(0, HERE)

import scripture_links  # noqa: E402
import sources  # noqa: E402


def linker():
    books = sources.read_books()
    counts = {}
    for book, chapter, verse, _ in sources.read_kjv():
        counts[(book, chapter)] = max(counts.get((book, chapter), 0), verse)
    return scripture_links.Linker(counts, {b.number: b.abbr for b in books})


LINK = re.compile(r'<a href="kelvaro:([^"]+)">([^<]*)</a>')

# text, the links made (target and linked text)
CASES = [
    ("a daughter of Levi (Ex. 6:20).", [("Exod+6:20", "Ex. 6:20")]),
    ("by God (Ex. 4:14, 27-30) to meet", [("Exod+4:14", "Ex. 4:14"), ("Exod+4:27", "27-30")]),
    ("(Ex. 19:24; 24:9-11)", [("Exod+19:24", "Ex. 19:24"), ("Exod+24:9", "24:9-11")]),
    ("(6:23; 1 Chr. 2:10)", [("1Chr+2:10", "1 Chr. 2:10")]),
    ("(2:1, 4; 7:7)", []),
    ("(Lev. 8; 9)", [("Lev+8:1", "Lev. 8"), ("Lev+9:1", "9")]),
    ("see Jr 2:2; 3:1; also", [("Jer+2:2", "Jr 2:2"), ("Jer+3:1", "3:1")]),
    ("Gen. 1:1, 2 Kings 3:4", [("Gen+1:1", "Gen. 1:1"), ("2Kgs+3:4", "2 Kings 3:4")]),
    ("Song of Solomon 2:1", [("Song+2:1", "Song of Solomon 2:1")]),
    ("(Ge 8:13-19)", [("Gen+8:13", "Ge 8:13-19")]),
    ("1Co 13:4 and 1Jo 5:20", [("1Cor+13:4", "1Co 13:4"), ("1John+5:20", "1Jo 5:20")]),
    ("Jude 3 and 2 John 4", [("Jude+1:3", "Jude 3"), ("2John+1:4", "2 John 4")]),
    # No such verse, no such chapter: text.
    ("(Isa. 57:20; Jer. 38:60)", [("Isa+57:20", "Isa. 57:20")]),
    ("Matthew 42 and Gen. 51:3", []),
    # Words that are no book, and a two-letter name without a verse.
    ("Chapter 3:16 and So 2 things; He 4", []),
    ("<b>Ps. 23:1</b> & more", [("Ps+23:1", "Ps. 23:1")]),
]


class References(unittest.TestCase):
    def test_forms(self):
        links = linker()
        for text, expected in CASES:
            with self.subTest(text=text):
                out = links.link(text)
                self.assertEqual(LINK.findall(out), expected)
                # Nothing of the text is lost, and it is escaped once.
                plain = re.sub(r"<[^>]+>", "", out)
                self.assertEqual(plain.replace("&lt;", "<").replace("&gt;", ">")
                                 .replace("&amp;", "&"), text)

    def test_counts_of_the_sources(self):
        easton, mhc = linker(), linker()
        for entry in sources.read_easton():
            for text in entry.definitions:
                easton.link(text)
            for ref in entry.refs:
                easton.link(ref)
        for book in sources.read_books():
            intro, chapters = sources.read_mhc(book)
            for _, text in intro + [b for blocks in chapters.values() for b in blocks]:
                mhc.link(text)
        self.assertEqual((easton.found, easton.resolved), (52999, 52871))
        self.assertEqual((mhc.found, mhc.resolved), (1418, 1418))


if __name__ == "__main__":
    unittest.main()
