// The JSON helpers byte for byte: escaping, \u escapes with and without surrogate pairs, bad
// hex, unterminated literals, depth, non-string values and keys spelled with escapes.
#include <gtest/gtest.h>

#include "web/json.h"

namespace {

std::string alan(const std::string& metin, const std::string& anahtar, bool* bulundu = nullptr) {
    std::string cikti = "<dokunulmadi>";
    const bool b = json_alan(metin, anahtar, cikti);
    if (bulundu) *bulundu = b;
    return cikti;
}

TEST(Json, EscapingQuotesBackslashesControlBytesAndNothingElse) {
    EXPECT_EQ(json_kacis("a\"b\\c\n"), "\"a\\\"b\\\\c\\u000a\"");
    EXPECT_EQ(json_kacis(""), "\"\"");
    EXPECT_EQ(json_kacis("\xC5\x9F/\x7F"), "\"\xC5\x9F/\x7F\"");
    EXPECT_EQ(json_kacis(std::string("\0\t\x1F", 3)), "\"\\u0000\\u0009\\u001f\"");
}

TEST(Json, FieldsOfTheOutermostObjectOnly) {
    EXPECT_EQ(alan("{\"a\":{\"message\":\"x\"},\"message\":\"y\"}", "message"), "y");
    EXPECT_EQ(alan("[{\"message\":\"x\"}]", "message"), "<dokunulmadi>");
    EXPECT_EQ(alan("{\"k\":\"}{[\\\"\",\"message\":\"z\"}", "message"), "z");  // brackets inside strings
    EXPECT_EQ(alan("{\"message\":\"ilk\",\"message\":\"ikinci\"}", "message"), "ilk");
    EXPECT_EQ(alan("{\"mess\\u0061ge\":\"e\"}", "message"), "e");
    EXPECT_EQ(alan("{\"\":\"bos\"}", ""), "bos");
    EXPECT_EQ(alan("{\"a\":\"message\",\"b\":1}", "message"), "<dokunulmadi>");  // a value is no key
}

TEST(Json, NonStringValuesAndBrokenTextLeaveTheOutputAlone) {
    bool b = true;
    for (const std::string& metin :
         {std::string("{\"code\":401}"), std::string("{\"code\" : }"), std::string("{\"code\":"),
          std::string("{\"code\":null}"), std::string("{\"code\":[\"x\"]}"), std::string(""),
          std::string("{\"code"), std::string("{\"code\"\x01:\"x\"}")}) {
        EXPECT_EQ(alan(metin, "code", &b), "<dokunulmadi>") << metin;
        EXPECT_FALSE(b) << metin;
    }
}

TEST(Json, EscapesInValues) {
    EXPECT_EQ(alan("{ \"message\" :\t\"h\\u00e9llo\\nwor\\bld\" }", "message"), "h\xC3\xA9llo\nworld");
    EXPECT_EQ(alan("{\"m\":\"\\ud83d\\ude00\"}", "m"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(alan("{\"m\":\"\\ud83dx\"}", "m"), "\xED\xA0\xBDx");       // lone high surrogate
    EXPECT_EQ(alan("{\"m\":\"\\udc00\"}", "m"), "\xED\xB0\x80");          // lone low surrogate
    EXPECT_EQ(alan("{\"m\":\"\\u00zz\"}", "m"), "u00zz");                 // bad hex: just "u"
    EXPECT_EQ(alan("{\"m\":\"\\u12\"}", "m"), "u12");                     // too short
    EXPECT_EQ(alan("{\"m\":\"\\/\\x\\\\\\f\\r\\t\"}", "m"), "/x\\\r\t");
    EXPECT_EQ(alan("{\"m\":\"\\u0000\"}", "m"), std::string("\0", 1));
}

TEST(Json, UnterminatedLiteralKeepsWhatWasRead) {
    std::string cikti = "eski";
    const std::string metin = "\"abc\\n";
    size_t son = json_dize_oku(metin, 0, cikti);
    EXPECT_GE(son, metin.size());
    EXPECT_EQ(cikti, "abc\n");
    EXPECT_EQ(json_dize_oku("x\"q\"", 1, cikti), 3u);
    EXPECT_EQ(cikti, "q");
    // A value cut off before its closing quote is no value: a ticket's beginning is not a ticket.
    std::string deger = "dokunulmadi";
    EXPECT_FALSE(json_alan("{\"ticket\":\"PARTIAL", "ticket", deger));
    EXPECT_EQ(deger, "dokunulmadi");
}

}  // namespace
