// DateTime against an independent formatter: Python's time.strftime with the
// time zone fixed in its environment.
#include "toolbox/datetime.h"

#include "testsupport/process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <sstream>

using Orvanta::Test::runProcess;
using Orvanta::Toolbox::DateTime;

namespace {

const double times[] = {0,          1,          59.75,         86399, 951782400, 1000000000.5, 1704067199.999,
                        1767225600, 2147483647, 4102444800.25, -1,    -86401.5};

// Zone strings that need no zone database: one without summer time, one with.
const char* zones[] = {"UTC0", "XST-5:30", "EST5EDT,M3.2.0,M11.1.0"};

// One line per time: sql, iso8601, rfc822 and ansi, each in UTC and local.
std::vector<std::string> oracle(const char* zone) {
    std::ostringstream script;
    script << "import time, math\n"
              "forms = ['%Y-%m-%d %H:%M:%S', '%Y-%m-%dT%H:%M:%S%z', '%a, %d %b %y %H:%M:%S %z', '%c']\n"
              "for t in [";
    for (double t : times)
        script.precision(17), script << t << ",";
    script << "]:\n"
              "    s = math.floor(t)\n"
              "    print('|'.join([time.strftime(f, time.gmtime(s)) for f in forms] +\n"
              "                   [time.strftime(f, time.localtime(s)) for f in forms]))\n";
    auto result = runProcess({Orvanta::Test::python3(), "-c", script.str()}, "",
                             {std::string("TZ=") + zone, "LC_ALL=C"});
    EXPECT_EQ(result.status, 0) << result.err;
    std::vector<std::string> lines;
    std::istringstream in(result.out);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class ZoneGuard {
public:
    explicit ZoneGuard(const char* zone) {
        if (const char* old = std::getenv("TZ")) _old = old, _had = true;
        set(zone);
    }
    ~ZoneGuard() { _had ? set(_old.c_str()) : (void)(::unsetenv("TZ"), ::tzset()); }
    static void set(const char* zone) {
        ::setenv("TZ", zone, 1);
        ::tzset();
    }

private:
    std::string _old;
    bool _had = false;
};

} // namespace

TEST(DateTime, MatchesPythonInEveryZone) {
    for (const char* zone : zones) {
        auto expected = oracle(zone);
        ASSERT_EQ(expected.size(), std::size(times)) << zone;
        ZoneGuard guard(zone);
        for (size_t i = 0; i < std::size(times); ++i) {
            DateTime time(times[i]);
            std::string ours;
            // each text lives in the object only until the next form is asked for
            auto add = [&ours](const char* text) {
                ASSERT_NE(text, nullptr);
                ours += (ours.empty() ? "" : "|") + std::string(text);
            };
            for (bool local : {false, true}) {
                add(time.sql(local));
                add(time.iso8601(local));
                add(time.rfc822(local));
                add(time.ansi(local));
            }
            EXPECT_EQ(ours, expected[i]) << zone << " at " << times[i];
        }
    }
}

TEST(DateTime, MatchesDateCommand) {
    for (double t : {0.0, 1234567890.0, 1767225599.0}) {
        auto result =
            runProcess({"date", "-u", "-d", "@" + std::to_string(static_cast<long>(t)), "+%Y-%m-%d %H:%M:%S"},
                       "", {"LC_ALL=C"});
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(DateTime(t).sql() + std::string("\n"), result.out);
    }
}

TEST(DateTime, Fractions) {
    EXPECT_STREQ(DateTime(0.25).complete(3), "1970-01-01 00:00:00.250");
    EXPECT_STREQ(DateTime(0.0004).complete(3), "1970-01-01 00:00:00.000");
    EXPECT_STREQ(DateTime(0.0005).complete(3), "1970-01-01 00:00:00.001");
    EXPECT_STREQ(DateTime(1.5).complete(0), "1970-01-01 00:00:01");
    EXPECT_STREQ(DateTime(1.5).complete(1), "1970-01-01 00:00:01.5");
    EXPECT_STREQ(DateTime(1000000000.123456).complete(6), "2001-09-09 01:46:40.123456");
    EXPECT_STREQ(DateTime(1.5).sql(), "1970-01-01 00:00:01");
    EXPECT_EQ(DateTime(1.5).complete(7), nullptr);
    EXPECT_EQ(DateTime(1.5).complete(100), nullptr);
    // a time before 1970 counts its fraction forward from the earlier second
    EXPECT_STREQ(DateTime(-0.25).complete(2), "1969-12-31 23:59:59.75");
}

TEST(DateTime, FractionCarriesIntoTheSeconds) {
    EXPECT_STREQ(DateTime(59.9996).complete(3), "1970-01-01 00:01:00.000");
    EXPECT_STREQ(DateTime(946684799.9999996).complete(6), "2000-01-01 00:00:00.000000");
    EXPECT_STREQ(DateTime(946684799.96).complete(1), "2000-01-01 00:00:00.0");
    EXPECT_STREQ(DateTime(946684799.94).complete(1), "1999-12-31 23:59:59.9");
}

TEST(DateTime, CachesTheLastForm) {
    ZoneGuard guard("XST-5:30");
    DateTime time(0);
    const char* first = time.sql(true);
    ASSERT_STREQ(first, "1970-01-01 05:30:00");
    // the zone changes, but the same form is not formatted again
    ZoneGuard::set("UTC0");
    EXPECT_EQ(time.sql(true), first);
    EXPECT_STREQ(time.sql(true), "1970-01-01 05:30:00");
    // another form in between does format again
    EXPECT_STREQ(time.sql(false), "1970-01-01 00:00:00");
    EXPECT_STREQ(time.sql(true), "1970-01-01 00:00:00");
    EXPECT_STREQ(time.complete(2), "1970-01-01 00:00:00.00");
    EXPECT_STREQ(time.complete(3), "1970-01-01 00:00:00.000");
}
