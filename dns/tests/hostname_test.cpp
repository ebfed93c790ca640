// Hostname: the two forms and when they share one string, strict and lenient
// rules, copies and moves (including of empty names), containment, and the
// name of an address.
#include "dns/host/exception.h"
#include "dns/host/hostname.h"
#include "dns/host/ipaddress.h"
#include "dns/host/libidn.h"
#include "testsupport/process.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

using namespace Orvanta::Dns;

namespace {

// The text of the IdnException that building the name throws.
std::string idnError(const char* name, bool strict) {
    try {
        Hostname hostname(name, strict);
    } catch (const IdnException& error) {
        EXPECT_EQ(error.type(), 7);
        EXPECT_FALSE(error.temporary());
        EXPECT_FALSE(error.nxdomain());
        return error.what();
    }
    return "accepted";
}

} // namespace

TEST(LibIDN, OpensFromTheNameList) {
    ASSERT_TRUE(LibIDN::valid());
    EXPECT_STREQ(LibIDN::idna_strerror(0), "Success");
    // the list is null-terminated and holds the name this machine has
    bool found = false;
    const char* const* name = LibIDN::versions;
    for (; *name; ++name)
        found = found || std::string(*name) == "libidn.so.12";
    EXPECT_TRUE(found);
    EXPECT_EQ(name - LibIDN::versions, 11);
}

TEST(Hostname, AsciiNameSharesOneString) {
    for (bool strict : {false, true}) {
        Hostname name("Mail.Example.COM", strict);
        EXPECT_STREQ(name.unicode(), "Mail.Example.COM");
        EXPECT_EQ(name.unicode(), name.ascii());
    }
}

TEST(Hostname, NonAsciiNameGetsItsAsciiForm) {
    for (bool strict : {false, true}) {
        Hostname name("Bücher.example", strict);
        EXPECT_STREQ(name.unicode(), "Bücher.example");
        EXPECT_STREQ(name.ascii(), "xn--bcher-kva.example");
        EXPECT_NE(name.unicode(), name.ascii());
    }
    Hostname mixed("www.münchen.de", true);
    EXPECT_STREQ(mixed.ascii(), "www.xn--mnchen-3ya.de");
}

TEST(Hostname, AsciiCompatibleNameDecodes) {
    Hostname name("www.xn--bcher-kva.example", true);
    EXPECT_STREQ(name.unicode(), "www.bücher.example");
    EXPECT_STREQ(name.ascii(), "www.xn--bcher-kva.example");
}

// The Unicode form is only taken where it converts back to the name: one that
// splits into other labels (U+3002) or holds code points unassigned in
// libidn's tables (U+1E9E, U+2152) would name another host, or none.
TEST(Hostname, AUnicodeFormThatDoesNotConvertBackStaysAsWritten) {
    for (const auto& [name, unicode] :
         std::vector<std::pair<const char*, const char*>>{{"xn--ab-r13a.example", "xn--ab-r13a.example"},
                                                          {"mail.xn--kkg.example", "mail.xn--kkg.example"},
                                                          {"XN--ab-huu.example", "XN--ab-huu.example"},
                                                          {"münchen.xn--kkg", "münchen.xn--kkg"},
                                                          {"xn--ab-c6t.example", "a⁄b.example"},
                                                          {"XN--MLLER-KVA.example", "MüLLER.example"}}) {
        for (bool strict : {true, false}) {
            Hostname host(name, strict);
            EXPECT_STREQ(host.unicode(), unicode) << name;
        }
    }
}

TEST(Hostname, UnderscoreOnlyWhenLenient) {
    Hostname lenient("sel._domainkey.example.com", false);
    EXPECT_STREQ(lenient.ascii(), "sel._domainkey.example.com");
    EXPECT_EQ(lenient.unicode(), lenient.ascii());
    EXPECT_EQ(idnError("sel._domainkey.example.com", true), LibIDN::idna_strerror(3));
    EXPECT_EQ(idnError("_dmarc.bücher.example", true), LibIDN::idna_strerror(3));
    EXPECT_STREQ(Hostname("_dmarc.bücher.example", false).ascii(), "_dmarc.xn--bcher-kva.example");
}

TEST(Hostname, StrictRulesForHyphensAndLength) {
    EXPECT_EQ(idnError("-start.example", true), LibIDN::idna_strerror(4));
    EXPECT_EQ(idnError("end-.example", true), LibIDN::idna_strerror(4));
    EXPECT_EQ(idnError("a..b", true), LibIDN::idna_strerror(5));
    std::string long_label(64, 'a');
    EXPECT_EQ(idnError((long_label + ".example").c_str(), true), LibIDN::idna_strerror(5));
    // a lenient all-ASCII name is taken as it is
    Hostname lenient("a..b", false);
    EXPECT_STREQ(lenient.ascii(), "a..b");
}

