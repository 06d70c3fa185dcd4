// A Windows code page for tests that need one by number (1251, 1252, 932),
// converted by the system without best-fit characters.
#pragma once

#include "lyrics/TextEncoding.h"

class TestCodePage : public text::CodePage {
public:
    explicit TestCodePage(unsigned id) : m_id(id) {}
    unsigned Id() const override { return m_id; }
    std::string ToUtf8(std::string_view bytes) const override;
    bool FromUtf8(std::string_view utf8, std::string& bytes) const override;

private:
    unsigned m_id;
};
