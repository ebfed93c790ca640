// Ip and IpAddress against the ipaddress module of the system's Python on a
// few hundred generated cases (see ip_oracle.py).
#include "dns/host/exception.h"
#include "dns/host/ipaddress.h"
#include "dns/host/ipmask.h"
#include "dns/host/printable.h"
#include "dns/tests/generated.h"
#include "testsupport/hex.h"

#include <gtest/gtest.h>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

using DNS::Ip;
using Orvanta::Dns::IpAddress;
using Orvanta::Dns::IpMask;

namespace {

const std::string script = ORVANTA_SOURCE_DIR "/dns/tests/ip_oracle.py";

std::string code(const Ip& ip) {
    std::string bytes(reinterpret_cast<const char*>(ip.data()), ip.size());
    return std::to_string(ip.version()) + ":" + Orvanta::Test::hex(bytes);
}

// An address from its V:HEX code, through the numeric text the module would
// also read: 4:c0000201 is 192.0.2.1.
Ip decode(const std::string& coded) {
    std::string hex = coded.substr(2);
    std::ostringstream text;
    if (coded[0] == '4') {
        for (size_t i = 0; i < 8; i += 2)
            text << (i ? "." : "") << std::stoi(hex.substr(i, 2), nullptr, 16);
    } else {
        for (size_t i = 0; i < 32; i += 4)
            text << (i ? ":" : "") << hex.substr(i, 4);
    }
    return Ip(text.str().c_str());
}

struct Cases {
    std::vector<std::vector<std::string>> rows;
    explicit Cases(const char* seed) : rows(Orvanta::Dns::Test::generated(script, seed)) {}
};

const Cases& cases() {
    static Cases all("7");
    return all;
}

} // namespace

TEST(IpOracle, ParsesWhatTheModuleParses) {
    std::string printed;
    size_t count = 0;
    for (auto& row : cases().rows) {
        if (row[0] != "parse") continue;
        ++count;
        const char* text = row[1].c_str();
        try {
            Ip ip(text);
            EXPECT_EQ(code(ip), row[2]) << text;
            IpAddress address(text, false);
            EXPECT_EQ(code(address), row[2]) << text;
            printed += std::string(DNS::Printable(ip).data()) + "\t" + row[2] + "\n";
        } catch (const std::exception& error) {
            ADD_FAILURE() << text << ": " << error.what();
        }
    }
    EXPECT_GT(count, 400u);
    // the module reads every printed text back as the same address
    auto checked = Orvanta::Test::runProcess({Orvanta::Test::python3(), script, "check"}, printed);
    EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
}

TEST(IpOracle, RefusesWhatTheModuleRefuses) {
    size_t count = 0;
    for (auto& row : cases().rows) {
        if (row[0] != "invalid") continue;
        ++count;
        const char* text = row[1].c_str();
        EXPECT_THROW(Ip ip(text), std::runtime_error) << text;
        EXPECT_THROW(IpAddress address(text, false), Orvanta::Dns::GaiException) << text;
    }
    EXPECT_GT(count, 20u);
}

TEST(IpOracle, OrderInversionAndBitOperations) {
    size_t count = 0;
    for (auto& row : cases().rows) {
        const std::string& what = row[0];
        if (what == "order") {
            int sign = decode(row[1]).compare(decode(row[2]));
            sign = (sign > 0) - (sign < 0);
            EXPECT_EQ(sign, std::stoi(row[3])) << row[1] << " " << row[2];
        } else if (what == "not") {
            EXPECT_EQ(code(~decode(row[1])), row[2]) << row[1];
        } else if (what == "or" || what == "and") {
            Ip target = decode(row[1]);
            if (what == "or")
                target |= decode(row[2]);
            else
                target &= decode(row[2]);
            EXPECT_EQ(code(target), row[3]) << what << " " << row[1] << " " << row[2];
        } else {
            continue;
        }
        ++count;
    }
    EXPECT_GT(count, 700u);
}

TEST(IpOracle, IncrementsAndNetmasks) {
    size_t count = 0;
    for (auto& row : cases().rows) {
        if (row[0] == "next") {
            IpAddress address(DNS::Printable(decode(row[1])).data(), false);
            EXPECT_EQ(code(++address), row[2]) << row[1];
        } else if (row[0] == "mask") {
            IpMask mask(std::stoi(row[1]), std::stoi(row[2]));
            EXPECT_EQ(code(IpAddress(mask)), row[3]) << row[1] << "/" << row[2];
        } else {
            continue;
        }
        ++count;
    }
    EXPECT_GT(count, 400u);
}
