#include <cmath>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "amqp/buffers/bytebuffer.h"
#include "amqp/buffers/inbuffer.h"
#include "amqp/buffers/protocolexception.h"
#include "amqp/tests/oracle.h"
#include "amqp/tests/stringsink.h"
#include "amqp/values/booleanset.h"
#include "amqp/values/decimalfield.h"
#include "amqp/values/field.h"
#include "amqp/values/numericfield.h"
#include "amqp/values/stringfield.h"
#include "amqp/values/voidfield.h"

using namespace AMQP;
using AMQP::Test::hex;
using AMQP::Test::python;
using AMQP::Test::StringSink;
using AMQP::Test::unhex;

namespace {

// type byte and value, as a container writes them
std::string typed(const Field& field) {
    StringSink sink;
    sink.add(static_cast<uint8_t>(field.typeID()));
    field.fill(sink);
    EXPECT_EQ(sink.bytes.size(), field.size() + 1) << "size() must match what fill() writes";
    return sink.bytes;
}

std::string printed(const Field& field) {
    std::ostringstream out;
    out << field;
    return out.str();
}

// decodes bytes that must hold exactly one typed value
std::unique_ptr<Field> decodeAll(const std::string& bytes) {
    ByteBuffer buffer(bytes.data(), bytes.size());
    InBuffer in(buffer);
    auto field = Field::decode(in);
    EXPECT_EQ(in.available(), 0u) << "decode left bytes unread";
    return field;
}

} // namespace

TEST(NumericField, EncodingsMatchPythonStruct) {
    std::string ours =
        typed(NumericField<signed char, 'b'>(-2)) + typed(NumericField<unsigned char, 'B'>(250)) +
        typed(NumericField<short, 'U'>(-300)) + typed(NumericField<unsigned short, 'u'>(60000)) +
        typed(NumericField<int, 'I'>(-70000)) + typed(NumericField<unsigned int, 'i'>(4000000000u)) +
        typed(NumericField<long, 'L'>(-5000000000L)) +
        typed(NumericField<unsigned long, 'l'>(17000000000000000000UL)) +
        typed(NumericField<unsigned long, 'T'>(1700000000UL)) + typed(NumericField<float, 'f'>(0.25f)) +
        typed(NumericField<double, 'd'>(-1e-300));
    std::string expected =
        python("b'b' + struct.pack('>b', -2) + b'B' + struct.pack('>B', 250) + b'U' + struct.pack('>h', -300)"
               " + b'u' + struct.pack('>H', 60000) + b'I' + struct.pack('>i', -70000) + b'i' + "
               "struct.pack('>I', 4000000000)"
               " + b'L' + struct.pack('>q', -5000000000) + b'l' + struct.pack('>Q', 17000000000000000000)"
               " + b'T' + struct.pack('>Q', 1700000000) + b'f' + struct.pack('>f', 0.25) + b'd' + "
               "struct.pack('>d', -1e-300)");
    EXPECT_EQ(hex(ours), hex(expected));
}

TEST(NumericField, DoublesTravelBigEndian) {
    EXPECT_EQ(hex(typed(NumericField<double, 'd'>(1.0))), "64 3f f0 00 00 00 00 00 00");
    EXPECT_EQ(hex(typed(NumericField<float, 'f'>(1.0f))), "66 3f 80 00 00");
    auto back = decodeAll(unhex("64 3f f0 00 00 00 00 00 00"));
    EXPECT_EQ(static_cast<double>(*back), 1.0);
    EXPECT_FALSE(back->isInteger());
    auto single = decodeAll(python("b'f' + struct.pack('>f', -3.5)"));
    EXPECT_EQ(static_cast<float>(*single), -3.5f);
}

TEST(NumericField, DecodedIntegersConvertByTheUsualRules) {
    auto byte = decodeAll(unhex("42 ff"));
    EXPECT_EQ(static_cast<unsigned char>(*byte), 255);
    EXPECT_EQ(static_cast<signed char>(*byte), -1);
    EXPECT_EQ(static_cast<int>(*byte), 255);
    EXPECT_TRUE(byte->isInteger());

    EXPECT_EQ(static_cast<int>(*decodeAll(unhex("49 ff ff ff fe"))), -2);
    EXPECT_EQ(static_cast<unsigned int>(*decodeAll(unhex("69 ff ff ff fe"))), 4294967294u);
    EXPECT_EQ(static_cast<unsigned short>(*decodeAll(unhex("49 ff ff ff fe"))), 65534);
    EXPECT_EQ(static_cast<long>(*decodeAll(unhex("4c ff ff ff ff ff ff ff ff"))), -1);
    EXPECT_EQ(static_cast<unsigned long>(*decodeAll(unhex("54 00 00 00 00 65 53 f1 00"))), 1700000000UL);
    EXPECT_EQ(static_cast<double>(*decodeAll(unhex("55 80 00"))), -32768.0);
    EXPECT_EQ(decodeAll(unhex("54 00 00 00 00 00 00 00 01"))->typeID(), 'T');
}

