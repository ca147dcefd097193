#include "platform/files/FileNamePattern.h"

#include <vector>

namespace {

enum class TokenKind {
    Literal,
    Star,      // any run of characters
    StarToDot, // "*" before a ".": any run that stops short of the name's last dot
    QuestionMark,
    DotOrEnd, // "." before wildcards or at the end: a dot, or the end of the name
};

struct Token
{
    TokenKind kind;
    QChar literal;
};

bool isWildcard(QChar c)
{
    return c == QLatin1Char('*') || c == QLatin1Char('?');
}

std::vector<Token> tokenise(const QString &pattern)
{
    std::vector<Token> tokens;
    if (pattern == QStringLiteral("*.*")) {
        tokens.push_back({TokenKind::Star, {}});
        return tokens;
    }
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        const bool atEnd = i + 1 == pattern.size();
        const QChar next = atEnd ? QChar() : pattern.at(i + 1);
        if (c == QLatin1Char('?'))
            tokens.push_back({TokenKind::QuestionMark, {}});
        else if (c == QLatin1Char('*'))
            tokens.push_back({next == QLatin1Char('.') ? TokenKind::StarToDot : TokenKind::Star, {}});
        else if (c == QLatin1Char('.') && (atEnd || isWildcard(next)))
            tokens.push_back({TokenKind::DotOrEnd, {}});
        else
            tokens.push_back({TokenKind::Literal, c});
    }
    return tokens;
}

// Dynamic programming over (token, name position): each pair is decided once, so even
// patterns full of stars cost at most tokens × name length steps.
class Matcher
{
public:
    Matcher(std::vector<Token> tokens, const QString &name)
        : m_tokens(std::move(tokens)),
          m_name(name),
          m_lastDot(name.lastIndexOf(QLatin1Char('.'))),
          m_memo((m_tokens.size() + 1) * static_cast<size_t>(name.size() + 1), Unknown)
    {}

    bool matches() { return match(0, 0); }

private:
    enum Memo : signed char { Unknown = -1, No = 0, Yes = 1 };

    bool match(size_t token, qsizetype position)
    {
        signed char &memo = m_memo[token * static_cast<size_t>(m_name.size() + 1) + static_cast<size_t>(position)];
        if (memo == Unknown)
            memo = decide(token, position) ? Yes : No;
        return memo == Yes;
    }

    bool decide(size_t token, qsizetype position)
    {
        const qsizetype length = m_name.size();
        if (token == m_tokens.size())
            return position == length;
        const Token &t = m_tokens[token];
        const bool atEnd = position == length;
        switch (t.kind) {
        case TokenKind::Literal:
            return !atEnd && m_name.at(position).toCaseFolded() == t.literal.toCaseFolded()
                && match(token + 1, position + 1);
        case TokenKind::Star:
            for (qsizetype end = position; end <= length; ++end) {
                if (match(token + 1, end))
                    return true;
            }
            return false;
        case TokenKind::StarToDot: {
            const qsizetype limit = m_lastDot >= position ? m_lastDot : length;
            for (qsizetype end = position; end <= limit; ++end) {
                if (match(token + 1, end))
                    return true;
            }
            return false;
        }
        case TokenKind::QuestionMark:
            if (atEnd || m_name.at(position) == QLatin1Char('.'))
                return match(token + 1, position);
            return match(token + 1, position + 1);
        case TokenKind::DotOrEnd:
            if (atEnd)
                return match(token + 1, position);
            return m_name.at(position) == QLatin1Char('.') && match(token + 1, position + 1);
        }
        return false;
    }

    std::vector<Token> m_tokens;
    const QString &m_name;
    qsizetype m_lastDot;
    std::vector<signed char> m_memo;
};

} // namespace

bool FileNameMatches(const QString &pattern, const QString &name)
{
    return Matcher(tokenise(pattern), name).matches();
}
