// The settings load: what each kind of settings file does to the prompt's label
// and control, what survives a file that goes away, and the players' sample.
#include "settings/controls.h"
#include "settings/settings.h"

#include "joaat.h"
#include "module_state.h"
#include "temp_cwd.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace sloshmere;
using test::TempCwd;

constexpr GameHash earlierControl = 0x11111111;
constexpr GameHash jump = 0xD9D0E1C0;

class SettingsLoad : public ::testing::Test {
protected:
    SettingsLoad() { test::resetModuleState(); }
    ~SettingsLoad() override { test::resetModuleState(); }

    TempCwd dir;
};

TEST_F(SettingsLoad, WithoutAFileThePromptKeepsItsDefaults) {
    EXPECT_NO_THROW(loadSettings());
    EXPECT_EQ(promptText, "Drown");
    EXPECT_EQ(promptControl, unresolvedControl);
    EXPECT_EQ(settingsDocument.size(), 0U);
}

TEST_F(SettingsLoad, EachKindOfFileSetsOrKeepsTheLabelAndControl) {
    struct Case {
        const char* situation;
        std::optional<std::string> file;
        std::string text;
        GameHash control;
    };
    const std::vector<Case> cases = {
        {"no file", std::nullopt, "Earlier", earlierControl},
        {"section in lower case", "[sloshmere]\nDrownText=Hold\nDrownInput=INPUT_JUMP", "Earlier",
         earlierControl},
        {"byte-order mark before the header",
         "\xEF\xBB\xBF[Sloshmere]\nDrownText=Hold\nDrownInput=INPUT_JUMP", "Earlier",
         earlierControl},
        {"keys before the header", "DrownText=Hold\nDrownInput=INPUT_JUMP\n[Sloshmere]\n",
         "Earlier", earlierControl},
        {"keys under another section",
         "[Sloshmere]\n[Other]\nDrownText=Hold\nDrownInput=INPUT_JUMP\n", "Earlier",
         earlierControl},
        {"keys in lower case", "[Sloshmere]\ndrowntext=Hold\ndrowninput=INPUT_JUMP", "Earlier",
         earlierControl},
        {"no DrownText", "[Sloshmere]\nDrownInput=INPUT_JUMP\n", "Earlier", jump},
        {"empty DrownText", "[Sloshmere]\nDrownText=\n", "", earlierControl},
        {"both keys", "[Sloshmere]\nDrownText = Hold on \nDrownInput = INPUT_JUMP\n", "Hold on",
         jump},
        {"fixed value of RDOWN", "[Sloshmere]\nDrownInput=INPUT_FRONTEND_RDOWN", "Earlier",
         0x05CA7C52},
        {"fixed value of HORSE_MOUNT", "[Sloshmere]\nDrownInput=INPUT_HORSE_MOUNT", "Earlier",
         0xE7D09D58},
        {"control in lower case", "[Sloshmere]\nDrownInput=input_jump", "Earlier", earlierControl},
        {"note after the control", "[Sloshmere]\nDrownInput=INPUT_JUMP ; hold", "Earlier",
         earlierControl},
        {"unknown control", "[Sloshmere]\nDrownInput=INPUT_DANCE", "Earlier", earlierControl},
        {"empty DrownInput", "[Sloshmere]\nDrownInput=", "Earlier", earlierControl},
        {"DrownText twice", "[Sloshmere]\nDrownText=First\nDrownText=Second", "Second",
         earlierControl},
        {"section twice",
         "[Sloshmere]\nDrownText=Hold\n[Other]\nk=v\n[Sloshmere]\nDrownInput=INPUT_JUMP", "Hold",
         jump},
        {"quoted label", "[Sloshmere]\nDrownText = \"Hold\"", "\"Hold\"", earlierControl},
        {"CR LF ends and a stray CR in a key",
         "[Sloshmere]\r\nDrown\rText=Hold\r\nDrownInput=INPUT_JUMP\r\n", "Hold", jump},
    };
    for (const auto& c : cases) {
        dir.remove("Sloshmere.ini");
        if (c.file) {
            dir.write("Sloshmere.ini", *c.file);
        }
        settingsDocument.clear();
        promptText = "Earlier";
        promptControl = earlierControl;

        EXPECT_NO_THROW(loadSettings()) << c.situation;
        EXPECT_EQ(promptText, c.text) << c.situation;
        EXPECT_EQ(promptControl, c.control) << c.situation;
    }
}

TEST_F(SettingsLoad, ValuesOutliveTheKeysAndTheFile) {
    dir.write("Sloshmere.ini", "[Sloshmere]\nDrownText=Hold\nDrownInput=INPUT_JUMP\n");
    loadSettings();
    ASSERT_EQ(promptText, "Hold");
    ASSERT_EQ(promptControl, jump);

    // The keys go: the document is rebuilt without them, the values stay.
    dir.write("Sloshmere.ini", "[Sloshmere]\nOther=1\n");
    loadSettings();
    EXPECT_FALSE(settingsDocument.get("Sloshmere").has("DrownInput"));
    EXPECT_EQ(promptText, "Hold");
    EXPECT_EQ(promptControl, jump);

    // The file goes: the document of the last good read is kept, and the
    // control is resolved from it again.
    dir.write("Sloshmere.ini", "[Sloshmere]\nDrownInput=INPUT_CONTEXT_A\n");
    loadSettings();
    dir.remove("Sloshmere.ini");
    promptControl = earlierControl;
    loadSettings();
    EXPECT_EQ(promptControl, 0x5181713DU);
    EXPECT_EQ(promptText, "Hold");
}