TEST(NumericField, FloatsTruncateAndSaturate) {
    NumericField<double, 'd'> value(-2.9);
    EXPECT_EQ(static_cast<int>(value), -2);
    EXPECT_EQ(static_cast<long>(NumericField<double, 'd'>(2.9)), 2);
    // out of range or not a number: a defined answer, not undefined behaviour
    EXPECT_EQ(static_cast<int>(NumericField<double, 'd'>(1e300)), std::numeric_limits<int>::max());
    EXPECT_EQ(static_cast<short>(NumericField<float, 'f'>(-1e30f)), std::numeric_limits<short>::min());
    EXPECT_EQ(static_cast<long>(NumericField<double, 'd'>(std::nan(""))), 0);
    EXPECT_EQ(static_cast<unsigned long>(NumericField<double, 'd'>(HUGE_VAL)),
              std::numeric_limits<unsigned long>::max());
    // a negative value reaches an unsigned target modulo its width, like an integer
    EXPECT_EQ(static_cast<unsigned char>(NumericField<double, 'd'>(-1.5)), 255);
    EXPECT_EQ(static_cast<unsigned int>(NumericField<float, 'f'>(-0.5f)), 0u);
}

TEST(StringField, ShortAndLongEncodings) {
    EXPECT_EQ(typed(ShortString("abc")), python("b's' + struct.pack('>B', 3) + b'abc'"));
    EXPECT_EQ(typed(LongString(std::string("a\0b", 3))), python("b'S' + struct.pack('>I', 3) + b'a\\x00b'"));
    EXPECT_EQ(ShortString("abc").size(), 4u);
    EXPECT_EQ(LongString("abc").size(), 7u);
}

TEST(StringField, DecodingReadsExactlyTheAnnouncedLength) {
    auto empty = decodeAll(unhex("73 00"));
    EXPECT_TRUE(empty->isString());
    EXPECT_EQ(static_cast<const std::string&>(*empty), "");

    std::string bytes = unhex("53 00 00 00 02 68 69 ff");
    ByteBuffer buffer(bytes.data(), bytes.size());
    InBuffer in(buffer);
    auto field = Field::decode(in);
    EXPECT_EQ(static_cast<const std::string&>(*field), "hi");
    EXPECT_EQ(field->typeID(), 'S');
    EXPECT_EQ(in.available(), 1u);
}

TEST(StringField, LengthBeyondTheBufferIsAProtocolError) {
    std::string bytes = unhex("53 00 00 00 0a 61 62 63 64");
    ByteBuffer buffer(bytes.data(), bytes.size());
    InBuffer in(buffer);
    try {
        Field::decode(in);
        FAIL() << "a 10-byte string decoded from 4 bytes";
    } catch (const ProtocolException& e) {
        EXPECT_STREQ(e.what(), "frame out of range");
    }
    // a length that would wrap a careless bounds check
    EXPECT_THROW(decodeAll(unhex("53 ff ff ff ff 61")), ProtocolException);
}

TEST(StringField, ShortStringLongerThan255IsRefusedWhereMade) {
    std::string longest(255, 'x');
    std::string tooLong(256, 'x');
    ShortString fits(longest);
    EXPECT_EQ(typed(fits).size(), 257u);
    EXPECT_EQ(static_cast<unsigned char>(typed(fits)[1]), 255);

    EXPECT_THROW(ShortString{tooLong}, std::runtime_error);
    EXPECT_THROW(ShortString{std::string(tooLong)}, std::runtime_error);
    EXPECT_THROW(ShortString{std::string_view(tooLong)}, std::runtime_error);
    EXPECT_THROW(ShortString{tooLong.c_str()}, std::runtime_error);
    // a long string takes the same text without complaint
    EXPECT_EQ(LongString(tooLong).size(), 260u);
}

TEST(StringField, ConvertsOnlyToString) {
    LongString text("12");
    EXPECT_EQ(static_cast<const char*>(text), nullptr);
    EXPECT_EQ(static_cast<int>(text), 0);
    EXPECT_EQ(static_cast<double>(text), 0.0);
    EXPECT_FALSE(text.isInteger());
    EXPECT_EQ(static_cast<const std::string&>(NumericField<int, 'I'>(5)), "");
}

