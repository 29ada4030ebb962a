#include "platform/data/FilterExpr.h"

#include "platform/data/DBError.h"
#include "platform/data/Variants.h"

#include "platform/core/SysUtils.h"

namespace tessiv {

struct TFilterExpression::Node {
    enum Kind { Const, Column, Not, And, Or, Cmp, Arith, Neg, IsNull } K = Const;
    QVariant Value;
    int ColumnNo = -1;
    QString Op;
    bool Negate = false;
    int Height = 1; // levels of the tree below and with this node: bounds every recursion over it
    std::unique_ptr<Node> L, R;
};

namespace {

using Node = TFilterExpression::Node;

struct Token {
    enum T { End, Name, Number, String, Op, LParen, RParen } Type = End;
    QString Text;
};

// Deeper than this a filter is refused: its evaluation and destruction recurse once per level.
constexpr int kMaxDepth = 256;

class Parser {
public:
    Parser(const QString& text, const TFilterExpression::TResolver& resolve) : FText(text), FResolve(resolve)
    {
        Advance();
    }

    std::unique_ptr<Node> ParseAll()
    {
        auto n = ParseOr();
        if (FTok.Type != Token::End)
            Error(QStringLiteral("Unexpected '%1'").arg(FTok.Text));
        return n;
    }

private:
    [[noreturn]] void Error(const QString& what) const
    {
        throw EDatabaseError(QStringLiteral("Filter expression incorrectly terminated: %1 (%2)").arg(what, FText));
    }

    bool IsWord(const char* w) const
    {
        return FTok.Type == Token::Name && FTok.Text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    }

    void Advance()
    {
        while (FPos < FText.size() && FText.at(FPos).isSpace())
            ++FPos;
        FTok = Token{};
        if (FPos >= FText.size())
            return;
        const QChar c = FText.at(FPos);
        if (c == QLatin1Char('\'')) {
            QString s;
            ++FPos;
            for (;;) {
                if (FPos >= FText.size())
                    Error(QStringLiteral("unterminated string"));
                if (FText.at(FPos) == QLatin1Char('\'')) {
                    if (FPos + 1 < FText.size() && FText.at(FPos + 1) == QLatin1Char('\'')) {
                        s += QLatin1Char('\'');
                        FPos += 2;
                        continue;
                    }
                    ++FPos;
                    break;
                }
                s += FText.at(FPos++);
            }
            FTok = {Token::String, s};
        } else if (c == QLatin1Char('[') || c == QLatin1Char('"')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : QLatin1Char('"');
            const qsizetype end = FText.indexOf(close, FPos + 1);
            if (end < 0)
                Error(QStringLiteral("unterminated field name"));
            FTok = {Token::Name, FText.mid(FPos + 1, end - FPos - 1)};
            FQuotedName = true;
            FPos = end + 1;
            return;
        } else if (c.isDigit() || (c == QLatin1Char('.') && FPos + 1 < FText.size() && FText.at(FPos + 1).isDigit())) {
            const qsizetype start = FPos;
            while (FPos < FText.size() && (FText.at(FPos).isDigit() || FText.at(FPos) == QLatin1Char('.')))
                ++FPos;
            FTok = {Token::Number, FText.mid(start, FPos - start)};
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            const qsizetype start = FPos;
            while (FPos < FText.size() && (FText.at(FPos).isLetterOrNumber() || FText.at(FPos) == QLatin1Char('_') ||
                                           FText.at(FPos) == QLatin1Char('.')))
                ++FPos;
            FTok = {Token::Name, FText.mid(start, FPos - start)};
        } else if (c == QLatin1Char('(')) {
            ++FPos;
            FTok = {Token::LParen, QStringLiteral("(")};
        } else if (c == QLatin1Char(')')) {
            ++FPos;
            FTok = {Token::RParen, QStringLiteral(")")};
        } else {
            static const char* ops[] = {"<>", "<=", ">=", "!=", "=", "<", ">", "+", "-", "*", "/"};
            for (const char* op : ops) {
                const QLatin1String o(op);
                if (FText.mid(FPos, o.size()) == o) {
                    FPos += o.size();
                    FTok = {Token::Op, o == QLatin1String("!=") ? QStringLiteral("<>") : QString(o)};
                    FQuotedName = false;
                    return;
                }
            }
            Error(QStringLiteral("unexpected character '%1'").arg(c));
        }
        FQuotedName = false;
    }

