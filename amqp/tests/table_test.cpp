#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "amqp/buffers/bytebuffer.h"
#include "amqp/buffers/inbuffer.h"
#include "amqp/buffers/protocolexception.h"
#include "amqp/tests/encoded.h"
#include "amqp/tests/oracle.h"
#include "amqp/tests/stringsink.h"
#include "amqp/values/array.h"
#include "amqp/values/booleanset.h"
#include "amqp/values/decimalfield.h"
#include "amqp/values/numericfield.h"
#include "amqp/values/stringfield.h"
#include "amqp/values/table.h"
#include "amqp/values/voidfield.h"

using namespace AMQP;
using AMQP::Test::encoded;
using AMQP::Test::hex;
using AMQP::Test::python;
using AMQP::Test::StringSink;
using AMQP::Test::unhex;

namespace {

std::string printed(const Field& field) {
    std::ostringstream out;
    out << field;
    return out.str();
}

// decodes a container that must use up all of bytes
template <typename T>
T decodeAll(const std::string& bytes) {
    ByteBuffer buffer(bytes.data(), bytes.size());
    InBuffer in(buffer);
    T result(in);
    EXPECT_EQ(in.available(), 0u);
    return result;
}

template <typename T>
void expectProtocolError(const std::string& bytes, const char* text = nullptr) {
    ByteBuffer buffer(bytes.data(), bytes.size());
    InBuffer in(buffer);
    try {
        T result(in);
        ADD_FAILURE() << "decoded " << printed(result) << " from " << hex(bytes);
    } catch (const ProtocolException& e) {
        if (text) {
            EXPECT_STREQ(e.what(), text);
        }
    }
}

// count bytes announced, then the entries
std::string withCount(const std::string& entries) {
    StringSink sink;
    sink.add(static_cast<uint32_t>(entries.size()));
    return sink.bytes + entries;
}

} // namespace

TEST(Table, EmptyAndSingleEntryEncodings) {
    Table empty;
    EXPECT_EQ(hex(encoded(empty)), "00 00 00 00");
    EXPECT_EQ(empty.size(), 4u);
    EXPECT_TRUE(decodeAll<Table>(unhex("00 00 00 00")).keys().empty());

    Table one;
    one.set("ab", "xyz");
    EXPECT_EQ(hex(encoded(one)), "00 00 00 0b 02 61 62 53 00 00 00 03 78 79 7a");
    EXPECT_EQ(one.size(), 15u);
    EXPECT_EQ(printed(one), "table(ab:string(xyz))");
}

TEST(Table, MatchesAnIndependentEncoder) {
    Table nested;
    nested.set("g", VoidField());
    Array list;
    list.push_back(NumericField<int, 'I'>(1));
    list.push_back(LongString("z"));
    Table table;
    table.set("recipients", "a@example.org,b@example.org");
    table.set("envelope", std::string("sender@example.org"));
    table.set("n", NumericField<int, 'I'>(-42));
    table.set("big", NumericField<unsigned long, 'l'>(1UL << 40));
    table.set("flag", BooleanSet(true));
    table.set("dec", DecimalField(2, 123));
    table.set("list", list);
    table.set("sub", nested);
    table["yes"] = false;
    // bytes, which the other client sends as a byte array ('x')
    table.set("raw", ByteArray(std::string("\x00\xff", 2)));

    // the other encoder writes keys in the order given: give them sorted
    std::string expected =
        python("(lambda p: (pika.data.encode_table(p, {'big': 2**40, 'dec': decimal.Decimal('1.23'),"
               " 'envelope': 'sender@example.org', 'flag': True, 'list': [1, 'z'], 'n': -42,"
               " 'raw': b'\\x00\\xff', 'recipients': 'a@example.org,b@example.org', 'sub': {'g': None},"
               " 'yes': False}),"
               " b''.join(p))[1])([])",
               "import pika.data, decimal");
    EXPECT_EQ(hex(encoded(table)), hex(expected));

    Table back = decodeAll<Table>(expected);
    EXPECT_EQ(hex(encoded(back)), hex(expected));
    EXPECT_EQ(static_cast<int>(back.get("n")), -42);
    EXPECT_EQ(static_cast<const std::string&>(back.get("recipients")), "a@example.org,b@example.org");
    EXPECT_EQ(static_cast<const std::string&>(back.get("raw")), std::string("\x00\xff", 2));
    const Array& decodedList = back.get("list");
    EXPECT_EQ(decodedList.count(), 2u);
    EXPECT_TRUE(static_cast<const Table&>(back.get("sub")).get("g").isVoid());
}

TEST(Table, KeysAreOrderedBytewise) {
    Table table;
    table.set("b", "1");
    table.set("a", "2");
    table.set("B", "3");
    table.set("", "4");
    table.set("ab", "5");
    EXPECT_EQ(table.keys(), (std::vector<std::string>{"", "B", "a", "ab", "b"}));
    std::string bytes = encoded(table);
    EXPECT_LT(bytes.find("\x01"
                         "B"),
              bytes.find("\x01"
                         "a"));
    EXPECT_LT(bytes.find("\x01"
                         "a"),
              bytes.find("\x01"
                         "b"));
}

