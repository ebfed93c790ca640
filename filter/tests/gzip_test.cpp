#include "chunking.h"
#include "filter/gzip.h"
#include "filter/memory.h"
#include "filter/string.h"
#include "filter/zlib.h"
#include "recorder.h"
#include "testsupport/process.h"

#include <gtest/gtest.h>

#include <sys/mman.h>

#include <random>
#include <stdexcept>
#include <string>

using Orvanta::Filter::Gzip;
using Orvanta::Filter::String;
using Orvanta::Filter::Test::randomCut;
using Orvanta::Filter::Test::Recorder;
using Orvanta::Test::runProcess;

namespace {

std::string gunzip(const std::string& compressed) {
    auto result = runProcess({"gzip", "-dc"}, compressed);
    EXPECT_EQ(result.status, 0) << result.err;
    return result.out;
}

// Decompression by Python's zlib module; wbits 31 reads gzip, -15 raw data.
std::string pythonInflate(const std::string& compressed, int wbits) {
    std::string script =
        "import sys, zlib\nsys.stdout.buffer.write(zlib.decompress(sys.stdin.buffer.read(), " +
        std::to_string(wbits) + "))";
    auto result = runProcess({Orvanta::Test::python3(), "-c", script}, compressed);
    EXPECT_EQ(result.status, 0) << result.err;
    return result.out;
}

std::string compress(const std::vector<std::string>& pieces, bool raw = false) {
    std::string out;
    String sink(&out);
    {
        Gzip gzip(raw, &sink);
        for (const std::string& piece : pieces)
            gzip.process(piece.data(), piece.size(), true);
    }
    return out;
}

std::string sampleText(size_t size, unsigned seed) {
    // Words from a small vocabulary, so that there is something to compress.
    static const char* vocabulary[] = {"Received: ", "from ", "mail ",  "by ",      "\r\n",
                                       "id ",        "with ", "ESMTP ", "\x01\xff", "relay.",
                                       "example.",   "org ",  "0123 "};
    std::mt19937 rng(seed);
    std::uniform_int_distribution<size_t> pick(0, std::size(vocabulary) - 1);
    std::string text;
    while (text.size() < size)
        text += vocabulary[pick(rng)];
    text.resize(size);
    return text;
}

} // namespace

TEST(GzipTest, EmptyInputGivesACompleteEmptyStream) {
    std::string out = compress({});
    ASSERT_EQ(out.size(), 20u) << "header, empty final block, trailer";
    EXPECT_EQ(out.substr(0, 3), "\x1f\x8b\x08");
    EXPECT_EQ(gunzip(out), "");
    EXPECT_EQ(compress({}, true), std::string("\x03\x00", 2));
}

TEST(GzipTest, OutputReadsBackWithGzipAndPython) {
    std::mt19937 rng(11);
    for (size_t size : {1u, 100u, 5000u, 300000u}) {
        std::string input = sampleText(size, static_cast<unsigned>(size));
        std::string whole = compress({input});
        EXPECT_EQ(gunzip(whole), input);
        EXPECT_EQ(pythonInflate(whole, 31), input);
        std::string pieces = compress(randomCut(input, rng, 3000));
        EXPECT_EQ(gunzip(pieces), input);
        if (size >= 5000) {
            EXPECT_LT(whole.size(), size / 2) << "compresses";
        }
    }
}

TEST(GzipTest, SameBytesAsPythonsZlibForOnePush) {
    std::string input = sampleText(70000, 5);
    auto result = runProcess({Orvanta::Test::python3(), "-c",
                              "import sys, zlib\n"
                              "c = zlib.compressobj(-1, zlib.DEFLATED, 31, 8, 0)\n"
                              "sys.stdout.buffer.write(c.compress(sys.stdin.buffer.read()) + c.flush())"},
                             input);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(compress({input}), result.out);
}

TEST(GzipTest, RawHasNoHeaderOrTrailer) {
    std::string input = sampleText(10000, 3);
    std::string raw = compress({input}, true);
    EXPECT_NE(raw.substr(0, 2), "\x1f\x8b");
    EXPECT_EQ(pythonInflate(raw, -15), input);
    EXPECT_EQ(compress({input}).size(), raw.size() + 18);
}

