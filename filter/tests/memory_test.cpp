#include "filter/memory.h"
#include "filter/string.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

using Orvanta::Filter::Memory;
using Orvanta::Filter::String;

namespace {

std::string contents(const Memory& memory) {
    const char* data = memory.data();
    return data ? std::string(data, memory.size()) : std::string();
}

} // namespace

TEST(MemoryTest, SmallCopiesShareBlocksOfAtLeast512Bytes) {
    Memory memory;
    std::string expected;
    for (int i = 0; i < 51; ++i) {
        std::string piece(10, static_cast<char>('a' + i % 26));
        EXPECT_EQ(memory.append(piece.data(), piece.size(), false), 10u);
        expected += piece;
    }
    ASSERT_EQ(memory.blocks().size(), 1u);
    EXPECT_EQ(memory.blocks()[0].capacity(), 512u);
    EXPECT_EQ(memory.blocks()[0].size(), 510u);
    memory.append("0123456789", 10, false);
    expected += "0123456789";
    ASSERT_EQ(memory.blocks().size(), 2u);
    EXPECT_EQ(memory.blocks()[1].capacity(), 512u);
    EXPECT_EQ(memory.size(), 520u);
    EXPECT_EQ(contents(memory), expected);
    EXPECT_EQ(memory.blocks().size(), 1u);
}

TEST(MemoryTest, LargeNonPersistentPushGetsSlack) {
    Memory memory;
    std::string big(1000, 'x');
    memory.append(big.data(), big.size(), false);
    ASSERT_EQ(memory.blocks().size(), 1u);
    EXPECT_EQ(memory.blocks()[0].capacity(), 1128u);
    EXPECT_NE(memory.blocks()[0].data(), big.data());
    // The copy must not depend on the caller's bytes.
    big.assign(1000, 'y');
    EXPECT_EQ(contents(memory), std::string(1000, 'x'));
}

TEST(MemoryTest, PersistentPushesAbove128BytesAreReferenced) {
    static const std::string text128(128, 'a');
    static const std::string text129(129, 'b');
    Memory memory;
    memory.append("start", 5, false);
    memory.append(text128.data(), text128.size(), true);
    ASSERT_EQ(memory.blocks().size(), 1u) << "128 bytes fit and are copied";
    memory.append(text129.data(), text129.size(), true);
    ASSERT_EQ(memory.blocks().size(), 2u);
    EXPECT_EQ(memory.blocks()[1].capacity(), 0u);
    EXPECT_EQ(memory.blocks()[1].data(), text129.data());
    // A short non-persistent push after a reference needs an owned block.
    memory.append("end", 3, false);
    ASSERT_EQ(memory.blocks().size(), 3u);
    EXPECT_EQ(memory.blocks()[2].capacity(), 512u);
    EXPECT_EQ(contents(memory), "start" + text128 + text129 + "end");
}

TEST(MemoryTest, AdjacentPersistentPushesJoinOneReference) {
    static const char text[] = "the first half and the second half";
    Memory memory;
    memory.append(text, 10, true);
    memory.append(text + 10, 5, true);
    memory.append(text + 15, sizeof text - 16, true);
    ASSERT_EQ(memory.blocks().size(), 1u);
    EXPECT_EQ(memory.blocks()[0].capacity(), 0u);
    EXPECT_EQ(memory.data(), text) << "collapse leaves a single reference alone";
    EXPECT_EQ(memory.size(), sizeof text - 1);

    // A persistent push elsewhere in memory starts a new reference.
    static const char other[] = "!";
    memory.append(other, 1, true);
    EXPECT_EQ(memory.blocks().size(), 2u);
    EXPECT_EQ(contents(memory), std::string(text) + "!");
    EXPECT_NE(memory.data(), text);
    EXPECT_NE(memory.blocks()[0].capacity(), 0u);
}

