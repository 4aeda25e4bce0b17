#include "jet/JetSqlOperatorRules.h"

#include "jet/JetSqlRules.h"
#include "jet/SqlDialect.h"

namespace rp {

namespace {

using Kind = JetToken::Kind;

// The class [a-c] or [!a-c] starting at jet[i] as a regular expression; advances i to its ']'.
// Returns an empty string when there is no closing ']'.
QString characterClass(const QString& jet, qsizetype& i) {
    const qsizetype close = jet.indexOf(QLatin1Char(']'), i + 1);
    if (close < 0)
        return {};
    QString body = jet.mid(i + 1, close - i - 1);
    QString out = QStringLiteral("[");
    if (body.startsWith(QLatin1Char('!')) && body.size() > 1) {
        out += QLatin1Char('^');
        body.remove(0, 1);
    }
    for (QChar c : body) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('^') || c == QLatin1Char('[') ||
            c == QLatin1Char(']'))
            out += QLatin1Char('\\');
        out += c;
    }
    i = close;
    return out + QLatin1Char(']');
}

} // namespace

QString jetLikeRegex(const QString& pattern) {
    bool needed = false;
    QString out = QStringLiteral("(?i)^");
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('*')) {
            out += QStringLiteral("[\\s\\S]*");
        } else if (c == QLatin1Char('?')) {
            out += QStringLiteral("[\\s\\S]");
        } else if (c == QLatin1Char('#')) {
            out += QStringLiteral("[0-9]");
            needed = true;
        } else if (c == QLatin1Char('[')) {
            const QString cls = characterClass(pattern, i);
            if (cls.isEmpty())
                return {}; // not a Jet pattern; the backend says what it makes of it
            // [*], [?], [#] and [[] are literals the plain LIKE can take too.
            needed = needed || cls.size() != 3 || !QStringLiteral("*?#[").contains(cls.at(1));
            out += cls;
        } else {
            if (!c.isLetterOrNumber())
                out += QLatin1Char('\\');
            out += c;
        }
    }
    return needed ? out + QLatin1Char('$') : QString();
}

void rewriteDivision(JetStatement& st, const SqlDialect& dialect) {
    for (int i = 0; i < st.size(); ++i)
        if (st.token(i).isOperator(QLatin1StringView("/")))
            st.replace(i, QStringLiteral("* ") + dialect.realOne() + QStringLiteral(" /"));
}

void rewriteMakeTable(JetStatement& st) {
    const int select = st.firstSignificant();
    if (select < 0 || !st.token(select).isWord(QLatin1StringView("SELECT")))
        return;
    for (int k = st.nextSignificant(select); k >= 0; k = st.nextSignificant(k)) {
        const JetToken& t = st.token(k);
        if (st.depth(k) != 0)
            continue;
        if (t.isWord(QLatin1StringView("FROM")))
            return;
        if (!t.isWord(QLatin1StringView("INTO")))
            continue;
        // The table name, perhaps owner.table.
        int last = st.nextSignificant(k);
        if (last < 0)
            return;
        for (int dot = st.nextSignificant(last);
             dot >= 0 && st.token(dot).isOperator(QLatin1StringView(".")) &&
             st.nextSignificant(dot) >= 0;
             dot = st.nextSignificant(last))
            last = st.nextSignificant(dot);
        const QString name = st.text(st.nextSignificant(k), last + 1);
        // Drop "INTO name" and the blank after it.
        if (last + 1 < st.size() && st.token(last + 1).kind == Kind::Space)
            ++last;
        for (int j = k; j <= last; ++j)
            st.replace(j, QString());
        st.insertBefore(select, QStringLiteral("CREATE TABLE ") + name + QStringLiteral(" AS "));
        return;
    }
}

void rewriteLikeOperators(JetStatement& st, const SqlDialect& dialect) {
    for (int i = 0; i < st.size(); ++i) {
        if (!st.token(i).isWord(QLatin1StringView("LIKE")))
            continue;
        const int lit = st.nextSignificant(i);
        const bool literal = lit >= 0 && (st.token(lit).kind == Kind::String ||
                                          st.token(lit).kind == Kind::JetString);
        const QString regex = literal ? jetLikeRegex(stringLiteralValue(st.token(lit))) : QString();
        if (regex.isEmpty()) {
            st.replace(i, dialect.likeOperator());
            continue;
        }
        const int before = st.previousSignificant(i);
        const bool negated = before >= 0 && st.token(before).isWord(QLatin1StringView("NOT"));
        if (negated)
            st.replace(before, QString());
        st.replace(i, dialect.regexOperator(negated));
        st.replace(lit, sqlStringLiteral(regex));
    }
}

} // namespace rp
