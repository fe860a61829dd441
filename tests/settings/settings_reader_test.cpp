// The settings file reader: how bytes become lines, how a line is classified,
// and how the lines of a file build the document.
#include "settings/reader.h"

#include "ordered_map_checks.h"
#include "temp_cwd.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;
using sloshmere::LineKind;
using sloshmere::OrderedMap;
using sloshmere::SettingsDocument;
using sloshmere::SettingsReader;
using test::indexAgrees;
using test::TempCwd;

using Pairs = std::vector<std::pair<std::string, std::string>>;
using Dump = std::vector<std::pair<std::string, Pairs>>;

Dump dump(const SettingsDocument& document) {
    Dump out;
    for (const auto& [name, section] : document.entries) {
        EXPECT_TRUE(indexAgrees(section)) << "section " << name;
        out.emplace_back(name, section.entries);
    }
    EXPECT_TRUE(indexAgrees(document));
    return out;
}

TEST(SettingsText, TrimRemovesExactlyTheSixBlanks) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"  a b \t", "a b"},        {" \t\n\r\f\v", ""},
        {"\xA0x\xA0", "\xA0x\xA0"}, {"\xEF\xBB\xBF key ", "\xEF\xBB\xBF key"},
        {" \0 "s, "\0"s},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(sloshmere::trim(text), expected) << '"' << text << '"';
    }
}

TEST(SettingsText, ReplaceAllTakesMatchesLeftToRightWithoutOverlap) {
    struct Case {
        std::string text, pattern, replacement, expected;
    };
    const std::vector<Case> cases = {
        {"a\\=b\\=c", "\\=", "=", "a=b=c"},
        {"aaa", "aa", "b", "ba"},
        {"aaaa", "aa", "a", "aa"},
        {"x", "x", "xx", "xx"},
        {"abc", "", "z", "abc"},
        {"", "a", "b", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sloshmere::replaceAll(c.text, c.pattern, c.replacement), c.expected)
            << c.text << " / " << c.pattern;
    }
}

TEST(SettingsMap, KeepsFirstInsertionOrderAndTrimmedCaseSensitiveNames) {
    OrderedMap<std::string> map;
    map.getOrInsert(" b ") = "1";
    map.getOrInsert("a") = "2";
    map.getOrInsert("b\t") = "3";
    EXPECT_EQ(map.entries, (Pairs{{"b", "3"}, {"a", "2"}}));
    EXPECT_TRUE(indexAgrees(map));
    EXPECT_TRUE(map.has(" a\n"));
    EXPECT_FALSE(map.has("A"));
    EXPECT_EQ(map.get(" b"), "3");
    EXPECT_EQ(map.get("missing"), "");
    EXPECT_EQ(map.size(), 2U) << "get must not insert";

    map.clear();
    EXPECT_EQ(map.size(), 0U);
    EXPECT_FALSE(map.has("b"));
    map.getOrInsert("c");
    EXPECT_EQ(map.index.at("c"), 0U) << "positions start again after clear";
}

// A value whose construction fails, standing in for an allocation failure.
struct Refusing {
    Refusing() { throw std::runtime_error("no memory"); }
};

TEST(SettingsMap, AFailedInsertionLeavesTheMapAsItWas) {
    OrderedMap<Refusing> map;
    EXPECT_THROW(map.getOrInsert("a"), std::runtime_error);
    EXPECT_FALSE(map.has("a"));
    EXPECT_TRUE(indexAgrees(map));
}

TEST(SettingsReader, ParseLineClassifiesEveryKindOfLine) {
    struct Case {
        std::string line;
        LineKind kind;
        std::string name, value;
    };
    const std::vector<Case> cases = {
        {"", LineKind::None, "", ""},
        {" \t\v ", LineKind::None, "", ""},
        {"; note", LineKind::Comment, "", ""},
        {"   ; a = b", LineKind::Comment, "", ""},
        {"# note", LineKind::Unrecognised, "", ""},
        {"# note = x", LineKind::KeyValue, "# note", "x"},
        {"[Sloshmere]", LineKind::Section, "Sloshmere", ""},
        {"[  Sloshmere \t]", LineKind::Section, "Sloshmere", ""},
        {"[Sloshmere] ; note", LineKind::Section, "Sloshmere", ""},
        {"[a]b]", LineKind::Section, "a]b", ""},
        {"[a]b", LineKind::Section, "a", ""},
        {"[]", LineKind::Section, "", ""},
        {"[Slosh;mere]", LineKind::Unrecognised, "", ""},
        {"[a;b=c", LineKind::Unrecognised, "", ""},
        {"[a=b", LineKind::KeyValue, "[a", "b"},
        {"[Sloshmere", LineKind::Unrecognised, "", ""},
        {"\xEF\xBB\xBF[Sloshmere]", LineKind::Unrecognised, "", ""},
        {"DrownText = Hold ", LineKind::KeyValue, "DrownText", "Hold"},
        {"key\t=\tvalue\v", LineKind::KeyValue, "key", "value"},
        {"DrownText=", LineKind::KeyValue, "DrownText", ""},
        {"=x", LineKind::KeyValue, "", "x"},
        {"DrownText = \"Hold\"", LineKind::KeyValue, "DrownText", "\"Hold\""},
        {"DrownInput = INPUT_JUMP ; note", LineKind::KeyValue, "DrownInput", "INPUT_JUMP ; note"},
        {"a = b = c", LineKind::KeyValue, "a", "b = c"},
        {"a\\=b = c", LineKind::KeyValue, "a=b", "c"},
        {"a = b\\=c", LineKind::KeyValue, "a", "b\\=c"},
        {"a\\=b", LineKind::Unrecognised, "", ""},
        {"\xA0key=v", LineKind::KeyValue, "\xA0key", "v"},
        {"no equals sign", LineKind::Unrecognised, "", ""},
    };
    for (const auto& c : cases) {
        std::string name = "stale";
        std::string value = "stale";
        EXPECT_EQ(SettingsReader::parseLine(c.line, name, value), c.kind) << '"' << c.line << '"';
        EXPECT_EQ(name, c.name) << '"' << c.line << '"';
        EXPECT_EQ(value, c.value) << '"' << c.line << '"';
    }
}

