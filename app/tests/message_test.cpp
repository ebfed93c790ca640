#include "app/message.h"
#include "testsupport/peakmemory.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

using Tarvex::Message;
using List = std::vector<std::string>;

namespace {

// The message keeps pointers into its text: keep the text with it.
struct Parsed {
    std::string text;
    Message message;
    explicit Parsed(std::string input) : text(std::move(input)), message(text.data(), text.size()) {}
};

} // namespace

TEST(MessageRecipients, ToThenCcThenBccInMessageOrder) {
    Parsed parsed("Bcc: hidden@example.org\r\n"
                  "To: first@example.org\r\n"
                  "Cc: copy@example.org, \"Doe, Jane\" <jane@example.org>\r\n"
                  "To: Second <second@example.org>\r\n"
                  "\r\n"
                  "To: body@example.org\r\n");
    EXPECT_EQ(parsed.message.recipients(),
              (List{"first@example.org", "second@example.org", "copy@example.org", "jane@example.org",
                    "hidden@example.org"}));
}

TEST(MessageRecipients, ALineWithAnyBadAddressIsRefusedByName) {
    // 226 characters as written, 255 bytes as four A-labels of 63
    const std::string umlaut55 = "\xc3\xbc" + std::string(55, 'a');
    const std::string overAscii = umlaut55 + "." + umlaut55 + "." + umlaut55 + "." + umlaut55;
    // never skipped: the rest would pass for all the recipients
    for (const auto& [text, name] : std::vector<std::pair<std::string, std::string>>{
             {"To: good@example.org, not an address\r\nCc: kept@example.org\r\n\r\n", "To"},
             {"To: good@example.org\r\ncc: <unclosed@example.org\r\n\r\n", "Cc"},
             // a group member that cannot be read, as alone
             {"To: friends: a@examp_le.org, b@example.org;\r\n\r\n", "To"},
             // what the command line refuses: a C1 control, raw, quoted or
             // from an encoded word, and a byte that is no UTF-8
             {"To: good@example.org\r\nCc: \"a\xc2\x85"
              "b\"@example.org\r\n\r\n",
              "Cc"},
             {"Bcc: friends: a\xc2\x9b"
              "b@example.org;\r\n\r\n",
              "Bcc"},
             {"To: =?utf-8?q?a=C2=85b?=@example.org\r\n\r\n", "To"},
             {"To: j\xf6rg@example.org\r\n\r\n", "To"},
             // a tab inside quotes, also after a fold, is another mailbox
             // than the one with a space
             {"To: \"a\tb\"@example.org\r\n\r\n", "To"},
             {"Cc: \"a\r\n\tb\"@example.org\r\n\r\n", "Cc"},
             // an encoded word that is no text in its charset, whatever the
             // charset or encoding
             {"To: =?utf-8?q?a=FFb?=@example.org\r\n\r\n", "To"},
             {"Cc: =?windows-1252?q?a=81b?=@example.org\r\n\r\n", "Cc"},
             {"Bcc: =?us-ascii?b?Yeli?=@example.org\r\n\r\n", "Bcc"},
             {"To: =?utf-7?q?a+2D0-b?=@example.org\r\n\r\n", "To"},
             // UTF-7 that is ill-formed where glibc's reader drops letters:
             // bits that make no whole character, a shift that begins no run
             {"To: =?utf-7?q?ceo+x?=@example.org\r\n\r\n", "To"},
             {"Cc: =?utf-7?b?YStBR0V4?=@example.org\r\n\r\n", "Cc"},
             {"Bcc: =?utf-7?q?a+!b?=@example.org\r\n\r\n", "Bcc"},
             // the same under every name that opens glibc's reader of UTF-7
             // or of its IMAP form, a language after it, in a group, dotted
             {"To: =?UTF-7/?q?ceo+x?=@example.org\r\n\r\n", "To"},
             {"Cc: team: =?utf-7//IGNORE*en?q?a+AGEx?=@example.org;\r\n\r\n", "Cc"},
             {"Bcc: x.=?UTF-7-IMAP/?q?ceo&x?=@example.org\r\n\r\n", "Bcc"},
             // a domain over the limit in its ASCII form
             {"To: x@" + overAscii + "\r\n\r\n", "To"},
             // a CR alone, which other readers take for a line end, and a
             // VT, which they take for text, are no blanks
             {"To: a@example.org\r(c)\r\n\r\n", "To"},
             {"Cc: a\v@example.org\r\n\r\n", "Cc"},
             // also where they end the field, after the last address
             {"To: a@example.org\v\r\n\r\n", "To"},
             {"Cc: a@example.org\f \r\n\r\n", "Cc"},
             {"Bcc: a@example.org\r\r\n\r\n", "Bcc"},
         }) {
        Parsed parsed(text);
        try {
            parsed.message.recipients();
            ADD_FAILURE() << text;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what())
                          .rfind("Failed to read the recipients of the message's " + name + " field: ", 0),
                      0u)
                << error.what();
        }
    }
}