    [[noreturn]] void TooDeep() const
    {
        throw EDatabaseError(QStringLiteral("Filter: expression too deeply nested"));
    }

    // Counts a level of recursion of the parser while it lives.
    struct Level {
        Parser& P;
        explicit Level(Parser& p) : P(p)
        {
            if (++P.FNesting > kMaxDepth)
                P.TooDeep();
        }
        ~Level() { --P.FNesting; }
    };

    std::unique_ptr<Node> Unary(Node::Kind k, std::unique_ptr<Node> l)
    {
        auto n = std::make_unique<Node>();
        n->K = k;
        n->Height = l->Height + 1;
        n->L = std::move(l);
        return n;
    }

    std::unique_ptr<Node> Binary(Node::Kind k, const QString& op, std::unique_ptr<Node> l, std::unique_ptr<Node> r)
    {
        auto n = std::make_unique<Node>();
        n->K = k;
        n->Op = op;
        n->Height = std::max(l->Height, r->Height) + 1;
        if (n->Height > kMaxDepth) {
            // Taken apart level by level, so that even a refused tree is freed without recursion.
            n->L = std::move(l);
            n->R = std::move(r);
            Dismantle(std::move(n));
            TooDeep();
        }
        n->L = std::move(l);
        n->R = std::move(r);
        return n;
    }

    static void Dismantle(std::unique_ptr<Node> root)
    {
        std::vector<std::unique_ptr<Node>> pending;
        pending.push_back(std::move(root));
        while (!pending.empty()) {
            std::unique_ptr<Node> n = std::move(pending.back());
            pending.pop_back();
            if (n->L)
                pending.push_back(std::move(n->L));
            if (n->R)
                pending.push_back(std::move(n->R));
        }
    }

    std::unique_ptr<Node> ParseOr()
    {
        Level level(*this);
        auto l = ParseAnd();
        while (IsWord("or")) {
            Advance();
            l = Binary(Node::Or, QString(), std::move(l), ParseAnd());
        }
        return l;
    }

    std::unique_ptr<Node> ParseAnd()
    {
        auto l = ParseNot();
        while (IsWord("and")) {
            Advance();
            l = Binary(Node::And, QString(), std::move(l), ParseNot());
        }
        return l;
    }

    std::unique_ptr<Node> ParseNot()
    {
        if (IsWord("not")) {
            Level level(*this);
            Advance();
            return Unary(Node::Not, ParseNot());
        }
        return ParseCmp();
    }

    std::unique_ptr<Node> ParseCmp()
    {
        auto l = ParseAdd();
        if (IsWord("is")) {
            Advance();
            auto n = std::make_unique<Node>();
            n->K = Node::IsNull;
            if (IsWord("not")) {
                n->Negate = true;
                Advance();
            }
            if (!IsWord("null"))
                Error(QStringLiteral("NULL expected"));
            Advance();
            n->Height = l->Height + 1;
            n->L = std::move(l);
            return n;
        }
        if (FTok.Type == Token::Op && (FTok.Text == QLatin1String("=") || FTok.Text == QLatin1String("<>") ||
                                       FTok.Text.startsWith(QLatin1Char('<')) || FTok.Text.startsWith(QLatin1Char('>')))) {
            const QString op = FTok.Text;
            Advance();
            return Binary(Node::Cmp, op, std::move(l), ParseAdd());
        }
        return l;
    }

    std::unique_ptr<Node> ParseAdd()
    {
        auto l = ParseMul();
        while (FTok.Type == Token::Op && (FTok.Text == QLatin1String("+") || FTok.Text == QLatin1String("-"))) {
            const QString op = FTok.Text;
            Advance();
            l = Binary(Node::Arith, op, std::move(l), ParseMul());
        }
        return l;
    }

    std::unique_ptr<Node> ParseMul()
    {
        auto l = ParseUnary();
        while (FTok.Type == Token::Op && (FTok.Text == QLatin1String("*") || FTok.Text == QLatin1String("/"))) {
            const QString op = FTok.Text;
            Advance();
            l = Binary(Node::Arith, op, std::move(l), ParseUnary());
        }
        return l;
    }

