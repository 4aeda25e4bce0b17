#include "jet/JetSqlClauseRules.h"

#include "core/base/Error.h"
#include "jet/JetSqlRules.h"
#include "jet/SqlDialect.h"

#include <QStringList>

namespace rp {

namespace {

using Kind = JetToken::Kind;

// A token that belongs to an operand of '&': values, names, calls and the operators that bind
// more tightly than '&' (arithmetic, member access).
bool isOperandPart(const JetStatement& st, int i) {
    const JetToken& t = st.token(i);
    if (isLiteralOrQuotedName(t))
        return true;
    switch (t.kind) {
    case Kind::Word: {
        // Left( and Right( are calls, not joins.
        const int next = st.nextSignificant(i);
        return !isClauseWord(t) ||
               (next >= 0 && st.token(next).kind == Kind::OpenParen &&
                (t.isWord(QLatin1StringView("LEFT")) || t.isWord(QLatin1StringView("RIGHT"))));
    }
    case Kind::Operator: {
        static const QStringList tight = {
            QStringLiteral("+"),  QStringLiteral("-"), QStringLiteral("*"), QStringLiteral("/"),
            QStringLiteral("\\"), QStringLiteral("^"), QStringLiteral("."), QStringLiteral("!")};
        return tight.contains(t.text);
    }
    default:
        return false;
    }
}

// The far end of the operand next to token `op`: its first token looking back (forward
// false), its last looking forward; -1 when there is none. Parenthesised groups count whole.
int operandEdge(const JetStatement& st, int op, bool forward) {
    const Kind into = forward ? Kind::OpenParen : Kind::CloseParen;
    const Kind out = forward ? Kind::CloseParen : Kind::OpenParen;
    const auto step = [&](int k) {
        return forward ? st.nextSignificant(k) : st.previousSignificant(k);
    };
    int edge = -1;
    for (int k = step(op); k >= 0; k = step(edge)) {
        const Kind kind = st.token(k).kind;
        if (kind == into && st.matching(k) >= 0)
            edge = st.matching(k);
        else if (kind != into && kind != out && isOperandPart(st, k))
            edge = k;
        else
            break;
    }
    return edge;
}

bool isLiteral(const JetStatement& st, int first, int last) {
    const Kind kind = st.token(first).kind;
    return first == last &&
           (kind == Kind::String || kind == Kind::JetString || kind == Kind::Number);
}

bool isCompoundWord(const JetToken& t) {
    return t.isWord(QLatin1StringView("UNION")) || t.isWord(QLatin1StringView("EXCEPT")) ||
           t.isWord(QLatin1StringView("INTERSECT"));
}

// ORDER BY 2: ranks cannot be counted over a column position.
bool ordersByPosition(const JetStatement& st, int order, int last) {
    if (order < 0)
        return false;
    for (int k = st.nextSignificant(order); k >= 0 && k <= last; k = st.nextSignificant(k)) {
        const int prev = st.previousSignificant(k);
        if (st.token(k).kind == Kind::Number && st.depth(k) == st.depth(order) &&
            (st.token(prev).isWord(QLatin1StringView("BY")) || st.token(prev).kind == Kind::Comma))
            return true;
    }
    return false;
}

// The select list of the SELECT at `select` when its ORDER BY names one of its aliases, so
// that the ranks can be counted over rows that have them; otherwise an empty string.
QString aliasedSelectList(const JetStatement& st, int select, int from, int order, int last) {
    if (order < 0 || from < 0)
        return {};
    QStringList aliases;
    for (int k = st.nextSignificant(select); k >= 0 && k < from; k = st.nextSignificant(k)) {
        if (st.depth(k) != st.depth(select))
            continue;
        if (st.token(k).isWord(QLatin1StringView("DISTINCT")) ||
            st.token(k).isWord(QLatin1StringView("DISTINCTROW")))
            return {};
        const int name = st.nextSignificant(k);
        if (st.token(k).isWord(QLatin1StringView("AS")) && name >= 0 && isName(st.token(name)))
            aliases.append(nameAsWritten(st.token(name)));
    }
    for (int k = st.nextSignificant(order); k >= 0 && k <= last; k = st.nextSignificant(k))
        if (isName(st.token(k)) &&
            aliases.contains(nameAsWritten(st.token(k)), Qt::CaseInsensitive))
            return st.text(st.nextSignificant(select), from).trimmed();
    return {};
}

// The row count of TOP n [PERCENT]. Access returns every row tied with the last one on the
// ORDER BY columns, and rounds a percentage up: both are counted over the ranks of the rows.
QString topLimit(const JetStatement& st, int from, int order, int last, const QString& n,
                 bool percent, const QString& selectList) {
    if (from < 0 || (order < 0 && !percent))
        return n;
    const int by = st.nextSignificant(order);
    const QString rank = order < 0 || by < 0
                             ? QStringLiteral("ROW_NUMBER() OVER ()")
                             : QStringLiteral("RANK() OVER (ORDER BY ") +
                                   st.text(st.nextSignificant(by), last + 1) + QLatin1Char(')');
    const QString bound = percent
                              ? QStringLiteral("jet_rows * ") + n + QStringLiteral(" / 100.0 + 1")
                              : n + QStringLiteral(" + 1");
    QString rows = st.text(from, order < 0 ? last + 1 : order).trimmed();
    if (!selectList.isEmpty())
        rows = QStringLiteral("FROM (SELECT *, ") + selectList + QLatin1Char(' ') + rows +
               QStringLiteral(") AS jet_named");
    return QStringLiteral("(SELECT count(*) FROM (SELECT ") + rank +
           QStringLiteral(" AS jet_rank, count(*) OVER () AS jet_rows ") + rows +
           QStringLiteral(") AS jet_top WHERE jet_rank < ") + bound + QLatin1Char(')');
}

} // namespace

bool isAggregate(const JetToken& t) {
    static const char* const names[] = {"Count", "Sum",   "Avg",         "Min",    "Max",
                                        "First", "Last",  "StDev",       "StDevP", "Var",
                                        "VarP",  "Total", "group_concat"};
    for (const char* n : names)
        if (t.isWord(QLatin1StringView(n)))
            return true;
    return false;
}

void rewriteConcatenation(JetStatement& st, bool castOperands) {
    for (int i = 0; i < st.size(); ++i) {
        if (!st.token(i).isOperator(QLatin1StringView("&")))
            continue;
        // The chain a & b & c …: each operand runs up to the next '&' at the same depth.
        std::vector<std::pair<int, int>> operands;
        std::vector<int> ampersands;
        operands.emplace_back(operandEdge(st, i, false), st.previousSignificant(i));
        int amp = i;
        while (true) {
            ampersands.push_back(amp);
            const int last = operandEdge(st, amp, true);
            operands.emplace_back(st.nextSignificant(amp), last);
            const int next = last < 0 ? -1 : st.nextSignificant(last);
            if (next < 0 || !st.token(next).isOperator(QLatin1StringView("&")))
                break;
            amp = next;
        }
        for (int a : ampersands)
            st.replace(a, QStringLiteral("||"));
        i = amp;
        bool complete = true;
        for (const auto& [first, last] : operands)
            complete = complete && first >= 0 && last >= 0;
        if (!complete)
            continue; // not an expression we understand; the backend will say why
        for (const auto& [first, last] : operands) {
            if (isLiteral(st, first, last))
                continue;
            st.insertBefore(first, castOperands ? QStringLiteral("COALESCE(CAST(")
                                                : QStringLiteral("COALESCE("));
            st.insertAfter(last, castOperands ? QStringLiteral(" AS text), '')")
                                              : QStringLiteral(", '')"));
        }
        st.insertBefore(operands.front().first, QStringLiteral("("));
        st.insertAfter(operands.back().second, QStringLiteral(")"));
    }
}

void rewriteTop(JetStatement& st, const SqlDialect* dialect) {
    // Inner SELECTs first, so an outer one that copies its FROM clause copies them rewritten.
    for (int i = st.size() - 1; i >= 0; --i) {
        if (!st.token(i).isWord(QLatin1StringView("SELECT")))
            continue;
        int top = st.nextSignificant(i);
        if (top >= 0 && (st.token(top).isWord(QLatin1StringView("ALL")) ||
                         st.token(top).isWord(QLatin1StringView("DISTINCT")) ||
                         st.token(top).isWord(QLatin1StringView("DISTINCTROW"))))
            top = st.nextSignificant(top);
        if (top < 0 || !st.token(top).isWord(QLatin1StringView("TOP")))
            continue;
        const int count = st.nextSignificant(top);
        if (count < 0 || st.token(count).kind != Kind::Number)
            continue;
        const int percent = st.nextSignificant(count);
        const bool isPercent =
            percent >= 0 && st.token(percent).isWord(QLatin1StringView("PERCENT"));
        // Drop "TOP n [PERCENT]" and the blank after it.
        int dropEnd = (isPercent ? percent : count) + 1;
        if (dropEnd < st.size() && st.token(dropEnd).kind == Kind::Space)
            ++dropEnd;
        for (int j = top; j < dropEnd; ++j)
            st.replace(j, QString());

        // The SELECT ends at the parenthesis around it, a ';', a UNION or the end.
        const int d = st.depth(i);
        int end = st.size();
        int from = -1;
        int order = -1;
        for (int k = i + 1; k < st.size(); ++k) {
            const JetToken& t = st.token(k);
            if ((t.kind == Kind::CloseParen && st.depth(k) < d) ||
                (st.depth(k) == d && (t.kind == Kind::Semicolon || isCompoundWord(t)))) {
                end = k;
                break;
            }
            if (st.depth(k) == d && from < 0 && t.isWord(QLatin1StringView("FROM")))
                from = k;
            if (st.depth(k) == d && t.isWord(QLatin1StringView("ORDER")))
                order = k;
        }
        const int last = st.previousSignificant(end);
        // One part of a compound SELECT takes its limit in a sub-query.
        const int before = st.previousSignificant(i);
        const bool compound = (end < st.size() && isCompoundWord(st.token(end))) ||
                              (before >= 0 && (isCompoundWord(st.token(before)) ||
                                               st.token(before).isWord(QLatin1StringView("ALL"))));
        // The ORDER BY of a compound SELECT orders the whole of it, not this part.
        if (compound || ordersByPosition(st, order, last))
            order = -1;
        const QString ties = dialect && order >= 0 && !isPercent
                                 ? dialect->firstRowsWithTies(st.token(count).text)
                                 : QString();
        if (!ties.isEmpty())
            st.insertAfter(last, QLatin1Char(' ') + ties);
        else
            st.insertAfter(last,
                           QStringLiteral(" LIMIT ") +
                               topLimit(st, from, order, last, st.token(count).text, isPercent,
                                        aliasedSelectList(st, i, from, order, last)));
        if (compound) {
            st.insertBefore(i, QStringLiteral("SELECT * FROM ("));
            st.insertAfter(last, QStringLiteral(")"));
        }
    }
}

QString plainSelectTable(const JetStatement& st) {
    // The top-level tokens up to the end of the statement.
    std::vector<int> top;
    for (int i = st.firstSignificant(); i >= 0; i = st.nextSignificant(i)) {
        if (st.token(i).kind == Kind::Semicolon && st.depth(i) == 0)
            break;
        if (st.depth(i) == 0)
            top.push_back(i);
    }
    if (top.empty() || !st.token(top[0]).isWord(QLatin1StringView("SELECT")))
        return {};
    size_t k = 1;
    if (k < top.size() && (st.token(top[k]).isWord(QLatin1StringView("DISTINCT")) ||
                           st.token(top[k]).isWord(QLatin1StringView("DISTINCTROW"))))
        return {};
    // The column list: no INTO, no aggregates.
    for (; k < top.size() && !st.token(top[k]).isWord(QLatin1StringView("FROM")); ++k) {
        const JetToken& t = st.token(top[k]);
        const int next = st.nextSignificant(top[k]);
        if (t.isWord(QLatin1StringView("INTO")) ||
            (isAggregate(t) && next >= 0 && st.token(next).kind == Kind::OpenParen))
            return {};
    }
    if (++k >= top.size() || !isName(st.token(top[k])) ||
        st.token(top[k]).isWord(QLatin1StringView("MSysObjects")) ||
        (st.token(top[k]).kind == Kind::Bracketed &&
         st.token(top[k]).inner().compare(QLatin1StringView("MSysObjects"), Qt::CaseInsensitive) ==
             0))
        return {};
    const QString table = nameAsWritten(st.token(top[k]));
    ++k;
    // An optional alias.
    if (k < top.size() && st.token(top[k]).isWord(QLatin1StringView("AS")))
        ++k;
    if (k < top.size() && isName(st.token(top[k])))
        ++k;
    if (k < top.size() && !st.token(top[k]).isWord(QLatin1StringView("WHERE")) &&
        !st.token(top[k]).isWord(QLatin1StringView("ORDER")))
        return {};
    for (; k < top.size(); ++k) {
        const JetToken& t = st.token(top[k]);
        if (t.isWord(QLatin1StringView("GROUP")) || t.isWord(QLatin1StringView("HAVING")) ||
            t.isWord(QLatin1StringView("JOIN")) || t.isWord(QLatin1StringView("PIVOT")) ||
            isCompoundWord(t))
            return {};
    }
    return table;
}

} // namespace rp
