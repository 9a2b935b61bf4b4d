// Runs a fuzz target's entry point over files and folders of inputs, for builds without
// libFuzzer: the committed corpora (seeds and inputs that once failed) replay in every
// test run. Exit status 0 when every input passed; a failed check aborts.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

static void replay(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::uint8_t> exact(bytes.begin(), bytes.end());  // a block of the input's own size
  LLVMFuzzerTestOneInput(exact.data(), exact.size());
}

int main(int argc, char** argv) {
  std::size_t count = 0;
  for (int i = 1; i < argc; ++i) {
    const fs::path path(argv[i]);
    if (fs::is_directory(path)) {
      for (const auto& entry : fs::directory_iterator(path))
        if (entry.is_regular_file()) replay(entry.path()), ++count;
    } else if (fs::is_regular_file(path)) {
      replay(path), ++count;
    } else {
      std::fprintf(stderr, "no such input: %s\n", argv[i]);
      return 2;
    }
  }
  std::printf("%zu inputs replayed\n", count);
  return count > 0 ? 0 : 2;
}
