#include "jet/JetSqlTokenizer.h"

#include "core/base/Error.h"

namespace rp {

namespace {

using Kind = JetToken::Kind;

[[noreturn]] void unterminated(const QString& what, int start, const QString& closing) {
    throw Error(QStringLiteral("The %1 starting at character %2 has no closing %3.")
                    .arg(what)
                    .arg(start + 1)
                    .arg(closing));
}

bool isWordStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}
bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}
bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

class Scanner {
public:
    explicit Scanner(const QString& sql) : m_sql(sql), m_size(int(sql.size())) {}

    std::vector<JetToken> run() {
        while (m_pos < m_size)
            m_tokens.push_back(next());
        return std::move(m_tokens);
    }

private:
    QChar at(int i) const { return i < m_size ? m_sql.at(i) : QChar(); }

    JetToken make(Kind kind, int start, int end) {
        m_pos = end;
        return JetToken{kind, m_sql.mid(start, end - start), start};
    }

    // Index just past the closing delimiter; a doubled delimiter stands for itself when
    // doubling is allowed.
    int closingOf(int start, QChar close, bool doubling) const {
        for (int i = start + 1; i < m_size; ++i) {
            if (m_sql.at(i) != close)
                continue;
            if (doubling && at(i + 1) == close) {
                ++i;
                continue;
            }
            return i + 1;
        }
        return -1;
    }

    int numberEnd(int i) const {
        while (isDigit(at(i)))
            ++i;
        if (at(i) == QLatin1Char('.')) {
            ++i;
            while (isDigit(at(i)))
                ++i;
        }
        if (at(i) == QLatin1Char('e') || at(i) == QLatin1Char('E')) {
            int j = i + 1;
            if (at(j) == QLatin1Char('+') || at(j) == QLatin1Char('-'))
                ++j;
            if (isDigit(at(j))) {
                while (isDigit(at(j)))
                    ++j;
                i = j;
            }
        }
        return i;
    }

    JetToken next() {
        const int start = m_pos;
        const QChar c = m_sql.at(start);
        if (c.isSpace()) {
            int i = start;
            while (i < m_size && m_sql.at(i).isSpace())
                ++i;
            return make(Kind::Space, start, i);
        }
        if (c == QLatin1Char('-') && at(start + 1) == QLatin1Char('-')) {
            int i = start;
            while (i < m_size && m_sql.at(i) != QLatin1Char('\n') &&
                   m_sql.at(i) != QLatin1Char('\r'))
                ++i;
            return make(Kind::LineComment, start, i);
        }
        if (c == QLatin1Char('/') && at(start + 1) == QLatin1Char('*')) {
            const qsizetype close = m_sql.indexOf(QLatin1String("*/"), start + 2);
            if (close < 0)
                unterminated(QStringLiteral("comment"), start, QStringLiteral("*/"));
            return make(Kind::BlockComment, start, int(close) + 2);
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const int end = closingOf(start, c, true);
            if (end < 0)
                unterminated(QStringLiteral("text"), start, QStringLiteral("quote (%1)").arg(c));
            return make(c == QLatin1Char('\'') ? Kind::String : Kind::JetString, start, end);
        }
        if (c == QLatin1Char('#')) {
            const int end = closingOf(start, c, false);
            if (end < 0)
                unterminated(QStringLiteral("date"), start, QStringLiteral("#"));
            return make(Kind::Date, start, end);
        }
        if (c == QLatin1Char('[')) {
            const int end = closingOf(start, QLatin1Char(']'), false);
            if (end < 0)
                unterminated(QStringLiteral("name"), start, QStringLiteral("]"));
            return make(Kind::Bracketed, start, end);
        }
        if (c == QLatin1Char('`')) {
            const int end = closingOf(start, c, true);
            if (end < 0)
                unterminated(QStringLiteral("name"), start, QStringLiteral("`"));
            return make(Kind::BackQuoted, start, end);
        }
        if (isDigit(c) || (c == QLatin1Char('.') && isDigit(at(start + 1))))
            return make(Kind::Number, start, numberEnd(start));
        if (isWordStart(c)) {
            int i = start + 1;
            while (i < m_size && isWordChar(m_sql.at(i)))
                ++i;
            return make(Kind::Word, start, i);
        }
        switch (c.unicode()) {
        case '(':
            return make(Kind::OpenParen, start, start + 1);
        case ')':
            return make(Kind::CloseParen, start, start + 1);
        case ',':
            return make(Kind::Comma, start, start + 1);
        case ';':
            return make(Kind::Semicolon, start, start + 1);
        default:
            break;
        }
        static const char* const pairs[] = {"<>", "<=", ">=", "!=", "||", "=="};
        for (const char* pair : pairs)
            if (c == QLatin1Char(pair[0]) && at(start + 1) == QLatin1Char(pair[1]))
                return make(Kind::Operator, start, start + 2);
        return make(Kind::Operator, start, start + 1);
    }

    const QString& m_sql;
    const int m_size;
    int m_pos = 0;
    std::vector<JetToken> m_tokens;
};

} // namespace

std::vector<JetToken> tokenizeJetSql(const QString& sql) {
    return Scanner(sql).run();
}

} // namespace rp
