// Faster LIKE and upper() for the engine's connections.
//
// The verse search runs three "like '%word%'" patterns over every verse; with
// case_sensitive_like SQLite compares them character by character. This
// replacement gives the same results (case-sensitive, "%" any run, "_" one
// character, NULL in gives NULL out, both texts end at a NUL) but finds the
// literal runs of a pattern with the C library's substring search, on the
// stored UTF-8 bytes, with the pattern taken apart once per statement.
//
// The dictionary runs upper() over every entry on each keystroke; the
// replacement changes the same letters (ASCII only) without allocating a
// buffer for every row.
#pragma once

class QSqlDatabase;

namespace SqlFunctions {
// Replaces like(pattern, text) and upper(text) on the connection. Returns
// false, leaving SQLite's own (case-sensitive) LIKE and upper() in place,
// where the driver hands out no SQLite connection.
bool install(const QSqlDatabase &db);

// The matcher itself, on UTF-8 bytes: does text match the LIKE pattern?
bool matches(const char *pattern, int patternSize, const char *text, int textSize);
} // namespace SqlFunctions
