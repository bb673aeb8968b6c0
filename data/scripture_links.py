"""Scripture references in the text of the reference documents, found so that
the documents can link them to the verse ("kelvaro:John+3:16"), which the
program opens in a reader. Standard library only.

A reference starts with a book's name or one of the abbreviations the sources
use ("Gen.", "1 Chr.", "Ge", "1Co", "Psa") followed by a chapter, and usually
":" and a verse. What follows it in the same citation belongs to the same
book: more verses after "," ("Ex. 4:14, 27-30"), other chapters after ";"
("Ex. 19:24; 24:9-11"). A number the sources give without any book (Easton's
"(2:1, 4; 7:7)", meaning the book cited last) is left as text: which book it
means is a guess. A reference that names no verse of the King James Version
(no such chapter or verse) stays text too.
"""

import html
import re

# Book number -> the names and abbreviations that mean it: lower case, a
# leading number written without a blank, no final period.
ALIASES = {
    1: "genesis gen ge gn",
    2: "exodus exod exo ex",
    3: "leviticus lev le lv",
    4: "numbers num numb nu nm",
    5: "deuteronomy deut deu de dt",
    6: "joshua josh jos",
    7: "judges judg jdg jud judge",
    8: "ruth ru",
    9: "1samuel 1sam 1sa 1sm",
    10: "2samuel 2sam 2sa 2sm",
    11: "1kings 1kgs 1ki 1kin",
    12: "2kings 2kgs 2ki 2kin",
    13: "1chronicles 1chron 1chr 1ch",
    14: "2chronicles 2chron 2chr 2ch",
    15: "ezra ezr",
    16: "nehemiah neh ne",
    17: "esther esth est es",
    18: "job",
    19: "psalms psalm ps psa",
    20: "proverbs prov pr pro",
    21: "ecclesiastes eccl eccles ec ecc",
    22: "song cant canticles so",
    23: "isaiah isa is",
    24: "jeremiah jer jr",
    25: "lamentations lam la",
    26: "ezekiel ezek eze",
    27: "daniel dan da dn",
    28: "hosea hos ho",
    29: "joel joe",
    30: "amos am",
    31: "obadiah obad ob",
    32: "jonah jon",
    33: "micah mic mi",
    34: "nahum nah na",
    35: "habakkuk hab ha",
    36: "zephaniah zeph zep",
    37: "haggai hag",
    38: "zechariah zech zec",
    39: "malachi mal",
    40: "matthew matt mat mt",
    41: "mark mr mk",
    42: "luke lu lk",
    43: "john joh jn",
    44: "acts ac",
    45: "romans rom ro",
    46: "1corinthians 1cor 1co",
    47: "2corinthians 2cor 2co",
    48: "galatians gal ga",
    49: "ephesians eph ep",
    50: "philippians phil php",
    51: "colossians col",
    52: "1thessalonians 1thess 1thes 1th",
    53: "2thessalonians 2thess 2thes 2th",
    54: "1timothy 1tim 1ti",
    55: "2timothy 2tim 2ti",
    56: "titus tit",
    57: "philemon phlm phm philem",
    58: "hebrews heb he",
    59: "james jas",
    60: "1peter 1pet 1pe",
    61: "2peter 2pet 2pe",
    62: "1john 1jo 1jn",
    63: "2john 2jo 2jn",
    64: "3john 3jo 3jn",
    65: "jude",
    66: "revelation rev re",
}

BOOK_OF = {}
for _number, _names in ALIASES.items():
    for _name in _names.split():
        assert _name not in BOOK_OF, _name
        BOOK_OF[_name] = _number

# "Song of Solomon 2:1" has blanks of its own.
_SONG = r"Song\s+of\s+(?:Solomon|Songs)"
_BOOK = r"(?P<book>%s|(?:[1-3]\s?)?[A-Z][a-z]{1,14})(?P<dot>\.?)" % _SONG
_NUMBER = r"[1-9][0-9]{0,2}"
_RANGE = r"(?:\s?[-\u2013]\s?%s(?::%s)?)?" % (_NUMBER, _NUMBER)
# A book, then a chapter and maybe a verse: "Gen. 11:27", "Ps 23", "1Co 13:4-7".
_START = re.compile(r"\b%s\s+(?P<chapter>%s)(?::(?P<verse>%s)%s)?(?![0-9A-Za-z])"
                    % (_BOOK, _NUMBER, _NUMBER, _RANGE))
# What may follow in the same citation: ", 27-30" (a verse of the same
# chapter) or "; 24:9-11" (another chapter of the same book). A number that
# another book's name follows ("; 2 Kings 3:4") is that book's, not a verse.
_MORE = re.compile(r"(?P<sep>\s?[,;]\s?)(?P<first>%s)(?::(?P<second>%s))?%s(?![0-9A-Za-z:])"
                   r"(?!\s?[A-Z][a-z])" % (_NUMBER, _NUMBER, _RANGE))


# Obadiah, Philemon, 2 and 3 John, Jude.
ONE_CHAPTER = {31, 57, 63, 64, 65}


def book_number(name):
    key = re.sub(r"\s+", "", name).lower()
    if key.startswith("songof"):
        return 22
    return BOOK_OF.get(key)


class Linker:
    """Finds and links references; counts what it found and what resolved."""

    def __init__(self, verse_counts, abbreviations):
        # verse_counts: {(book, chapter): verses}; abbreviations: {book: "John"}
        self.verse_counts = verse_counts
        self.abbreviations = abbreviations
        self.found = 0
        self.resolved = 0

    def target(self, book, chapter, verse):
        """The link for a verse, or None when the Bible has no such verse."""
        count = self.verse_counts.get((book, chapter))
        if count is None or verse > count:
            return None
        return "kelvaro:%s+%d:%d" % (self.abbreviations[book], chapter, verse)

    def _link(self, out, text, book, chapter, verse):
        self.found += 1
        href = self.target(book, chapter, verse)
        if href is None:
            out.append(html.escape(text, quote=False))
            return
        self.resolved += 1
        out.append('<a href="%s">%s</a>' % (href, html.escape(text, quote=False)))

    def link(self, text):
        """The text as HTML element content, its references linked."""
        out = []
        pos = 0
        for m in _START.finditer(text):
            if m.start() < pos:
                continue
            book = book_number(m.group("book"))
            # A bare chapter number needs a name that cannot be a word of the
            # sentence: a full name of three letters or more, or a period.
            if book is None or (m.group("verse") is None and not m.group("dot")
                                and len(m.group("book")) < 3):
                continue
            out.append(html.escape(text[pos:m.start()], quote=False))
            chapter = int(m.group("chapter"))
            verse = int(m.group("verse") or 1)
            has_verse = m.group("verse") is not None
            # Books of one chapter are cited by verse alone: "Jude 3".
            if book in ONE_CHAPTER and not has_verse:
                chapter, verse, has_verse = 1, chapter, True
            self._link(out, m.group(0), book, chapter, verse)
            pos = m.end()
            while True:
                more = _MORE.match(text, pos)
                if not more:
                    break
                sep = more.group("sep")
                first, second = int(more.group("first")), more.group("second")
                if second is not None:
                    if "," in sep and not has_verse:
                        break
                    chapter, verse, has_verse = first, int(second), True
                elif ";" in sep:
                    chapter, verse, has_verse = first, 1, False
                elif has_verse:
                    verse = first
                else:
                    break
                out.append(html.escape(sep, quote=False))
                self._link(out, more.group(0)[len(sep):], book, chapter, verse)
                pos = more.end()
        out.append(html.escape(text[pos:], quote=False))
        return "".join(out)
