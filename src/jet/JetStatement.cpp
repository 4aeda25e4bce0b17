#include "jet/JetStatement.h"

namespace rp {

JetStatement::JetStatement(std::vector<JetToken> tokens)
    : m_tokens(std::move(tokens)), m_depth(m_tokens.size(), 0), m_match(m_tokens.size(), -1),
      m_before(m_tokens.size()), m_after(m_tokens.size()), m_end(int(m_tokens.size())) {
    m_out.reserve(m_tokens.size());
    std::vector<int> open;
    for (int i = 0; i < size(); ++i) {
        const JetToken& t = token(i);
        m_out.push_back(t.text);
        m_depth[size_t(i)] = int(open.size());
        if (t.kind == JetToken::Kind::OpenParen) {
            open.push_back(i);
        } else if (t.kind == JetToken::Kind::CloseParen && !open.empty()) {
            const int o = open.back();
            open.pop_back();
            m_depth[size_t(i)] = int(open.size());
            m_match[size_t(i)] = o;
            m_match[size_t(o)] = i;
        }
    }
}

int JetStatement::nextSignificant(int i) const {
    for (++i; i < size(); ++i)
        if (token(i).isSignificant())
            return i;
    return -1;
}

int JetStatement::previousSignificant(int i) const {
    for (--i; i >= 0; --i)
        if (token(i).isSignificant())
            return i;
    return -1;
}

QString JetStatement::text() const {
    return text(0, m_end);
}

QString JetStatement::text(int first, int end) const {
    QString out;
    for (int i = first; i < end && i < m_end; ++i)
        out += m_before[size_t(i)] + m_out[size_t(i)] + m_after[size_t(i)];
    return out;
}

} // namespace rp
