#!/usr/bin/env python3
"""Builds the program's tables from the committed text sources.

Writes into --out: kjvbible.db, Chapters.db, Verses.db, ebd.db, and settings.db
when the folder has none yet (it holds the user's session); with
--empty-settings only a fresh empty settings.db, the one a package ships.
Each file is a one-table SQLite database whose table is named db. Every file is written under
a temporary name and renamed into place, so a reader never sees half a table.

Run from the data folder (the build does): python3 build_tables.py --out DIR
"""

import argparse
import csv
import os
import sqlite3
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, HERE)

import sources  # noqa: E402


def write_empty_settings(out_dir):
    write_table(
        out_dir, "settings.db",
        'CREATE TABLE db ("order" INTEGER PRIMARY KEY, "book" INTEGER, '
        '"chapter" INTEGER, "verse" INTEGER, "top" INTEGER, "left" INTEGER, '
        '"height" INTEGER, "width" INTEGER)',
        [])


def write_table(out_dir, name, schema, rows, indexes=()):
    final = os.path.join(out_dir, name)
    temp = final + ".tmp"
    if os.path.exists(temp):
        os.remove(temp)
    con = sqlite3.connect(temp)
    try:
        con.execute("PRAGMA page_size=4096")
        con.execute("PRAGMA journal_mode=DELETE")
        con.execute(schema)
        if rows:
            marks = ",".join("?" * len(rows[0]))
            con.executemany("INSERT INTO db VALUES (%s)" % marks, rows)
        for index in indexes:
            con.execute(index)
        con.commit()
        con.execute("VACUUM")
    finally:
        con.close()
    os.replace(temp, final)


def main():
    parser = argparse.ArgumentParser(description="Builds the program's SQLite tables.")
    parser.add_argument("--out", required=True, help="the program folder")
    parser.add_argument("--empty-settings", action="store_true",
                        help="write only an empty settings.db (the one a package ships)")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    if args.empty_settings:
        write_empty_settings(args.out)
        return

    verses = sources.read_kjv()
    books = sources.read_books()
    sources.check_kjv(verses, books)

    chapter_counts = {}
    verse_counts = {}
    for book, chapter, verse, _ in verses:
        chapter_counts[book] = max(chapter_counts.get(book, 0), chapter)
        verse_counts[(book, chapter)] = max(verse_counts.get((book, chapter), 0), verse)

    write_table(
        args.out, "kjvbible.db",
        'CREATE TABLE db ("Book" SMALLINT NOT NULL, "Chapter" SMALLINT NOT NULL, '
        '"Verse" SMALLINT NOT NULL, "Scripture Text" TEXT NOT NULL, '
        'PRIMARY KEY ("Book", "Chapter", "Verse")) WITHOUT ROWID',
        verses)

    write_table(
        args.out, "Chapters.db",
        'CREATE TABLE db ("Book" SMALLINT PRIMARY KEY, "ChapterCount" SMALLINT NOT NULL, '
        '"Mhcfile" VARCHAR(50), "Jfbfile" VARCHAR(50), "BookName" VARCHAR(20), '
        '"BookAbbr" VARCHAR(20))',
        [(b.number, chapter_counts[b.number], b.mhcfile, b.jfbfile, b.name, b.abbr)
         for b in books],
        ['CREATE UNIQUE INDEX "IDX_BookAbbr" ON db ("BookAbbr" COLLATE NOCASE)'])

    write_table(
        args.out, "Verses.db",
        'CREATE TABLE db ("Book" SMALLINT NOT NULL, "Chapter" SMALLINT NOT NULL, '
        '"VerseCount" SMALLINT NOT NULL, PRIMARY KEY ("Book", "Chapter")) WITHOUT ROWID',
        [(b, c, n) for (b, c), n in sorted(verse_counts.items())])

    entries = sources.read_easton()
    # The index holds both columns: the dictionary's statement, ordered by the
    # word, then reads every entry from the index alone, in order.
    write_table(
        args.out, "ebd.db",
        'CREATE TABLE db ("Word" TEXT NOT NULL, "Link" TEXT NOT NULL UNIQUE)',
        [(e.word, e.link) for e in entries],
        ['CREATE INDEX "IDX_Word" ON db ("Word", "Link")'])

    if not os.path.exists(os.path.join(args.out, "settings.db")):
        write_empty_settings(args.out)

    print("tables: %d verses, %d chapters, %d books, %d dictionary entries"
          % (len(verses), len(verse_counts), len(books), len(entries)))


if __name__ == "__main__":
    main()