TEST(Table, LaterValuesReplaceEarlierOnes) {
    Table table;
    table.set("k", "first");
    table.set("k", NumericField<int, 'I'>(2));
    EXPECT_EQ(table.keys().size(), 1u);
    EXPECT_EQ(static_cast<int>(table.get("k")), 2);

    // the last of duplicate received keys wins
    Table decoded = decodeAll<Table>(withCount(unhex("01 6b 49 00 00 00 01 01 6b 49 00 00 00 02")));
    EXPECT_EQ(decoded.keys().size(), 1u);
    EXPECT_EQ(static_cast<int>(decoded.get("k")), 2);
}

TEST(Table, MissingKeyGivesAnEmptyString) {
    Table table;
    EXPECT_FALSE(table.contains("nope"));
    const Field& missing = table.get("nope");
    EXPECT_TRUE(missing.isString());
    EXPECT_EQ(static_cast<const std::string&>(missing), "");
    table.set("there", "");
    EXPECT_TRUE(table.contains("there"));
}

TEST(Table, ProxyAssignments) {
    Table inner;
    inner.set("x", "y");
    Table table;
    table["on"] = true;
    table["text"] = "abc";
    table["copy"] = std::string("def");
    table["inner"] = inner;
    EXPECT_TRUE(table.get("on").isBoolean());
    EXPECT_EQ(hex(encoded(table.get("on"))), "01");
    EXPECT_EQ(table.get("text").typeID(), 'S');
    EXPECT_EQ(static_cast<const std::string&>(table.get("copy")), "def");
    EXPECT_EQ(table.get("inner").typeID(), 'F');
    // the table holds its own copy
    inner.set("x", "changed");
    EXPECT_EQ(static_cast<const std::string&>(static_cast<const Table&>(table.get("inner")).get("x")), "y");
}

TEST(Table, CopiesAreDeep) {
    Table original;
    Table sub;
    sub.set("a", "1");
    original.set("sub", sub);
    original.set("n", NumericField<short, 'U'>(7));

    Table copy(original);
    copy.set("n", NumericField<short, 'U'>(8));
    EXPECT_EQ(static_cast<short>(original.get("n")), 7);
    EXPECT_NE(&copy.get("sub"), &original.get("sub"));
    EXPECT_EQ(encoded(copy.get("sub")), encoded(original.get("sub")));

    Table assigned;
    assigned.set("gone", "x");
    assigned = original;
    EXPECT_FALSE(assigned.contains("gone"));
    EXPECT_EQ(encoded(assigned), encoded(original));
    auto& self = assigned;
    assigned = self;
    EXPECT_EQ(encoded(assigned), encoded(original));

    auto cloned = original.clone();
    EXPECT_EQ(encoded(*cloned), encoded(original));
    EXPECT_TRUE(cloned->isTable());
    EXPECT_EQ(&static_cast<const Table&>(*cloned), cloned.get());

    Table moved(std::move(copy));
    EXPECT_TRUE(moved.contains("sub"));
    Table target;
    target = std::move(moved);
    EXPECT_TRUE(target.contains("n"));
}

TEST(Table, KeyLongerThan255IsRefused) {
    Table table;
    EXPECT_THROW(table.set(std::string(256, 'k'), "v"), std::runtime_error);
    EXPECT_FALSE(table.contains(std::string(256, 'k')));
    table.set(std::string(255, 'k'), "v");
    EXPECT_EQ(encoded(table).size(), 4 + 1 + 255 + 1 + 5u);
}

TEST(Table, ConversionsOfOtherFieldsAreEmpty) {
    NumericField<int, 'I'> number(3);
    EXPECT_TRUE(static_cast<const Table&>(number).keys().empty());
    EXPECT_EQ(static_cast<const Array&>(number).count(), 0u);
    Table table;
    EXPECT_EQ(static_cast<const Array&>(table).count(), 0u);
}

TEST(Table, AnnouncedCountBeyondTheBytesIsAProtocolError) {
    // 16 bytes announced, 12 present
    expectProtocolError<Table>(unhex("00 00 00 10 02 61 62 53 00 00 00 03 78 79 7a"), "frame out of range");
    expectProtocolError<Table>(unhex("00 00 00"));
    expectProtocolError<Table>(unhex("ff ff ff ff 00"));
}

TEST(Table, EntryOverrunningTheAnnouncedCountIsAProtocolError) {
    // the count covers only half of the entry: the rest, followed by bytes
    // that would happen to complete it, must not be read
    std::string entry = unhex("01 6b 53 00 00 00 03 78 79 7a");
    StringSink sink;
    sink.add(uint32_t(5));
    std::string bytes = sink.bytes + entry;
    expectProtocolError<Table>(bytes, "frame out of range");

    // a key length that runs past the window
    expectProtocolError<Table>(withCount(unhex("05 61 62")));
    // a key without its type byte
    expectProtocolError<Table>(withCount(unhex("01 61")));
}

