// The text instructions, one record at a time, as scripts write them.
#include <random>
#include <string>

#include "test_support.hpp"

namespace korvex::testing {
namespace {

TEST(StringFunctions, JoinCaseTrim) {
    expect_results({
        {"RF00[31]'alone'", "alone"},
        {"RF00[31]'a''b'#'c''d'", "abcd"},
        {"RF00[31]'a'''''", "a"},
        {"RF00[31]'a''b", "ab"},
        {"RF03[31]'stra\xDF"
         "e \xE0 z'",
         "STRA\xDF"
         "E \xE0 Z"},
        {"RF03[31]'a{`@['", "A{`@["},
        {"RF04[31]'MiXeD \xC4 @[Z'", "mixed \xC4 @[z"},
        {"RF05[31]'   '", ""},
        {"RF05[31]''", ""},
        {"RF05[31]'  a b  '", "a b"},
        {"RF05[31]'\tx \r\n'", "\tx \r\n"},
    });
}

TEST(StringFunctions, CharactersCodesAndLengths) {
    expect_results({
        {"RF06[31]'65'", "A"},
        {"RF06[31]'0'", ""},
        {"RF06[31]'256'", ""},
        {"RF06[31]'321'", "A"},
        {"RF06[31]'-191'", "A"},
        {"RF06[31]'-28'", "\xE4"},
        {"RF06[31]'abc'", ""},
        {"RF06[31]'-2147483648'", ""},
        {"RF12[31]''", "0"},
        {"RF12[31]'A'", "65"},
        {"RF12[31]'\xE4xyz'", "-28"},
        {"RF12[31]'\x80'", "-128"},
        {"RF12[31]'\xFF'", "-1"},
        {"RF07[31]''", "0"},
        {"RF07[31]'Hello'", "5"},
        {"RF07[31]'\xE4\xE4'", "2"},
    });
    // A code read back through "RF06" gives the byte again, for every byte but 0.
    for (int byte = 1; byte < 256; ++byte) {
        ScriptRun script("");
        script.runtime->variables.store("32", std::string(1, static_cast<char>(byte)));
        script.execute("RF12[33][32]");
        script.execute("RF06[31][33]");
        EXPECT_EQ(script.variable("31"), std::string(1, static_cast<char>(byte))) << byte;
    }
}

TEST(StringFunctions, Pieces) {
    expect_results({
        {"RF08[31]'Hello''2''3'", "ell"},
        {"RF08[31]'Hello''0''2'", "lo"},
        {"RF08[31]'Hello''-4''2'", "lo"},
        {"RF08[31]'Hello''2''-5'", "e"},
        {"RF08[31]'Hello''4''10'", "lo"},
        {"RF08[31]'Hello''1''0'", ""},
        {"RF08[31]'Hello''6''1'", ""},
        {"RF08[31]'Hello''0''0'", ""},
        {"RF08[31]'Hello''0''5'", "Hello"},
        {"RF08[31]'   ''1''2'", ""},
        {"RF08[31]''''''", ""},
        {"RF08[31]' ab ''1''2'", " a"},
        // start positions outside the text give the empty text
        {"RF08[31]'Hello''7''1'", ""},
        {"RF08[31]'Hello''2147483647''2147483647'", ""},
        {"RF08[31]'Hello''0''6'", ""},
        {"RF08[31]'Hello''-2147483648''2147483647'", ""},
        {"RF08[31]'Hello''1''2147483647'", "Hello"},
    });
}

TEST(StringFunctions, Positions) {
    expect_results({
        {"RF02[31]'abcabc''bc''2'", "5"},
        {"RF02[31]'abcabc''bc''3'", "0"},
        {"RF02[31]'abcabc''bc''0'", "2"},
        {"RF02[31]'abcabc''bc''-7'", "2"},
        {"RF02[31]'abcabc''bc'' 2 '", "5"},
        {"RF02[31]'aaaa''aa''3'", "3"},
        {"RF02[31]'aaaa''aa''4'", "0"},
        {"RF02[31]'abc''c''1'", "3"},
        {"RF02[31]'abc''cd''1'", "0"},
        {"RF02[31]'abc''''3'", "3"},
        {"RF02[31]'abc''''4'", "0"},
        {"RF02[31]'''''1'", "0"},
        {"RF02[31]'''a''1'", "0"},
        {"RF02[31]'abc''ABC''1'", "0"},
        {"RF02[31]'ab''b''2147483647'", "0"},
    });
}

TEST(StringFunctions, Fields) {
    expect_results({
        {"RF10[31]'a;b;c'';''3'", "c"},
        {"RF10[31]'a;b;c'';''4'", ""},
        {"RF10[31]'a;b;c'';''0'", "a"},
        {"RF10[31]'a;b;c'';'' 2'", "b"},
        {"RF10[31]'a,,b'',''2'", ""},
        {"RF10[31]'a,,b'',''3'", "b"},
        {"RF10[31]'a<>bb<>c''<>''2'", "bb"},
        {"RF10[31]'abc''<>''1'", "abc"},
        {"RF10[31]'abc''<>''2'", ""},
        {"RF10[31]''';''1'", ""},
        {"RF10[31]'a;b''''1'", ""},
        {"RF10[31]'a;b''''2147483647'", ""},
        {"RF10[31]'a;b;'';''3'", ""},
        // The appended separator can overlap the text's own end.
        {"RF10[31]'a;'';;''1'", "a"},
        {"RF10[31]'a;'';;''2'", ";"},
        {"RF10[31]'aaa''aa''2'", ""},
        {"RF10[31]'aaa''aa''3'", "a"},
    });
}

// The field walk byte by byte, as written down: the field instruction must agree with it.
std::string field_by_walk(const std::string& text, const std::string& separator, int field_number) {
    const std::string extended = text + separator;
    std::string field;
    int counter = 0;
    for (std::size_t i = 0; i <= extended.size(); ++i) {
        bool at_end = i == extended.size();
        if (at_end || extended.compare(i, separator.size(), separator) == 0) {
            if (++counter == field_number || at_end) return field;
            field.clear();
            i = i + separator.size() - 1;
        } else {
            field += extended[i];
        }
    }
    return field;
}

TEST(StringFunctions, FieldsFollowTheByteWalk) {
    std::mt19937 generator(7);
    const std::string separators[] = {";", ";;", "a;", "aa", ";a;"};
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (int length = generator() % 9; length > 0; --length) text += "a;b"[generator() % 3];
        const std::string& separator = separators[generator() % 5];
        int field_number = 1 + static_cast<int>(generator() % 6);
        ScriptRun script("");
        script.runtime->variables.store("32", text);
        script.runtime->variables.store("33", separator);
        script.execute("RF10[31][32][33]'" + std::to_string(field_number) + "'");
        ASSERT_EQ(script.variable("31"), field_by_walk(text, separator, field_number))
            << text << " " << separator << " " << field_number;
    }
}

// Positions and replacements found by comparing at every place, as the rules say.
std::int64_t position_by_walk(const std::string& text, const std::string& search, int occurrence) {
    int found = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text.compare(i, search.size(), search) == 0 && ++found == occurrence) return i + 1;
    return 0;
}

