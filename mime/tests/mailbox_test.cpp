#include "filter/linetracker.h"
#include "filter/string.h"
#include "mime/grammar/capabilities.h"
#include "mime/grammar/displayname.h"
#include "mime/grammar/internal.h"
#include "mime/grammar/mailbox.h"
#include "mime/grammar/mailboxes.h"
#include "mime/grammar/target.h"
#include "mime/grammar/targets.h"
#include "mime/message/object.h"
#include "mime/tests/cost.h"
#include "mime/tests/exact.h"
#include "mime/tests/oracle.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

using namespace Orvanta::Mime;
using Orvanta::Mime::Test::Exact;

namespace {

template <typename T>
T parse(const std::string& text, bool strict = true) {
    Exact exact(text);
    return T(exact.data(), exact.size(), strict);
}

template <typename T>
std::string failure(const std::string& text, bool strict = true) {
    try {
        parse<T>(text, strict);
    } catch (const std::exception& error) {
        return error.what();
    }
    return "no error";
}

DisplayName name(const std::string& text) {
    Exact exact(text);
    return DisplayName(exact.data(), exact.size());
}

std::string plain(const Encodable& value, const Capabilities& caps = Capabilities::utf8()) {
    std::string out;
    Orvanta::Filter::String sink(&out);
    size_t count = value.encode(caps, &sink, false);
    EXPECT_EQ(count, out.size());
    return out;
}

// through the folding encoder, starting after "To: "
std::string folded(const Encodable& value, const Capabilities& caps = Capabilities::utf8()) {
    std::string out;
    Orvanta::Filter::String sink(&out);
    size_t written;
    {
        Orvanta::Filter::LineTracker tracker(&sink);
        tracker.process("To: ", 4, true);
        written = value.encode(caps, &tracker, false);
    }
    EXPECT_EQ(written + 4, out.size());
    return out;
}

std::vector<std::string> addresses(const Targets& targets) {
    std::vector<std::string> out;
    for (const auto& target : targets.targets())
        for (const auto& member : target->members())
            out.push_back(member->address().utf8());
    return out;
}

} // namespace

TEST(DisplayNameTest, Phrases) {
    EXPECT_EQ(name("John Doe <").text(), "John Doe");
    EXPECT_EQ(name("John (Jr.) Doe <").text(), "John Doe");
    EXPECT_EQ(name("\"Doe, John\" <").text(), "Doe, John");
    EXPECT_EQ(name("John . Doe").text(), "John . Doe");
    EXPECT_EQ(name("J.R. Doe").text(), "J.R. Doe");
    auto stop = name("John Doe <j@host>");
    EXPECT_EQ(stop.consumed(), 9u);
}

TEST(DisplayNameTest, SeveralQuotedStringsMakeOnePhrase) {
    EXPECT_EQ(name("\"John\" \"Doe\" <").text(), "John Doe");
    EXPECT_EQ(name("\"John\" (x) \"Doe\" <").text(), "John Doe");
    EXPECT_EQ(name("\"John\" Doe <").text(), "John Doe");
    EXPECT_EQ(name("John \"Doe\" <").text(), "John Doe");
}

TEST(DisplayNameTest, EncodedWords) {
    // adjacent encoded words join without the blank between them
    EXPECT_EQ(name("=?utf-8?q?J=C3=B6?= =?utf-8?q?rg?= <").text(), "J\xc3\xb6rg");
    EXPECT_EQ(name("=?utf-8?q?J=C3=B6rg?= Doe <").text(), "J\xc3\xb6rg Doe");
    EXPECT_EQ(name("Mr =?iso-8859-1?q?J=F6rg?= <").text(), "Mr J\xc3\xb6rg");
    // text glued to encoded words stays where it stood
    EXPECT_EQ(name("=?utf-8?q?a?=b=?utf-8?q?c?= <").text(), "abc");
    EXPECT_EQ(name("=?utf-8?b?YQ==?=b=?utf-8?b?Yw==?= <").text(), "abc");
    EXPECT_EQ(name("=?utf-8?q?a?=b =?utf-8?q?c?= <").text(), "ab c");
}

