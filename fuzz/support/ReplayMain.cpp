// The ordinary builds run a harness over its corpus instead of fuzzing: every
// file named on the command line, and every file in the folders named there,
// goes through LLVMFuzzerTestOneInput once. A fault that was fixed stays
// fixed, in every build, without clang.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) __attribute__((weak));

int main(int argc, char **argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path p(argv[i]);
        if (std::filesystem::is_directory(p)) {
            for (const auto &e : std::filesystem::recursive_directory_iterator(p))
                if (e.is_regular_file())
                    inputs.push_back(e.path());
        } else {
            inputs.push_back(p);
        }
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "%s: no inputs\n", argv[0]);
        return 1;
    }
    for (const auto &p : inputs) {
        std::ifstream in(p, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("%zu inputs\n", inputs.size());
    return 0;
}
