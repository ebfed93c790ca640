#include <cerrno>
#include <memory>
#include <string>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "amqp/tcp/tcpinbuffer.h"
#include "amqp/tcp/tcpoutbuffer.h"

using namespace AMQP;

namespace {

// a connected pair of non-blocking stream sockets
struct SocketPair {
    SocketPair() { EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, fds), 0); }
    ~SocketPair() {
        for (int fd : fds)
            if (fd >= 0) close(fd);
    }
    void closePeer() {
        close(fds[1]);
        fds[1] = -1;
    }
    std::string drain() {
        std::string out;
        char chunk[65536];
        ssize_t n;
        while ((n = read(fds[1], chunk, sizeof chunk)) > 0)
            out.append(chunk, n);
        return out;
    }
    void put(const std::string& bytes) {
        ASSERT_EQ(write(fds[1], bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    int fds[2] = {-1, -1};
};

std::string contents(const TcpOutBuffer& buffer) {
    iovec chunks[64];
    size_t count = buffer.fill(chunks, 64);
    std::string out;
    for (size_t i = 0; i < count; ++i)
        out.append(static_cast<char*>(chunks[i].iov_base), chunks[i].iov_len);
    return out;
}

} // namespace

TEST(TcpOutBuffer, ShrinkWalksAcrossChunksAndKeepsTheRestInOrder) {
    TcpOutBuffer buffer;
    EXPECT_FALSE(buffer);
    buffer.add("abc", 3);
    buffer.add("", 0);
    buffer.add("defg", 4);
    buffer.add("h", 1);
    EXPECT_EQ(buffer.size(), 8u);
    buffer.shrink(2);
    EXPECT_EQ(contents(buffer), "cdefgh");
    buffer.shrink(1);
    EXPECT_EQ(contents(buffer), "defgh");
    buffer.shrink(5);
    EXPECT_FALSE(buffer);
    buffer.add("xy", 2);
    buffer.shrink(100);
    EXPECT_EQ(buffer.size(), 0u);
    EXPECT_EQ(contents(buffer), "");
}

TEST(TcpOutBuffer, FillDescribesAtMostTheGivenNumberOfChunks) {
    TcpOutBuffer buffer;
    static const char letters[] = "abcde";
    Keeper keeper = std::make_shared<int>(0);
    for (size_t i = 0; i < 5; ++i)
        buffer.add(letters + i, 1, keeper);
    buffer.shrink(1);
    iovec chunks[2];
    ASSERT_EQ(buffer.fill(chunks, 2), 2u);
    EXPECT_EQ(*static_cast<char*>(chunks[0].iov_base), 'b');
}

// What waits of a gathered write: the part the socket did not take, lasting
// pieces referred to (never copied) while their keeper is held, the others
// copied, small copies joined.
TEST(TcpOutBuffer, PiecesWaitFromWhereTheWriteStopped) {
    static const char body[] = "0123456789";
    struct Case {
        const char* name;
        size_t skip;
        bool lasting;
        bool keeper;
        std::string rest;
        // chunks described, and whether the body is referred to in place
        size_t chunks;
        bool referred;
    };
    const Case cases[] = {
        {"nothing written, body kept", 0, true, true, "hd0123456789E", 3, true},
        {"stopped inside the header", 1, true, true, "d0123456789E", 3, true},
        {"stopped inside the body", 5, true, true, "3456789E", 2, true},
        {"only the marker left", 12, true, true, "E", 1, false},
        {"body not lasting: copied", 0, false, true, "hd0123456789E", 1, false},
        {"no keeper: copied", 3, true, false, "123456789E", 1, false},
        {"everything written", 13, true, true, "", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Keeper keeper = c.keeper ? std::make_shared<int>(0) : nullptr;
        const OutPiece pieces[] = {{"hd", 2, false}, {body, 10, c.lasting}, {"E", 1, false}};
        TcpOutBuffer buffer;
        buffer.add(pieces, 3, c.skip, keeper);
        EXPECT_EQ(contents(buffer), c.rest);
        EXPECT_EQ(buffer.size(), c.rest.size());
        iovec chunks[8];
        size_t count = buffer.fill(chunks, 8);
        EXPECT_EQ(count, c.chunks);
        bool referred = false;
        for (size_t i = 0; i < count; ++i) {
            const char* base = static_cast<const char*>(chunks[i].iov_base);
            referred |= base >= body && base < body + 10;
        }
        EXPECT_EQ(referred, c.referred);
        if (keeper) {
            EXPECT_EQ(keeper.use_count(), c.referred ? 2 : 1);
            buffer.shrink(buffer.size());
            EXPECT_EQ(keeper.use_count(), 1) << "the keeper outlives what was written";
        }
    }
}

// Body frames of two messages queued in turn, each frame referred to under
// its message's keeper: a keeper is let go once the last of its bytes is
// written, not before, and the bytes come out in order.
TEST(TcpOutBuffer, EachKeeperIsHeldUntilItsLastBytesAreWritten) {
    static const char first[] = "aaaabbbb";
    static const char second[] = "ccccdddd";
    Keeper keepers[2] = {std::make_shared<int>(1), std::make_shared<int>(2)};
    TcpOutBuffer buffer;
    std::string expected;
    for (int message = 0; message < 2; ++message) {
        const char* body = message == 0 ? first : second;
        for (int frame = 0; frame < 2; ++frame) {
            const OutPiece pieces[] = {{"<", 1, false}, {body + 4 * frame, 4, true}, {">", 1, false}};
            buffer.add(pieces, 3, 0, keepers[message]);
            expected += "<" + std::string(body + 4 * frame, 4) + ">";
        }
    }
    EXPECT_EQ(contents(buffer), expected);
    EXPECT_GT(keepers[0].use_count(), 1);
    EXPECT_GT(keepers[1].use_count(), 1);
    // up to the last byte of the first message's body
    buffer.shrink(10);
    EXPECT_GT(keepers[0].use_count(), 1);
    buffer.shrink(1);
    EXPECT_EQ(keepers[0].use_count(), 1);
    EXPECT_GT(keepers[1].use_count(), 1);
    EXPECT_EQ(contents(buffer), expected.substr(11));
    buffer.shrink(buffer.size());
    EXPECT_EQ(keepers[1].use_count(), 1);
}

TEST(TcpOutBuffer, MovingLeavesTheSourceEmpty) {
    TcpOutBuffer source;
    source.add("abc", 3);
    source.shrink(1);
    TcpOutBuffer target(std::move(source));
    EXPECT_EQ(source.size(), 0u);
    EXPECT_EQ(contents(source), "");
    EXPECT_EQ(contents(target), "bc");
    source = std::move(target);
    EXPECT_EQ(contents(source), "bc");
}

TEST(TcpOutBuffer, SendtoWritesMoreThanSixtyFourChunksInOrder) {
    SocketPair pair;
    TcpOutBuffer buffer;
    std::string expected;
    for (int i = 0; i < 200; ++i) {
        std::string chunk = std::to_string(i) + ",";
        buffer.add(chunk.data(), chunk.size());
        expected += chunk;
    }
    EXPECT_EQ(buffer.sendto(pair.fds[0]), ssize_t(expected.size()));
    EXPECT_FALSE(buffer);
    EXPECT_EQ(pair.drain(), expected);
}

TEST(TcpOutBuffer, SendtoStopsWhenTheSocketIsFullAndResumesWhereItStopped) {
    SocketPair pair;
    TcpOutBuffer buffer;
    std::string expected;
    for (int i = 0; i < 64; ++i) {
        std::string chunk(100000, char('a' + i % 26));
        buffer.add(chunk.data(), chunk.size());
        expected += chunk;
    }
    ssize_t first = buffer.sendto(pair.fds[0]);
    ASSERT_GT(first, 0);
    ASSERT_LT(size_t(first), expected.size());
    EXPECT_EQ(buffer.size(), expected.size() - first);
    std::string got;
    while (buffer) {
        got += pair.drain();
        ssize_t more = buffer.sendto(pair.fds[0]);
        ASSERT_TRUE(more > 0 || errno == EAGAIN);
    }
    got += pair.drain();
    EXPECT_EQ(got, expected);
}

TEST(TcpOutBuffer, SendtoReportsTheFailureWhenNothingWasWritten) {
    SocketPair pair;
    pair.closePeer();
    TcpOutBuffer buffer;
    buffer.add("abc", 3);
    errno = 0;
    EXPECT_EQ(buffer.sendto(pair.fds[0]), -1);
    EXPECT_EQ(errno, EPIPE);
    EXPECT_EQ(buffer.size(), 3u);
}

TEST(TcpInBuffer, ReadsNoMoreThanTheParserStillNeeds) {
    SocketPair pair;
    pair.put("0123456789");
    TcpInBuffer buffer(4096);
    EXPECT_EQ(buffer.receivefrom(pair.fds[0], 3), 3);
    EXPECT_EQ(buffer.receivefrom(pair.fds[0], 7), 4);
    EXPECT_EQ(std::string(buffer.data(0, 7), buffer.size()), "0123456");
    buffer.shrink(7);
    EXPECT_EQ(buffer.receivefrom(pair.fds[0], 7), 3);
    EXPECT_EQ(std::string(buffer.data(0, 3), 3), "789");
}

TEST(TcpInBuffer, ANothingWaitingReadSeesTheClosedPeerAndAWaitingOneAnEmptySocket) {
    SocketPair pair;
    TcpInBuffer buffer(16);
    errno = 0;
    EXPECT_EQ(buffer.receivefrom(pair.fds[0], 7), -1);
    EXPECT_EQ(errno, EAGAIN);
    pair.closePeer();
    EXPECT_EQ(buffer.receivefrom(pair.fds[0], 7), 0);
    EXPECT_EQ(buffer.size(), 0u);
}

TEST(TcpInBuffer, GrowsToAFrameLargerThanItsBlockInsteadOfWritingPastIt) {
    SocketPair pair;
    std::string frame(10000, 'x');
    frame[9999] = 'y';
    TcpInBuffer buffer(4096);
    std::string got;
    while (buffer.size() < frame.size()) {
        pair.put(frame.substr(buffer.size(), 3000));
        ASSERT_GT(buffer.receivefrom(pair.fds[0], frame.size()), 0);
        EXPECT_LE(buffer.size(), buffer.capacity());
    }
    EXPECT_EQ(std::string(buffer.data(0, buffer.size()), buffer.size()), frame);
}

TEST(TcpInBuffer, NeverGrowsPastItsLimit) {
    SocketPair pair;
    std::string chunk(60000, 'z');
    TcpInBuffer buffer(4096);
    // a peer announcing a 4 GB frame gets a bounded block, and a full block
    // refuses to read instead of overflowing
    size_t huge = size_t(1) << 32;
    while (buffer.size() < TcpInBuffer::limit) {
        pair.put(chunk);
        ssize_t n = buffer.receivefrom(pair.fds[0], huge);
        ASSERT_GT(n, 0);
        ASSERT_LE(buffer.capacity(), TcpInBuffer::limit);
    }
    EXPECT_EQ(buffer.size(), TcpInBuffer::limit);
    pair.put("more");
    errno = 0;
    EXPECT_EQ(buffer.receivefrom(pair.fds[0], huge), -1);
    EXPECT_EQ(errno, EMSGSIZE);
}

TEST(TcpInBuffer, ReallocateKeepsTheBytesItHolds) {
    SocketPair pair;
    pair.put("abcdef");
    TcpInBuffer buffer(4096);
    ASSERT_EQ(buffer.receivefrom(pair.fds[0], 6), 6);
    buffer.reallocate(0);
    EXPECT_EQ(buffer.capacity(), 6u);
    EXPECT_EQ(std::string(buffer.data(0, 6), 6), "abcdef");
    buffer.reallocate(size_t(1) << 40);
    EXPECT_EQ(buffer.capacity(), TcpInBuffer::limit);
    EXPECT_EQ(std::string(buffer.data(0, 6), 6), "abcdef");
}

TEST(TcpInBuffer, ShrinkingPartOfTheBytesKeepsTheRestAtTheFront) {
    SocketPair pair;
    pair.put("abcdef");
    TcpInBuffer buffer(64);
    ASSERT_EQ(buffer.receivefrom(pair.fds[0], 6), 6);
    buffer.shrink(4);
    EXPECT_EQ(std::string(buffer.data(0, 2), buffer.size()), "ef");
    buffer.shrink(10);
    EXPECT_EQ(buffer.size(), 0u);
}

TEST(TcpInBuffer, AMovedBufferOwnsNothing) {
    SocketPair pair;
    pair.put("ab");
    TcpInBuffer source(8);
    ASSERT_EQ(source.receivefrom(pair.fds[0], 2), 2);
    TcpInBuffer target(std::move(source));
    EXPECT_EQ(source.size(), 0u);
    EXPECT_EQ(source.capacity(), 0u);
    EXPECT_EQ(std::string(target.data(0, 2), 2), "ab");
}
