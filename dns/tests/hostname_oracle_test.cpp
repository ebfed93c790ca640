// Hostname against the idna codec of the system's Python (IDNA2003) on a few
// hundred generated names (see idna_oracle.py).
#include "dns/host/exception.h"
#include "dns/host/hostname.h"
#include "dns/tests/generated.h"
#include "testsupport/hex.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using Orvanta::Dns::Hostname;
using Orvanta::Dns::IdnException;

namespace {

using Orvanta::Test::unhex;

const std::string script = ORVANTA_SOURCE_DIR "/dns/tests/idna_oracle.py";

// "ok", or the text of the failure
std::string build(const std::string& name, bool strict, std::string& ascii, std::string& unicode) {
    try {
        Hostname hostname(name.c_str(), strict);
        ascii = hostname.ascii();
        unicode = hostname.unicode();
        if (ascii == unicode && hostname.ascii() != hostname.unicode()) return "equal forms not shared";
        return "ok";
    } catch (const IdnException& error) {
        return error.what();
    }
}

} // namespace

TEST(HostnameOracle, AgreesWithTheIdnaCodec) {
    size_t names = 0, aces = 0, refused = 0;
    for (const char* seed : {"3", "11"}) {
        for (auto& row : Orvanta::Dns::Test::generated(script, seed)) {
            if (row[0] == "name") {
                ++names;
                std::string name = unhex(row[1]);
                std::string ascii, unicode;
                std::string lenient = build(name, false, ascii, unicode);
                if (row[2] == "ok") {
                    ASSERT_EQ(lenient, "ok") << name;
                    EXPECT_EQ(ascii, unhex(row[3])) << name;
                    EXPECT_EQ(unicode, unhex(row[4])) << name;
                } else {
                    EXPECT_NE(lenient, "ok") << name;
                    ++refused;
                }
                std::string strict = build(name, true, ascii, unicode);
                if (row[5] == "ok") {
                    EXPECT_EQ(strict, "ok") << name;
                    EXPECT_EQ(ascii, unhex(row[3])) << name;
                } else if (row[5] == "fail") {
                    EXPECT_NE(strict, "ok") << name;
                } else {
                    EXPECT_EQ(strict, IdnException(std::stoi(row[5])).what()) << name;
                    ++refused;
                }
            } else if (row[0] == "ace") {
                ++aces;
                std::string ascii, unicode;
                std::string name = unhex(row[1]);
                ASSERT_EQ(build(name, false, ascii, unicode), "ok") << name;
                EXPECT_EQ(unicode, unhex(row[2])) << name;
                EXPECT_EQ(ascii, name);
            }
        }
    }
    EXPECT_GT(names, 400u);
    EXPECT_GT(aces, 300u);
    EXPECT_GT(refused, 40u);
}