// Encoded words in a row are written again as readers join them, where the
// text reads each word on its own: a shift or a letter waiting for its mark
// carries over from one word to the next.
TEST(DisplayNameTest, WordsInARowAreWrittenAsJoined) {
    struct Row {
        const char* name;
        const char* text;
        const char* written;
    } const rows[] = {
        // the second word still in the first one's JIS shift
        {"=?iso-2022-jp?b?GyRCJDM=?= =?iso-2022-jp?b?JHMbKEI=?= <", "\xe3\x81\x93$s",
         "=?utf-8?q?=E3=81=93=E3=82=93?="},
        // a letter, then its acute accent
        {"=?windows-1258?q?a?= =?windows-1258?q?=EC?= <", "a\xcc\x81", "=?utf-8?q?=C3=A1?="},
        {"=?iso-8859-1?q?J=F6?= =?ISO-8859-1?q?rg?= <", "J\xc3\xb6rg", "=?utf-8?q?J=C3=B6rg?="},
    };
    for (const Row& row : rows) {
        auto n = name(row.name);
        EXPECT_EQ(n.text(), row.text) << row.name;
        EXPECT_EQ(plain(n, Capabilities::standard()), row.written) << row.name;
    }
}

TEST(DisplayNameTest, LongestRun) {
    EXPECT_EQ(name("ab abcd a").longest(), 4u);
    EXPECT_EQ(name("\"abc def\" x").longest(), 3u);
    EXPECT_EQ(name(std::string(80, 'a')).longest(), 80u);
    EXPECT_EQ(DisplayName(Internal("a \t b", 5)).text(), "a b");
}

TEST(DisplayNameTest, Writing) {
    EXPECT_EQ(plain(name("John Doe <")), "John Doe");
    EXPECT_EQ(plain(name("\"Doe, John\" <")), "\"Doe, John\"");
    EXPECT_EQ(plain(name("\"a\\\"b\" <")), "\"a\\\"b\"");
    auto utf8 = name("J\xc3\xb6rg <");
    EXPECT_EQ(plain(utf8, Capabilities::utf8()), "J\xc3\xb6rg");
    EXPECT_EQ(plain(utf8, Capabilities::standard()), "=?utf-8?q?J=C3=B6rg?=");
}

// Writing a name back costs time in proportion to its length, also when it
// holds many "=?" that no "?=" closes, or comes as encoded words of such text:
// no start is measured to the end of the text on its own.
TEST(DisplayNameTest, WritingCostsLinearTime) {
    struct Row {
        const char* start;
        const char* piece;
        const char* end;
    } const rows[] = {
        {"\"", "a=?c?q?", "\" <a@example.org>"},
        {"=?utf-8?q?", "a=3D=3Fc=3Fq=3F", "?= <a@example.org>"},
        {"\"", "a=?c?q?", "\": a@example.org;"},
        // glued look-alikes, and 8-bit text that is no UTF-8
        {"\"x", "=?utf-8?q?a?=", "\" <a@example.org>"},
        {"=?utf-8?q?a?=", " \xcf\xf0\xe8\xe2\xe5\xf2", " <a@example.org>"},
    };
    for (const Row& row : rows) {
        auto write = [&](size_t repeats) {
            std::string text = row.start;
            for (size_t i = 0; i < repeats; ++i)
                text += row.piece;
            auto targets = parse<Targets>(text + row.end);
            plain(targets, Capabilities::standard());
            folded(targets, Capabilities::standard());
        };
        EXPECT_LT(Orvanta::Mime::Test::growth(write, 2500), Orvanta::Mime::Test::linear)
            << row.start << row.end;
    }
}