TEST(BooleanSet, BitsEncodingAndPrinting) {
    BooleanSet bits(true, false, true, false, false, false, false, false);
    EXPECT_EQ(hex(typed(bits)), "74 05");
    EXPECT_EQ(printed(bits), "booleanset(1,0,1,0,0,0,0,0)");
    EXPECT_TRUE(bits.get(2));
    EXPECT_FALSE(bits.get(1));
    EXPECT_FALSE(bits.get(8));
    bits.set(9, true);
    bits.set(8, true);
    EXPECT_EQ(bits.value(), 0x05);
    bits.set(7, true);
    bits.set(0, false);
    EXPECT_EQ(bits.value(), 0x84);
    EXPECT_EQ(static_cast<int>(bits), 0);
    EXPECT_TRUE(bits.isBoolean());

    auto decoded = decodeAll(unhex("74 80"));
    EXPECT_TRUE(static_cast<const BooleanSet&>(*decoded).get(7));
}

TEST(DecimalField, ValueAndEncoding) {
    DecimalField decimal(2, 12345);
    EXPECT_DOUBLE_EQ(static_cast<double>(decimal), 123.45);
    EXPECT_FLOAT_EQ(static_cast<float>(decimal), 123.45f);
    EXPECT_EQ(hex(typed(decimal)), "44 02 00 00 30 39");
    EXPECT_EQ(printed(decimal), "decimal(123.45)");
    auto back = decodeAll(unhex("44 03 ff ff ff ff"));
    EXPECT_TRUE(back->isDecimal());
    EXPECT_DOUBLE_EQ(static_cast<double>(*back), 4294967.295);
}

TEST(VoidField, HoldsNothing) {
    VoidField nothing;
    EXPECT_EQ(hex(typed(nothing)), "56");
    EXPECT_EQ(printed(nothing), "void()");
    EXPECT_TRUE(decodeAll("V")->isVoid());
}

TEST(Field, PrintedForms) {
    EXPECT_EQ(printed(NumericField<int, 'I'>(-7)), "numeric(-7)");
    EXPECT_EQ(printed(NumericField<unsigned char, 'B'>('A')), "numeric(A)");
    EXPECT_EQ(printed(NumericField<double, 'd'>(0.5)), "numeric(0.5)");
    EXPECT_EQ(printed(ShortString("a b")), "string(a b)");
}

TEST(Field, UnknownTypeCodeIsAProtocolError) {
    for (const char* bytes : {"c\x01\x02", "c", "\0", "X"}) {
        std::string input(bytes, std::max<size_t>(1, std::string(bytes).size()));
        ByteBuffer buffer(input.data(), input.size());
        InBuffer in(buffer);
        EXPECT_THROW(Field::decode(in), ProtocolException) << hex(input);
    }
    EXPECT_THROW(decodeAll(""), ProtocolException);
}

TEST(Field, TruncatedValuesAreProtocolErrors) {
    for (const char* bytes : {"49 00 00 00", "64 00", "44 02 00 00", "73 05 61", "74", "4c"})
        EXPECT_THROW(decodeAll(unhex(bytes)), ProtocolException) << bytes;
}

TEST(Field, EveryClassRoundTripsThroughItsWireForm) {
    std::vector<std::unique_ptr<Field>> fields;
    fields.push_back(std::make_unique<NumericField<signed char, 'b'>>(-128));
    fields.push_back(std::make_unique<NumericField<unsigned short, 'u'>>(65535));
    fields.push_back(std::make_unique<NumericField<long, 'L'>>(std::numeric_limits<long>::min()));
    fields.push_back(std::make_unique<NumericField<float, 'f'>>(-0.0f));
    fields.push_back(std::make_unique<NumericField<double, 'd'>>(6.02214076e23));
    fields.push_back(std::make_unique<ShortString>(std::string(255, 'q')));
    fields.push_back(std::make_unique<LongString>(std::string(70000, 'z')));
    fields.push_back(std::make_unique<BooleanSet>(false, true));
    fields.push_back(std::make_unique<DecimalField>(255, 1));
    fields.push_back(std::make_unique<VoidField>());
    for (const auto& field : fields) {
        std::string bytes = typed(*field);
        auto back = decodeAll(bytes);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->typeID(), field->typeID());
        EXPECT_EQ(typed(*back), bytes);
        EXPECT_EQ(printed(*back), printed(*field));
        auto copy = field->clone();
        EXPECT_EQ(typed(*copy), bytes);
    }
}
