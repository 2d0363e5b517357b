// listsong-window's command line, as Windows hands it over in UTF-16.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "win32/command_line.h"

namespace listsong_win32 {
namespace {

using Args = std::vector<std::wstring>;

std::string refusal_of(const Args& arguments) {
    try {
        read_command_line(arguments);
    } catch (const std::invalid_argument& refusal) {
        return refusal.what();
    }
    return "accepted";
}

TEST(CommandLineTest, TheWindowsOptionsAreReadFromUtf16) {
    const CommandLine command =
        read_command_line({L"--db", L"D:\\\u0e40\u0e1e\u0e25\u0e07.mdb", L"--codepage", L"874",
                           L"--map-path", L"Z:\\songs=D:\\Karaoke"});
    EXPECT_FALSE(command.help);
    ASSERT_TRUE(command.options.database.has_value());
    EXPECT_EQ(command.options.database->wstring(), L"D:\\\u0e40\u0e1e\u0e25\u0e07.mdb");
    EXPECT_EQ(command.options.code_page, 874);
    EXPECT_EQ(command.options.paths.stored_path("Z:\\songs\\a.mid"), "D:\\Karaoke\\a.mid");
}

TEST(CommandLineTest, HelpIsAskedWhereAnOptionMayStandAndNothingElseIsRead) {
    EXPECT_TRUE(read_command_line({L"--help"}).help);
    EXPECT_TRUE(read_command_line({L"--codepage", L"99", L"--help"}).help);
    EXPECT_FALSE(read_command_line({L"--db", L"--help"}).help);
}

TEST(CommandLineTest, AWrongArgumentIsRefusedWithItsCause) {
    EXPECT_EQ(refusal_of({L"songs.mdb"}), "unknown argument 'songs.mdb'");
    EXPECT_EQ(refusal_of({L"--codepage", L"874", L"--db"}), "--db needs a value");
    EXPECT_EQ(refusal_of({L"--codepage", L"99"}),
              "--codepage needs the number of a supported code page (874, 1250 to 1258), not '99'");
    EXPECT_EQ(refusal_of({L"--db", std::wstring(1, L'\xD800')}),
              "argument 2 is not valid Unicode text (it holds a lone surrogate)");
}

}  // namespace
}  // namespace listsong_win32