TEST(MemoryTest, PersistentPushThatDoesNotFitIsReferenced) {
    static const std::string text(100, 'p');
    Memory memory;
    std::string filler(500, 'f');
    memory.append(filler.data(), filler.size(), false);
    memory.append(filler.data(), 60, false); // 68 bytes of room are left
    ASSERT_EQ(memory.blocks().size(), 1u);
    memory.append(text.data(), text.size(), true);
    ASSERT_EQ(memory.blocks().size(), 2u);
    EXPECT_EQ(memory.blocks()[1].data(), text.data());
}

TEST(MemoryTest, EmptySinks) {
    Memory nothing;
    EXPECT_EQ(nothing.data(), nullptr);
    EXPECT_EQ(nothing.size(), 0u);

    Memory empties;
    empties.append("", 0, false);
    empties.append("", 0, false);
    ASSERT_EQ(empties.blocks().size(), 1u);
    EXPECT_EQ(empties.blocks()[0].capacity(), 512u);
    EXPECT_NE(empties.data(), nullptr);
    EXPECT_EQ(empties.size(), 0u);
}

TEST(MemoryTest, CollapseOfManyBlocksKeepsOrder) {
    static const std::string persistent(300, 'R');
    Memory memory;
    std::string expected;
    for (int i = 0; i < 200; ++i) {
        std::string piece = std::to_string(i) + ",";
        memory.append(piece.data(), piece.size(), false);
        expected += piece;
        if (i % 50 == 0) {
            memory.append(persistent.data(), persistent.size(), true);
            expected += persistent;
        }
    }
    EXPECT_GT(memory.blocks().size(), 2u);
    memory.collapse();
    ASSERT_EQ(memory.blocks().size(), 1u);
    EXPECT_EQ(memory.blocks()[0].capacity(), expected.size());
    EXPECT_EQ(contents(memory), expected);
    // Appending after a collapse continues behind the joined bytes.
    memory.append("tail", 4, false);
    expected += "tail";
    EXPECT_EQ(contents(memory), expected);
}

TEST(MemoryTest, ConvenienceOverloads) {
    Memory memory;
    EXPECT_EQ(memory.append(std::string("abc")), 3u);
    EXPECT_EQ(memory.append('d'), 1u);
    EXPECT_EQ(memory.flush(), 0u);
    EXPECT_EQ(contents(memory), "abcd");
}

TEST(StringSinkTest, AppendsAndReportsTheSizeGiven) {
    std::string target = "before:";
    String sink(&target);
    EXPECT_EQ(sink.append("one", 3, true), 3u);
    EXPECT_EQ(sink.append(std::string(5000, 'z')), 5000u);
    EXPECT_EQ(sink.append("", 0, false), 0u);
    EXPECT_EQ(target, "before:one" + std::string(5000, 'z'));
}

TEST(StreamAppendTest, ReadsInPiecesOf4096) {
    struct Recorder : Orvanta::Filter::Result {
        using Result::append;
        std::vector<size_t> pieces;
        std::string bytes;
        size_t append(const char* data, size_t size, bool persistent) override {
            EXPECT_FALSE(persistent);
            pieces.push_back(size);
            bytes.append(data, size);
            return size;
        }
    };
    std::string text(4096, 'q');
    {
        Recorder recorder;
        std::istringstream stream(text);
        EXPECT_EQ(recorder.append(stream), 4096u);
        EXPECT_EQ(recorder.pieces, (std::vector<size_t>{4096, 0}));
        EXPECT_EQ(recorder.bytes, text);
        // The stream is at its end now: nothing more is pushed.
        EXPECT_EQ(recorder.append(stream), 0u);
        EXPECT_EQ(recorder.pieces.size(), 2u);
    }
    {
        Recorder recorder;
        text += "more";
        std::istringstream stream(text);
        EXPECT_EQ(recorder.append(stream), 4100u);
        EXPECT_EQ(recorder.pieces, (std::vector<size_t>{4096, 4}));
    }
}
