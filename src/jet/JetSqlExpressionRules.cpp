#include "jet/JetSqlExpressionRules.h"

#include "jet/JetSqlRules.h"
#include "jet/SqlDialect.h"

namespace rp {

namespace {

using Kind = JetToken::Kind;

// Binding strength of Jet's arithmetic: ^ over negation over * / over \ over Mod over + -.
constexpr int powerLevel = 6;
constexpr int negationLevel = 5;
constexpr int memberLevel = 7;

bool isWordValue(const JetToken& t) {
    return t.kind == Kind::Word && !isClauseWord(t) && !t.isWord(QLatin1StringView("Mod"));
}

// A token that can end an operand: a value, a name or a closing parenthesis.
bool endsOperand(const JetStatement& st, int i) {
    if (i < 0)
        return false;
    const JetToken& t = st.token(i);
    return isLiteralOrQuotedName(t) || t.kind == Kind::CloseParen || isWordValue(t);
}

bool isValue(const JetStatement& st, int i) {
    return st.token(i).kind != Kind::CloseParen && endsOperand(st, i);
}

// A name that calls the parenthesised group after it: Year(…), Left(…).
bool isCallName(const JetToken& t) {
    return isWordValue(t) || t.isWord(QLatin1StringView("LEFT")) ||
           t.isWord(QLatin1StringView("RIGHT"));
}

bool isSign(const JetStatement& st, int i) {
    const JetToken& t = st.token(i);
    return (t.isOperator(QLatin1StringView("-")) || t.isOperator(QLatin1StringView("+"))) &&
           !endsOperand(st, st.previousSignificant(i));
}

// The level of the binary operator at token i, or -1.
int binaryLevel(const JetStatement& st, int i) {
    const JetToken& t = st.token(i);
    if (t.isWord(QLatin1StringView("Mod")))
        return 2;
    if (t.kind != Kind::Operator || !endsOperand(st, st.previousSignificant(i)))
        return -1;
    if (t.text == QLatin1String("^"))
        return powerLevel;
    if (t.text == QLatin1String("*") || t.text == QLatin1String("/"))
        return 4;
    if (t.text == QLatin1String("\\"))
        return 3;
    if (t.text == QLatin1String("+") || t.text == QLatin1String("-"))
        return 1;
    if (t.text == QLatin1String(".") || t.text == QLatin1String("!"))
        return memberLevel;
    return -1;
}

// The first token of the left operand of the operator at op, of binding level `level`
// (operators of that level group to the left); -1 when there is none.
int leftOperand(const JetStatement& st, int op, int level) {
    int edge = -1;
    bool wantValue = true;
    for (int k = st.previousSignificant(op); k >= 0; k = st.previousSignificant(k)) {
        const JetToken& t = st.token(k);
        if (wantValue) {
            if (t.kind == Kind::CloseParen && st.matching(k) >= 0) {
                k = st.matching(k);
                const int name = st.previousSignificant(k);
                if (name >= 0 && isCallName(st.token(name)))
                    k = name;
            } else if (!isValue(st, k)) {
                break;
            }
            edge = k;
            wantValue = false;
        } else if (isSign(st, k) && level <= negationLevel) {
            edge = k;
        } else if (binaryLevel(st, k) >= level) {
            wantValue = true;
        } else {
            break;
        }
    }
    return edge;
}

// The last token of the right operand of the operator at op: only operators binding more
// tightly than `level` belong to it. -1 when there is none.
int rightOperand(const JetStatement& st, int op, int level) {
    int edge = -1;
    bool wantValue = true;
    for (int k = st.nextSignificant(op); k >= 0; k = st.nextSignificant(k)) {
        const JetToken& t = st.token(k);
        if (wantValue) {
            if (isSign(st, k))
                continue;
            const int next = st.nextSignificant(k);
            if (t.kind == Kind::OpenParen && st.matching(k) >= 0)
                k = st.matching(k);
            else if (isCallName(t) && next >= 0 && st.token(next).kind == Kind::OpenParen &&
                     st.matching(next) >= 0)
                k = st.matching(next);
            else if (!isValue(st, k))
                break;
            edge = k;
            wantValue = false;
        } else if (binaryLevel(st, k) > level) {
            wantValue = true;
        } else {
            break;
        }
    }
    return edge;
}

bool isNumber(const JetStatement& st, int i) {
    return st.token(i).kind == Kind::Number;
}

// Every binary operator of the level for which `function` names a function becomes
// function(left, right), left to right.
template <typename Name> void rewriteOperator(JetStatement& st, int level, Name functionFor) {
    for (int i = 0; i < st.size(); ++i) {
        const QString function = functionFor(st.token(i));
        if (function.isEmpty() || binaryLevel(st, i) != level)
            continue;
        const int first = leftOperand(st, i, level);
        const int last = rightOperand(st, i, level);
        if (first < 0 || last < 0)
            continue; // not an expression we understand; the backend will say why
        // Two numbers add as the backend adds them.
        if (level == 1 && first == st.previousSignificant(i) && last == st.nextSignificant(i) &&
            isNumber(st, first) && isNumber(st, last))
            continue;
        st.insertBefore(first, function + QLatin1Char('('));
        st.replace(i, QStringLiteral(","));
        st.insertAfter(last, QStringLiteral(")"));
    }
}

// The top-level commas of the call whose '(' is at open.
std::vector<int> argumentCommas(const JetStatement& st, int open) {
    std::vector<int> commas;
    for (int k = open + 1; k < st.matching(open); ++k)
        if (st.token(k).kind == Kind::Comma && st.depth(k) == st.depth(open) + 1)
            commas.push_back(k);
    return commas;
}

bool isTextLiteral(const JetStatement& st, int i) {
    return i >= 0 && (st.token(i).kind == Kind::String || st.token(i).kind == Kind::JetString);
}

// Case matters only for letters (and the marks that sort between upper and lower case):
// digits, blanks and the marks of dates and numbers compare alike either way, and a key or
// date compared with such a text keeps its index.
bool caseMatters(const QString& text) {
    for (QChar c : text)
        if (!c.isDigit() && !c.isSpace() && !QStringLiteral("-:./+,").contains(c))
            return true;
    return false;
}

// Whether the text literal at i is the whole of an operand of a comparison or BETWEEN.
bool isComparedAlone(const JetStatement& st, int i) {
    const int prev = st.previousSignificant(i);
    const int next = st.nextSignificant(i);
    const bool endsHere =
        next < 0 || isComparison(st, next) || st.token(next).kind != Kind::Operator;
    if (!endsHere)
        return false;
    if (isComparison(st, next) && !(prev >= 0 && st.token(prev).kind == Kind::Operator))
        return true;
    if (isComparison(st, prev) ||
        (prev >= 0 && st.token(prev).isWord(QLatin1StringView("BETWEEN"))))
        return true;
    // The upper bound of BETWEEN … AND.
    if (prev < 0 || !st.token(prev).isWord(QLatin1StringView("AND")))
        return false;
    const int low = st.previousSignificant(prev);
    const int between = low < 0 ? -1 : st.previousSignificant(low);
    return between >= 0 && st.token(between).isWord(QLatin1StringView("BETWEEN"));
}

bool endsSelectList(const JetStatement& st, int k) {
    static const char* const words[] = {"FROM",  "INTO",  "WHERE",  "GROUP",     "HAVING",
                                        "ORDER", "UNION", "EXCEPT", "INTERSECT", "PIVOT"};
    if (st.depth(k) != 0)
        return false;
    if (st.token(k).kind == Kind::Semicolon)
        return true;
    for (const char* w : words)
        if (st.token(k).isWord(QLatin1StringView(w)))
            return true;
    return false;
}

// A column as it stands in a table: name, table.name, * or table.*.
bool isPlainColumn(const JetStatement& st, int first, int last) {
    for (int k = first; k >= 0 && k <= last; k = st.nextSignificant(k)) {
        const JetToken& t = st.token(k);
        const bool part =
            t.kind == Kind::Bracketed || t.kind == Kind::BackQuoted ||
            (t.kind == Kind::Word && !isClauseWord(t)) || t.isOperator(QLatin1StringView(".")) ||
            t.isOperator(QLatin1StringView("!")) || t.isOperator(QLatin1StringView("*"));
        if (!part)
            return false;
    }
    return true;
}

void nameColumn(JetStatement& st, int first, int last, int& number) {
    if (first < 0 || last < first)
        return;
    for (int k = first; k >= 0 && k <= last; k = st.nextSignificant(k))
        if (st.depth(k) == 0 && st.token(k).isWord(QLatin1StringView("AS")))
            return;
    if (isPlainColumn(st, first, last))
        return;
    st.insertAfter(last, QStringLiteral(" AS \"Expr%1\"").arg(number++));
}

} // namespace

bool isComparison(const JetStatement& st, int i) {
    static const char* const ops[] = {"=", "<>", "<", ">", "<=", ">=", "!="};
    if (i < 0)
        return false;
    for (const char* op : ops)
        if (st.token(i).isOperator(QLatin1StringView(op)))
            return true;
    return false;
}

// UPDATE … SET a = 'x': an assignment, not a comparison.
bool inSetClause(const JetStatement& st, int i) {
    for (int k = st.previousSignificant(i); k >= 0; k = st.previousSignificant(k)) {
        if (st.depth(k) != st.depth(i))
            continue;
        if (st.token(k).isWord(QLatin1StringView("SET")))
            return true;
        if (isClauseWord(st.token(k)) && !st.token(k).isWord(QLatin1StringView("AND")))
            return false;
    }
    return false;
}

void nameComputedColumns(JetStatement& st) {
    const int select = st.firstSignificant();
    if (select < 0 || !st.token(select).isWord(QLatin1StringView("SELECT")))
        return;
    int k = st.nextSignificant(select);
    while (k >= 0 && (st.token(k).isWord(QLatin1StringView("ALL")) ||
                      st.token(k).isWord(QLatin1StringView("DISTINCT")) ||
                      st.token(k).isWord(QLatin1StringView("DISTINCTROW"))))
        k = st.nextSignificant(k);
    if (k >= 0 && st.token(k).isWord(QLatin1StringView("TOP"))) {
        k = st.nextSignificant(st.nextSignificant(k));
        if (k >= 0 && st.token(k).isWord(QLatin1StringView("PERCENT")))
            k = st.nextSignificant(k);
    }
    int number = 1000;
    int first = k;
    int last = -1;
    for (; k >= 0; k = st.nextSignificant(k)) {
        if (endsSelectList(st, k))
            break;
        if (st.depth(k) == 0 && st.token(k).kind == Kind::Comma) {
            nameColumn(st, first, last, number);
            first = st.nextSignificant(k);
            continue;
        }
        last = k;
    }
    nameColumn(st, first, last, number);
}

void rewriteArithmetic(JetStatement& st) {
    const auto named = [](const char* op, const char* function) {
        return [=](const JetToken& t) {
            return t.isOperator(QLatin1StringView(op)) ? QString::fromLatin1(function) : QString();
        };
    };
    rewriteOperator(st, powerLevel, named("^", "jet_power"));
    rewriteOperator(st, 3, named("\\", "jet_intdiv"));
    rewriteOperator(st, 2, [](const JetToken& t) {
        return t.isWord(QLatin1StringView("Mod")) ? QStringLiteral("jet_mod") : QString();
    });
    // + and - group together, left to right.
    rewriteOperator(st, 1, [](const JetToken& t) {
        if (t.isOperator(QLatin1StringView("+")))
            return QStringLiteral("jet_add");
        return t.isOperator(QLatin1StringView("-")) ? QStringLiteral("jet_subtract") : QString();
    });
}

void rewriteSwitchAndChoose(JetStatement& st, const SqlDialect& dialect) {
    for (int i = 0; i < st.size(); ++i) {
        const JetToken& t = st.token(i);
        const bool isSwitch = t.isWord(QLatin1StringView("Switch"));
        if (!isSwitch && !t.isWord(QLatin1StringView("Choose")))
            continue;
        const int open = st.nextSignificant(i);
        const int prev = st.previousSignificant(i);
        if (open < 0 || st.token(open).kind != Kind::OpenParen || st.matching(open) < 0 ||
            (prev >= 0 && st.token(prev).isOperator(QLatin1StringView("."))))
            continue;
        const std::vector<int> commas = argumentCommas(st, open);
        if (isSwitch) {
            // Switch(condition, value, …): Null when no condition holds.
            if (commas.size() % 2 == 0)
                continue; // an odd number of arguments; the backend will say why
            st.replace(i, QStringLiteral("CASE"));
            st.replace(open, QStringLiteral(" WHEN "));
            for (size_t c = 0; c < commas.size(); ++c)
                st.replace(commas[c],
                           c % 2 == 0 ? QStringLiteral(" THEN ") : QStringLiteral(" WHEN "));
        } else {
            // Choose(index, value1, value2, …): the index rounded; Null outside the list.
            if (commas.empty())
                continue;
            st.replace(i, QStringLiteral("CASE ") + dialect.functionName(QStringLiteral("Round")));
            for (size_t c = 0; c < commas.size(); ++c)
                st.replace(commas[c], QStringLiteral("%1 WHEN %2 THEN ")
                                          .arg(c == 0 ? QStringLiteral(")") : QString())
                                          .arg(c + 1));
        }
        st.replace(st.matching(open), QStringLiteral(" END"));
    }
}

void rewriteTextComparisons(JetStatement& st, const SqlDialect& dialect) {
    const QString collate = QStringLiteral(" COLLATE ") + dialect.caseInsensitiveCollation();
    for (int i = 0; i < st.size(); ++i) {
        if (isTextLiteral(st, i) && caseMatters(stringLiteralValue(st.token(i))) &&
            isComparedAlone(st, i) && !inSetClause(st, i)) {
            // In parentheses: PostgreSQL reads no COLLATE in a bound of BETWEEN without them.
            st.insertBefore(i, QStringLiteral("("));
            st.insertAfter(i, collate + QLatin1Char(')'));
            continue;
        }
        // x IN ('a', 'b'): the backends compare by the collation of x.
        if (!st.token(i).isWord(QLatin1StringView("IN")))
            continue;
        const int open = st.nextSignificant(i);
        if (open < 0 || st.token(open).kind != Kind::OpenParen || st.matching(open) < 0)
            continue;
        bool texts = true;
        for (int k = st.nextSignificant(open); k >= 0 && k < st.matching(open);
             k = st.nextSignificant(k))
            texts =
                texts && (st.token(k).kind == Kind::Comma ||
                          (isTextLiteral(st, k) && caseMatters(stringLiteralValue(st.token(k)))));
        int last = st.previousSignificant(i);
        if (last >= 0 && st.token(last).isWord(QLatin1StringView("NOT")))
            last = st.previousSignificant(last);
        const int first = last < 0 ? -1 : leftOperand(st, st.nextSignificant(last), 0);
        if (!texts || first < 0)
            continue;
        st.insertBefore(first, QStringLiteral("("));
        st.insertAfter(last, QLatin1Char(')') + collate);
    }
}

} // namespace rp
