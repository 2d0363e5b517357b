// The song table writer: one Song row per MIDI file of the current triple.
//
// For the k-th MIDI file of MidFolder the row holds the first four characters
// of its name as songID, the first and second lines of the k-th lyric file as
// songName and artid ("no name" when a line is missing or only blanks), and
// the full native paths of the k-th MIDI, cursor and lyric files, as the
// target's path map stores them. Each row is stored by its own Update, so the
// rows of a triple appear one by one and stay when a later one fails. A song
// whose MIDI path the catalogue holds already is skipped.
//
// Files pair by position only, so the three lists must be of one length: a
// missing lyric file would otherwise give every later song the next song's
// title. A triple whose lists differ is refused before any row of it; so are
// folders chosen in the wrong lists, whose MIDI list is then empty.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "songdb/lyric_read_ahead.h"
#include "songdb/lyric_reader.h"
#include "songdb/update.h"
#include "window/native_text.h"

namespace songdb {
namespace {

using window::ListIndex;

constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);
constexpr std::string_view kNoName = "no name";
constexpr std::size_t kSongIdCharacters = 4;

// Line `index` of the lyric file as stored: the line as read, or "no name"
// when there is none or it holds only spaces.
std::string line_or_no_name(const std::vector<std::string>& lines, std::size_t index) {
    if (index >= lines.size() || lines[index].find_first_not_of(' ') == std::string::npos) {
        return std::string(kNoName);
    }
    return lines[index];
}

// The first `count` characters of a UTF-8 name, or all of it when shorter.
std::string leading_characters(std::string_view name, std::size_t count) {
    std::size_t end = 0;
    for (std::size_t characters = 0; end < name.size() && characters < count; ++characters) {
        ++end;
        while (end < name.size() && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) {
            ++end;
        }
    }
    return std::string(name.substr(0, end));
}

// The lyric files of the triple, as the writer names them.
std::vector<std::string> lyric_files(const window::ReNameFold& window) {
    std::vector<std::string> files;
    files.reserve(static_cast<std::size_t>(window.LyrFile.ListCount()));
    for (ListIndex k = 0; k < window.LyrFile.ListCount(); ++k) {
        files.push_back(window.LyrFolder + kSeparator + window.LyrFile.List(k));
    }
    return files;
}

std::string files_in(const window::FileList& list, const std::string& folder) {
    return std::to_string(list.ListCount()) + " \"" + list.Pattern() + "\" in " + folder;
}

// Refuses a triple whose three file lists differ in length, naming the counts.
void require_one_file_of_each_kind(const window::ReNameFold& window) {
    const ListIndex midi_files = window.MidFile.ListCount();
    if (window.CurFile.ListCount() == midi_files && window.LyrFile.ListCount() == midi_files) {
        return;
    }
    throw std::runtime_error(
        "the folders do not hold one file of each kind for every song (" +
        files_in(window.MidFile, window.MidFolder) + ", " +
        files_in(window.CurFile, window.CurFolder) + ", " +
        files_in(window.LyrFile, window.LyrFolder) +
        "); files pair by position, so nothing of these folders was stored: add the missing "
        "files or remove the extra ones, then update again");
}

}  // namespace

void AddFolderSongs(window::ReNameFold& window, const UpdateTarget& target, UpdateRun& run) {
    std::unique_ptr<dao::Database> db;
    std::unique_ptr<dao::Recordset> songs;
    try {
        db = target.engine().OpenDatabase(target.database);
        songs = db->OpenRecordset("SELECT * FROM Song");
    } catch (const std::exception& e) {
        throw UpdateFailure(e.what(), window.MidFolder, "");
    }
    try {
        require_one_file_of_each_kind(window);
    } catch (const std::exception& e) {
        throw UpdateFailure(e.what(), window.MidFolder, "");
    }
    if (window.MidFile.ListCount() <= 0) {
        return;
    }
    window.process_pending_events();
    const ListIndex midi_files = window.MidFile.ListCount();
    // Started at the first song to store, so that a triple whose songs the
    // catalogue holds already reads no lyric file.
    std::optional<LyricReadAhead> lyrics;
    for (ListIndex k = 0; k < midi_files; ++k) {
        const std::string& mid_name = window.MidFile.List(k);
        try {
            const std::string mid_path =
                target.paths.stored_path(window.MidFolder + kSeparator + mid_name);
            if (run.catalogue_songs.contains(mid_path)) {
                ++run.skipped;
                if (target.song_skipped) {
                    target.song_skipped(StoredSong{mid_path});
                }
                continue;
            }
            const std::string lyr_file = window.LyrFolder + kSeparator + window.LyrFile.List(k);
            const std::string cur_path =
                target.paths.stored_path(window.CurFolder + kSeparator + window.CurFile.List(k));
            const std::string lyr_path = target.paths.stored_path(lyr_file);

            if (songs->RecordCount() > 0) {
                songs->MoveLast();
            }
            songs->AddNew();
            if (!lyrics) {
                lyrics.emplace(lyric_files(window), static_cast<std::size_t>(k));
            }
            const LyricLines lyric = lyrics->take(static_cast<std::size_t>(k), lyr_file);
            const std::vector<std::string> lines = lyric.decoded(
                lyric.in_code_page ? db->code_page_for_bytes(lyric.bytes()) : db->code_page());
            const std::string title = line_or_no_name(lines, 0);
            const std::string artist = line_or_no_name(lines, 1);
            const std::string song_id = leading_characters(mid_name, kSongIdCharacters);

            window.process_pending_events();
            window.Label9.set_Caption("Folder: " + mid_path);

            songs->set_field("songID", song_id);
            songs->set_field("songName", title);
            songs->set_field("artid", artist);
            songs->set_field("MidPath", mid_path);
            songs->set_field("CurPath", cur_path);
            songs->set_field("Lyrpath", lyr_path);
            songs->Update();
            run.catalogue_songs.remember(mid_path);
            ++run.stored;
            if (target.song_stored) {
                target.song_stored(StoredSong{mid_path});
            }
        } catch (const std::exception& e) {
            throw UpdateFailure(e.what(), window.MidFolder, mid_name);
        }
    }
    try {
        db->Close();
    } catch (const std::exception& e) {
        throw UpdateFailure(e.what(), window.MidFolder, "");
    }
    window.Label9.set_Caption("");
}

}  // namespace songdb
