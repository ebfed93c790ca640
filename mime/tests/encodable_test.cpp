#include "filter/linetracker.h"
#include "filter/string.h"
#include "filter/wordwrap.h"
#include "mime/grammar/capabilities.h"
#include "mime/grammar/headerfield.h"

#include <gtest/gtest.h>

#include <string>

using namespace Orvanta::Mime;

namespace {

// writes "8bit" or "7bit" and which slot was reached
class Probe : public HeaderField {
public:
    using Encodable::encode;
    size_t encode(const Capabilities& caps, Orvanta::Filter::Result* out, bool persistent) const override {
        lastPersistent = persistent;
        std::string text = caps.eightbit() ? "8bit" : "7bit";
        return out->append(text.data(), text.size(), false);
    }
    mutable bool lastPersistent = false;
};

// overrides the rendering: operator std::string must follow it
class Renamed : public Probe {
public:
    std::string str(bool utf8) const override { return utf8 ? "renamed" : "renamed7"; }
};

} // namespace

TEST(CapabilitiesTest, Presets) {
    const auto& standard = Capabilities::standard();
    const auto& utf8 = Capabilities::utf8();
    EXPECT_FALSE(standard.eightbit());
    EXPECT_TRUE(utf8.eightbit());
    EXPECT_FALSE(standard.reencode());
    EXPECT_FALSE(utf8.reencode());
    EXPECT_EQ(standard.hardLimit(), 998u);
    EXPECT_EQ(standard.preferred(), 78u);
    EXPECT_EQ(utf8.limits(), Orvanta::Filter::BufferSize(998, 78));
    EXPECT_EQ(&Capabilities::utf8(), &utf8);
}

TEST(EncodableTest, RenderingAndDefaultSlots) {
    Probe probe;
    EXPECT_EQ(probe.str(true), "8bit");
    EXPECT_TRUE(probe.lastPersistent);
    EXPECT_EQ(probe.str(false), "7bit");
    EXPECT_EQ(std::string(probe), "8bit");
    EXPECT_TRUE(probe.encodable(Capabilities::standard()));

    // the line-length and word-wrap forms fall back to the plain one
    std::string out;
    Orvanta::Filter::String sink(&out);
    Orvanta::Filter::LineTracker tracker(&sink);
    EXPECT_EQ(probe.encode(Capabilities::standard(), &tracker, false), 4u);
    EXPECT_EQ(tracker.size().characters(), 4u);
    {
        Orvanta::Filter::WordWrap wrap(Capabilities::utf8().limits(), tracker.size(), &tracker);
        probe.encode(Capabilities::utf8(), &wrap, false);
    }
    EXPECT_EQ(out, "7bit8bit");
}

TEST(EncodableTest, ConversionFollowsAnOverriddenRendering) {
    Renamed renamed;
    EXPECT_EQ(std::string(renamed), "renamed");
    const Encodable& base = renamed;
    EXPECT_EQ(std::string(base), "renamed");
}