TEST(Table, DecodingStopsAtTheAnnouncedCount) {
    std::string bytes = withCount(unhex("01 61 74 01")) + unhex("ee");
    ByteBuffer buffer(bytes.data(), bytes.size());
    InBuffer in(buffer);
    Table table(in);
    EXPECT_EQ(in.available(), 1u);
    EXPECT_EQ(in.nextUint8(), 0xee);
    EXPECT_TRUE(table.get("a").isBoolean());
}

TEST(Table, UnknownTypeCodeIsAProtocolError) {
    // 'c' followed by bytes that an out-of-step decoder would read as an entry
    expectProtocolError<Table>(withCount(unhex("01 61 63 01 62 74 01")));
}

TEST(Table, NestingDepthIsCapped) {
    // n tables, each holding the next under key "k"
    auto nested = [](unsigned int n) {
        std::string bytes = withCount("");
        for (unsigned int i = 1; i < n; ++i)
            bytes = withCount("\x01kF" + bytes);
        return bytes;
    };
    Table deepest = decodeAll<Table>(nested(Field::maxNesting));
    EXPECT_EQ(encoded(deepest), nested(Field::maxNesting));
    expectProtocolError<Table>(nested(Field::maxNesting + 1), "field tables and arrays nested too deeply");

    // far deeper than any stack would survive without the cap
    const uint32_t levels = 200000;
    StringSink deep;
    deep.add(uint32_t(5 * (levels - 1)));
    for (uint32_t level = 1; level < levels; ++level) {
        deep.add(uint8_t('A'));
        deep.add(uint32_t(5 * (levels - 1 - level)));
    }
    expectProtocolError<Array>(deep.bytes, "field tables and arrays nested too deeply");
}

TEST(Array, Encodings) {
    Array array;
    EXPECT_EQ(hex(encoded(array)), "00 00 00 00");
    array.push_back(NumericField<int, 'I'>(5));
    array.push_back(ShortString("a"));
    EXPECT_EQ(hex(encoded(array)), "00 00 00 08 49 00 00 00 05 73 01 61");
    EXPECT_EQ(printed(array), "array(numeric(5),string(a))");
    EXPECT_EQ(array.count(), 2u);

    Array back = decodeAll<Array>(unhex("00 00 00 08 49 00 00 00 05 73 01 61"));
    EXPECT_EQ(static_cast<int>(back.get(0)), 5);
    EXPECT_EQ(static_cast<const std::string&>(back.get(1)), "a");
    EXPECT_TRUE(back.get(2).isString());

    array.pop_back();
    array.pop_back();
    array.pop_back();
    EXPECT_EQ(array.count(), 0u);
}

TEST(Array, ElementsBeyondThe256thAreReachable) {
    Array array;
    for (int i = 0; i < 1000; ++i)
        array.push_back(NumericField<int, 'I'>(i));
    EXPECT_EQ(static_cast<int>(array.get(300)), 300);
    EXPECT_EQ(static_cast<int>(array.get(999)), 999);
    EXPECT_TRUE(array.get(1000).isString());

    Array back = decodeAll<Array>(encoded(array));
    EXPECT_EQ(back.count(), 1000u);
    EXPECT_EQ(static_cast<int>(back.get(256)), 256);
}

TEST(Array, CopiesAreDeepAndNestedFormsPrint) {
    Table table;
    table.set("k", "v");
    Array inner;
    inner.push_back(VoidField());
    Array array;
    array.push_back(table);
    array.push_back(inner);
    array.push_back(BooleanSet(false, true));
    EXPECT_EQ(printed(array), "array(table(k:string(v)),array(void()),booleanset(0,1,0,0,0,0,0,0))");

    Array copy(array);
    copy.pop_back();
    EXPECT_EQ(array.count(), 3u);
    EXPECT_NE(&copy.get(0), &array.get(0));
    Array assigned;
    assigned = array;
    EXPECT_EQ(encoded(assigned), encoded(array));
    EXPECT_EQ(encoded(*array.clone()), encoded(array));
    EXPECT_EQ(encoded(decodeAll<Array>(encoded(array))), encoded(array));
}

TEST(Array, MalformedElementsAreProtocolErrors) {
    expectProtocolError<Array>(withCount(unhex("49 00 00")), "frame out of range");
    expectProtocolError<Array>(unhex("00 00 00 09 49 00 00 00 05 73 01 61"), "frame out of range");
    expectProtocolError<Array>(withCount(unhex("63 00")));
    // an element overrunning the count, though the bytes after it would complete it
    expectProtocolError<Array>(unhex("00 00 00 03 49 00 00 00 05"));
}
