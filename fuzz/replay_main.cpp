// Runs a fuzz target over files instead of under libFuzzer, so that the normal build (any compiler)
// checks every committed corpus and seed input on each test run.
//   <fuzzer>_replay PATH...     (a directory stands for every file under it; a missing one for none)
// A broken invariant traps as it would under libFuzzer; the input last named on the output is the
// one that did it. Fails when the paths hold no input at all, so that a moved corpus is noticed.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> InputsUnder(const fs::path &path)
{
    std::vector<fs::path> inputs;
    std::error_code error;
    if (fs::is_regular_file(path, error)) {
        inputs.push_back(path);
    } else if (fs::is_directory(path, error)) {
        for (const auto &entry : fs::recursive_directory_iterator(path))
            if (entry.is_regular_file())
                inputs.push_back(entry.path());
        std::sort(inputs.begin(), inputs.end());
    }
    return inputs;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::vector<fs::path> more = InputsUnder(fs::absolute(argv[i]));
        inputs.insert(inputs.end(), more.begin(), more.end());
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "no input under the paths given\n");
        return 1;
    }
    for (const fs::path &input : inputs) {
        std::printf("%s\n", input.c_str());
        std::fflush(stdout);
        std::ifstream file(input, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        if (!file.good() && !file.eof()) {
            std::fprintf(stderr, "cannot read %s\n", input.c_str());
            return 1;
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    return 0;
}
