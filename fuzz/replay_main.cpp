// Runs the fuzz target once on every file of the given folders (and on given
// files), without libFuzzer, so that an ordinary build replays the seed corpus
// and every input that once broke the engine.
//
// usage: fuzz_replay [--skip-unless PATH] FOLDER_OR_FILE...
// With --skip-unless, exits 77 (a skipped test) when PATH does not exist.
// An input that breaks the engine crashes or aborts the program, naming the
// input on stderr first.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

constexpr int kSkipped = 77;

std::vector<std::filesystem::path> inputs_of(const std::filesystem::path& path) {
    if (!std::filesystem::is_directory(path)) {
        return {path};
    }
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(path)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

void replay(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + file.string());
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    std::cerr << "replaying " << file.string() << " (" << bytes.size() << " bytes)\n";
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 2 && args[0] == "--skip-unless") {
        if (!std::filesystem::exists(args[1])) {
            std::cout << "skipped: " << args[1] << " does not exist\n";
            return kSkipped;
        }
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) {
        std::cerr << "usage: fuzz_replay [--skip-unless PATH] FOLDER_OR_FILE...\n";
        return 2;
    }
    try {
        std::size_t count = 0;
        for (const std::string& arg : args) {
            if (!std::filesystem::exists(arg)) {
                throw std::runtime_error(arg + " does not exist");
            }
            const auto files = inputs_of(arg);
            if (files.empty()) {
                throw std::runtime_error(arg + " holds no inputs");
            }
            for (const auto& file : files) {
                replay(file);
                ++count;
            }
        }
        std::cout << "replayed " << count << " inputs\n";
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "fuzz_replay: " << e.what() << "\n";
        return 1;
    }
}