TEST(DisplayNameTest, LineEndsAreNeverWrittenRaw) {
    // an encoded word or an escape that decodes to a line end
    for (const auto& text :
         {std::string("=?utf-8?q?a=0D=0ABcc=3A_x=40evil?= <"), std::string("\"a\\\r\\\nBcc: x\" <")}) {
        auto n = name(text);
        ASSERT_NE(n.text().find('\n'), std::string::npos);
        for (auto caps : {&Capabilities::utf8(), &Capabilities::standard()}) {
            EXPECT_EQ(plain(n, *caps).find_first_of("\r\n"), std::string::npos) << plain(n, *caps);
            std::string f = folded(n, *caps);
            for (size_t i = 0; (i = f.find('\n', i)) != std::string::npos; ++i)
                EXPECT_TRUE(i + 1 < f.size() && f[i + 1] == ' ' && f[i - 1] == '\r') << f;
        }
    }
}

TEST(MailboxTest, Forms) {
    auto named = parse<Mailbox>("John Doe <john@host>");
    EXPECT_EQ(named.name().text(), "John Doe");
    EXPECT_EQ(named.address().utf8(), "john@host");
    EXPECT_EQ(plain(named), "John Doe <john@host>");

    auto commented = parse<Mailbox>("john@host (John)");
    EXPECT_TRUE(commented.name().empty());
    EXPECT_EQ(commented.address().utf8(), "john@host");
    EXPECT_EQ(plain(parse<Mailbox>("<john@host>")), "john@host");
    // comments stay where they stood, in brackets where there is no name
    EXPECT_EQ(plain(parse<Mailbox>("(c) john@host (d)")), "(c) john@host (d)");
    EXPECT_EQ(plain(parse<Mailbox>("(c) <john@host (d)> (e)")), "(c) <(d) john@host> (e)");
    EXPECT_EQ(plain(parse<Mailbox>("\"\" (c) <john@host>")), "<(c) john@host>");
    EXPECT_EQ(plain(parse<Mailbox>("(c) John (d) <john@host>")), "(c) John (d) <john@host>");
    // one inside a bare address has no such place
    EXPECT_FALSE(parse<Mailbox>("john@(c)host").whole());
    EXPECT_TRUE(parse<Mailbox>("<john@(c)host>").whole());
    EXPECT_EQ(plain(parse<Mailbox>("\"Doe, John\" <j@host>")), "\"Doe, John\" <j@host>");
    EXPECT_EQ(parse<Mailbox>("\"John\" \"Doe\" <j@host>").name().text(), "John Doe");
}

TEST(MailboxTest, Errors) {
    EXPECT_EQ(failure<Mailbox>("John <john@host"), "unmatched '<' and '>' brackets");
    EXPECT_EQ(failure<Mailbox>("John <j@host> x"), "Did not manage to process all the input");
    EXPECT_EQ(failure<Mailbox>("John <j@host> x", false), "no error");
    EXPECT_EQ(failure<Mailbox>("John Doe"), "missing @");
    // blanks and comments after '>' belong to the mailbox
    EXPECT_EQ(parse<Mailbox>("<j@host> (c) ").consumed(), 13u);
}

TEST(MailboxTest, ObsoleteRoutesAreReadAndDropped) {
    struct Case {
        const char* text;
        const char* written; // the mailbox written back; empty: refused
    };
    const Case cases[] = {
        {"<@route1,@route2:user@example.org>", "user@example.org"},
        {"Jane <@relay.example:jane@example.org>", "Jane <jane@example.org>"},
        {"< @a.example , ,@b.example (c) : user@example.org>", "user@example.org"},
        {"<@[192.0.2.1]:user@example.org>", "user@example.org"},
        // the list of domains may begin with empty elements
        {"<,@r1.example:user@example.org>", "user@example.org"},
        {"<,@r1.example,,@r2.example:user@example.org>", "user@example.org"},
        {"< , (c) ,@r1.example:user@example.org>", "user@example.org"},
        {"<,user@example.org>", ""},
        {"<@route1,@route2 user@example.org>", ""},
        {"<@:user@example.org>", ""},
    };
    for (const Case& c : cases) {
        if (*c.written == '\0') {
            EXPECT_NE(failure<Mailbox>(c.text), "no error") << c.text;
            continue;
        }
        auto mailbox = parse<Mailbox>(c.text);
        EXPECT_EQ(mailbox.consumed(), std::string(c.text).size()) << c.text;
        EXPECT_EQ(plain(mailbox), c.written) << c.text;
    }
    // strict lists keep every recipient of the line
    auto list = parse<Targets>("a@example.org, <@r1,@r2:b@example.org>, team: <@r3:c@example.org>;");
    EXPECT_EQ(addresses(list), (std::vector<std::string>{"a@example.org", "b@example.org", "c@example.org"}));
    auto from = parse<Mailboxes>("<@r1,@r2:b@example.org>, d@example.org");
    EXPECT_EQ(from.mailboxes().size(), 2u);
}

