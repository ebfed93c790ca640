#include "dns/host/libidn.h"

#include "dynamic/function.h"
#include "dynamic/library.h"

namespace Orvanta::Dns::LibIDN {

const char* const versions[] = {
    "libidn.so",         "libidn.so.11",      "libidn.so.12",     "libidn.so.12.6.5",
    "libidn.so.12.6.3",  "libidn.so.12.6",    "libidn.so.12",     "libidn.so.11.6.16",
    "libidn.so.11.6.15", "libidn.so.11.6.11", "libidn.so.11.6.6", nullptr,
};

const Dynamic::Library& library() {
    static const Dynamic::Library instance(versions);
    return instance;
}

bool valid() {
    return library().valid();
}

// Each binding is a function-local static: a constructor that throws leaves
// it unbuilt, so the next call tries again.

int idna_to_ascii_8z(const char* input, char** output, int flags) {
    static const Dynamic::Function<int(const char*, char**, int)> function(library(), "idna_to_ascii_8z");
    return function(input, output, flags);
}

int idna_to_unicode_8z8z(const char* input, char** output, int flags) {
    static const Dynamic::Function<int(const char*, char**, int)> function(library(), "idna_to_unicode_8z8z");
    return function(input, output, flags);
}

const char* idna_strerror(int code) {
    static const Dynamic::Function<const char*(int)> function(library(), "idna_strerror");
    return function(code);
}

} // namespace Orvanta::Dns::LibIDN
