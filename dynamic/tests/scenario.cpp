// Runs one binding scenario in a process of its own and prints what it sees:
// the bindings live in function-local statics, as the library bindings keep them.
#include "dynamic/function.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

using Orvanta::Dynamic::Function;
using Orvanta::Dynamic::Library;

namespace {

int built = 0;

struct CountedLibrary : Library {
    explicit CountedLibrary(const char* const* names) : Library(names) { ++built; }
};

const Library& deadLibrary() {
    static const char* const names[] = {"/nonexistent/liborvanta-missing-1.so", "liborvanta-missing-2.so.0",
                                        nullptr};
    static CountedLibrary library(names);
    return library;
}

const Library& alphaLibrary() {
    static const char* const names[] = {ALPHA_PATH, nullptr};
    static CountedLibrary library(names);
    return library;
}

int answerFromDead() {
    static Function<int()> func(deadLibrary(), "orv_alpha_answer");
    return func();
}

int missingFromAlpha() {
    static Function<int()> func(alphaLibrary(), "orv_nope");
    return func();
}

int answerFromAlpha() {
    static Function<int()> func(alphaLibrary(), "orv_alpha_answer");
    return func();
}

template <typename Wrapper>
void callThrice(Wrapper wrapper) {
    for (int i = 0; i < 3; ++i) {
        try {
            std::printf("result %d\n", wrapper());
        } catch (const std::runtime_error& e) {
            std::printf("error [%s]\n", e.what());
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    if (std::strcmp(argv[1], "dead") == 0)
        callThrice(answerFromDead);
    else if (std::strcmp(argv[1], "missing") == 0)
        callThrice(missingFromAlpha);
    else if (std::strcmp(argv[1], "bound") == 0)
        callThrice(answerFromAlpha);
    else
        return 2;
    std::printf("built %d\n", built);
    return 0;
}
