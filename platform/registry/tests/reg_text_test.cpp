// The .reg text form: what is written reads back as the same keys and values, hand-written files
// in the forms Windows exports are understood, and damaged or hostile text is refused with a
// message that names the line.

#include <gtest/gtest.h>

#include <random>

#include "platform/registry/reg_text_parser.h"
#include "platform/registry/reg_text_writer.h"

namespace zo::platform::registry {
namespace {

KeyNode readBack(const std::string& text, std::string_view rootName) {
    auto document = parseRegText(text);
    EXPECT_TRUE(document.ok()) << (document.ok() ? "" : document.failure().message);
    KeyNode root;
    for (const auto& block : document.value().blocks) {
        EXPECT_EQ(block.path.front(), rootName);
        applyKeyBlock(root, std::span(block.path).subspan(1), block);
    }
    return root;
}

TEST(RegText, EveryValueTypeSurvivesAWriteAndARead) {
    KeyNode root;
    auto& key = createKey(root, std::vector<std::string>{"Software", "Valdra"}).key;
    std::vector<std::uint8_t> longBinary(100);
    for (std::size_t i = 0; i < longBinary.size(); ++i) {
        longBinary[i] = static_cast<std::uint8_t>(i * 7);
    }
    const std::map<std::string, RegistryValue> values = {
        {"", textValue(REG_SZ, "default")},
        {"Plain", textValue(REG_SZ, "C:\\Program Files\\\"Quoted\" ünï")},
        {"Empty", textValue(REG_SZ, "")},
        {"Unterminated", {REG_SZ, {'a', 'b'}}},
        {"Embedded zero", {REG_SZ, {'a', 0, 'b', 0}}},
        {"Line break", textValue(REG_SZ, "one\ntwo")},
        {"Expand", textValue(REG_EXPAND_SZ, "%VALDRACOMMON%\\Bin")},
        {"Number", dwordValue(0xDEADBEEF)},
        {"Short dword", {REG_DWORD, {1, 2}}},
        {"Binary", {REG_BINARY, longBinary}},
        {"No bytes", {REG_BINARY, {}}},
        {"Quad", {0xb, {1, 2, 3, 4, 5, 6, 7, 8}}},
        {"Name with \\ and \"", dwordValue(1)},
    };
    for (const auto& [name, value] : values) {
        key.values.insert_or_assign(name, value);
    }
    createKey(root, std::vector<std::string>{"Software", "Empty key"});

    const auto text = writeRegText(root, "HKEY_LOCAL_MACHINE");
    const auto back = readBack(text, "HKEY_LOCAL_MACHINE");

    const auto* readKey = findKey(back, std::vector<std::string>{"Software", "Valdra"});
    ASSERT_NE(readKey, nullptr);
    EXPECT_EQ(readKey->values.size(), values.size());
    for (const auto& [name, value] : values) {
        ASSERT_TRUE(readKey->values.contains(name)) << name;
        EXPECT_EQ(readKey->values.at(name), value) << name;
    }
    EXPECT_NE(findKey(back, std::vector<std::string>{"Software", "Empty key"}), nullptr);
    EXPECT_EQ(writeRegText(back, "HKEY_LOCAL_MACHINE"), text);
}

TEST(RegText, WritesTheReadableFormsAPersonExpects) {
    KeyNode root;
    auto& key = createKey(root, std::vector<std::string>{"Software"}).key;
    key.values["Path"] = textValue(REG_SZ, "C:\\A");
    key.values["Count"] = dwordValue(42);
    key.values[""] = textValue(REG_SZ, "x");
    const auto text = writeRegText(root, "HKEY_CURRENT_USER");
    EXPECT_EQ(text,
              "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER]\n\n"
              "[HKEY_CURRENT_USER\\Software]\n@=\"x\"\n\"Count\"=dword:0000002a\n"
              "\"Path\"=\"C:\\\\A\"\n");
}

TEST(RegText, ReadsWindowsStyleFilesWithRemovalsAndContinuations) {
    const std::string text =
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n"
        "; a comment\r\n"
        "[HKEY_CURRENT_USER\\Software\\A]\r\n"
        "\"Gone\"=-\r\n"
        "\"Bytes\"=hex:01,02,\\\r\n  03,04\r\n"
        "\"Expand\"=hex(2):41,00\r\n"
        "@=\"default\"\r\n"
        "[-HKEY_CURRENT_USER\\Software\\B]\r\n";
    const auto document = parseRegText(text);
    ASSERT_TRUE(document.ok()) << document.failure().message;
    const auto& blocks = document.value().blocks;
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].path, (std::vector<std::string>{"HKEY_CURRENT_USER", "Software", "A"}));
    ASSERT_EQ(blocks[0].values.size(), 4u);
    EXPECT_FALSE(blocks[0].values[0].value.has_value());
    EXPECT_EQ(blocks[0].values[1].value, (RegistryValue{REG_BINARY, {1, 2, 3, 4}}));
    EXPECT_EQ(blocks[0].values[2].value, (RegistryValue{REG_EXPAND_SZ, {0x41, 0}}));
    EXPECT_EQ(blocks[0].values[3].name, "");
    EXPECT_TRUE(blocks[1].remove);
}