TEST(MailboxTest, ProgramSuppliedName) {
    Mailbox mailbox("Jane  Doe", 9, "jane@host", 9);
    EXPECT_EQ(plain(mailbox), "Jane Doe <jane@host>");
    EXPECT_THROW(Mailbox("x", 1, "jane@host x", 11), std::runtime_error);
    // no writer carries a NUL: readers end the name there
    EXPECT_THROW(Mailbox("a\0b", 3, "jane@host", 9), std::runtime_error);
}

TEST(TargetsTest, ListsAndEmptyElements) {
    auto two = parse<Targets>("a@host,,b@host");
    EXPECT_EQ(addresses(two), (std::vector<std::string>{"a@host", "b@host"}));
    EXPECT_EQ(plain(two), "a@host, b@host");
    EXPECT_EQ(failure<Targets>("a@host b@host"), "characters left behind target");
    auto lenient = parse<Targets>("a@host b@host", false);
    EXPECT_TRUE(lenient.targets().empty());
    EXPECT_EQ(lenient.consumed(), 13u);
    // an element of comments alone (the obsolete list syntax) gives no
    // address, in a list, a group or a Bcc field of nothing else; the list
    // does not stand for its text, which keeps the comment
    using Addresses = std::vector<std::string>;
    for (const auto& [text, expected] : std::vector<std::pair<std::string, Addresses>>{
             {"a@host, (b)", {"a@host"}},
             {"(a), a@host", {"a@host"}},
             {"a@host, (b) (c) ,\r\n (d), c@host", {"a@host", "c@host"}},
             {"(hidden)", {}},
             {"friends: a@host, (c);", {"a@host"}},
             {"friends: (c), a@host (d);, (e)", {"a@host"}},
         }) {
        auto list = parse<Targets>(text);
        EXPECT_EQ(addresses(list), expected) << text;
        EXPECT_FALSE(list.whole()) << text;
    }
    EXPECT_FALSE(parse<Mailboxes>("(a), a@host").whole());
}

TEST(TargetsTest, BlanksAndCommentsAfterAngleBrackets) {
    // valid lists that a client must not lose recipients over
    auto spaced = parse<Targets>("John <a@host> , b@host");
    EXPECT_EQ(addresses(spaced), (std::vector<std::string>{"a@host", "b@host"}));
    auto commented = parse<Targets>("John <a@host> (work), \"Jane\" \"Doe\" <b@host>");
    EXPECT_EQ(addresses(commented), (std::vector<std::string>{"a@host", "b@host"}));
    EXPECT_EQ(commented.targets()[1]->members()[0]->name().text(), "Jane Doe");
    auto group = parse<Targets>("friends: <a@host> ; , b@host");
    EXPECT_EQ(addresses(group), (std::vector<std::string>{"a@host", "b@host"}));
}