std::string replacement_by_walk(const std::string& text, const std::string& search, const std::string& by) {
    if (search.empty()) return text;
    std::string result;
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, search.size(), search) == 0) {
            result += by;
            i += search.size();
        } else {
            result += text[i++];
        }
    }
    return result;
}

// Two letters give overlapping matches, near matches and separators at both ends in plenty.
TEST(StringFunctions, SearchesAgreeWithComparingAtEveryPlace) {
    std::mt19937 generator(11);
    auto random_text = [&](unsigned longest) {
        std::string text;
        for (unsigned length = generator() % (longest + 1); length > 0; --length)
            text += "ab"[generator() % 2];
        return text;
    };
    for (int round = 0; round < 3000; ++round) {
        const std::string text = random_text(24), search = random_text(5);
        const int number = 1 + static_cast<int>(generator() % 10);
        ScriptRun script("");
        script.runtime->variables.store("32", text);
        script.runtime->variables.store("33", search);
        const std::string number_operand = "'" + std::to_string(number) + "'";
        script.execute("RF02[31][32][33]" + number_operand);
        ASSERT_EQ(script.variable("31"), std::to_string(position_by_walk(text, search, number)))
            << text << " " << search << " " << number;
        script.execute("RF11[31][32][33]'<>'");
        ASSERT_EQ(script.variable("31"), replacement_by_walk(text, search, "<>")) << text << " " << search;
        script.execute("RF10[31][32][33]" + number_operand);
        ASSERT_EQ(script.variable("31"), field_by_walk(text, search, number))
            << text << " " << search << " " << number;
    }
}

