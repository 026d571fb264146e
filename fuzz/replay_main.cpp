// Runs the fuzz target once on every file named on the command line, or found in a directory
// named there, for compilers without libFuzzer. Options in libFuzzer's -name=value form are
// ignored, so the same command line serves both.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void runOn(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

// cppcheck-suppress constParameter ; main's signature is not ours to choose
int main(int argc, char* argv[]) {
    std::size_t runs = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.starts_with('-')) {
            continue;
        }
        if (std::filesystem::is_directory(argument)) {
            for (const auto& entry : std::filesystem::directory_iterator(argument)) {
                if (entry.is_regular_file()) {
                    runOn(entry.path());
                    ++runs;
                }
            }
        } else {
            runOn(argument);
            ++runs;
        }
    }
    std::printf("%zu inputs run\n", runs);
    return runs > 0 ? 0 : 1;
}