    std::unique_ptr<Node> ParseUnary()
    {
        if (FTok.Type == Token::Op && FTok.Text == QLatin1String("-")) {
            Level level(*this);
            Advance();
            return Unary(Node::Neg, ParseUnary());
        }
        return ParsePrimary();
    }

    std::unique_ptr<Node> ParsePrimary()
    {
        auto n = std::make_unique<Node>();
        switch (FTok.Type) {
        case Token::Number: {
            bool ok = false;
            const double d = FTok.Text.toDouble(&ok);
            if (!ok)
                Error(QStringLiteral("bad number '%1'").arg(FTok.Text));
            n->Value = FTok.Text.contains(QLatin1Char('.')) ? QVariant(d) : QVariant(FTok.Text.toLongLong());
            Advance();
            return n;
        }
        case Token::String:
            n->Value = FTok.Text;
            Advance();
            return n;
        case Token::LParen: {
            Advance();
            auto inner = ParseOr();
            if (FTok.Type != Token::RParen)
                Error(QStringLiteral("')' expected"));
            Advance();
            return inner;
        }
        case Token::Name: {
            if (!FQuotedName && IsWord("null")) {
                Advance();
                return n; // a null constant
            }
            if (!FQuotedName && (IsWord("true") || IsWord("false"))) {
                n->Value = IsWord("true");
                Advance();
                return n;
            }
            const int col = FResolve(FTok.Text);
            if (col < 0)
                throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(FTok.Text));
            n->K = Node::Column;
            n->ColumnNo = col;
            Advance();
            return n;
        }
        default:
            Error(FTok.Type == Token::End ? QStringLiteral("unexpected end") : QStringLiteral("unexpected '%1'").arg(FTok.Text));
        }
    }

    QString FText;
    const TFilterExpression::TResolver& FResolve;
    qsizetype FPos = 0;
    Token FTok;
    bool FQuotedName = false;
    int FNesting = 0;
};

struct Evaluator {
    const std::function<QVariant(int)>& Get;
    bool CaseInsensitive;
    bool NoPartial;
    const TFilterExpression::TNamer& Name;

    QVariant Eval(const Node& n) const
    {
        switch (n.K) {
        case Node::Const:
            return n.Value;
        case Node::Column:
            return Get(n.ColumnNo);
        case Node::Neg: {
            const QVariant v = Eval(*n.L);
            return VarIsNull(v) ? QVariant() : QVariant(static_cast<double>(-VarToFloat(v)));
        }
        case Node::Arith: {
            const QVariant a = Eval(*n.L), b = Eval(*n.R);
            if (VarIsNull(a) || VarIsNull(b))
                return QVariant();
            if (n.Op == QLatin1String("+") && a.typeId() == QMetaType::QString && b.typeId() == QMetaType::QString)
                return a.toString() + b.toString();
            const long double x = VarToFloat(a), y = VarToFloat(b);
            if (n.Op == QLatin1String("+")) return static_cast<double>(x + y);
            if (n.Op == QLatin1String("-")) return static_cast<double>(x - y);
            if (n.Op == QLatin1String("*")) return static_cast<double>(x * y);
            return y == 0 ? QVariant() : QVariant(static_cast<double>(x / y));
        }
        default:
            return Test(n);
        }
    }

    bool Test(const Node& n) const
    {
        switch (n.K) {
        case Node::Not:
            return !Test(*n.L);
        case Node::And:
            return Test(*n.L) && Test(*n.R);
        case Node::Or:
            return Test(*n.L) || Test(*n.R);
        case Node::IsNull:
            return VarIsNull(Eval(*n.L)) != n.Negate;
        case Node::Cmp:
            return Compare(n);
        default: {
            const QVariant v = Eval(n);
            return !VarIsNull(v) && (v.typeId() == QMetaType::Bool ? v.toBool() : VarToFloat(v) != 0);
        }
        }
    }

