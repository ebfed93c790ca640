#include "mime/grammar/contentdisposition.h"
#include "mime/grammar/contenttype.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace Orvanta::Mime;

namespace {

std::string error(const std::string& text, bool disposition = false) {
    try {
        if (disposition)
            ContentDisposition(text.data(), text.size());
        else
            ContentType(text.data(), text.size(), true);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(ContentTypeTest, MainAndSubType) {
    std::string text = "  TEXT/Plain;charset=us-ascii";
    ContentType type(text.data(), text.size(), true);
    EXPECT_TRUE(type.type().main("text"));
    EXPECT_TRUE(type.type().sub("plain"));
    EXPECT_FALSE(type.type().main("tex"));
    EXPECT_FALSE(type.type().sub("plains"));
    EXPECT_TRUE(type.type().equals("text/PLAIN"));
    EXPECT_TRUE(type.type().equals(std::string("Text/Plain")));
    EXPECT_EQ(type.type().consumed(), 13u);
    EXPECT_EQ(type.params().get("charset"), "us-ascii");
}

TEST(ContentTypeTest, BlanksAndCommentsBeforeTheSemicolon) {
    for (std::string text : {"text/plain ; charset=us-ascii", "text/plain (a comment) ; charset=us-ascii",
                             "text/plain(c);charset=us-ascii", "text/plain\r\n\t;charset=us-ascii"}) {
        ContentType type(text.data(), text.size(), true);
        EXPECT_TRUE(type.type().sub("plain")) << text;
        EXPECT_EQ(type.params().get("charset"), "us-ascii") << text;
    }
    std::string trailing = "text/plain  ";
    EXPECT_EQ(ContentType(trailing.data(), trailing.size(), true).type().length(), 10u);
}

// Blanks, folds and comments may stand between any two tokens of the type,
// as other readers take them; the type is compared, and written again,
// without them.
TEST(ContentTypeTest, BlanksAndCommentsAroundTheSlash) {
    for (auto [text, written] : std::vector<std::pair<std::string, std::string>>{
             {"image/ png", "image/png"},
             {"image /png", "image/png"},
             {"image (scan)/png", "image/png"},
             {"image/(scan)png", "image/png"},
             {"(logo) image/png", "image/png"},
             {"multipart /alternative; boundary=alt", "multipart/alternative; boundary=alt"},
             {" (a (b \\) c)) Text\r\n\t/\r\n (d) Plain (e) ;charset=x", "Text/Plain; charset=x"}}) {
        ContentType type(text.data(), text.size(), true);
        std::string bare = written.substr(0, written.find(';'));
        size_t slash = bare.find('/');
        EXPECT_TRUE(type.type().main(bare.substr(0, slash).c_str())) << text;
        EXPECT_TRUE(type.type().sub(bare.substr(slash + 1).c_str())) << text;
        EXPECT_TRUE(type.type().equals(bare)) << text;
        EXPECT_EQ(type.str(), written) << text;
    }
    // a token cut by a blank or a comment is still refused
    EXPECT_EQ(error("ima ge/png"), "invalid content-type");
    EXPECT_EQ(error("image/p(c)ng"), "invalid content-type");
    EXPECT_EQ(error("image (c)"), "no subtype in content-type");
    EXPECT_EQ(error("image/(c)/png"), "only one slash can be used in a content-type");
    EXPECT_EQ(error("(unfinished image/png"), "invalid content-type");
}

TEST(ContentTypeTest, Refusals) {
    EXPECT_EQ(error(""), "no maintype in content-type");
    EXPECT_EQ(error("   "), "no maintype in content-type");
    EXPECT_EQ(error("text"), "no subtype in content-type");
    EXPECT_EQ(error("text/"), "no subtype in content-type");
    EXPECT_EQ(error("text/plain/x"), "only one slash can be used in a content-type");
    EXPECT_EQ(error("text/pl ain"), "invalid content-type");
    EXPECT_EQ(error("text/pl\xc3\xa4in"), "invalid content-type");
    EXPECT_EQ(error("text/plain (unfinished"), "invalid content-type");
    EXPECT_EQ(error("multipart/mixed"), "boundary missing for content-type: multipart/mixed");
    std::string lenient = "multipart/mixed";
    EXPECT_NO_THROW(ContentType(lenient.data(), lenient.size(), false));
}

TEST(ContentTypeTest, DefaultNames) {
    struct Case {
        const char* type;
        const char* name;
    };
    for (Case c : std::vector<Case>{{"text/html", "index.html"},
                                    {"image/jpeg", "image.jpg"},
                                    {"IMAGE/JPG", "image.jpg"},
                                    {"image/svg+xml", "image.svg"},
                                    {"application/x-zip-compressed", "compressed.zip"},
                                    {"application/gzip", "compressed.gz"},
                                    {"text/plain", nullptr},
                                    {"video/ogg", nullptr}}) {
        ContentType type(c.type, std::strlen(c.type), true);
        if (c.name == nullptr)
            EXPECT_EQ(type.defaultName(), nullptr) << c.type;
        else
            EXPECT_STREQ(type.defaultName(), c.name) << c.type;
    }
}

TEST(ContentTypeTest, WritesTypeAndParameters) {
    std::string text = "text/plain; charset=us-ascii";
    ContentType type(text.data(), text.size(), true);
    std::string written = type.str();
    EXPECT_EQ(written.rfind("text/plain; charset=", 0), 0u) << written;
}

TEST(ContentDispositionTest, WordAndParameters) {
    std::string text = "attachment; filename=report.pdf";
    ContentDisposition disposition(text.data(), text.size());
    EXPECT_EQ(std::string(disposition.setting().begin(), disposition.setting().length()), "attachment");
    EXPECT_EQ(disposition.params().get("filename"), "report.pdf");
    std::string bare = " inline";
    ContentDisposition inl(bare.data(), bare.size());
    EXPECT_EQ(inl.setting().length(), 6u);
    EXPECT_EQ(inl.params().get("filename"), "");
    std::string custom = "x-custom-1";
    EXPECT_NO_THROW(ContentDisposition(custom.data(), custom.size()));
    for (std::string spaced :
         {"attachment ; filename=x", "attachment (c);filename=x", " (c (d)) attachment;filename=x"}) {
        ContentDisposition d(spaced.data(), spaced.size());
        EXPECT_EQ(std::string(d.setting().begin(), d.setting().length()), "attachment") << spaced;
        EXPECT_EQ(d.params().get("filename"), "x") << spaced;
    }
}

TEST(ContentDispositionTest, Refusals) {
    EXPECT_EQ(error("", true), "no content-disposition value");
    EXPECT_EQ(error("   ", true), "no content-disposition value");
    EXPECT_EQ(error("; filename=x", true), "no content-disposition value");
    EXPECT_EQ(error("in line", true), "invalid content-disposition");
    EXPECT_EQ(error("attach_ment", true), "invalid content-disposition");
    EXPECT_EQ(error("attachment (unfinished", true), "invalid content-disposition");
    EXPECT_EQ(error("attachment (c) x", true), "invalid content-disposition");
    std::string trailing = "inline  (c) ";
    EXPECT_EQ(ContentDisposition(trailing.data(), trailing.size()).setting().length(), 6u);
}