TEST(TargetsTest, Groups) {
    auto friends = parse<Target>("friends: a@host, b@host;");
    EXPECT_TRUE(friends.group());
    EXPECT_EQ(friends.members().size(), 2u);
    EXPECT_EQ(plain(friends), "friends: a@host, b@host;");
    auto empty = parse<Target>("undisclosed-recipients:;");
    EXPECT_TRUE(empty.group());
    EXPECT_TRUE(empty.members().empty());
    EXPECT_EQ(plain(empty), "undisclosed-recipients: ;");
    EXPECT_EQ(parse<Target>("friends: a@host").members().size(), 1u);
    EXPECT_EQ(failure<Target>("friends: a@host x"), "characters left behind target");
    auto inList = parse<Targets>("friends: a@host x", false);
    ASSERT_EQ(inList.targets().size(), 1u);
    EXPECT_TRUE(inList.targets()[0]->members().empty());
    EXPECT_FALSE(inList.whole());
    // strict, a group member that cannot be read is refused as it is alone
    EXPECT_EQ(failure<Targets>("friends: a@host x"), "unreadable member in group");
    EXPECT_EQ(failure<Targets>("friends: a@examp_le.org, b@example.org;"), "unreadable member in group");
    EXPECT_EQ(failure<Target>(std::string("friends: a@host\0;", 17)), "semicolon expected after group");
    EXPECT_EQ(failure<Targets>("friends: a@host; b@host"), "characters left behind target");
    EXPECT_EQ(failure<Target>(":a@host"), "invalid local part");
    EXPECT_EQ(failure<Targets>("a@host, x"), "missing @");
}

TEST(TargetsTest, FoldingEncoders) {
    std::string longName(80, 'a');
    auto mailbox = parse<Mailbox>(longName + " <a@host>");
    EXPECT_EQ(plain(mailbox), longName + " <a@host>");
    std::string f = folded(mailbox);
    EXPECT_EQ(f.find(longName), std::string::npos) << f;
    EXPECT_NE(f.find("=?utf-8?q?"), std::string::npos) << f;

    std::string list;
    for (int i = 0; i < 12; ++i)
        list += (i ? ", " : "") + std::string("Person Number ") + char('a' + i) + " <person" + char('a' + i) +
                "@example.org>";
    auto targets = parse<Targets>(list);
    std::string out = folded(targets);
    size_t start = 0;
    for (size_t end; (end = out.find("\r\n", start)) != std::string::npos; start = end + 2)
        EXPECT_LE(end - start, 78u) << out;
    EXPECT_LE(out.size() - start, 78u);
    // unfolding gives the plain form back
    std::string unfolded;
    for (size_t i = 0; i < out.size(); ++i) {
        if (out.compare(i, 3, "\r\n ") == 0) {
            unfolded += ' ';
            i += 2;
        } else {
            unfolded += out[i];
        }
    }
    EXPECT_EQ(unfolded, "To: " + plain(targets));
}

TEST(TargetsTest, Contains) {
    auto targets = parse<Targets>("a@host, friends: b@host;");
    Exact upper("A@Host");
    EXPECT_TRUE(targets.contains(Address(upper.data(), upper.size(), true)));
    Exact other("c@host");
    EXPECT_FALSE(targets.contains(Address(other.data(), other.size(), true)));
    Exact b("B@HOST");
    EXPECT_TRUE(targets.contains(Address(b.data(), b.size(), true)));
}

TEST(TargetsTest, Encodable) {
    auto targets = parse<Targets>("J\xc3\xb6rg <j\xc3\xb6rg@host>, a@host");
    EXPECT_FALSE(targets.encodable(Capabilities::standard()));
    EXPECT_TRUE(targets.encodable(Capabilities::utf8()));
    EXPECT_TRUE(parse<Targets>("J\xc3\xb6rg <a@host>").encodable(Capabilities::standard()));
}

TEST(MailboxesTest, ListAndRecovery) {
    auto list = parse<Mailboxes>("a@host, John <b@host>");
    EXPECT_EQ(list.mailboxes().size(), 2u);
    EXPECT_EQ(plain(list), "a@host, John <b@host>");
    auto lenient = parse<Mailboxes>("bad, \"x,y\" <c@host>, (a,b) d@host", false);
    ASSERT_EQ(lenient.mailboxes().size(), 2u);
    EXPECT_EQ(lenient.mailboxes()[0]->address().utf8(), "c@host");
    EXPECT_EQ(lenient.mailboxes()[1]->address().utf8(), "d@host");
    EXPECT_EQ(failure<Mailboxes>("a@host x"), "characters left behind target");
    EXPECT_EQ(failure<Mailboxes>("a@host;"), "characters left behind target");
}