// 4 MB of "a" against 100 KB patterns that fail only at their last or first byte, or match
// everywhere: a search that starts over at every place compares some 10^11 bytes for one of these.
TEST(StringFunctions, NearMatchesCostTimeInProportionToTheText) {
    const std::size_t text_size = 4u << 20, pattern_size = 100000;
    ScriptRun script("");
    script.runtime->variables.store("32", std::string(text_size, 'a'));
    for (const std::string& pattern :
         {std::string(pattern_size - 1, 'a') + "b", "b" + std::string(pattern_size - 1, 'a')}) {
        script.runtime->variables.store("33", pattern);
        script.execute("RF02[31][32][33]'1'");
        EXPECT_EQ(script.variable("31"), "0");
        script.execute("RF11[31][32][33]'x'");
        EXPECT_EQ(script.variable("31").size(), text_size);
        script.execute("RF10[31][32][33]'1'");
        EXPECT_EQ(script.variable("31").size(), text_size);
    }
    script.runtime->variables.store("33", std::string(pattern_size, 'a'));
    const std::size_t last_match = text_size - pattern_size + 1, whole_matches = text_size / pattern_size;
    script.execute("RF02[31][32][33]'" + std::to_string(last_match) + "'");
    EXPECT_EQ(script.variable("31"), std::to_string(last_match));
    script.execute("RF11[31][32][33]'x'");
    EXPECT_EQ(script.variable("31"),
              std::string(whole_matches, 'x') + std::string(text_size % pattern_size, 'a'));
    // With the separator appended the text holds one whole match more; what is left is the last field.
    script.execute("RF10[31][32][33]'" + std::to_string(whole_matches + 2) + "'");
    EXPECT_EQ(script.variable("31"), std::string(text_size % pattern_size, 'a'));
}

TEST(StringFunctions, FieldsAreWholeAndSetTheResultVariable) {
    ScriptRun script("");
    std::string long_field(5000, 'x');
    long_field[2500] = '\0';
    script.runtime->variables.store("32", "a;" + long_field + ";c");
    script.execute("R001[0]'-1'");
    script.execute("RF10[31][32]';''2'");
    EXPECT_EQ(script.variable("31"), long_field);
    EXPECT_EQ(script.variable("0"), "0");
    script.execute("R001[0]'-1'");
    script.execute("RF10[31][32]';''9'");
    EXPECT_EQ(script.variable("0"), "0");
    // Into variable 0 itself the field is overwritten by the result.
    script.execute("RF10[0]'x;y'';''2'");
    EXPECT_EQ(script.variable("0"), "0");
}

TEST(StringFunctions, Replace) {
    expect_results({
        {"RF11[31]'aaaa''aa''a'", "aa"},
        {"RF11[31]'ab''a''aa'", "aab"},
        {"RF11[31]'a-b-c''-'''", "abc"},
        {"RF11[31]'abc''x''y'", "abc"},
        {"RF11[31]'abc''abc''xyz'", "xyz"},
        {"RF11[31]'abc''abcd''x'", "abc"},
        {"RF11[31]'abc''''x'", "abc"},
        {"RF11[31]'''a''b'", ""},
        {"RF11[31]'C:\\a\\b''\\''/'", "C:/a/b"},
    });
}

TEST(StringFunctions, ResultsGoThroughTheSystemVariables) {
    ScriptRun script("");
    script.execute("RF03[25]'copied'");
    EXPECT_EQ(script.conversation(), "clipboard \"COPIED\"\n");
    EXPECT_EQ(script.variable("25"), "COPIED");
    // The text of "RF07" comes through the computed variable as well.
    script.execute("RF07[31][25]");
    EXPECT_EQ(script.variable("31"), "6");
}

TEST(StringFunctions, HandleLongTextsWhole) {
    ScriptRun script("");
    std::string text(100000, 'a');
    script.runtime->variables.store("32", text);
    script.execute("RF11[31][32]'a''bc'");
    EXPECT_EQ(script.variable("31").size(), 200000u);
    script.execute("RF07[31][32]");
    EXPECT_EQ(script.variable("31"), "100000");
    script.execute("RF02[31][32]'a''99999'");
    EXPECT_EQ(script.variable("31"), "99999");
    script.execute("RF00[31][32]#[32][32]");
    EXPECT_EQ(script.variable("31").size(), 300000u);
}

} // namespace
} // namespace korvex::testing
