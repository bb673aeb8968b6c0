#!/usr/bin/env python3
"""Builds the program's HTML documents from the committed text sources.

Writes into --out:
    ebd/<link>          one page per entry of Easton's Bible Dictionary
    mhc/<slug>.htm      Matthew Henry's Concise Commentary, one page per book,
                        one anchor per chapter (id="3")
    mhc/index.htm       the commentary's title page with links to every book
and copies everything under data/docs/ verbatim.

Pages are only rewritten when their text changes, and pages of ours that the
sources no longer produce are removed, so a rebuild is quick and leaves the
folder exactly as the sources say.

Run from the data folder (the build does): python3 build_docs.py --out DIR
"""

import argparse
import html
import os
import re
import shutil
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, HERE)

import scripture_links  # noqa: E402
import sources  # noqa: E402

STYLESHEET = "../kelvaro.css"

EASTON_CREDIT = (
    "From <cite>Easton's Bible Dictionary</cite> by M. G. Easton (third edition, 1897; "
    "public domain), in the structured form of the "
    '<a href="https://github.com/neuu-org/bible-dictionary-dataset">bible-dictionary-dataset</a>'
    " project, licensed under "
    '<a href="https://creativecommons.org/licenses/by/4.0/">CC BY 4.0</a>.')

MHC_CREDIT = (
    "<cite>Matthew Henry's Concise Commentary on the Whole Bible</cite> (public domain), "
    "from the text of the CrossWire Bible Society's SWORD module MHCC.")

# The dataset stores at most this many characters of a definition.
EASTON_LIMIT = 5000

# The dictionary and the commentary are the only writers of these folders, but
# the copied documents may add pages beside them: only generated names are ours.
PAGE_RE = re.compile(r"^[a-z0-9-]+\.htm$")


def esc(text):
    """Escapes element content; attribute values here are our own slugs and numbers."""
    return html.escape(text, quote=False)


def page(title, body, lang="en"):
    return (
        "<!DOCTYPE html>\n"
        '<html lang="%s">\n<head>\n<meta charset="utf-8">\n'
        '<meta name="viewport" content="width=device-width, initial-scale=1">\n'
        "<title>%s</title>\n"
        '<link rel="stylesheet" href="%s">\n'
        "</head>\n<body>\n%s\n</body>\n</html>\n" % (lang, esc(title), STYLESHEET, body))


class Writer:
    """Writes pages, touching only those whose text changed."""

    def __init__(self, out_dir):
        self.out_dir = out_dir
        self.written = set()
        self.changed = 0

    def write(self, rel, text):
        target = os.path.join(self.out_dir, rel)
        data = text.encode("utf-8")
        self.written.add(os.path.normpath(target))
        try:
            with open(target, "rb") as f:
                if f.read() == data:
                    return
        except FileNotFoundError:
            os.makedirs(os.path.dirname(target), exist_ok=True)
        temp = target + ".tmp"
        with open(temp, "wb") as f:
            f.write(data)
        os.replace(temp, target)
        self.changed += 1

    def prune(self, folder, keep):
        """Removes pages of ours in folder that this run did not produce."""
        full = os.path.join(self.out_dir, folder)
        if not os.path.isdir(full):
            return
        for name in os.listdir(full):
            target = os.path.normpath(os.path.join(full, name))
            if PAGE_RE.match(name) and target not in self.written and target not in keep:
                os.remove(target)


def easton_page(entry, linker):
    parts = ["<h1>%s</h1>" % esc(entry.word)]
    truncated = False
    for text in entry.definitions:
        text = text.strip()
        if len(text) >= EASTON_LIMIT:
            truncated = True
            text = text.rstrip(" ,;:") + "\u2026"
        parts.append("<p>%s</p>" % linker.link(text))
    if truncated:
        parts.append('<p class="note">The source text of this entry breaks off here.</p>')
    if entry.refs:
        parts.append("<h2>Scripture references</h2>")
        parts.append("<p>%s</p>" % "; ".join(linker.link(r) for r in entry.refs))
    parts.append("<footer>\n<p>%s</p>\n</footer>" % EASTON_CREDIT)
    return page(entry.word, "\n".join(parts))


def mhc_blocks(blocks, linker):
    """HTML for one run of commentary blocks (an introduction or a chapter)."""
    parts = []
    items = []

    def close_list():
        if items:
            parts.append("<ul>\n%s\n</ul>" % "\n".join("<li>%s</li>" % linker.link(i)
                                                          for i in items))
            items.clear()

    for i, (kind, text) in enumerate(blocks):
        if kind == "item":
            items.append(text)
            continue
        close_list()
        if kind == "h":
            parts.append("<h3>%s</h3>" % linker.link(text))
            continue
        # The older part of the text gives a chapter's topic as a paragraph of
        # its own, followed by the comment opened with "--".
        following = blocks[i + 1] if i + 1 < len(blocks) else None
        if text.startswith("--"):
            text = text[2:].lstrip()
        if following and following[0] == "p" and following[1].startswith("--"):
            parts.append("<p><em>%s</em></p>" % linker.link(text))
        else:
            parts.append("<p>%s</p>" % linker.link(text))
    close_list()
    return parts


