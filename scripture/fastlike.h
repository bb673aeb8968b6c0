// A faster case-sensitive LIKE for the engine's connections.
//
// The verse search runs three "like '%word%'" patterns over every verse; with
// case_sensitive_like SQLite compares them character by character. This
// replacement gives the same results (case-sensitive, "%" any run, "_" one
// character, NULL in gives NULL out, both texts end at a NUL) but finds the
// literal runs of a pattern with the C library's byte search, on the stored
// UTF-8 bytes, with the pattern taken apart once per statement.
#pragma once

class QSqlDatabase;

namespace FastLike {
// Replaces like(pattern, text) on the connection. Returns false, leaving
// SQLite's own (case-sensitive) LIKE in place, where the driver hands out no
// SQLite connection or the connection does not hold UTF-8.
bool install(const QSqlDatabase &db);

// The matcher itself, on UTF-8 bytes: does text match the LIKE pattern?
bool matches(const char *pattern, int patternSize, const char *text, int textSize);
} // namespace FastLike
