#include "openssl/base64.h"
#include "openssl/functions.h"
#include "openssl/ownedbio.h"

#include "testsupport/process.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace Orvanta::OpenSSL {
namespace {

// standard base64 of the bytes, from Python; with lines of 64 and a final line feed
std::string pythonBase64(const std::string& bytes, bool newlines) {
    const char* program =
        newlines ? "import sys,base64\nt=base64.b64encode(sys.stdin.buffer.read()).decode()\n"
                   "sys.stdout.write(''.join(t[i:i+64]+'\\n' for i in range(0,len(t),64)))"
                 : "import sys,base64\nsys.stdout.write(base64.b64encode(sys.stdin.buffer.read()).decode())";
    auto result = Test::runProcess({Test::python3(), "-c", program}, bytes);
    EXPECT_EQ(result.status, 0) << result.err;
    return result.out;
}

std::string randomBytes(size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (auto& c : bytes)
        c = static_cast<char>(generator());
    return bytes;
}

TEST(OpenSSLBase64Test, MatchesPythonOnOneLine) {
    for (size_t size : {1u, 2u, 3u, 20u, 32u, 47u, 48u, 49u, 64u, 1000u, 70000u}) {
        std::string bytes = randomBytes(size, static_cast<unsigned>(size));
        EXPECT_EQ(Base64::encode(bytes.data(), bytes.size(), false), pythonBase64(bytes, false)) << size;
    }
}

TEST(OpenSSLBase64Test, MatchesPythonWithLineBreaks) {
    for (size_t size : {1u, 48u, 49u, 96u, 5000u}) {
        std::string bytes = randomBytes(size, static_cast<unsigned>(size) + 7);
        EXPECT_EQ(Base64::encode(bytes.data(), bytes.size(), true), pythonBase64(bytes, true)) << size;
    }
}

TEST(OpenSSLBase64Test, EmptyInputGivesEmptyText) {
    EXPECT_EQ(Base64::encode("", 0, false), "");
    EXPECT_EQ(Base64::encode(nullptr, 0, true), "");
}

TEST(OpenSSLBioTest, ChainDecodesThroughAMemoryBio) {
    // the road the base64 decoding filter takes: base64 BIO over a memory BIO
    Bio filter(BIO_f_base64());
    Bio memory(BIO_s_mem());
    ASSERT_NE(filter.get(), nullptr);
    ASSERT_NE(memory.get(), nullptr);
    BIO_set_flags(filter.get(), 0x100);
    EXPECT_EQ(BIO_test_flags(filter.get(), 0x100), 0x100);
    std::string text = "aGVsbG8gd29ybGQ=";
    ASSERT_EQ(BIO_write(memory.get(), text.data(), static_cast<int>(text.size())),
              static_cast<int>(text.size()));
    EXPECT_EQ(BIO_push(filter.get(), memory.get()), filter.get());
    char out[64];
    int read = BIO_read(filter.get(), out, sizeof out);
    ASSERT_EQ(read, 11);
    EXPECT_EQ(std::string(out, 11), "hello world");
    EXPECT_EQ(BIO_ctrl(memory.get(), 1, 0, nullptr), 1); // reset
}

} // namespace
} // namespace Orvanta::OpenSSL
