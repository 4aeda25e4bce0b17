#pragma once

#include <QString>
#include <vector>

namespace rp {

// One lexical piece of a Jet SQL statement. Joined in order, the tokens give back the statement
// exactly as written.
struct JetToken {
    enum class Kind {
        Space,
        LineComment,  // -- to the end of the line
        BlockComment, // /* … */
        String,       // '…' with '' for a quote
        JetString,    // "…" with "" for a quote
        Date,         // #…#
        Bracketed,    // […]
        BackQuoted,   // `…`
        Word,         // identifier or keyword
        Number,
        Operator,
        OpenParen,
        CloseParen,
        Comma,
        Semicolon,
    };

    Kind kind;
    QString text;
    int position; // 0-based index of the first character in the statement

    bool isSignificant() const {
        return kind != Kind::Space && kind != Kind::LineComment && kind != Kind::BlockComment;
    }
    // A word equal to the keyword, in any case.
    bool isWord(QLatin1StringView keyword) const {
        return kind == Kind::Word && text.compare(keyword, Qt::CaseInsensitive) == 0;
    }
    bool isOperator(QLatin1StringView op) const { return kind == Kind::Operator && text == op; }
    // The text between the delimiters of a quoted token (string, date, bracketed name).
    QString inner() const { return text.mid(1, text.size() - 2); }
};

// Splits a statement into tokens. Throws rp::Error for a string, #date#, [name], `name` or
// /* comment that is not closed, naming the character where it starts.
std::vector<JetToken> tokenizeJetSql(const QString& sql);

} // namespace rp
