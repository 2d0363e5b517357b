#include "cli/help.h"

#include <stdexcept>
#include <vector>

namespace cli {
namespace {

struct CommandHelp {
    std::string_view name;
    std::string_view usage;                 // the usage lines
    std::string_view description;           // what the command does
    std::vector<std::string_view> options;  // one line each, the help option left out
};

constexpr std::string_view kCodePageOption =
    "  --codepage N         the code page of the text: 874 (Thai), 1250 to 1258\n";
constexpr std::string_view kHelpOption = "  -h, --help           this help\n";

const std::vector<CommandHelp> kCommands = {
    {"create",
     "usage: listsong create FILE\n",
     "Makes FILE a new, empty Access 97 catalogue holding the table Song. An\n"
     "existing file is never overwritten.\n",
     {}},
    {"info",
     "usage: listsong info FILE [--codepage N]\n",
     "Prints the catalogue's format, the code page its text is read in and why,\n"
     "its sort order, and for every table its row count, columns and indexes.\n",
     {kCodePageOption}},
    {"dump",
     "usage: listsong dump FILE [TABLE...] [--json] [--codepage N]\n",
     "Prints the rows of the named tables, or of every table, as CSV with a\n"
     "header row. When the dump is not of exactly one named table, each table\n"
     "starts with a line \"# Table: NAME\".\n",
     {"  --json               one JSON object per row instead of CSV\n", kCodePageOption}},
    {"check",
     "usage: listsong check FILE [--codepage N]\n",
     "Verifies every page, usage map, row and index of the catalogue, prints one\n"
     "line per finding and a summary, and exits 1 when any finding is an error.\n",
     {kCodePageOption}},
    {"import",
     "usage: listsong import FILE TABLE CSV [--codepage N]\n",
     "Appends the rows of the CSV file to TABLE; the CSV's header row names the\n"
     "columns. Rows are stored one by one: a refused row stops the import and\n"
     "leaves the rows before it stored.\n",
     {kCodePageOption}},
    {"add",
     "usage: listsong add --midi DIR --cur DIR --lyr DIR [--db FILE] [--codepage N]\n"
     "                    [--map-path FROM=TO]...\n",
     "Stores one row in the table Song for every MIDI file (.mid) in the\n"
     "sub-folders of the --midi folder, with the cursor file (.cur) and lyric\n"
     "file (.lyr) in the same place among the sub-folders of --cur and --lyr;\n"
     "the title and artist are the lyric file's first two lines. A song whose\n"
     "MIDI path the catalogue holds already is skipped, so a second run stores\n"
     "only the new songs. Each run adds a line to listsong.log beside the\n"
     "catalogue.\n",
     {"  --midi DIR           the folder whose sub-folders hold the MIDI files\n",
      "  --cur DIR            the folder whose sub-folders hold the cursor files\n",
      "  --lyr DIR            the folder whose sub-folders hold the lyric files\n",
      "  --db FILE            the catalogue (default: LISTSONG.mdb beside listsong)\n",
      kCodePageOption,
      "  --map-path FROM=TO   store the paths under folder FROM as under TO, as the\n"
      "                       player finds them, e.g. /media/usb/Karaoke=D:\\Karaoke;\n"
      "                       may be given more than once\n"}},
};

constexpr std::string_view kOverview =
    "usage: listsong COMMAND [ARGUMENTS]\n"
    "\n"
    "Fills and reads the song catalogue of a karaoke player: LISTSONG.mdb, an\n"
    "Access 97 file whose table Song holds one row per song.\n"
    "\n"
    "commands:\n"
    "  create FILE              make a new, empty catalogue\n"
    "  info FILE                the catalogue's format, code page, tables, indexes\n"
    "  dump FILE [TABLE...]     the rows of tables, as CSV or JSON\n"
    "  check FILE               verify every page, row and index\n"
    "  import FILE TABLE CSV    append the rows of a CSV file to a table\n"
    "  add --midi DIR --cur DIR --lyr DIR\n"
    "                           store the songs of three folder trees\n"
    "  help [COMMAND]           this overview, or a command's usage and options\n"
    "\n"
    "  listsong help COMMAND or listsong COMMAND --help: a command's options\n"
    "  listsong --version: the version\n"
    "\n"
    "Exit codes: 0 success, 1 failure, 2 a command line listsong cannot run.\n";

const CommandHelp& command(std::string_view name) {
    for (const CommandHelp& help : kCommands) {
        if (help.name == name) {
            return help;
        }
    }
    throw std::logic_error("listsong has no help for the command '" + std::string(name) + "'");
}

std::string options_text(const CommandHelp& help) {
    std::string text = "\noptions:\n";
    for (const std::string_view option : help.options) {
        text += option;
    }
    return text + std::string(kHelpOption);
}

}  // namespace

std::string version_text() {
    return std::string("listsong ") + LISTSONG_VERSION;
}

std::string overview_text() {
    return std::string(kOverview);
}

bool is_command(std::string_view name) {
    for (const CommandHelp& help : kCommands) {
        if (help.name == name) {
            return true;
        }
    }
    return false;
}

std::string command_usage(std::string_view name) {
    const CommandHelp& help = command(name);
    return std::string(help.usage) + options_text(help);
}

std::string command_help(std::string_view name) {
    const CommandHelp& help = command(name);
    return std::string(help.usage) + "\n" + std::string(help.description) + options_text(help);
}

}  // namespace cli
