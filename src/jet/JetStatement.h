#pragma once

#include "jet/JetSqlTokenizer.h"

#include <QString>
#include <vector>

namespace rp {

// A tokenized statement being rewritten: each token keeps its original text for the rules to
// look at, and carries the text it is replaced by and the texts inserted before and after it.
class JetStatement {
public:
    explicit JetStatement(std::vector<JetToken> tokens);

    int size() const { return int(m_tokens.size()); }
    const JetToken& token(int i) const { return m_tokens[size_t(i)]; }
    // Parenthesis depth of a token; an opening parenthesis has the depth outside it.
    int depth(int i) const { return m_depth[size_t(i)]; }
    // The matching parenthesis of a '(' or ')', or -1.
    int matching(int i) const { return m_match[size_t(i)]; }

    // The next or previous significant token (not a blank or comment), or -1.
    int nextSignificant(int i) const;
    int previousSignificant(int i) const;
    // The first significant token, or -1.
    int firstSignificant() const { return nextSignificant(-1); }

    void replace(int i, const QString& text) { m_out[size_t(i)] = text; }
    // The text token i is written as now.
    const QString& output(int i) const { return m_out[size_t(i)]; }
    // Later insertions before a token go outside earlier ones; later ones after a token too.
    void insertBefore(int i, const QString& text) { m_before[size_t(i)].prepend(text); }
    void insertAfter(int i, const QString& text) { m_after[size_t(i)].append(text); }
    // Drops everything from token i on.
    void truncate(int i) { m_end = i; }

    QString text() const;
    // The text of tokens first … end-1 as written now, with what was inserted around them.
    QString text(int first, int end) const;

private:
    std::vector<JetToken> m_tokens;
    std::vector<int> m_depth;
    std::vector<int> m_match;
    std::vector<QString> m_out;
    std::vector<QString> m_before;
    std::vector<QString> m_after;
    int m_end;
};

} // namespace rp