TEST(SettingsReader, ReadLinesSplitsAtLineFeedsAndDropsCarriageReturnsAndNuls) {
    const TempCwd dir;
    const std::string longA(5000, 'a');
    const std::string longB(5000, 'b');
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"", {}},
        {"\n", {"", ""}},
        {"a", {"a"}},
        {"a\nb", {"a", "b"}},
        {"a\nb\n", {"a", "b", ""}},
        {"a\r\nb\r\n", {"a", "b", ""}},
        {"a\rb\rc", {"abc"}},
        {"a\0b\n\0"s, {"ab", ""}},
        {"\xEF\xBB\xBF[S]", {"\xEF\xBB\xBF[S]"}},
        {longA + "\n" + longB, {longA, longB}},
    };
    for (const auto& [bytes, lines] : cases) {
        dir.write("lines.ini", bytes);
        SettingsReader reader("lines.ini");
        EXPECT_EQ(reader.readLines(), lines) << "file of " << bytes.size() << " bytes";
    }
}

TEST(SettingsReader, ReadBuildsTheDocumentInFileOrder) {
    const TempCwd dir;
    const std::vector<std::pair<std::string, Dump>> cases = {
        {"", {}},
        {"; only comments\n\n   \n", {}},
        {"k=v\n[S]\nk=w", {{"S", {{"k", "w"}}}}},
        {"[S]\na=1\n[T]\nb=2\n[S]\nc=3\na=4",
         {{"S", {{"a", "4"}, {"c", "3"}}}, {"T", {{"b", "2"}}}}},
        {"[S]\na=1\n[broken\nb=2", {{"S", {{"a", "1"}, {"b", "2"}}}}},
        {"[broken\nb=2\n[S]", {{"S", {}}}},
        {"[]\nk=v", {{"", {{"k", "v"}}}}},
        {"[S]\n[a=b", {{"S", {{"[a", "b"}}}}},
        {"\xEF\xBB\xBF[S]\nk=v", {}},
        {"[S]\r\nDrown\rText=x\r\n", {{"S", {{"DrownText", "x"}}}}},
        {"[s]\nk=v\n[S]\nK=w", {{"s", {{"k", "v"}}}, {"S", {{"K", "w"}}}}},
    };
    for (const auto& [bytes, expected] : cases) {
        dir.write("read.ini", bytes);
        SettingsDocument document;
        SettingsReader reader("read.ini");
        EXPECT_TRUE(reader.read(document));
        EXPECT_EQ(dump(document), expected) << '"' << bytes << '"';
    }
}

TEST(SettingsReader, AFileThatCannotBeOpenedLeavesTheDocumentUntouched) {
    const TempCwd dir;
    SettingsDocument document;
    document.getOrInsert("Kept").getOrInsert("k") = "v";
    SettingsReader reader("missing.ini");
    EXPECT_FALSE(reader.read(document));
    EXPECT_EQ(dump(document), (Dump{{"Kept", {{"k", "v"}}}}));
}

TEST(SettingsReader, ADirectoryReadsAsNoLinesWithoutThrowing) {
    // A directory opens on Linux and reports an enormous size at its end; no
    // buffer may be sized from that, and its read error must stay a state.
    const TempCwd dir;
    std::filesystem::create_directory("folder.ini");
    SettingsReader reader("folder.ini");
    std::vector<std::string> lines{"stale"};
    EXPECT_NO_THROW(lines = reader.readLines());
    EXPECT_TRUE(lines.empty());
}

TEST(SettingsReader, APipeIsReadToItsEndAlthoughItHasNoSize) {
    const TempCwd dir;
    ASSERT_EQ(mkfifo("pipe.ini", 0600), 0);
    // Opening either end of a pipe waits for the other, so the writer runs
    // alongside the reader.
    std::thread writer([] {
        std::ofstream out("pipe.ini", std::ios::binary);
        out << "[Sloshmere]\nDrownText = Hold\n";
    });
    SettingsReader reader("pipe.ini");
    SettingsDocument document;
    const bool read = reader.read(document);
    writer.join();
    EXPECT_TRUE(read);
    EXPECT_EQ(dump(document), (Dump{{"Sloshmere", {{"DrownText", "Hold"}}}}));
}

} // namespace
