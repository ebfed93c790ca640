#include "mime/grammar/empty.h"
#include "mime/grammar/value.h"
#include "mime/message/emptyline.h"
#include "mime/message/key.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace Orvanta::Mime;

namespace {

Key key(const char* text) {
    return Key(text, std::strlen(text));
}

} // namespace

TEST(IStringTest, ComparesIgnoringCaseWithEqualLength) {
    IString from("from", 4);
    EXPECT_TRUE(from == "From");
    EXPECT_TRUE(from == "FROM");
    EXPECT_FALSE(from == "From ");
    EXPECT_FALSE(from == "Fro");
    EXPECT_FALSE(from == nullptr);
    // case folding is ASCII only: 0xC0 and 0xE0 differ
    EXPECT_FALSE(IString("\xc0", 1) == "\xe0");
    EXPECT_TRUE(IString("", 0) == "");
    // the view is not zero-terminated: only its own bytes count
    EXPECT_TRUE(IString("fromage", 4) == "FROM");
}

TEST(KeyTest, NamePredicates) {
    EXPECT_TRUE(key("From").containsMailboxes());
    EXPECT_TRUE(key("Resent-From").containsMailboxes());
    EXPECT_TRUE(key("sender").containsMailbox());
    for (const char* name :
         {"To", "cc", "BCC", "reply-to", "Resent-To", "resent-cc", "resent-bcc", "resent-reply-to"})
        EXPECT_TRUE(key(name).containsTargets()) << name;
    EXPECT_FALSE(key("tos").containsTargets());
    EXPECT_TRUE(key("Subject").supportsEncodedWords());
    EXPECT_TRUE(key("X-").supportsEncodedWords());
    EXPECT_TRUE(key("x-mailer").supportsEncodedWords());
    EXPECT_FALSE(key("x").supportsEncodedWords());
    EXPECT_TRUE(key("DKIM-Signature").containsDkimSignature());
    EXPECT_TRUE(key("ARC-Seal").containsArcSeal());
    EXPECT_TRUE(key("arc-message-signature").containsArcMessageSignature());
    EXPECT_TRUE(key("ARC-Authentication-Results").containsArcAuthenticationResults());
    EXPECT_TRUE(key("authentication-results").containsAuthenticationResults());
    EXPECT_FALSE(key("arc-authentication-results").containsAuthenticationResults());
}

TEST(EmptyLineTest, CountsUpToTheLineFeed) {
    EXPECT_EQ(EmptyLine("\r\nbody", 6).size(), 2u);
    EXPECT_EQ(EmptyLine("\nbody", 5).size(), 1u);
    EXPECT_EQ(EmptyLine("", 0).size(), 0u);
    EXPECT_EQ(EmptyLine("\r", 1).size(), 1u);
    EXPECT_STREQ(EmptyLine("", 0).what(), "Empty line");
}

TEST(EmptyTest, SharedEmptyObjects) {
    EXPECT_TRUE(empty_string().empty());
    EXPECT_EQ(&empty_string(), &empty_string());
    EXPECT_EQ(empty_value().size(), 0u);
    EXPECT_EQ(empty_value().data(), empty_string().data());
}
