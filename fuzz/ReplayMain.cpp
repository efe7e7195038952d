// Feeds every file of a fuzz target's corpus folder to its LLVMFuzzerTestOneInput, so the
// seeds (and every crash kept among them) run with the tests, under the sanitizers too.
//   replay_<name> CORPUS_FOLDER
// Exits 1 when the folder is missing or holds no file; an input that breaks a target's
// promise aborts, as it does under libFuzzer.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
        return 2;
    }
    std::error_code error;
    std::vector<fs::path> inputs;
    for (const auto& entry : fs::directory_iterator(argv[1], error)) {
        if (entry.is_regular_file()) {
            inputs.push_back(entry.path());
        }
    }
    if (error || inputs.empty()) {
        std::fprintf(stderr, "%s: no corpus in %s\n", argv[0], argv[1]);
        return 1;
    }
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path& input : inputs) {
        std::ifstream in(input, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        std::printf("%s (%zu bytes)\n", input.filename().c_str(), bytes.size());
        std::fflush(stdout); // the name of the input that aborts is printed before it
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    // The empty input, which every target must take.
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(""), 0);
    std::printf("%zu inputs replayed\n", inputs.size());
    return 0;
}
