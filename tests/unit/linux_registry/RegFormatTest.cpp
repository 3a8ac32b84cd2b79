// The text format on its own: what is read, what is written, what is refused.
#include <gtest/gtest.h>

#include "TestFiles.h"
#include "platform/Types.h"
#include "platform/linux/registry/RegFormat.h"

namespace platform::linux_::registry {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::string_view_literals;

RegDocument parsed(std::string_view text) {
    auto result = parseRegFile(text);
    EXPECT_TRUE(result.document) << result.error << "\n" << text;
    return result.document.value_or(RegDocument{});
}

TEST(RegFormat, WritesBackEveryKindOfValueAndUnknownContentUnchanged) {
    auto doc = parsed(regtest::kSampleFile);
    EXPECT_EQ(serializeRegFile(doc), regtest::kSampleFile);

    ASSERT_EQ(doc.sections.size(), 3u);
    EXPECT_EQ(doc.preamble, std::vector<std::string>{"; kept as written"});
    const auto& other = doc.sections[0].values.at(0);
    std::string path = R"(C:\Program Files\"Other")";
    EXPECT_EQ(other.data, Bytes(path.c_str(), path.c_str() + path.size() + 1));
    const auto& orlenda = doc.sections[1];
    EXPECT_EQ(findValue(orlenda, "Zoom")->data, (Bytes{10, 0, 0, 0}));
    EXPECT_EQ(findValue(orlenda, "Zoom")->comments, std::vector<std::string>{"; the zoom factor"});
    EXPECT_EQ(findValue(orlenda, "")->data, (Bytes{'d', 'e', 'f', 'a', 'u', 'l', 't', 0}));
    EXPECT_EQ(findValue(orlenda, "Empty")->data, Bytes{0});
    EXPECT_EQ(findValue(orlenda, "NoBytes")->type, REG_BINARY);
    EXPECT_TRUE(findValue(orlenda, "NoBytes")->data.empty());
    EXPECT_EQ(findValue(orlenda, "Qword")->type, 11u);
    EXPECT_EQ(findValue(orlenda, "Wide")->type, REG_SZ);
    EXPECT_EQ(orlenda.closingComments, std::vector<std::string>{"; end of the key"});
}

TEST(RegFormat, ReadsWhatOtherWritersProduce) {
    const std::pair<std::string_view, std::string_view> same[] = {
        {"\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n\"a\"=hex:01\r\n",
         "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"a\"=hex:01"},
        {"REGEDIT4\n[K]\n\"B\"=hex:01,02,\\\n  03,\\\n  04\n", "REGEDIT4\n[K]\n\"B\"=hex:01,02,03,04"},
        {"REGEDIT4\n[K]\n  \"D\" = dword:a\n\"H\"=hex:AB,cD\n", "REGEDIT4\n[K]\n\"D\"=dword:0000000a\n\"H\"=hex:ab,cd"},
        {"REGEDIT4\n[K]\n\"a\"=hex:01\n[k]\n\"A\"=hex:02\n\"b\"=hex:03", "REGEDIT4\n[K]\n\"a\"=hex:02\n\"b\"=hex:03"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\\\A\\]\n", "REGEDIT4\n[HKEY_CURRENT_USER\\A]"},
        {"REGEDIT4\n[K]\n\"a\"=hex:01\n\"b\"=hex:02\n\"a\"=-\n", "REGEDIT4\n[K]\n\"b\"=hex:02"},
        {"REGEDIT4\n[K]\n[K\\S]\n[KX]\n[-k]\n\"d\"=hex:04\n", "REGEDIT4\n[KX]"},
        {"REGEDIT4\n[K\\S]\n[K]\n[K\\S\\T]\n[K2]\n[K\\R]\n[-K\\S]\n", "REGEDIT4\n[K]\n[K2]\n[K\\R]"},
        {"REGEDIT4\n[K]\n\"a\"=hex:01\n[-K]\n[K]\n\"b\"=hex:02\n", "REGEDIT4\n[K]\n\"b\"=hex:02"},
        {"REGEDIT4\n[K]\n\"a\"=hex:01\n\"b\"=hex:02\n\"A\"=-\n\"a\"=hex:03\n", "REGEDIT4\n[K]\n\"b\"=hex:02\n\"a\"=hex:03"},
        {"Windows Registry Editor Version 5.00\n[K]\n\"a\"=hex:01\n", "\xEF\xBB\xBFREGEDIT4\n[K]\n\"a\"=hex:01"},
    };
    for (const auto& [input, meaning] : same) EXPECT_EQ(parsed(input), parsed(meaning)) << input;
}