TEST(RegText, RefusesDamagedTextNamingTheLineAndTheFault) {
    using namespace std::string_literals;
    const std::string header = "Windows Registry Editor Version 5.00\n";
    const struct {
        std::string text;
        std::string expected;
    } cases[] = {
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n", "line 1: not a registry file"},
        {header + "\"A\"=\"x\"\n", "line 2: a value appears before any key"},
        {header + "[HKEY_CURRENT_USER\\A\n", "line 2: a key line must end with ']'"},
        {header + "[HKEY_CURRENT_USER\\\\A]\n", "line 2: invalid key name"},
        {header + "[]\n", "line 2: invalid key name"},
        {header + "[HKEY_CURRENT_USER\\" + std::string(256, 'k') + "]\n", "invalid key name"},
        {header + "[HKEY_CURRENT_USER]\n\"A\"=\"x\\n\"\n", "line 3: malformed quoted text"},
        {header + "[HKEY_CURRENT_USER]\n\"A\"=\"open\n", "line 3: malformed quoted text"},
        {header + "[HKEY_CURRENT_USER]\n\"A\"=\"x\" trailing\n", "malformed quoted text"},
        {header + "[HKEY_CURRENT_USER]\n\"A\" \"x\"\n", "'=' expected"},
        {header + "[HKEY_CURRENT_USER]\n\"A\"=dword:123456789\n", "dword: needs"},
        {header + "[HKEY_CURRENT_USER]\n\"A\"=dword:-1\n", "dword: needs"},
        {header + "[HKEY_CURRENT_USER]\n\"A\"=hex:1g\n", "two hexadecimal digits"},
        {header + "[HKEY_CURRENT_USER]\n\"A\"=hex:01,,02\n", "two hexadecimal digits"},
        {header + "[HKEY_CURRENT_USER]\n\"A\"=hex:100\n", "two hexadecimal digits"},
        {header + "[HKEY_CURRENT_USER]\n\"A\"=hex(1ffffffff):00\n", "hex(type)"},
        {header + "[HKEY_CURRENT_USER]\n\"A\"=hex(2:00\n", "hex(type)"},
        {header + "[HKEY_CURRENT_USER]\n\"A\"=hex:01,\\\n", "line 3: the hex data continues past"},
        {header + "[HKEY_CURRENT_USER]\n\"A\"=qword:1\n", "unknown value data"},
        {header + "[HKEY_CURRENT_USER]\nA=\"x\"\n", "must begin with @ or a quoted name"},
        {header + "[-HKEY_CURRENT_USER\\A]\n\"A\"=\"x\"\n", "cannot follow a key that is removed"},
        {header + "[HKEY_CURRENT_USER]\n\"A\"=\"x\0\"\n"s, "zero bytes"},
    };
    for (const auto& [text, expected] : cases) {
        const auto document = parseRegText(text);
        ASSERT_FALSE(document.ok()) << text;
        EXPECT_EQ(document.failure().status, ERROR_REGISTRY_CORRUPT);
        EXPECT_NE(document.failure().message.find(expected), std::string::npos)
            << document.failure().message << " / expected: " << expected;
    }
}

TEST(RegText, RefusesHostileSizesAndDepths) {
    std::string deep = "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER";
    for (int level = 0; level < 600; ++level) {
        deep += "\\k";
    }
    EXPECT_FALSE(parseRegText(deep + "]\n").ok());

    std::string huge = "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER]\n\"A\"=hex:";
    for (int i = 0; i < 1024 * 1024 + 1; ++i) {
        huge += "00,";
    }
    const auto hugeValue = parseRegText(huge);
    ASSERT_FALSE(hugeValue.ok());
    EXPECT_NE(hugeValue.failure().message.find("larger than 1 MiB"), std::string::npos);

    EXPECT_FALSE(parseRegText(std::string(kMaxRegTextSize + 1, ' ')).ok());
}

// Mutations of a valid file: each is either refused cleanly or, when accepted, writes back to text
// that reads as the same keys (a fixed point), so nothing the parser accepts is lost or altered.
TEST(RegText, RandomlyDamagedFilesAreRefusedOrReadConsistently) {
    KeyNode root;
    auto& key = createKey(root, std::vector<std::string>{"Software", "Valdra", "ZoQN"}).key;
    key.values["Path"] = textValue(REG_SZ, "C:\\Program Files\\\"Valdra\"");
    key.values["Count"] = dwordValue(7);
    key.values["Blob"] = RegistryValue{REG_BINARY, std::vector<std::uint8_t>(40, 0xAB)};
    key.values["Expand"] = textValue(REG_EXPAND_SZ, "%PATH%");
    const auto original = writeRegText(root, "HKEY_LOCAL_MACHINE");

    std::mt19937 random(20240611);
    const std::string alphabet = "[]\\\"=@:,-()x0aF;\r\n \t\xff";
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string text = original;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int edit = 0; edit < edits && !text.empty(); ++edit) {
            const auto at = random() % text.size();
            switch (random() % 4) {
                case 0:
                    text[at] = alphabet[random() % alphabet.size()];
                    break;
                case 1:
                    text.erase(at, 1 + random() % 8);
                    break;
                case 2:
                    text.insert(at, 1, alphabet[random() % alphabet.size()]);
                    break;
                default:
                    text.resize(at);
                    break;
            }
        }
        const auto document = parseRegText(text);
        if (!document.ok()) {
            EXPECT_EQ(document.failure().status, ERROR_REGISTRY_CORRUPT);
            EXPECT_FALSE(document.failure().message.empty());
            continue;
        }
        ++accepted;
        KeyNode parsed;
        for (const auto& block : document.value().blocks) {
            applyKeyBlock(parsed, block.path, block);
        }
        for (const auto& [rootName, subtree] : parsed.subkeys) {
            const auto written = writeRegText(*subtree, rootName);
            const auto again = parseRegText(written);
            ASSERT_TRUE(again.ok()) << written;
            KeyNode reparsed;
            for (const auto& block : again.value().blocks) {
                applyKeyBlock(reparsed, std::span(block.path).subspan(1), block);
            }
            EXPECT_EQ(writeRegText(reparsed, rootName), written);
        }
    }
    EXPECT_GT(accepted, 0);
}

}  // namespace
}  // namespace zo::platform::registry