TEST(Hostname, LengthLimitsHoldInTheAsciiForm) {
    const std::string label63(63, 'a'), label64(64, 'a');
    // 4 labels of 63 and their dots: 255 characters
    const std::string name255 = label63 + "." + label63 + "." + label63 + "." + label63;
    const std::string name253 = name255.substr(2);
    // a label of 63 letters beyond ASCII may be fine; 64 never are
    std::string umlauts63, umlauts64;
    for (int i = 0; i < 63; ++i)
        umlauts63 += "\xc3\xbc";
    umlauts64 = umlauts63 + "\xc3\xbc";
    // Within the limits as written, over them in the ASCII form that goes on
    // the wire: U+00FC and 55 letters make an A-label of 63 bytes, and three
    // of them and one of 54 letters a name of 254 (226 characters as written)
    const std::string umlaut55 = "\xc3\xbc" + std::string(55, 'a');
    const std::string ascii254 =
        umlaut55 + "." + umlaut55 + "." + umlaut55 + ".\xc3\xbc" + std::string(54, 'a');
    // Shorter in the ASCII form than as written: 35 n with a combining tilde
    // compose into a label of 41 bytes, a soft hyphen maps to nothing
    std::string nfd35, softHyphens;
    for (int i = 0; i < 35; ++i)
        nfd35 += "n\xcc\x83";
    for (int i = 0; i < 64; ++i)
        softHyphens += "\xc2\xad";
    // the most bytes a name may take as written, 8 KiB, in labels of at
    // most 2 KiB as written; the ASCII form is "x.x.x.x."
    std::string labelAtBound = "x";
    while (labelAtBound.size() < 2047)
        labelAtBound += "\xc2\xad";
    const std::string atBound =
        labelAtBound + "." + labelAtBound + "." + labelAtBound + "." + labelAtBound + ".";
    std::string quadratic;
    while (quadratic.size() < 2000000)
        quadratic += "x.";
    struct Case {
        std::string name;
        bool accepted;
    };
    for (bool strict : {true, false}) {
        for (const Case& c :
             {Case{name253, true}, Case{name253 + ".", true}, Case{name255, false},
              Case{label63 + ".example", true}, Case{label64 + ".example", false},
              Case{"example." + label64, false},
              Case{label64 + "\xe3\x80\x82"
                             "example",
                   false},
              Case{umlauts64 + ".example", false}, Case{quadratic, false}, Case{ascii254, false},
              Case{nfd35 + ".example", true}, Case{"mail" + softHyphens + "box.example", true},
              Case{"a" + softHyphens + label63 + ".example", false}, Case{atBound, true},
              Case{"a" + atBound, false}, Case{"\xc2\xad\xc2\xad" + labelAtBound + ".example", false}}) {
            std::string error = idnError(c.name.c_str(), strict);
            if (c.accepted)
                EXPECT_EQ(error, "accepted") << c.name.size() << " strict " << strict;
            else
                EXPECT_EQ(error, LibIDN::idna_strerror(5)) << c.name.size() << " strict " << strict;
        }
    }
    // within the limits, libidn has the last word on the converted form
    EXPECT_NE(idnError((umlauts63 + ".example").c_str(), true), "accepted");
}

TEST(Hostname, NonAsciiFailuresHoldEvenWhenLenient) {
    // right-to-left letters mixed with Latin ones break the bidi rule
    std::string error = idnError("שלוםabc.com", false);
    EXPECT_NE(error, "accepted");
    EXPECT_EQ(error, LibIDN::idna_strerror(1));
}

TEST(Hostname, NullName) {
    Hostname empty(nullptr, false);
    EXPECT_EQ(empty.unicode(), nullptr);
    EXPECT_EQ(empty.ascii(), nullptr);
    EXPECT_EQ(idnError(nullptr, true), LibIDN::idna_strerror(5));
}

TEST(Hostname, CopiesOwnTheirStrings) {
    Hostname ascii("example.org", true);
    Hostname copy(ascii);
    EXPECT_STREQ(copy.ascii(), "example.org");
    EXPECT_EQ(copy.unicode(), copy.ascii());
    EXPECT_NE(copy.ascii(), ascii.ascii());

    Hostname idn("bücher.example", true);
    Hostname idnCopy(idn);
    EXPECT_STREQ(idnCopy.unicode(), "bücher.example");
    EXPECT_STREQ(idnCopy.ascii(), "xn--bcher-kva.example");
    EXPECT_NE(idnCopy.unicode(), idn.unicode());
    EXPECT_NE(idnCopy.ascii(), idn.ascii());
}

TEST(Hostname, EmptyCopiesAsEmpty) {
    Hostname empty(nullptr, false);
    Hostname copy(empty);
    EXPECT_EQ(copy.unicode(), nullptr);
    EXPECT_EQ(copy.ascii(), nullptr);

    Hostname target("bücher.example", false);
    target = empty;
    EXPECT_EQ(target.unicode(), nullptr);
    EXPECT_EQ(target.ascii(), nullptr);
    target = Hostname("example.net", false);
    EXPECT_STREQ(target.ascii(), "example.net");
}