TEST(GzipTest, OutputIsPushedNonPersistentInBlocksOf4096) {
    std::string input = sampleText(200000, 1);
    // Random bytes barely compress, so the output needs many blocks.
    std::mt19937 rng(2);
    for (char& c : input)
        c = static_cast<char>(rng());
    Recorder out;
    {
        Gzip gzip(false, &out);
        size_t reported = gzip.process(input.data(), input.size(), true);
        EXPECT_EQ(reported, out.bytes.size());
    }
    ASSERT_GT(out.pushes.size(), 40u);
    for (const auto& push : out.pushes) {
        EXPECT_LE(push.bytes.size(), 4096u);
        EXPECT_FALSE(push.persistent);
    }
    EXPECT_EQ(gunzip(out.bytes), input);
}

TEST(GzipTest, FlushMakesEverythingSoFarReadable) {
    std::string out;
    String sink(&out);
    Gzip gzip(false, &sink);
    std::string first = sampleText(3000, 7);
    gzip.process(first.data(), first.size(), false);
    size_t header = out.size();
    size_t flushed = gzip.flush();
    EXPECT_GT(flushed, 0u);
    EXPECT_EQ(flushed, out.size() - header);
    EXPECT_EQ(out.substr(out.size() - 4), std::string("\x00\x00\xff\xff", 4)) << "ends on a byte boundary";
    auto partial = runProcess({Orvanta::Test::python3(), "-c",
                               "import sys, zlib\n"
                               "d = zlib.decompressobj(31)\n"
                               "sys.stdout.buffer.write(d.decompress(sys.stdin.buffer.read()))"},
                              out);
    ASSERT_EQ(partial.status, 0) << partial.err;
    EXPECT_EQ(partial.out, first);
    size_t before = out.size();
    EXPECT_EQ(gzip.flush(), 0u);
    EXPECT_EQ(out.size(), before);
    EXPECT_EQ(gzip.process("", 0, false), 0u);
    EXPECT_EQ(out.size(), before);
}

TEST(GzipTest, ResetStartsAFreshStream) {
    std::string out;
    String sink(&out);
    {
        Gzip gzip(false, &sink);
        gzip.process("discarded", 9, false);
        out.clear();
        EXPECT_TRUE(gzip.reset(true));
        gzip.process("kept", 4, false);
    }
    EXPECT_EQ(pythonInflate(out, -15), "kept");
}

TEST(GzipTest, ZlibFailureIsReportedWithItsMessage) {
    Recorder out;
    {
        Gzip gzip(false, &out);
        gzip.process("abc", 3, false);
        // zlib rejects input without a buffer: the error must surface.
        try {
            gzip.process(nullptr, 5, false);
            FAIL() << "no exception";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "stream error");
        }
        EXPECT_THROW(gzip.process("def", 3, false), std::runtime_error);
        EXPECT_EQ(gzip.flush(), 0u);
    }
    // A failed stream is not finished into something that looks complete.
    EXPECT_NE(runProcess({"gzip", "-dc"}, out.bytes).status, 0);
}

namespace {

// A sink that fails once armed, as a full disk or a closed pipe would.
class FailingSink : public Orvanta::Filter::Test::Recorder {
public:
    using Recorder::append;
    size_t append(const char* data, size_t size, bool persistent) override {
        if (armed) throw std::runtime_error("sink failed");
        return Recorder::append(data, size, persistent);
    }
    bool armed = false;
};

} // namespace