def mhc_book_page(book, chapter_count, intro, chapters, linker):
    title = "Matthew Henry's Concise Commentary: " + book.name
    numbers = range(1, chapter_count + 1)
    parts = [
        '<p class="note"><a href="index.htm">Matthew Henry\'s Concise Commentary</a></p>',
        "<h1>%s</h1>" % esc(book.name),
        '<nav id="chapters" aria-label="Chapters">\n<p>Chapters: %s</p>\n</nav>'
        % " ".join('<a href="#%d">%d</a>' % (n, n) for n in numbers),
    ]
    parts += mhc_blocks(intro, linker)
    for n in numbers:
        parts.append('<section>\n<h2 id="%d">Chapter %d</h2>' % (n, n))
        blocks = chapters.get(n, [])
        if any(kind == "p" for kind, _ in blocks):
            parts += mhc_blocks(blocks, linker)
        else:
            parts.append('<p class="note">Matthew Henry\'s Concise Commentary has no comment '
                         "on this chapter.</p>")
        parts.append('<p class="note"><a href="#chapters">Chapters of %s</a></p>\n</section>'
                     % esc(book.name))
    parts.append("<footer>\n<p>%s</p>\n</footer>" % MHC_CREDIT)
    return page(title, "\n".join(parts))


MHC_INTRODUCTION = """\
<h1>Matthew Henry's Concise Commentary</h1>
<p>Matthew Henry (1662&ndash;1714) was an English Presbyterian minister who spent
most of his ministry at Chester and, in his last years, at Hackney near London.
His <cite>Exposition of the Old and New Testaments</cite>, begun in 1704, goes
through the Bible chapter by chapter and has been read for devotion and study
ever since. Henry died before he finished it; the exposition of the epistles and
of the Revelation was completed from his notes by other ministers.</p>
<p>The <cite>Concise Commentary</cite> is a one-volume abridgement of that work.
For each chapter it gives an outline of the chapter's contents with the verses
they cover, and then a short comment on each group of verses: plain, practical
and warm, meant less to settle questions of scholarship than to apply the text
to the reader's life.</p>
<p>In the reader, the <strong>MHC Commentary</strong> button (Ctrl+M) opens the
comment on the chapter being read. You can also choose a book below and then
a chapter from the list at the top of the book's page.</p>"""


def mhc_index_page(books):
    parts = [MHC_INTRODUCTION]
    for heading, group in (("Old Testament", books[:39]), ("New Testament", books[39:])):
        parts.append("<h2>%s</h2>" % heading)
        parts.append('<nav aria-label="%s">\n<ul class="columns">\n%s\n</ul>\n</nav>' % (
            heading, "\n".join('<li><a href="%s.htm">%s</a></li>' % (esc(b.slug), esc(b.name))
                               for b in group)))
    parts.append("<footer>\n<p>%s</p>\n</footer>" % MHC_CREDIT)
    return page("Matthew Henry's Concise Commentary", "\n".join(parts))


def copy_docs(out_dir):
    """Copies data/docs/ as it stands; returns the copied paths."""
    src = os.path.join(HERE, "docs")
    copied = set()
    if not os.path.isdir(src):
        return copied
    for root, dirs, files in os.walk(src):
        dirs.sort()
        rel = os.path.relpath(root, src)
        target_dir = os.path.normpath(os.path.join(out_dir, rel))
        for name in sorted(files):
            # The reader takes jfb/jfb00.htm as the sign that the full
            # Jamieson-Fausset-Brown documents are installed; we ship only
            # the page that tells how to get them.
            if os.path.normpath(os.path.join(rel, name)) == os.path.join("jfb", "jfb00.htm"):
                continue
            os.makedirs(target_dir, exist_ok=True)
            target = os.path.join(target_dir, name)
            shutil.copyfile(os.path.join(root, name), target)
            copied.add(os.path.normpath(target))
    return copied


def main():
    parser = argparse.ArgumentParser(description="Builds the program's HTML documents.")
    parser.add_argument("--out", required=True, help="the program folder")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)

    writer = Writer(args.out)

    books = sources.read_books()
    chapter_counts = {}
    verse_counts = {}
    for book, chapter, verse, _ in sources.read_kjv():
        chapter_counts[book] = max(chapter_counts.get(book, 0), chapter)
        verse_counts[(book, chapter)] = max(verse_counts.get((book, chapter), 0), verse)
    abbreviations = {b.number: b.abbr for b in books}
    easton_links = scripture_links.Linker(verse_counts, abbreviations)
    mhc_links = scripture_links.Linker(verse_counts, abbreviations)

    entries = sources.read_easton()
    for entry in entries:
        writer.write(os.path.join("ebd", entry.link), easton_page(entry, easton_links))

    for book in books:
        intro, chapters = sources.read_mhc(book)
        writer.write(os.path.join("mhc", book.slug + ".htm"),
                     mhc_book_page(book, chapter_counts[book.number], intro, chapters,
                                   mhc_links))
    writer.write(os.path.join("mhc", "index.htm"), mhc_index_page(books))

    copied = copy_docs(args.out)
    writer.prune("ebd", copied)
    writer.prune("mhc", copied)
    print("documents: %d dictionary pages, %d commentary books (%d pages rewritten)"
          % (len(entries), len(books), writer.changed))
    for name, linker in (("Easton's Bible Dictionary", easton_links),
                         ("Matthew Henry's Concise Commentary", mhc_links)):
        print("scripture references in %s: %d, %d linked to a verse"
              % (name, linker.found, linker.resolved))


if __name__ == "__main__":
    main()