TEST_F(SettingsLoad, ADirectoryInPlaceOfTheFileChangesNothing) {
    dir.write("Sloshmere.ini", "[Sloshmere]\nDrownText=Hold\nDrownInput=INPUT_JUMP\n");
    loadSettings();
    dir.remove("Sloshmere.ini");
    std::filesystem::create_directory("Sloshmere.ini");

    EXPECT_NO_THROW(loadSettings());
    EXPECT_EQ(promptText, "Hold");
    EXPECT_EQ(promptControl, jump);
}

TEST_F(SettingsLoad, ReadingWithoutAFileNameOnlyClearsTheDocument) {
    settingsDocument.getOrInsert("Sloshmere").getOrInsert("DrownText") = "Hold";
    settingsFileName.clear();
    EXPECT_FALSE(readSettingsFile(settingsDocument));
    EXPECT_EQ(settingsDocument.size(), 0U);
}

// "Log" is on for 1, true, yes and on in any letter case and off for anything
// else; a file without it asks for no log, and only a file that cannot be read
// leaves the last answer standing.
TEST_F(SettingsLoad, LogIsOnOnlyForItsFourWordsInAnyCase) {
    struct Case {
        std::optional<std::string> file;
        bool before;
        bool after;
    };
    const std::vector<Case> cases = {
        {"[Sloshmere]\nLog = 1", false, true},
        {"[Sloshmere]\nLog=TRUE", false, true},
        {"[Sloshmere]\nLog = Yes", false, true},
        {"[Sloshmere]\nLog = oN", false, true},
        {"[Sloshmere]\nLog = On!", true, false},
        {"[Sloshmere]\nLog = enable", true, false},
        {"[Sloshmere]\nLog = 2", true, false},
        {"[Sloshmere]\nLog = 0", true, false},
        {"[Sloshmere]\nLog =", true, false},
        {"[Sloshmere]\nlog = 1", true, false},
        {"[Sloshmere]\nDrownText = Hold", true, false},
        {"[Other]\nLog = 1", true, false},
        {std::nullopt, true, true},
        {std::nullopt, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.value_or("(no file)") + (c.before ? ", on before" : ", off before"));
        dir.remove("Sloshmere.ini");
        if (c.file) {
            dir.write("Sloshmere.ini", *c.file);
        }
        logRequested = c.before;
        loadSettings();
        EXPECT_EQ(logRequested, c.after);
    }
}

// Every key and value of every section, in file order.
std::vector<std::string> flatten(const SettingsDocument& document) {
    std::vector<std::string> lines;
    for (const auto& [section, keys] : document.entries) {
        for (const auto& [key, value] : keys.entries) {
            lines.push_back(section + "|" + key + "|" + value);
        }
    }
    return lines;
}

TEST_F(SettingsLoad, ThePlayersSampleWorksOutOfTheBox) {
    const std::filesystem::path sample = SLOSHMERE_DIST_DIR "/Sloshmere.ini";
    std::ifstream in(sample, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string content = text.str();

    // The download carries it with Windows line ends, for Notepad; a player's
    // editor may save it with Unix ones. Both must read the same.
    std::string unixEnds;
    for (const char c : content) {
        if (c != '\r') {
            unixEnds += c;
        }
    }
    ASSERT_NE(unixEnds, content) << "the sample should have Windows line ends";
    std::vector<std::string> shippedDocument;
    const std::vector<std::pair<std::string, std::string>> variants = {{"as shipped", content},
                                                                       {"Unix", unixEnds}};
    for (const auto& [ends, file] : variants) {
        SCOPED_TRACE(ends);
        test::resetModuleState();
        dir.write("Sloshmere.ini", file);
        promptText = "Earlier";
        logRequested = true;

        loadSettings();
        EXPECT_EQ(promptText, "Drown");
        EXPECT_EQ(promptControl, sim::joaat("INPUT_CONTEXT_Y"));
        EXPECT_FALSE(logRequested) << "the sample keeps the log off";
        const auto document = flatten(settingsDocument);
        EXPECT_EQ(document.size(), 3U);
        if (shippedDocument.empty()) {
            shippedDocument = document;
        }
        EXPECT_EQ(document, shippedDocument);
    }

    // Every control name the sample suggests must be one the module knows.
    const std::regex controlName("INPUT_[A-Z0-9_]+");
    int mentioned = 0;
    for (auto it = std::sregex_iterator(content.begin(), content.end(), controlName);
         it != std::sregex_iterator(); ++it) {
        EXPECT_TRUE(controlNameTable.contains(it->str())) << it->str();
        ++mentioned;
    }
    EXPECT_GE(mentioned, 5);
}

} // namespace