TEST(Hostname, CopyAssignment) {
    Hostname target("example.org", false);
    Hostname idn("bücher.example", false);
    target = idn;
    EXPECT_STREQ(target.unicode(), "bücher.example");
    EXPECT_STREQ(target.ascii(), "xn--bcher-kva.example");
    target = Hostname("plain.example", false);
    EXPECT_EQ(target.unicode(), target.ascii());

    const char* before = target.ascii();
    Hostname& self = target;
    target = self;
    EXPECT_EQ(target.ascii(), before);
    EXPECT_STREQ(target.ascii(), "plain.example");
}

TEST(Hostname, MovesLeaveTheSourceEmpty) {
    // short and long names: a short one lives inside the string itself
    for (std::string text : {"bÃ¼.example",
                             "bÃ¼"
                             "cher.example",
                             "mail.bÃ¼"
                             "cher-und-zeitschriften.example"}) {
        Hostname source(text.c_str(), false);
        const std::string ascii = source.ascii();
        Hostname moved(std::move(source));
        EXPECT_EQ(moved.unicode(), text);
        EXPECT_EQ(moved.ascii(), ascii);
        EXPECT_EQ(source.unicode(), nullptr);
        EXPECT_EQ(source.ascii(), nullptr);

        Hostname target("example.org", false);
        target = std::move(moved);
        EXPECT_EQ(target.unicode(), text);
        EXPECT_EQ(target.ascii(), ascii);
        EXPECT_EQ(moved.ascii(), nullptr);
        // an emptied name copies as empty too, and takes a new value
        Hostname copy(moved);
        EXPECT_EQ(copy.ascii(), nullptr);
        moved = target;
        EXPECT_EQ(moved.ascii(), ascii);
    }
    // a moved all-ASCII name still keeps one string for both forms
    Hostname ascii("mail.example.org", false);
    Hostname moved(std::move(ascii));
    EXPECT_EQ(moved.unicode(), moved.ascii());
}

TEST(Hostname, EmptyTextIsANameUnlikeNoName) {
    // "" is the root, which holds every name; no name holds nothing
    Hostname root("", false);
    ASSERT_NE(root.ascii(), nullptr);
    EXPECT_STREQ(root.ascii(), "");
    EXPECT_TRUE(root.contains(Hostname("example.com", false)));
    Hostname moved(std::move(root));
    EXPECT_STREQ(moved.unicode(), "");
    EXPECT_TRUE(moved.contains(Hostname("example.com", false)));
}

TEST(Hostname, Contains) {
    Hostname domain("example.com", false);
    EXPECT_TRUE(domain.contains(domain));
    EXPECT_TRUE(domain.contains(Hostname("example.com", false)));
    EXPECT_TRUE(domain.contains(Hostname("www.example.com", false)));
    EXPECT_TRUE(domain.contains(Hostname("a.b.EXAMPLE.Com.", false)));
    EXPECT_FALSE(domain.contains(Hostname("badexample.com", false)));
    EXPECT_FALSE(domain.contains(Hostname("com", false)));
    EXPECT_FALSE(domain.contains(Hostname("example.org", false)));
    EXPECT_TRUE(Hostname("com", false).contains(domain));

    // compared in the ASCII form
    Hostname idn("bücher.example", false);
    EXPECT_TRUE(idn.contains(Hostname("www.xn--bcher-kva.example", false)));
    EXPECT_FALSE(idn.contains(Hostname("www.bucher.example", false)));

    Hostname empty(nullptr, false);
    EXPECT_FALSE(empty.contains(domain));
    EXPECT_FALSE(domain.contains(empty));
    EXPECT_FALSE(empty.contains(empty));
}

TEST(Hostname, NameOfLoopbackAddress) {
    // 127.0.0.1 is answered from the hosts file; the system's own lookup
    // through Python says what to expect
    auto oracle = Orvanta::Test::runProcess(
        {Orvanta::Test::python3(), "-c",
         "import socket; print(socket.getnameinfo(('127.0.0.1', 0), 0)[0], end='')"});
    ASSERT_EQ(oracle.status, 0) << oracle.err;
    Hostname name(IpAddress("127.0.0.1", false));
    EXPECT_EQ(std::string(name.ascii()), oracle.out);
    EXPECT_EQ(std::string(name.unicode()), oracle.out);
    Hostname copy(name);
    EXPECT_EQ(std::string(copy.ascii()), oracle.out);
    EXPECT_EQ(copy.unicode(), copy.ascii());
}

TEST(Hostname, UnspecifiedAddressHasNoName) {
    for (const char* text : {"0.0.0.0", "::", "::ffff:0.0.0.0"}) {
        try {
            Hostname name(IpAddress(text, false));
            ADD_FAILURE() << text;
        } catch (const IdnException&) {
            ADD_FAILURE() << text;
        } catch (const Exception& error) {
            EXPECT_STREQ(error.what(), "Invalid IP address") << text;
            EXPECT_EQ(error.type(), 7);
        }
    }
}

TEST(IdnException, CarriesLibidnText) {
    IdnException error(2);
    EXPECT_STREQ(error.what(), LibIDN::idna_strerror(2));
    EXPECT_EQ(error.type(), 7);
    const Exception& base = error;
    EXPECT_FALSE(base.temporary());
}
