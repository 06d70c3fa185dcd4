// Splits a text into tokens at a one-character delimiter.
#pragma once

#include <string>

class CToken {
public:
    explicit CToken(const std::string& text);
    virtual ~CToken() = default;

    virtual std::string GetNextToken();
    virtual bool HasMoreTokens() const;

    // Only the delimiter changes; whether the text counts as a single token
    // was decided by the constructor with the default delimiter.
    void SetDelimiter(const std::string& delimiter);

    bool FoundDelimiter() const { return m_bFoundDelimiter; }

protected:
    std::string m_strSource;     // the text given to the constructor
    std::string m_strRest;       // the text not returned yet
    std::string m_strDelimiter;  // " " by default
    bool m_bFoundDelimiter;      // a delimiter has been met at least once
    bool m_bLastPending;         // m_strRest is the last, unreturned token

private:
    size_t FindDelimiter() const;
};
