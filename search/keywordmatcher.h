// One keyword of the verse search, matched on UTF-8 bytes.
//
// A keyword is found where the text holds it with "%" standing for any run
// of characters and "_" for one character. Unless the case is to match, the
// ASCII letters of both the keyword and the text are compared as small
// letters (the text is handed in folded that way); other letters are
// matched as typed. With whole words, what the keyword matches must have no
// letter just before it and none just after it.
#pragma once

#include <QByteArrayView>
#include <QPair>
#include <QString>
#include <QVector>

#include <string>
#include <vector>

class KeywordMatcher
{
public:
    KeywordMatcher(const QString &keyword, bool matchCase, bool wholeWords);

    bool matchCase() const { return m_matchCase; }
    // Does the text (folded unless the case is to match) hold the keyword?
    bool matches(QByteArrayView text) const;
    // The next place the keyword matches at or after from, as byte offsets
    // [first, second); first is -1 when there is none.
    QPair<int, int> nextMatch(QByteArrayView text, int from) const;
    // The longest run of literal bytes of the keyword (folded as the text
    // is): every text that holds the keyword holds this run. Empty when the
    // keyword has no literal byte.
    const std::string &probe() const { return m_probe; }
    // The keyword is its probe alone: no "%" and no "_".
    bool isPlainRun() const { return m_pieces.size() == 1 && !m_pieces.front().hasUnderscore; }
    // Unless whole words are sought, true; otherwise whether the bytes
    // [at, end) of text have no letter just before and none just after.
    bool standsAlone(QByteArrayView text, std::size_t at, std::size_t end) const
    {
        return !m_wholeWords || (!letterBefore(text, at) && !letterAt(text, end));
    }

    // The pieces of the keyword that the text shows: character ranges of
    // text (as shown, not folded) where one of the keywords matches, in
    // order and merged where they touch.
    static QVector<QPair<int, int>> spans(const QString &text, const QStringList &keywords,
                                          bool matchCase, bool wholeWords);

private:
    // The bytes between two "%"s; "_" stands for one character.
    struct Piece
    {
        std::string bytes;
        std::string lead; // the literal bytes before the first "_"
        bool hasUnderscore = false;
        std::size_t minimumSize = 0;
    };
    static std::size_t matchAt(const Piece &piece, QByteArrayView s, std::size_t at);
    // The next place at or after from where the piece may start.
    static std::size_t candidate(const Piece &piece, QByteArrayView s, std::size_t from);
    bool letterBefore(QByteArrayView s, std::size_t at) const;
    bool letterAt(QByteArrayView s, std::size_t at) const;
    QPair<int, int> find(QByteArrayView text, std::size_t from) const;

    std::vector<Piece> m_pieces; // split at every run of "%"
    std::string m_probe;
    std::size_t m_minimumSize = 0;
    bool m_matchCase = false;
    bool m_wholeWords = false;
};
