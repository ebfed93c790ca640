// The fourteen content properties of an AMQP basic message with the two flag
// bytes that say which of them are present, and their property-list wire form.
#pragma once

#include <cstdint>
#include <string>

#include "amqp/values/booleanset.h"
#include "amqp/values/numericfield.h"
#include "amqp/values/stringfield.h"
#include "amqp/values/table.h"

namespace AMQP {

class InBuffer;
class OutBuffer;

class MetaData {
public:
    MetaData() = default;
    MetaData(const MetaData& other) = default;
    // reads a property list; throws ProtocolException when it is short
    explicit MetaData(InBuffer& buffer);
    MetaData& operator=(const MetaData& other) = default;
    virtual ~MetaData() = default;

    // takes over the flags and every property of other
    void set(const MetaData& other) { *this = other; }

    bool hasContentType() const { return _bools1.get(7); }
    bool hasContentEncoding() const { return _bools1.get(6); }
    bool hasHeaders() const { return _bools1.get(5); }
    bool hasDeliveryMode() const { return _bools1.get(4); }
    bool hasPriority() const { return _bools1.get(3); }
    bool hasCorrelationID() const { return _bools1.get(2); }
    bool hasReplyTo() const { return _bools1.get(1); }
    bool hasExpiration() const { return _bools1.get(0); }
    bool hasMessageID() const { return _bools2.get(7); }
    bool hasTimestamp() const { return _bools2.get(6); }
    bool hasTypeName() const { return _bools2.get(5); }
    bool hasUserID() const { return _bools2.get(4); }
    bool hasAppID() const { return _bools2.get(3); }
    bool hasClusterID() const { return _bools2.get(2); }

    // Each setter stores the value and marks it present. The string
    // properties are short strings: a value over 255 bytes is refused with
    // std::runtime_error and nothing changes.
    void setContentType(const std::string& value) { store(_contentType, value, _bools1, 7); }
    void setContentEncoding(const std::string& value) { store(_contentEncoding, value, _bools1, 6); }
    void setHeaders(const Table& value) { store(_headers, value, _bools1, 5); }
    void setDeliveryMode(uint8_t value) { store(_deliveryMode, Octet(value), _bools1, 4); }
    void setPriority(uint8_t value) { store(_priority, Octet(value), _bools1, 3); }
    void setCorrelationID(const std::string& value) { store(_correlationID, value, _bools1, 2); }
    void setReplyTo(const std::string& value) { store(_replyTo, value, _bools1, 1); }
    void setExpiration(const std::string& value) { store(_expiration, value, _bools1, 0); }
    void setMessageID(const std::string& value) { store(_messageID, value, _bools2, 7); }
    void setTimestamp(uint64_t value) { store(_timestamp, Timestamp(value), _bools2, 6); }
    void setTypeName(const std::string& value) { store(_typeName, value, _bools2, 5); }
    void setUserID(const std::string& value) { store(_userID, value, _bools2, 4); }
    void setAppID(const std::string& value) { store(_appID, value, _bools2, 3); }
    void setClusterID(const std::string& value) { store(_clusterID, value, _bools2, 2); }

    // the stored values; absent ones are empty or 0
    const std::string& contentType() const { return _contentType.value(); }
    const std::string& contentEncoding() const { return _contentEncoding.value(); }
    const Table& headers() const { return _headers; }
    uint8_t deliveryMode() const { return _deliveryMode.value(); }
    uint8_t priority() const { return _priority.value(); }
    const std::string& correlationID() const { return _correlationID.value(); }
    const std::string& replyTo() const { return _replyTo.value(); }
    const std::string& expiration() const { return _expiration.value(); }
    const std::string& messageID() const { return _messageID.value(); }
    uint64_t timestamp() const { return _timestamp.value(); }
    const std::string& typeName() const { return _typeName.value(); }
    const std::string& userID() const { return _userID.value(); }
    const std::string& appID() const { return _appID.value(); }
    const std::string& clusterID() const { return _clusterID.value(); }

    // bytes that fill() writes: the two flag bytes and every present value
    uint32_t size() const;
    void fill(OutBuffer& buffer) const;

private:
    // builds the field first, so a refused value leaves flag and property alone
    template <typename F, typename V>
    static void store(F& field, const V& value, BooleanSet& flags, unsigned int bit) {
        field = F(value);
        flags.set(bit, true);
    }

    BooleanSet _bools1;
    BooleanSet _bools2;
    ShortString _contentType;
    ShortString _contentEncoding;
    Table _headers;
    Octet _deliveryMode;
    Octet _priority;
    ShortString _correlationID;
    ShortString _replyTo;
    ShortString _expiration;
    ShortString _messageID;
    Timestamp _timestamp;
    ShortString _typeName;
    ShortString _userID;
    ShortString _appID;
    ShortString _clusterID;
};

} // namespace AMQP