TEST(MailboxesTest, ZeroByteEndsTheListWhereTargetsRefuseIt) {
    std::string text("a@host\0b@host", 13);
    auto mailboxes = parse<Mailboxes>(text, false);
    ASSERT_EQ(mailboxes.mailboxes().size(), 1u);
    EXPECT_EQ(mailboxes.consumed(), 6u);
    EXPECT_EQ(failure<Mailboxes>(text), "Did not manage to process everything");
    auto targets = parse<Targets>(text, false);
    EXPECT_TRUE(targets.targets().empty());
    EXPECT_EQ(targets.consumed(), 6u);
    EXPECT_EQ(failure<Targets>(text), "characters left behind target");
}

namespace {

// group, display name, local part, domain of every mailbox, as the oracle
// answers them
std::vector<std::string> flatten(const Targets& targets) {
    std::vector<std::string> out;
    for (const auto& target : targets.targets()) {
        for (const auto& member : target->members()) {
            out.push_back(target->group() ? target->name().text() : "");
            out.push_back(member->name().text());
            out.push_back(member->address().local().text());
            out.push_back(member->address().domain().text());
        }
    }
    return out;
}

std::vector<std::string> generatedLists() {
    std::vector<std::string> names = {"",
                                      "John Doe",
                                      "\"Doe, John\"",
                                      "=?utf-8?q?J=C3=B6rg?= Smith",
                                      "\"John\" \"Doe\"",
                                      "John (Jr.) Doe",
                                      "J\xc3\xb6rg",
                                      "\"a\\\"b\""};
    std::vector<std::string> plain = {"a@example.org",
                                      "first.last@sub.example.org",
                                      "\"john doe\"@example.org",
                                      "user+tag@example.org",
                                      "x@[192.0.2.1]",
                                      "j\xc3\xb6rg@b\xc3\xbc"
                                      "cher.example"};
    std::vector<std::string> separators = {", ", " , ", ",\r\n ", "(c), "};
    std::vector<std::string> lists;
    size_t k = 0;
    for (size_t n = 0; n < names.size(); ++n) {
        for (size_t s = 0; s < plain.size(); ++s) {
            auto mailbox = [&](size_t i, size_t j) {
                return names[i].empty() ? plain[j] : names[i] + " <" + plain[j] + ">";
            };
            std::string first = mailbox(n, s);
            std::string second = mailbox((n + 3) % names.size(), (s + 1) % plain.size());
            std::string separator = separators[k++ % separators.size()];
            lists.push_back(first);
            lists.push_back(first + separator + second);
            lists.push_back("team: " + first + ", " + second + ";" + separator +
                            plain[(s + 2) % plain.size()]);
        }
    }
    lists.push_back("undisclosed-recipients:;");
    // the obsolete forms (RFC 5322 section 4.4): blanks after a quoted local
    // part, and around a domain's dots
    lists.push_back("\"x y\" @c.example, Jo <jdoe@test  . example>");
    return lists;
}

} // namespace

TEST(TargetsTest, AgreesWithPython) {
    auto lists = generatedLists();
    std::vector<Orvanta::Mime::Test::Request> requests;
    for (const auto& list : lists)
        requests.push_back({"list", list});
    auto answers = Orvanta::Mime::Test::ask(requests);
    size_t compared = 0;
    for (size_t i = 0; i < lists.size(); ++i) {
        if (answers[i].empty() || answers[i][0] != "1") continue;
        std::vector<std::string> expected(answers[i].begin() + 1, answers[i].end());
        try {
            auto targets = parse<Targets>(lists[i]);
            EXPECT_EQ(flatten(targets), expected) << lists[i];
            ++compared;
        } catch (const std::exception& error) {
            ADD_FAILURE() << lists[i] << ": " << error.what();
        }
    }
    // Python accepts most of these; make sure the comparison really ran
    EXPECT_GT(compared, lists.size() / 2);
}

