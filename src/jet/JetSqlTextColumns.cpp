#include "jet/JetSqlTextColumns.h"

#include "jet/JetSqlClauseRules.h"
#include "jet/JetSqlExpressionRules.h"
#include "jet/JetSqlRules.h"
#include "jet/SqlDialect.h"

#include <QSet>

namespace rp {

namespace {

using Kind = JetToken::Kind;

QString nameOf(const JetToken& t) {
    return nameAsWritten(t).toLower();
}

bool isOneOf(const JetToken& t, std::initializer_list<const char*> words) {
    for (const char* w : words)
        if (t.isWord(QLatin1StringView(w)))
            return true;
    return false;
}

bool isLiteral(const JetToken& t) {
    return t.kind == Kind::String || t.kind == Kind::JetString || t.kind == Kind::Number ||
           t.kind == Kind::Date;
}

QSet<QString> textColumnNames(const JetStatement& st, const ColumnKindsLookup& lookup) {
    QSet<QString> tables;
    for (int i = 0; i < st.size(); ++i) {
        const int prev = st.previousSignificant(i);
        const int next = st.nextSignificant(i);
        if (!isName(st.token(i)) || prev < 0 ||
            (next >= 0 && (st.token(next).kind == Kind::OpenParen ||
                           st.token(next).isOperator(QLatin1StringView(".")))))
            continue;
        const JetToken& p = st.token(prev);
        if (isOneOf(p, {"FROM", "JOIN", "UPDATE", "INTO"}) ||
            (p.kind == Kind::Comma && inFromClause(st, i)))
            tables.insert(nameAsWritten(st.token(i)));
    }
    QSet<QString> text;
    QSet<QString> other;
    for (const QString& table : tables) {
        const ColumnKinds kinds = lookup(table);
        for (auto it = kinds.cbegin(); it != kinds.cend(); ++it)
            (it.value() ? text : other).insert(it.key());
    }
    return text.subtract(other);
}

// The token of the query's own level that holds token i: i, or the outermost parenthesis
// around it that is not a sub-query.
int queryLevel(const JetStatement& st, int i) {
    for (int k = i - 1; k >= 0; --k) {
        if (st.token(k).kind != Kind::OpenParen || st.depth(k) >= st.depth(i) ||
            (st.matching(k) >= 0 && st.matching(k) < i))
            continue;
        const int first = st.nextSignificant(k);
        if (first >= 0 && st.token(first).isWord(QLatin1StringView("SELECT")))
            return i;
        return queryLevel(st, k);
    }
    return i;
}

// The SELECT whose own clauses hold token i (not a sub-query's), or -1.
int owningSelect(const JetStatement& st, int i) {
    for (int k = i - 1; k >= 0; --k) {
        if (st.token(k).kind == Kind::OpenParen && st.matching(k) > i && st.depth(k) < st.depth(i))
            return -1; // reached the parenthesis around i without meeting its SELECT
        if (st.token(k).isWord(QLatin1StringView("SELECT")) && st.depth(k) == st.depth(i))
            return k;
    }
    return -1;
}

// The clause word that token i belongs to in its SELECT: SELECT, FROM, WHERE, GROUP, HAVING or
// ORDER (for the last two of … BY, the word before BY); an empty string when unknown.
QString clauseOf(const JetStatement& st, int i) {
    for (int k = st.previousSignificant(i); k >= 0; k = st.previousSignificant(k)) {
        if (st.depth(k) != st.depth(i))
            continue;
        const JetToken& t = st.token(k);
        if (t.isWord(QLatin1StringView("BY"))) {
            const int before = st.previousSignificant(k);
            return before < 0 ? QString() : st.token(before).text.toUpper();
        }
        if (isOneOf(t, {"SELECT", "FROM", "WHERE", "HAVING", "ON", "SET", "VALUES", "UNION",
                        "EXCEPT", "INTERSECT", "INTO"}))
            return t.text.toUpper();
    }
    return {};
}

// Whether token i is inside the parentheses of an aggregate call that belongs to the SELECT at
// `select`.
bool inAggregate(const JetStatement& st, int i, int select) {
    for (int k = i - 1; k > select; --k) {
        if (st.token(k).kind != Kind::OpenParen || st.matching(k) < i)
            continue;
        const int name = st.previousSignificant(k);
        if (name >= 0 && isAggregate(st.token(name)))
            return true;
    }
    return false;
}

// The names a SELECT groups by that are text columns.
QSet<QString> groupedTextColumns(const JetStatement& st, int select, const QSet<QString>& text) {
    QSet<QString> grouped;
    for (int k = st.nextSignificant(select); k >= 0; k = st.nextSignificant(k)) {
        if (st.depth(k) < st.depth(select) ||
            (st.depth(k) == st.depth(select) && st.token(k).kind == Kind::Semicolon))
            break;
        const int prev = st.previousSignificant(k);
        const int next = st.nextSignificant(k);
        if (st.depth(k) == st.depth(select) && isName(st.token(k)) &&
            text.contains(nameOf(st.token(k))) &&
            (next < 0 || !st.token(next).isOperator(QLatin1StringView("."))) &&
            (st.token(prev).isWord(QLatin1StringView("BY")) || st.token(prev).kind == Kind::Comma ||
             st.token(prev).isOperator(QLatin1StringView("."))) &&
            clauseOf(st, k) == QLatin1String("GROUP"))
            grouped.insert(nameOf(st.token(k)));
    }
    return grouped;
}

struct Reference {
    int first;
    int last;
};

// Whether a reference is a whole operand of a comparison with something other than a literal
// (a literal is collated by the literal's rule); `withLiteral` also counts those.
bool comparedAlone(const JetStatement& st, const Reference& r, bool withLiteral) {
    const int before = st.previousSignificant(r.first);
    const int after = st.nextSignificant(r.last);
    if (after >= 0 && isComparison(st, after) &&
        (before < 0 || st.token(before).kind != Kind::Operator)) {
        const int other = st.nextSignificant(after);
        return other >= 0 && (withLiteral || !isLiteral(st.token(other)));
    }
    if (before >= 0 && isComparison(st, before) &&
        (after < 0 || st.token(after).kind != Kind::Operator || isComparison(st, after))) {
        const int other = st.previousSignificant(before);
        return other >= 0 && (withLiteral || !isLiteral(st.token(other)));
    }
    return false;
}

// Whether a reference is a whole term of a list: ORDER BY, GROUP BY or the select list.
bool isWholeTerm(const JetStatement& st, const Reference& r) {
    const int before = st.previousSignificant(r.first);
    const int after = st.nextSignificant(r.last);
    const bool starts =
        before >= 0 &&
        (st.token(before).kind == Kind::Comma ||
         isOneOf(st.token(before), {"BY", "SELECT", "DISTINCT", "DISTINCTROW", "ALL", "PERCENT"}) ||
         (st.token(before).kind == Kind::Number && st.previousSignificant(before) >= 0 &&
          st.token(st.previousSignificant(before)).isWord(QLatin1StringView("TOP"))));
    const bool ends = after < 0 || st.token(after).kind == Kind::Comma ||
                      st.token(after).kind == Kind::Semicolon ||
                      st.token(after).kind == Kind::CloseParen || isClauseWord(st.token(after));
    return starts && ends;
}

bool selectsDistinct(const JetStatement& st, int select) {
    const int next = st.nextSignificant(select);
    return next >= 0 && isOneOf(st.token(next), {"DISTINCT", "DISTINCTROW"});
}

} // namespace

void collateTextColumns(JetStatement& st, const SqlDialect& dialect,
                        const ColumnKindsLookup& lookup) {
    if (!lookup)
        return;
    const QSet<QString> text = textColumnNames(st, lookup);
    if (text.isEmpty())
        return;
    const QString collate = QStringLiteral(" COLLATE ") + dialect.caseInsensitiveCollation();
    QHash<int, QSet<QString>> groupedBySelect;
    for (int i = 0; i < st.size(); ++i) {
        const JetToken& t = st.token(i);
        const int next = st.nextSignificant(i);
        if (!isName(t) || !text.contains(nameOf(t)) ||
            (next >= 0 && (st.token(next).kind == Kind::OpenParen ||
                           st.token(next).isOperator(QLatin1StringView(".")))))
            continue;
        Reference r{i, i};
        const int prev = st.previousSignificant(i);
        if (prev >= 0 && st.token(prev).isWord(QLatin1StringView("AS")))
            continue; // an alias
        if (prev >= 0 && st.token(prev).isOperator(QLatin1StringView("."))) {
            r.first = st.previousSignificant(prev);
            if (r.first < 0 || !isName(st.token(r.first)))
                continue;
        }
        const int level = queryLevel(st, r.first);
        const int select = owningSelect(st, level);
        const QString clause = clauseOf(st, level);
        if (select < 0 || clause.isEmpty() || clause == QLatin1String("FROM") ||
            clause == QLatin1String("SET") || clause == QLatin1String("INTO") ||
            inSetClause(st, r.first))
            continue;
        const bool term = isWholeTerm(st, r);
        // A server that matches grouped expressions by their text needs the grouped column's
        // collation wherever the grouped query shows or filters it.
        bool grouped = false;
        if (dialect.collatesGroupedColumnsEverywhere() &&
            (clause == QLatin1String("SELECT") || clause == QLatin1String("HAVING") ||
             clause == QLatin1String("ORDER")) &&
            !inAggregate(st, r.first, select)) {
            if (!groupedBySelect.contains(select))
                groupedBySelect.insert(select, groupedTextColumns(st, select, text));
            grouped = groupedBySelect.value(select).contains(nameOf(t));
        }
        if ((clause == QLatin1String("ORDER") || clause == QLatin1String("GROUP")) && term) {
            st.insertAfter(r.last, collate);
        } else if (clause == QLatin1String("SELECT") && term && selectsDistinct(st, select)) {
            const int after = st.nextSignificant(r.last);
            const bool aliased = after >= 0 && st.token(after).isWord(QLatin1StringView("AS"));
            st.insertAfter(r.last, aliased ? collate
                                           : collate + QStringLiteral(" AS ") +
                                                 dialect.quoteIdentifier(nameAsWritten(t)));
        } else if (comparedAlone(st, r, grouped)) {
            st.insertBefore(r.first, QStringLiteral("("));
            st.insertAfter(r.last, collate + QLatin1Char(')'));
        } else if (grouped) {
            // Shown, or passed on, in the server's own collation: LIKE and searches in a text
            // refuse one that ignores case.
            st.insertBefore(r.first, QStringLiteral("(("));
            st.insertAfter(r.last, collate + QStringLiteral(") COLLATE ") +
                                       dialect.defaultCollation() + QLatin1Char(')'));
        }
    }
}

} // namespace rp