    // The field a failed comparison or calculation was about, for the error.
    QString FieldOf(const Node& n) const
    {
        if (n.K == Node::Column)
            return Name ? Name(n.ColumnNo) : QString();
        QString f = n.L ? FieldOf(*n.L) : QString();
        return f.isEmpty() && n.R ? FieldOf(*n.R) : f;
    }

    bool Compare(const Node& n) const
    {
        try {
            return CompareValues(n);
        } catch (const EConvertError& e) {
            const QString field = FieldOf(n);
            throw EDatabaseError(field.isEmpty() ? e.Message() : QStringLiteral("field '%1': %2").arg(field, e.Message()));
        }
    }

    bool CompareValues(const Node& n) const
    {
        const QVariant a = Eval(*n.L), b = Eval(*n.R);
        const bool an = VarIsNull(a), bn = VarIsNull(b);
        if (an || bn) {
            // "= NULL" finds empty values; every other comparison with an empty value fails.
            if (n.Op == QLatin1String("="))
                return an && bn;
            if (n.Op == QLatin1String("<>"))
                return an != bn;
            return false;
        }
        int c;
        if (a.typeId() == QMetaType::QString && b.typeId() == QMetaType::QString) {
            QString x = a.toString(), y = b.toString();
            if (!NoPartial && y.endsWith(QLatin1Char('*')) && (n.Op == QLatin1String("=") || n.Op == QLatin1String("<>"))) {
                y.chop(1);
                const bool match = x.startsWith(y, CaseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
                return n.Op == QLatin1String("=") ? match : !match;
            }
            c = QString::compare(x, y, CaseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
        } else if (a.typeId() == QMetaType::Double && b.typeId() == QMetaType::QString && IsDateField(*n.L)) {
            c = CompareDate(a, b.toString());
        } else if (b.typeId() == QMetaType::Double && a.typeId() == QMetaType::QString && IsDateField(*n.R)) {
            c = -CompareDate(b, a.toString());
        } else if (a.typeId() == QMetaType::Bool || b.typeId() == QMetaType::Bool) {
            c = static_cast<int>(ToBool(a)) - static_cast<int>(ToBool(b));
        } else {
            c = VarCompare(a, b);
        }
        if (n.Op == QLatin1String("=")) return c == 0;
        if (n.Op == QLatin1String("<>")) return c != 0;
        if (n.Op == QLatin1String("<")) return c < 0;
        if (n.Op == QLatin1String("<=")) return c <= 0;
        if (n.Op == QLatin1String(">")) return c > 0;
        return c >= 0;
    }

    static bool ToBool(const QVariant& v)
    {
        if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString().trimmed().toUpper();
            return s == QLatin1String("TRUE") || s == QLatin1String("T") || s == QLatin1String("1");
        }
        return v.toBool();
    }

    bool IsDateField(const Node& n) const { return n.K == Node::Column; }

    static int CompareDate(const QVariant& stored, const QString& text)
    {
        // A date column holds its day count; the literal is in the locale's or the ISO form.
        TDateTime d;
        if (!TryStrToDateTime(text, d) && !TryStrToDate(text, d)) {
            const QDateTime iso = QDateTime::fromString(text, Qt::ISODate);
            const QDate isoDate = QDate::fromString(text, Qt::ISODate);
            if (iso.isValid())
                d = QDateTimeToDateTime(iso);
            else if (isoDate.isValid())
                d = QDateTimeToDateTime(QDateTime(isoDate, QTime(0, 0)));
            else
                return VarCompare(stored, text);
        }
        const double x = stored.toDouble();
        return x < d ? -1 : (x > d ? 1 : 0);
    }
};

} // namespace

TFilterExpression::TFilterExpression(const QString& text, const TResolver& resolve, bool caseInsensitive, bool noPartial,
                                     TNamer namer)
    : FCaseInsensitive(caseInsensitive), FNoPartial(noPartial), FNamer(std::move(namer))
{
    Parser p(text, resolve);
    FRoot = p.ParseAll();
}

TFilterExpression::~TFilterExpression() = default;

bool TFilterExpression::Matches(const std::function<QVariant(int)>& value) const
{
    Evaluator e{value, FCaseInsensitive, FNoPartial, FNamer};
    return e.Test(*FRoot);
}

} // namespace tessiv