TEST(TargetsTest, AddressesAgreeWithGetaddresses) {
    auto lists = generatedLists();
    std::vector<Orvanta::Mime::Test::Request> requests;
    for (const auto& list : lists)
        requests.push_back({"pairs", list});
    auto answers = Orvanta::Mime::Test::ask(requests);
    size_t compared = 0;
    for (size_t i = 0; i < lists.size(); ++i) {
        // getaddresses has no notion of groups: it yields an empty pair for
        // the end of one; compare only the answers without such gaps
        bool gaps = false;
        for (const auto& address : answers[i])
            gaps = gaps || address.empty();
        if (gaps) continue;
        std::vector<std::string> ours;
        auto targets = parse<Targets>(lists[i]);
        for (const auto& target : targets.targets())
            for (const auto& member : target->members())
                ours.push_back(member->address().utf8());
        EXPECT_EQ(ours, answers[i]) << lists[i];
        ++compared;
    }
    EXPECT_GT(compared, lists.size() / 2);
}

namespace {

// the value of the first field `name` of a message, its folds undone
std::string unfoldedValue(const std::string& message, const char* name) {
    Object object(message.data(), message.size());
    const auto& value = object.header.get(name);
    std::string text(value.data(), value.size());
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.erase(at, 2);
    return text;
}

// a To field of over 998 octets after `start`, then a plain body
std::string longTo(const std::string& start) {
    std::string field = "To: " + start;
    for (int i = 0; field.size() < 1200; ++i)
        field += ", user" + std::to_string(i) + "@example.org";
    return "From: s@example.org\r\n" + field + "\r\n\r\nbody\r\n";
}

} // namespace

// A field that is written again, re-encoded for a 7-bit transport or folded
// because it is too long, reads back as it was read: the same mailboxes and
// groups for our strict parse and Python's, and the same names for
// getaddresses, where a comment serves as the name.
TEST(TargetsTest, WrittenAgainReadsTheSameInPython) {
    struct Row {
        const char* field;
        std::string message;
        // Python's reading is ours: false where it converts a charset we
        // cannot, and then only the same before and after
        bool same = true;
    } const rows[] = {
        // comments, 8-bit and ASCII, after a re-encoding
        {"from", "From: h@example.net (H\xc3\xa4ns)\r\n\r\nbody\r\n"},
        {"to", "From: s@example.org\r\nTo: h@example.net (Hans Comment), M\xc3\xbcller <m@example.net>,\r\n"
               " Bob (the \\(first\\)) <b@example.net> (J\xc3\xb6rg (x))\r\n\r\nbody\r\n"},
        // comments in a 7-bit field folded because it is too long
        {"to", longTo("h@example.net (Hans Comment), John (Jr.) Doe <j@example.net>")},
        // blanks in quoted strings where the fold might fall
        {"to", longTo("\"a  b\"@example.org, \"x  y\" <c@example.org>")},
        // a group named by a quoted blank
        {"to",
         "From: s@example.org\r\nTo: J\xc3\xb6rg <j@example.org>, \" \": a@example.org;\r\n\r\nbody\r\n"},
        // encoded words glued together, and one in a charset that does not
        // convert here
        {"to", longTo("=?utf-8?q?J=C3=B6?==?utf-8?q?rg?= <j@example.org>")},
        {"to",
         "From: s@example.org\r\nTo: J\xc3\xb6rg <a@b.example>, =?ks_c_5601-1987?B?x+GxyQ==?= "
         "<c@d.example>\r\n\r\nbody\r\n",
         false},
        // comments inside the brackets and before a name in a group, which
        // getaddresses reads into the name where they stand
        {"to",
         "From: s@example.org\r\nTo: J\xc3\xb6rg <(c) j@example.org>, G: (d) Ann <a@example.org>;\r\n\r\n"
         "body\r\n"},
        {"to", "From: s@example.org\r\nTo: J\xc3\xb6rg <j@example.org>, G: \"\" (c) <a@example.org>, (d) "
               "<b@example.org>;, <c@example.org> (e)\r\n\r\nbody\r\n"},
        // such a word after a decoded one, which the decoder glues to it
        {"to",
         "From: s@example.org\r\nTo: J\xc3\xb6rg <a@b.example>, =?utf-8?q?b?= =?ks_c_5601-1987?B?x+GxyQ==?= "
         "<c@d.example>\r\n\r\nbody\r\n",
         false},
    };
    std::vector<Orvanta::Mime::Test::Request> requests;
    std::vector<std::string> before, after;
    for (const auto& row : rows) {
        Object object(row.message.data(), row.message.size());
        object.fix(Capabilities::standard());
        std::string out;
        Orvanta::Filter::String sink(&out);
        object.encode(Capabilities::standard(), &sink, true);
        before.push_back(unfoldedValue(row.message, row.field));
        after.push_back(unfoldedValue(out, row.field));
        requests.push_back({"list", after.back()});
        requests.push_back({"names", before.back()});
        requests.push_back({"names", after.back()});
        requests.push_back({"list", before.back()});
    }
    auto answers = Orvanta::Mime::Test::ask(requests);
    for (size_t i = 0; i < before.size(); ++i) {
        std::vector<std::string> read = flatten(parse<Targets>(before[i]));
        try {
            EXPECT_EQ(flatten(parse<Targets>(after[i])), read) << after[i];
        } catch (const std::exception& error) {
            ADD_FAILURE() << after[i] << ": " << error.what();
        }
        read.insert(read.begin(), "1");
        EXPECT_EQ(answers[4 * i], rows[i].same ? read : answers[4 * i + 3]) << after[i];
        EXPECT_EQ(answers[4 * i + 2], answers[4 * i + 1]) << before[i] << "\n" << after[i];
    }
}

