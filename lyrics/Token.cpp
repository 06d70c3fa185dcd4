#include "lyrics/Token.h"

CToken::CToken(const std::string& text)
    : m_strSource(text), m_strRest(text), m_strDelimiter(" "),
      m_bFoundDelimiter(false), m_bLastPending(text.find(' ') == std::string::npos)
{
}

void CToken::SetDelimiter(const std::string& delimiter)
{
    m_strDelimiter = delimiter;
}

// An empty delimiter is never found; otherwise it would match everywhere and
// HasMoreTokens would never turn false.
size_t CToken::FindDelimiter() const
{
    if (m_strDelimiter.empty())
        return std::string::npos;
    return m_strRest.find(m_strDelimiter);
}

bool CToken::HasMoreTokens() const
{
    return m_bLastPending || FindDelimiter() != std::string::npos;
}

std::string CToken::GetNextToken()
{
    if (m_bLastPending) {
        m_bLastPending = false;
        return m_strRest;
    }
    const size_t pos = FindDelimiter();
    if (pos == std::string::npos)
        return std::string();
    m_bFoundDelimiter = true;
    std::string token = m_strRest.substr(0, pos);
    // Only the delimiter's first character is skipped.
    m_strRest.erase(0, pos + 1);
    if (FindDelimiter() == std::string::npos)
        m_bLastPending = true;
    return token;
}
