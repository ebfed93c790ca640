#include "app/input.h"

#include "filter/contiguous.h"
#include "filter/smtpdecode.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

struct Pipe {
    int fds[2] = {-1, -1};
    Pipe() { EXPECT_EQ(pipe(fds), 0); }
    ~Pipe() {
        for (int fd : fds)
            if (fd >= 0) close(fd);
    }
    int in() const { return fds[0]; }
    int out() const { return fds[1]; }
    void closeOut() {
        close(fds[1]);
        fds[1] = -1;
    }
};

void ignore(int) {}

} // namespace

TEST(Input, ReadsWhatIsThereAndThenTheEnd) {
    Pipe pipe;
    ASSERT_EQ(write(pipe.out(), "hello", 5), 5);
    pipe.closeOut();
    char buffer[16];
    ASSERT_EQ(Input::read(pipe.in(), buffer, sizeof buffer), 5);
    EXPECT_EQ(std::string(buffer, 5), "hello");
    EXPECT_EQ(Input::read(pipe.in(), buffer, sizeof buffer), 0);
}

TEST(Input, NothingYetOnANonBlockingInputIsNoError) {
    Pipe pipe;
    ASSERT_EQ(fcntl(pipe.in(), F_SETFL, O_NONBLOCK), 0);
    char buffer[16];
    EXPECT_EQ(Input::read(pipe.in(), buffer, sizeof buffer), Input::later);
    ASSERT_EQ(write(pipe.out(), "x", 1), 1);
    EXPECT_EQ(Input::read(pipe.in(), buffer, sizeof buffer), 1);
}

TEST(Input, AReadInterruptedByASignalIsRepeated) {
    // a handler without SA_RESTART makes the blocked read fail with EINTR
    struct sigaction action = {}, previous = {};
    action.sa_handler = ignore;
    ASSERT_EQ(sigaction(SIGALRM, &action, &previous), 0);
    itimerval timer = {{0, 20000}, {0, 20000}};
    ASSERT_EQ(setitimer(ITIMER_REAL, &timer, nullptr), 0);

    Pipe pipe;
    std::thread writer([&pipe] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        EXPECT_EQ(write(pipe.out(), "late", 4), 4);
    });
    char buffer[16];
    long result = Input::read(pipe.in(), buffer, sizeof buffer);
    writer.join();

    itimerval off = {};
    setitimer(ITIMER_REAL, &off, nullptr);
    sigaction(SIGALRM, &previous, nullptr);
    EXPECT_EQ(result, 4);
}

TEST(Input, ARealErrorIsReported) {
    // reading a directory fails with EISDIR
    int fd = open("/", O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    char buffer[16];
    try {
        Input::read(fd, buffer, sizeof buffer);
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Failed to read from stdin");
    }
    close(fd);
    EXPECT_THROW(Input::read(-1, buffer, sizeof buffer), std::runtime_error);
}

TEST(Input, PiecesGrowWithTheMessageWithinBounds) {
    const std::pair<size_t, size_t> cases[] = {
        {0, 64 * 1024}, {64 * 1024 + 1, 64 * 1024 + 1}, {3 << 20, 3 << 20}, {size_t(100) << 20, 4 << 20}};
    for (auto [held, piece] : cases)
        EXPECT_EQ(Input::pieceSize(held), piece) << held;
}

// Standard input read piece by piece into the message's storage: as it came
// with ignore-dot, else dot-decoded up to the dot line; bytes written while
// the reader works arrive whole and in order.
TEST(Input, ReadIntoKeepsOrDecodesTheMessage) {
    // as an SMTP client sends it, and what that must give
    std::string large, decoded;
    for (int i = 0; large.size() < 300000; ++i) {
        std::string line = (i % 7 ? "line " : ".dot ") + std::to_string(i) + "\r\n";
        large += (line[0] == '.' ? "." : "") + line;
        decoded += line;
    }
    struct Case {
        const char* name;
        bool decode;
        std::string input;
        std::string expected;
        bool ended;
    };
    const Case cases[] = {
        {"kept as read", false, "a\r\n.\r\nb", "a\r\n.\r\nb", false},
        {"decoded to the dot line", true, "a\r\n..b\r\n.\r\nafter", "a\r\n.b\r\n", true},
        {"large, decoded", true, large + ".\r\n", decoded, true},
        {"large, kept", false, large, large, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Pipe pipe;
        std::thread writer([&] {
            for (size_t at = 0; at < c.input.size(); at += 5000) {
                size_t n = std::min<size_t>(5000, c.input.size() - at);
                EXPECT_EQ(write(pipe.out(), c.input.data() + at, n), ssize_t(n));
            }
            pipe.closeOut();
        });
        Orvanta::Filter::Contiguous message;
        bool ended = false;
        Orvanta::Filter::SmtpDecode decoder(&message, [&](size_t) { ended = true; });
        while (!ended && Input::readInto(pipe.in(), message, c.decode ? &decoder : nullptr) > 0) {
        }
        writer.join();
        EXPECT_EQ(ended, c.ended);
        EXPECT_TRUE(std::string(message.data(), message.size()) == c.expected);
    }
}