// What regedit exports by default: UTF-16 little-endian with a byte-order mark.
std::string utf16Le(std::u16string_view text) {
    std::string out = "\xFF\xFE";
    for (char16_t unit : text) {
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>(unit >> 8);
    }
    return out;
}

TEST(RegFormat, ReadsUtf16ExportsAsUtf8AndWritesRegedit4) {
    auto wide = parsed(utf16Le(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Orlenda]\r\n"
                               u"\"Language\"=hex:01,00\r\n\"Größe\"=\"日本 😀\"\r\n\r\n"));
    auto narrow = parsed(reinterpret_cast<const char*>(u8"REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Orlenda]\n"
                                                       u8"\"Language\"=hex:01,00\n\"Größe\"=\"日本 😀\"\n"));
    EXPECT_EQ(wide, narrow);
    EXPECT_EQ(serializeRegFile(wide).substr(0, 9), "REGEDIT4\n");

    for (const auto& damaged : {utf16Le(u"REGEDIT4\n") + "x", utf16Le(u"REGEDIT4\n[K]\n\"\xD800\"=hex:01\n"),
                                utf16Le(u"REGEDIT4\n[K]\n\"\xDC00\"=hex:01\n"), utf16Le(u"REGEDIT4\n[K\0]\n"sv)})
        EXPECT_FALSE(parseRegFile(damaged).document) << damaged;
}

TEST(RegFormat, RefusesDamagedText) {
    const std::string_view damaged[] = {
        "",
        "hello\n",
        "; comment\nREGEDIT4\n",
        "REGEDIT4\n\"a\"=hex:01\n",
        "REGEDIT4\n[K]\n\"a\"=hex:01,\\\n",
        "REGEDIT4\n[K]\n\"a\"=hex:01,\n",
        "REGEDIT4\n[K]\n\"a\"=hex:1\n",
        "REGEDIT4\n[K]\n\"a\"=hex:0102\n",
        "REGEDIT4\n[K]\n\"a\"=hex(:01\n",
        "REGEDIT4\n[K]\n\"a\"=dword:123456789\n",
        "REGEDIT4\n[K]\n\"a\"=\"unterminated\n",
        "REGEDIT4\n[K]\n\"a\"=\"bad \\n escape\"\n",
        "REGEDIT4\n[K]\n\"a\"=\"x\" y\n",
        "REGEDIT4\n[K]\n\"a\"=text\n",
        "REGEDIT4\n[K]\n\"a\"\n",
        "REGEDIT4\n[K]\n\"a\"=\n",
        "REGEDIT4\n[K\n",
        "REGEDIT4\n[\\]\n",
        "REGEDIT4\n[\\-K]\n",
        "REGEDIT4\n[K]\nstray\n",
        std::string_view("REGEDIT4\n[K]\n\"a\"=hex:01\0\n", 25),
        "REGEDIT4\n[K]\r\"a\"=hex:01\n",
    };
    for (auto text : damaged) EXPECT_FALSE(parseRegFile(text).document) << text;
    EXPECT_EQ(parseRegFile("REGEDIT4\n\n[K]\n\"a\"=hex:1\n").error, "line 4: bad hex byte");
}

TEST(RegFormat, WritesOddValuesAsHexThatReadsBack) {
    RegDocument doc{{}, {{"HKEY_CURRENT_USER\\K", {}, {}}}};
    auto& values = doc.sections[0].values;
    values.push_back({"NoZero", REG_SZ, {'a'}, {}});
    values.push_back({"TwoZeros", REG_SZ, {'a', 0, 0}, {}});
    values.push_back({"Newline", REG_SZ, {'a', '\n', 0}, {}});
    values.push_back({"Short", REG_DWORD, {1, 2, 3}, {}});
    values.push_back({"Long", REG_BINARY, Bytes(100, 0xab), {}});
    auto text = serializeRegFile(doc);
    for (auto line : {"\"NoZero\"=hex(1):61\n", "\"TwoZeros\"=hex(1):61,00,00\n", "\"Newline\"=hex(1):61,0a,00\n",
                      "\"Short\"=hex(4):01,02,03\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
    EXPECT_EQ(parsed(text), doc);
}

}  // namespace
}  // namespace platform::linux_::registry
