#pragma once
// One fuzz target per file reader, its body written once. In the normal build each target is a
// function the replay test (test_fuzz) runs over seeds made by our own writers and over every
// input saved under regressions/<target>/; in the fuzz build (clang, -fsanitize=fuzzer) the same
// body is libFuzzer's entry point. A target only lets the reader's own refusals (our Exception
// classes) pass; anything else, and a broken promise it checks, ends the process.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessiv {
class TGraphic;
}

namespace fuzz {

// True when the reader accepted the input (a refusal is a fine answer to a damaged file).
using TRun = bool (*)(const std::uint8_t* data, std::size_t size);
using TSeeds = std::vector<QByteArray> (*)();

struct TTarget {
    const char* Name;
    TRun Run;
    TSeeds Seeds;
};

// Every target linked into this program, by name.
const std::vector<TTarget>& Targets();
int Register(const TTarget& target);

// The application object (offscreen), fonts and the class registry; once per process.
void InitOnce();
// A path of this process's own scratch folder (made on first use).
QString ScratchPath(const QString& name);
// Draws the picture onto a small page and into a recorded page.
void Paint(tessiv::TGraphic& graphic);
// Ends the process with the broken promise: the fuzzer keeps the input that did it.
[[noreturn]] void Broken(const char* what);

} // namespace fuzz

#ifdef TESSIV_FUZZ_ENTRY
#define TESSIV_FUZZ_TARGET(name, seeds)                                                                \
    static bool FuzzRun_##name(const std::uint8_t* data, std::size_t size);                           \
    [[maybe_unused]] static const fuzz::TSeeds FuzzSeeds_##name = &seeds;                             \
    extern "C" int LLVMFuzzerInitialize(int*, char***)                                                 \
    {                                                                                                  \
        fuzz::InitOnce();                                                                              \
        return 0;                                                                                      \
    }                                                                                                  \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)                  \
    {                                                                                                  \
        FuzzRun_##name(data, size);                                                                    \
        return 0;                                                                                      \
    }                                                                                                  \
    static bool FuzzRun_##name(const std::uint8_t* data, std::size_t size)
#else
#define TESSIV_FUZZ_TARGET(name, seeds)                                                                \
    static bool FuzzRun_##name(const std::uint8_t* data, std::size_t size);                           \
    [[maybe_unused]] static const int FuzzRegistered_##name = fuzz::Register({#name, &FuzzRun_##name, &seeds}); \
    static bool FuzzRun_##name(const std::uint8_t* data, std::size_t size)
#endif
