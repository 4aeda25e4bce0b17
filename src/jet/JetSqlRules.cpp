#include "jet/JetSqlRules.h"

#include "core/base/Error.h"
#include "core/base/JetDate.h"
#include "jet/JetDateLiteral.h"
#include "jet/JetSqlOperatorRules.h"
#include "jet/SqlDialect.h"

namespace rp {

namespace {

using Kind = JetToken::Kind;

bool isAnyWord(const JetToken& t, std::initializer_list<QLatin1StringView> words) {
    for (QLatin1StringView w : words)
        if (t.isWord(w))
            return true;
    return false;
}

bool isSystemObjects(const JetToken& t) {
    return t.isWord(QLatin1StringView("MSysObjects")) ||
           (t.kind == Kind::Bracketed &&
            t.inner().compare(QLatin1StringView("MSysObjects"), Qt::CaseInsensitive) == 0);
}

QDateTime dateLiteralValue(const JetToken& t) {
    const QString text = t.inner().trimmed();
    if (auto when = parseJetDateTime(text))
        return *when;
    // A time alone is a time of day on Jet's day zero.
    if (auto when = parseJetDateTime(QStringLiteral("1899-12-30 ") + text); when && !text.isEmpty())
        return *when;
    if (auto when = parseJetDateLiteral(text))
        return *when;
    throw Error(QStringLiteral("%1 is not a valid date or time.").arg(t.text));
}

QString likePattern(const QString& jet, bool allowEscape, bool* escaped) {
    static const QString literalInBrackets = QStringLiteral("*?#[");
    QString out;
    *escaped = false;
    for (qsizetype i = 0; i < jet.size(); ++i) {
        const QChar c = jet.at(i);
        if (c == QLatin1Char('*')) {
            out += QLatin1Char('%');
        } else if (c == QLatin1Char('?')) {
            out += QLatin1Char('_');
        } else if (c == QLatin1Char('[') && i + 2 < jet.size() &&
                   jet.at(i + 2) == QLatin1Char(']') && literalInBrackets.contains(jet.at(i + 1))) {
            // [*] [?] [#] [[] stand for the character itself.
            out += jet.at(i + 1);
            i += 2;
        } else if (allowEscape &&
                   (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\'))) {
            // Literal characters in Jet, wildcards (or our escape) in the backend.
            out += QLatin1Char('\\');
            out += c;
            *escaped = true;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

// Is token i in the FROM clause of its SELECT (after FROM, before the next clause)?
bool inFromClause(const JetStatement& st, int i) {
    const int d = st.depth(i);
    for (int k = st.previousSignificant(i); k >= 0; k = st.previousSignificant(k)) {
        if (st.depth(k) != d)
            continue;
        const JetToken& t = st.token(k);
        if (t.isWord(QLatin1StringView("FROM")))
            return true;
        if (isClauseWord(t) && !isAnyWord(t, {QLatin1StringView("JOIN"), QLatin1StringView("INNER"),
                                              QLatin1StringView("LEFT"), QLatin1StringView("RIGHT"),
                                              QLatin1StringView("OUTER"), QLatin1StringView("AS")}))
            return false;
    }
    return false;
}

bool isClauseWord(const JetToken& token) {
    if (token.kind != Kind::Word)
        return false;
    static const char* const words[] = {
        "SELECT",  "DISTINCT", "DISTINCTROW", "ALL",       "TOP",    "PERCENT", "FROM",   "WHERE",
        "AND",     "OR",       "NOT",         "XOR",       "EQV",    "IMP",     "LIKE",   "ALIKE",
        "BETWEEN", "IN",       "IS",          "AS",        "ON",     "JOIN",    "INNER",  "LEFT",
        "RIGHT",   "OUTER",    "FULL",        "CROSS",     "GROUP",  "ORDER",   "BY",     "HAVING",
        "UNION",   "EXCEPT",   "INTERSECT",   "CASE",      "WHEN",   "THEN",    "ELSE",   "END",
        "SET",     "VALUES",   "INTO",        "UPDATE",    "DELETE", "INSERT",  "ASC",    "DESC",
        "LIMIT",   "OFFSET",   "ESCAPE",      "TRANSFORM", "PIVOT",  "WITH",    "COLLATE"};
    for (const char* w : words)
        if (token.isWord(QLatin1StringView(w)))
            return true;
    return false;
}

bool isLiteralOrQuotedName(const JetToken& token) {
    switch (token.kind) {
    case Kind::Number:
    case Kind::String:
    case Kind::JetString:
    case Kind::Date:
    case Kind::Bracketed:
    case Kind::BackQuoted:
        return true;
    default:
        return false;
    }
}

QString sqlStringLiteral(const QString& value) {
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString stringLiteralValue(const JetToken& token) {
    QString value = token.inner();
    const QString quote = token.text.left(1);
    value.replace(quote + quote, quote);
    return value;
}

bool isName(const JetToken& token) {
    return (token.kind == Kind::Word && !isClauseWord(token)) || token.kind == Kind::Bracketed ||
           token.kind == Kind::BackQuoted;
}

QString nameAsWritten(const JetToken& token) {
    if (token.kind == Kind::Word)
        return token.text;
    QString name = token.kind == Kind::BackQuoted ? stringLiteralValue(token) : token.inner();
    if (token.kind == Kind::Bracketed && name.endsWith(QLatin1Char('$')))
        name.chop(1);
    return name;
}

void checkSingleStatement(JetStatement& st) {
    bool seen = false;
    for (int i = 0; i < st.size(); ++i) {
        const JetToken& t = st.token(i);
        if (t.kind == Kind::Semicolon && st.depth(i) == 0) {
            if (!seen)
                break;
            if (st.nextSignificant(i) >= 0)
                throw Error(QStringLiteral("Characters found after end of SQL statement."));
            st.truncate(i + 1);
            return;
        }
        seen = seen || t.isSignificant();
    }
    if (!seen)
        throw Error(QStringLiteral("The statement is empty."));
}

void translateTokens(JetStatement& st, const SqlDialect& dialect) {
    for (int i = 0; i < st.size(); ++i) {
        const JetToken& t = st.token(i);
        switch (t.kind) {
        case Kind::Bracketed: {
            QString name = t.inner();
            if (name.endsWith(QLatin1Char('$')))
                name.chop(1);
            st.replace(i, dialect.quoteIdentifier(name));
            break;
        }
        case Kind::BackQuoted:
            st.replace(i, dialect.quoteIdentifier(stringLiteralValue(t)));
            break;
        case Kind::JetString:
            st.replace(i, sqlStringLiteral(stringLiteralValue(t)));
            break;
        case Kind::Date:
            st.replace(i, dialect.dateTimeLiteral(dateLiteralValue(t)));
            break;
        case Kind::Word: {
            const int prev = st.previousSignificant(i);
            if (prev >= 0 && st.token(prev).isOperator(QLatin1StringView(".")))
                break; // a qualified column name
            if (t.isWord(QLatin1StringView("True")) || t.isWord(QLatin1StringView("False")))
                st.replace(i, dialect.booleanLiteral(t.isWord(QLatin1StringView("True"))));
            else if (t.isWord(QLatin1StringView("Mod")))
                st.replace(i, QStringLiteral("%"));
            else if (t.isWord(QLatin1StringView("DISTINCTROW")))
                st.replace(i, QStringLiteral("DISTINCT"));
            else if (t.isWord(QLatin1StringView("ALIKE")))
                st.replace(i, QStringLiteral("LIKE"));
            break;
        }
        default:
            break;
        }
    }
}

void rewriteDelete(JetStatement& st) {
    for (int i = 0; i < st.size(); ++i) {
        if (!st.token(i).isWord(QLatin1StringView("DELETE")))
            continue;
        int k = st.nextSignificant(i);
        // Delete t.* from: skip the table name and the dot.
        if (k >= 0 && st.token(k).kind != Kind::Operator) {
            const int dot = st.nextSignificant(k);
            if (dot >= 0 && st.token(dot).isOperator(QLatin1StringView(".")))
                k = st.nextSignificant(dot);
        }
        if (k < 0 || !st.token(k).isOperator(QLatin1StringView("*")))
            continue;
        const int from = st.nextSignificant(k);
        if (from < 0 || !st.token(from).isWord(QLatin1StringView("FROM")))
            continue;
        st.replace(i, QStringLiteral("DELETE"));
        for (int j = i + 1; j < from; ++j)
            st.replace(j, QString());
        st.replace(from, QStringLiteral("FROM"));
        st.insertBefore(from, QStringLiteral(" "));
    }
}

void renameFunctions(JetStatement& st, const SqlDialect& dialect) {
    for (int i = 0; i < st.size(); ++i) {
        const JetToken& t = st.token(i);
        if (t.kind != Kind::Word)
            continue;
        const int next = st.nextSignificant(i);
        if (next < 0 || st.token(next).kind != Kind::OpenParen)
            continue;
        const int prev = st.previousSignificant(i);
        // A table or column list, not a call: INSERT INTO Date (…), CREATE TABLE Year (…).
        if (prev >= 0 && (st.token(prev).isOperator(QLatin1StringView(".")) ||
                          isAnyWord(st.token(prev),
                                    {QLatin1StringView("INTO"), QLatin1StringView("TABLE"),
                                     QLatin1StringView("REFERENCES"), QLatin1StringView("UPDATE"),
                                     QLatin1StringView("EXISTS"), QLatin1StringView("INDEX")})))
            continue;
        const QString name = dialect.functionName(t.text);
        if (!name.isEmpty())
            st.replace(i, name);
    }
}

void rewriteSystemObjects(JetStatement& st, const SqlDialect& dialect) {
    for (int i = 0; i < st.size(); ++i) {
        const JetToken& t = st.token(i);
        if (!isSystemObjects(t) || !inFromClause(st, i))
            continue;
        const int prev = st.previousSignificant(i);
        const int next = st.nextSignificant(i);
        if ((prev >= 0 && st.token(prev).isOperator(QLatin1StringView("."))) ||
            (next >= 0 && st.token(next).isOperator(QLatin1StringView("."))))
            continue;
        const bool aliased =
            next >= 0 && (st.token(next).isWord(QLatin1StringView("AS")) ||
                          ((st.token(next).kind == Kind::Word && !isClauseWord(st.token(next))) ||
                           st.token(next).kind == Kind::Bracketed));
        QString query = QLatin1Char('(') + dialect.systemObjectsQuery() + QLatin1Char(')');
        if (!aliased)
            query += QStringLiteral(" AS MSysObjects");
        st.replace(i, query);
    }
}

void rewriteLikePatterns(JetStatement& st) {
    for (int i = 0; i < st.size(); ++i) {
        // ALIKE patterns use the backend's wildcards already.
        if (!st.token(i).isWord(QLatin1StringView("LIKE")))
            continue;
        const int lit = st.nextSignificant(i);
        if (lit < 0 ||
            (st.token(lit).kind != Kind::String && st.token(lit).kind != Kind::JetString))
            continue;
        if (!jetLikeRegex(stringLiteralValue(st.token(lit))).isEmpty())
            continue; // a regular expression already
        // An ESCAPE clause can follow only a pattern that stands alone and has none yet.
        const int after = st.nextSignificant(lit);
        const bool alone = after < 0 || (st.token(after).kind != Kind::Operator &&
                                         !st.token(after).isWord(QLatin1StringView("ESCAPE")));
        bool escaped = false;
        st.replace(
            lit, sqlStringLiteral(likePattern(stringLiteralValue(st.token(lit)), alone, &escaped)));
        if (escaped)
            st.insertAfter(lit, QStringLiteral(" ESCAPE '\\'"));
    }
}

} // namespace rp
