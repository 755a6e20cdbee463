// A small stand-in for libFuzzer, so every fuzz target builds and runs with any compiler:
//
//   fuzz_<name> [RUNS] [SEED_FILE_OR_FOLDER ...]
//
// replays every seed, then runs RUNS inputs (default: QUELBY_FUZZ_RUNS, else 10000) made by
// mutating the seeds and earlier inputs with a fixed random seed, so a failure repeats. The
// run stops early after QUELBY_FUZZ_SECONDS (default 5) so that it stays short in CI. A
// target reports a fault by crashing or aborting. The run is the same every time, so running
// it again with QUELBY_FUZZ_DUMP=FILE leaves the input that failed in FILE.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

constexpr std::size_t kMaxInput = 1 << 20;
constexpr std::size_t kMaxSeed = 1 << 20;
constexpr std::size_t kMaxPool = 512;
// Inputs kept to build on stay small, so that long runs stay the exception.
constexpr std::size_t kMaxKept = std::size_t{64} * 1024;

const std::string_view kTokens[] = {
    ":",           ",",   "\"", "\r\n", "\n", "\r",   " ", "\t",  std::string_view("\0", 1),
    ":00000001FF", ":10", "00", "FF",   "?",  "0?12", "%", "\x1A"};

class Mutator {
public:
    explicit Mutator(std::uint64_t seed) : m_random(seed) {}

    std::size_t below(std::size_t n) {
        return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(m_random);
    }

    Bytes mutate(const std::vector<Bytes>& pool) {
        Bytes input = pool.empty() ? Bytes{} : pool[below(pool.size())];
        const std::size_t steps = 1 + below(8);
        for (std::size_t i = 0; i < steps; ++i)
            step(input, pool);
        if (input.size() > kMaxInput) input.resize(kMaxInput);
        return input;
    }

private:
    std::uint8_t anyByte() { return static_cast<std::uint8_t>(below(256)); }

    void insert(Bytes& input, std::string_view text) {
        const auto at = input.begin() + static_cast<std::ptrdiff_t>(below(input.size() + 1));
        input.insert(at, text.begin(), text.end());
    }

    void step(Bytes& input, const std::vector<Bytes>& pool) {
        switch (below(9)) {
        case 0: // flip a bit
            if (!input.empty())
                input[below(input.size())] ^= static_cast<std::uint8_t>(1u << below(8));
            break;
        case 1: // replace a byte
            if (!input.empty()) input[below(input.size())] = anyByte();
            break;
        case 2: { // insert a few random bytes
            std::string bytes(1 + below(8), '\0');
            for (char& c : bytes)
                c = static_cast<char>(anyByte());
            insert(input, bytes);
            break;
        }
        case 3: { // delete a range
            if (input.empty()) break;
            const std::size_t from = below(input.size());
            const std::size_t count = 1 + below(std::min<std::size_t>(64, input.size() - from));
            input.erase(input.begin() + static_cast<std::ptrdiff_t>(from),
                        input.begin() + static_cast<std::ptrdiff_t>(from + count));
            break;
        }
        case 4: { // copy a range elsewhere
            if (input.empty()) break;
            const std::size_t from = below(input.size());
            const std::size_t count = 1 + below(std::min<std::size_t>(128, input.size() - from));
            const Bytes chunk(input.begin() + static_cast<std::ptrdiff_t>(from),
                              input.begin() + static_cast<std::ptrdiff_t>(from + count));
            const auto at = input.begin() + static_cast<std::ptrdiff_t>(below(input.size() + 1));
            input.insert(at, chunk.begin(), chunk.end());
            break;
        }
        case 5: // splice in part of another input
            if (!pool.empty()) {
                const Bytes& other = pool[below(pool.size())];
                const std::size_t from = below(other.size() + 1);
                const std::size_t count = below(other.size() - from + 1);
                const auto at =
                    input.begin() + static_cast<std::ptrdiff_t>(below(input.size() + 1));
                input.insert(at, other.begin() + static_cast<std::ptrdiff_t>(from),
                             other.begin() + static_cast<std::ptrdiff_t>(from + count));
            }
            break;
        case 6:
        case 7: // a token the readers care about
            insert(input, kTokens[below(std::size(kTokens))]);
            break;
        case 8: // now and then, a very long run, past the readers' bounds
            if (below(16) == 0) {
                const std::size_t length = 1000 + below(300000);
                insert(input,
                       std::string(length, static_cast<char>(below(3) == 0 ? ':' : anyByte())));
            }
            break;
        }
    }

    std::mt19937_64 m_random;
};

void addSeed(const fs::path& file, std::vector<Bytes>& seeds) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec) || fs::file_size(file, ec) > kMaxSeed) return;
    std::ifstream in(file, std::ios::binary);
    seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::size_t numberFrom(const char* text, std::size_t fallback) {
    if (!text || !*text) return fallback;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    return *end == '\0' ? static_cast<std::size_t>(value) : fallback;
}

void run(const Bytes& input) {
    if (const char* dump = std::getenv("QUELBY_FUZZ_DUMP"))
        std::ofstream(dump, std::ios::binary)
            .write(reinterpret_cast<const char*>(input.data()),
                   static_cast<std::streamsize>(input.size()));
    LLVMFuzzerTestOneInput(input.data(), input.size());
}

} // namespace

int main(int argc, char** argv) {
    std::size_t runs = numberFrom(std::getenv("QUELBY_FUZZ_RUNS"), 10000);
    const std::size_t seconds = numberFrom(std::getenv("QUELBY_FUZZ_SECONDS"), 5);
    std::vector<Bytes> pool;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!arg.empty() && arg.find_first_not_of("0123456789") == std::string::npos) {
            runs = numberFrom(argv[i], runs);
        } else if (fs::is_directory(arg)) {
            std::vector<fs::path> files;
            for (const auto& entry : fs::directory_iterator(arg))
                files.push_back(entry.path());
            std::sort(files.begin(), files.end()); // the same order, so the same run, everywhere
            for (const auto& file : files)
                addSeed(file, pool);
        } else {
            addSeed(arg, pool);
        }
    }
    pool.emplace_back();

    for (const Bytes& seed : pool)
        run(seed);
    const std::size_t seedCount = pool.size();

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    Mutator mutator(0x5155454C4259ull);
    std::size_t done = 0;
    for (; done < runs; ++done) {
        if (done % 64 == 0 && std::chrono::steady_clock::now() > deadline) break;
        Bytes input = mutator.mutate(pool);
        run(input);
        // Keep some inputs to build on, so mutations accumulate.
        if (done % 16 == 0 && input.size() <= kMaxKept) {
            if (pool.size() < kMaxPool)
                pool.push_back(std::move(input));
            else if (seedCount < kMaxPool)
                pool[seedCount + mutator.below(kMaxPool - seedCount)] = std::move(input);
        }
    }
    std::fprintf(stderr, "%zu seeds and %zu of %zu mutated inputs run without a fault\n", seedCount,
                 done, runs);
    return 0;
}
