#include "amqp/values/metadata.h"

#include "amqp/buffers/inbuffer.h"
#include "amqp/buffers/outbuffer.h"

namespace AMQP {

MetaData::MetaData(InBuffer& buffer) : _bools1(buffer), _bools2(buffer) {
    // Bit 0 of the second byte would announce further flag words; the basic
    // class has no properties there, so none are read.
    if (hasContentType()) _contentType = ShortString(buffer);
    if (hasContentEncoding()) _contentEncoding = ShortString(buffer);
    if (hasHeaders()) _headers = Table(buffer);
    if (hasDeliveryMode()) _deliveryMode = Octet(buffer);
    if (hasPriority()) _priority = Octet(buffer);
    if (hasCorrelationID()) _correlationID = ShortString(buffer);
    if (hasReplyTo()) _replyTo = ShortString(buffer);
    if (hasExpiration()) _expiration = ShortString(buffer);
    if (hasMessageID()) _messageID = ShortString(buffer);
    if (hasTimestamp()) _timestamp = Timestamp(buffer);
    if (hasTypeName()) _typeName = ShortString(buffer);
    if (hasUserID()) _userID = ShortString(buffer);
    if (hasAppID()) _appID = ShortString(buffer);
    if (hasClusterID()) _clusterID = ShortString(buffer);
}

uint32_t MetaData::size() const {
    size_t size = 2;
    if (hasContentType()) size += _contentType.size();
    if (hasContentEncoding()) size += _contentEncoding.size();
    if (hasHeaders()) size += _headers.size();
    if (hasDeliveryMode()) size += _deliveryMode.size();
    if (hasPriority()) size += _priority.size();
    if (hasCorrelationID()) size += _correlationID.size();
    if (hasReplyTo()) size += _replyTo.size();
    if (hasExpiration()) size += _expiration.size();
    if (hasMessageID()) size += _messageID.size();
    if (hasTimestamp()) size += _timestamp.size();
    if (hasTypeName()) size += _typeName.size();
    if (hasUserID()) size += _userID.size();
    if (hasAppID()) size += _appID.size();
    if (hasClusterID()) size += _clusterID.size();
    return static_cast<uint32_t>(size);
}

void MetaData::fill(OutBuffer& buffer) const {
    _bools1.fill(buffer);
    _bools2.fill(buffer);
    if (hasContentType()) _contentType.fill(buffer);
    if (hasContentEncoding()) _contentEncoding.fill(buffer);
    if (hasHeaders()) _headers.fill(buffer);
    if (hasDeliveryMode()) _deliveryMode.fill(buffer);
    if (hasPriority()) _priority.fill(buffer);
    if (hasCorrelationID()) _correlationID.fill(buffer);
    if (hasReplyTo()) _replyTo.fill(buffer);
    if (hasExpiration()) _expiration.fill(buffer);
    if (hasMessageID()) _messageID.fill(buffer);
    if (hasTimestamp()) _timestamp.fill(buffer);
    if (hasTypeName()) _typeName.fill(buffer);
    if (hasUserID()) _userID.fill(buffer);
    if (hasAppID()) _appID.fill(buffer);
    if (hasClusterID()) _clusterID.fill(buffer);
}

} // namespace AMQP