TEST(GzipTest, FinishReportsWhatTheDestructorCannot) {
    std::string input = sampleText(5000, 12);
    {
        // a finished stream is complete before the filter goes, and a second
        // finish (or the destructor) adds nothing
        Recorder out;
        Gzip gzip(false, &out);
        gzip.process(input.data(), input.size(), true);
        size_t before = out.bytes.size();
        size_t written = gzip.finish();
        EXPECT_EQ(written, out.bytes.size() - before);
        EXPECT_EQ(gunzip(out.bytes), input);
        EXPECT_EQ(gzip.finish(), 0u);
        EXPECT_THROW(gzip.process("x", 1, true), std::runtime_error) << "no input after the end";
        before = out.bytes.size();
        EXPECT_TRUE(gzip.reset(false));
        gzip.process("y", 1, true);
        gzip.finish();
        EXPECT_EQ(gunzip(out.bytes.substr(before)), "y");
    }
    {
        FailingSink out;
        Gzip gzip(false, &out);
        gzip.process(input.data(), input.size(), true);
        out.armed = true;
        EXPECT_THROW(gzip.finish(), std::runtime_error);
    }
    {
        // the same failure while the filter is destroyed must not end the
        // process
        FailingSink out;
        {
            Gzip gzip(false, &out);
            gzip.process(input.data(), input.size(), true);
            out.armed = true;
        }
        EXPECT_NE(runProcess({"gzip", "-dc"}, out.bytes).status, 0)
            << "an unfinished stream stays unfinished";
    }
}

TEST(GzipTest, MemorySinkCollectsTheStream) {
    std::string input = sampleText(50000, 9);
    Orvanta::Filter::Memory memory;
    {
        Gzip gzip(false, &memory);
        gzip.process(input.data(), input.size(), true);
    }
    EXPECT_EQ(gunzip(std::string(memory.data(), memory.size())), input);
}

TEST(ZlibTest, InflateBindingReadsWhatDeflateWrote) {
    ASSERT_TRUE(Orvanta::Zlib::valid());
    std::string input = sampleText(100000, 4);
    std::string compressed = compress({input});
    z_stream stream{};
    ASSERT_EQ(Orvanta::Zlib::macroInflateInit2(&stream, 31), Z_OK);
    std::string out(input.size() + 10, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(compressed.data());
    stream.avail_in = static_cast<uInt>(compressed.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(Orvanta::Zlib::inflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    EXPECT_EQ(Orvanta::Zlib::inflateEnd(&stream), Z_OK);
    EXPECT_EQ(out, input);
}

namespace {

// Inflates everything pushed into it and counts the bytes without keeping
// them; inflate itself checks the trailer's CRC-32 of the contents.
class ZeroCounter : public Orvanta::Filter::Result {
public:
    ZeroCounter() {
        if (Orvanta::Zlib::macroInflateInit2(&_stream, 31) != Z_OK) throw std::runtime_error("inflate init");
    }
    ~ZeroCounter() override { Orvanta::Zlib::inflateEnd(&_stream); }

    using Result::append;
    size_t append(const char* data, size_t size, bool) override {
        _stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        _stream.avail_in = static_cast<uInt>(size);
        unsigned char buffer[1 << 16];
        while (_stream.avail_in > 0 && !ended) {
            _stream.next_out = buffer;
            _stream.avail_out = sizeof buffer;
            int result = Orvanta::Zlib::inflate(&_stream, Z_NO_FLUSH);
            count += sizeof buffer - _stream.avail_out;
            if (result == Z_STREAM_END)
                ended = true;
            else if (result != Z_OK)
                throw std::runtime_error("inflate failed");
        }
        trailer.append(data, size);
        if (trailer.size() > 8) trailer.erase(0, trailer.size() - 8);
        return size;
    }

    size_t count = 0;
    bool ended = false;
    std::string trailer;

private:
    z_stream _stream{};
};

} // namespace

TEST(GzipTest, InputsOf4GiBAndMoreAreNotTruncated) {
    const size_t size = (size_t(1) << 32) + 10;
    // Untouched anonymous pages read as zeros without taking memory.
    void* zeros = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(zeros, MAP_FAILED);
    ZeroCounter counter;
    {
        Gzip gzip(false, &counter);
        gzip.process(static_cast<const char*>(zeros), size, true);
    }
    munmap(zeros, size);
    EXPECT_TRUE(counter.ended);
    EXPECT_EQ(counter.count, size);
    // The trailer holds the length modulo 2^32.
    ASSERT_EQ(counter.trailer.size(), 8u);
    EXPECT_EQ(counter.trailer.substr(4), std::string("\x0a\x00\x00\x00", 4));
}
