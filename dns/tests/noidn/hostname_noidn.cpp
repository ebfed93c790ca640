// Host names on a machine without libidn. This program is linked with
// --wrap=dlopen: every open of a libidn name fails, so the library object
// holds nothing, as it would where libidn is not installed.
#include "dns/host/exception.h"
#include "dns/host/hostname.h"
#include "dns/host/ipaddress.h"
#include "dns/host/libidn.h"

#include <cstring>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

extern "C" void* __real_dlopen(const char* name, int flags);

extern "C" void* __wrap_dlopen(const char* name, int flags) {
    if (name && std::strstr(name, "libidn")) {
        // a real failed open, so that dlerror() has its usual text
        return __real_dlopen("/nonexistent/libidn-missing.so", flags);
    }
    return __real_dlopen(name, flags);
}

using namespace Orvanta::Dns;

namespace {

std::string failure(const char* name, bool strict) {
    try {
        Hostname hostname(name, strict);
    } catch (const IdnException&) {
        return "IdnException";
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "accepted";
}

} // namespace

TEST(WithoutLibidn, LibraryHoldsNothing) {
    EXPECT_FALSE(LibIDN::valid());
}

TEST(WithoutLibidn, NamesFailWithTheBindingError) {
    for (const char* name : {"example.com", "bücher.example", ""}) {
        for (bool strict : {false, true}) {
            std::string error = failure(name, strict);
            EXPECT_EQ(error.rfind("Method idna_strerror not found ", 0), 0u) << name << ": " << error;
        }
    }
    // and again: a failed binding is tried anew, and fails anew
    EXPECT_EQ(failure("example.org", false).rfind("Method idna_strerror not found ", 0), 0u);
}

TEST(WithoutLibidn, NullNames) {
    Hostname empty(nullptr, false);
    EXPECT_EQ(empty.ascii(), nullptr);
    EXPECT_EQ(failure(nullptr, true).rfind("Method idna_strerror not found ", 0), 0u);
}

TEST(WithoutLibidn, AddressNamesKeepOneString) {
    Hostname name(IpAddress("127.0.0.1", false));
    ASSERT_NE(name.ascii(), nullptr);
    EXPECT_GT(std::strlen(name.ascii()), 0u);
    EXPECT_EQ(name.unicode(), name.ascii());
    Hostname copy(name);
    EXPECT_STREQ(copy.ascii(), name.ascii());
}
