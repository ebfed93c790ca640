// The GNU IDN library, opened at run time on first use and kept until exit;
// each function is bound on its first call.
#pragma once

namespace Orvanta::Dynamic {
class Library;
}

namespace Orvanta::Dns::LibIDN {

// Shared-object names tried in order, null-terminated.
extern const char* const versions[];

// Flags of the conversions.
constexpr int allowUnassigned = 1;
constexpr int useStd3AsciiRules = 2;

const Dynamic::Library& library();
// whether one of the names opened
bool valid();

// libidn's own functions: 0 is success, an output string is the caller's to
// free(). Binding fails with std::runtime_error "Method <name> not found ...".
int idna_to_ascii_8z(const char* input, char** output, int flags);
int idna_to_unicode_8z8z(const char* input, char** output, int flags);
const char* idna_strerror(int code);

} // namespace Orvanta::Dns::LibIDN