// A display name that looks like an encoded word reads back as the program
// gave it, on either transport: readers decode such a word where it stands
// bare, and Python even in quotes.
TEST(MailboxTest, NamesShapedLikeEncodedWordsReadBackAsGiven) {
    auto list = parse<Targets>("\"=?utf-8?q?Bob?=\" <bob@example.org>");
    std::vector<Mailbox> mailboxes = {
        *list.targets()[0]->members()[0],
        Mailbox("=?utf-8?q?x?=", 13, "jane@example.org", 16),
        Mailbox("Ann =?utf-8?q?x?=", 17, "ann@example.org", 15),
        // glued to text, which readers decode too
        Mailbox("x=?utf-8?q?a?=y", 15, "ann@example.org", 15),
    };
    ASSERT_EQ(mailboxes[0].name().text(), "=?utf-8?q?Bob?=");
    std::vector<Orvanta::Mime::Test::Request> requests;
    std::vector<std::string> written;
    for (const Mailbox& mailbox : mailboxes) {
        for (const Capabilities* caps : {&Capabilities::standard(), &Capabilities::utf8()}) {
            written.push_back(plain(mailbox, *caps));
            requests.push_back({"list", written.back()});
            requests.push_back({"names", written.back()});
        }
    }
    auto answers = Orvanta::Mime::Test::ask(requests);
    for (size_t i = 0; i < written.size(); ++i) {
        const Mailbox& mailbox = mailboxes[i / 2];
        EXPECT_EQ(answers[2 * i],
                  (std::vector<std::string>{"1", "", mailbox.name().text(), mailbox.address().local().text(),
                                            mailbox.address().domain().text()}))
            << written[i];
        // the older reader decodes encoded words wherever they stand
        EXPECT_EQ(answers[2 * i + 1],
                  (std::vector<std::string>{mailbox.name().text(), mailbox.address().utf8()}))
            << written[i];
        EXPECT_EQ(parse<Mailbox>(written[i]).name().text(), mailbox.name().text()) << written[i];
    }
}