TEST(MessageRecipients, GroupMembersInOrder) {
    Parsed parsed("cc: friends: a@example.org, B <b@example.org>;, c@example.org\r\n"
                  "bcc: undisclosed-recipients:;\r\n"
                  "\r\n");
    EXPECT_EQ(parsed.message.recipients(), (List{"a@example.org", "b@example.org", "c@example.org"}));
}

TEST(MessageRecipients, NamesInAnyCaseAndNoOtherHeaders) {
    Parsed parsed("tO: one@example.org\r\n"
                  "CC: two@example.org\r\n"
                  "bCc: three@example.org\r\n"
                  "Reply-To: reply@example.org\r\n"
                  "Resent-To: resent@example.org\r\n"
                  "From: from@example.org\r\n"
                  "\r\n");
    EXPECT_EQ(parsed.message.recipients(), (List{"one@example.org", "two@example.org", "three@example.org"}));
}

TEST(MessageRecipients, RenderedLikeCommandLineRecipients) {
    // a quoted local part stays quoted, an IDNA domain comes out in Unicode
    // unless that names another host (U+3002 splits the label in two)
    Parsed parsed("To: \"john doe\"@example.org, user@xn--bcher-kva.example\r\n"
                  "Cc: user@b\xc3\xbc"
                  "cher.example, user@xn--ab-r13a.example\r\n"
                  "\r\n");
    EXPECT_EQ(parsed.message.recipients(), (List{"\"john doe\"@example.org",
                                                 "user@b\xc3\xbc"
                                                 "cher.example",
                                                 "user@b\xc3\xbc"
                                                 "cher.example",
                                                 "user@xn--ab-r13a.example"}));
}

TEST(MessageRecipients, DuplicatesStay) {
    Parsed parsed("To: a@example.org, a@example.org\r\nCc: A@example.org\r\n\r\n");
    EXPECT_EQ(parsed.message.recipients(), (List{"a@example.org", "a@example.org", "A@example.org"}));
}

TEST(MessageRecipients, NoneWithoutRecipientHeaders) {
    Parsed parsed("Subject: nobody\r\n\r\nTo: body@example.org\r\n");
    EXPECT_TRUE(parsed.message.recipients().empty());
}

TEST(MessageRecipients, NoBytesIsNoMessage) {
    try {
        Message message(nullptr, 0);
        FAIL() << "an empty message was accepted";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Empty header");
    }
}

TEST(MessageEnvelope, ReturnPathThenFromThenSender) {
    Parsed all("Sender: sender@example.org\r\nFrom: From <from@example.org>\r\n"
               "Return-Path: <bounce@example.org>\r\n\r\n");
    EXPECT_EQ(all.message.envelope(), "bounce@example.org");

    Parsed badReturnPath("Return-Path: <>\r\nSender: sender@example.org\r\nFrom: from@example.org\r\n\r\n");
    EXPECT_EQ(badReturnPath.message.envelope(), "from@example.org");

    Parsed senderOnly("Sender: Sender <sender@example.org>\r\n\r\n");
    EXPECT_EQ(senderOnly.message.envelope(), "sender@example.org");

    Parsed none("Subject: anonymous\r\n\r\n");
    EXPECT_EQ(none.message.envelope(), "");
}

TEST(MessageRecipients, AHugeListCostsItsAddressesNotItsParse) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizer's own memory hides what the parse takes";
#endif
    std::string list = "To: ";
    for (int i = 0; i < 20000; ++i)
        list += (i ? ",\r\n " : "") + std::string("user") + std::to_string(i) + "@example.org";
    Parsed parsed(list + "\r\n\r\n");
    size_t count = 0;
    size_t peak = Orvanta::Test::peakGrowth([&] { count = parsed.message.recipients().size(); });
    EXPECT_EQ(count, 20000u);
    EXPECT_LE(peak, 10 * parsed.text.size()) << peak;
}
