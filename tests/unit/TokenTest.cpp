#include "lyrics/Token.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Tokens = std::vector<std::string>;

Tokens AllTokens(CToken& token)
{
    Tokens out;
    while (token.HasMoreTokens() && out.size() < 100)
        out.push_back(token.GetNextToken());
    return out;
}

Tokens Split(const std::string& text)
{
    CToken token(text);
    return AllTokens(token);
}

TEST(CToken, SplitsAtEverySingleDelimiter)
{
    EXPECT_EQ(Split("one two three"), (Tokens{"one", "two", "three"}));
    EXPECT_EQ(Split("a  b"), (Tokens{"a", "", "b"}));
    EXPECT_EQ(Split(" a "), (Tokens{"", "a", ""}));
}

TEST(CToken, TextWithoutDelimiterIsOneToken)
{
    CToken token("word");
    EXPECT_EQ(AllTokens(token), (Tokens{"word"}));
    EXPECT_FALSE(token.FoundDelimiter());
    EXPECT_EQ(token.GetNextToken(), "");
    EXPECT_EQ(Split(""), (Tokens{""}));

    CToken split("a b");
    split.GetNextToken();
    EXPECT_TRUE(split.FoundDelimiter());
}

TEST(CToken, SetDelimiter)
{
    CToken token("a b,c d,");
    token.SetDelimiter(",");
    EXPECT_EQ(AllTokens(token), (Tokens{"a b", "c d", ""}));

    // Without a space the constructor already made the whole text one token.
    CToken noSpace("a,b");
    noSpace.SetDelimiter(",");
    EXPECT_EQ(noSpace.GetNextToken(), "a,b");

    // Only the first character of a longer delimiter is skipped.
    CToken pair("x y, z, ");
    pair.SetDelimiter(", ");
    EXPECT_EQ(AllTokens(pair), (Tokens{"x y", " z", " "}));

    CToken empty("a b");
    empty.SetDelimiter("");
    EXPECT_EQ(AllTokens(empty), Tokens{});
}

}  // namespace
