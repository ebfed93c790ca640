#include "dns/host/exception.h"

#include "dns/host/libidn.h"

#include <cerrno>
#include <cstring>
#include <netdb.h>

namespace Orvanta::Dns {

Exception::Exception(const std::string& message, int type) : std::runtime_error(message), _type(type) {}

Exception::~Exception() = default;

const char* Exception::what() const noexcept {
    return std::runtime_error::what();
}

int Exception::type() const {
    return _type;
}

bool Exception::temporary() const {
    return false;
}

bool Exception::nxdomain() const {
    return false;
}

namespace {

const char* rcodeMessage(int rcode) {
    switch (rcode) {
    case 1:
        return "rcode 1 (FORMERR): Format Error";
    case 2:
        return "rcode 2 (SERVFAIL): Server Failure";
    case 3:
        return "rcode 3 (NXDOMAIN): Non-Existent Domain";
    case 4:
        return "rcode 4 (NOTIMP): Not Implemented";
    case 5:
        return "rcode 5 (REFUSED): Query Refused";
    case 6:
        return "rcode 6 (YXDOMAIN): Name Exists when it should not";
    case 7:
        return "rcode 7 (YXRRSET): RR Set Exists when it should not";
    case 8:
        return "rcode 8 (NXRRSET): RR Set that should exist does not";
    case 9:
        return "rcode 9 (NOTAUTH): Server Not Authoritative for zone";
    case 10:
        return "rcode 10 (NOTZONE): Name not contained in zone";
    default:
        return "Unknown error: Rcode unknown";
    }
}

std::string gaiMessage(int code) {
    // errno still holds the cause: nothing ran since the failing call
    if (code == EAI_SYSTEM) return std::strerror(errno);
    return gai_strerror(code);
}

} // namespace

RcodeException::RcodeException(int rcode) : Exception(rcodeMessage(rcode), otherFailure), _rcode(rcode) {}

int RcodeException::type() const {
    switch (_rcode) {
    case 2:
        return temporaryFailure;
    case 3:
        return notFound;
    case 9:
    case 10:
        return noData;
    default:
        return otherFailure;
    }
}

bool RcodeException::temporary() const {
    return _rcode == 2;
}

bool RcodeException::nxdomain() const {
    return _rcode == 3;
}

TimeoutException::TimeoutException() : Exception("DNS request timeout", timedOut) {}

bool TimeoutException::temporary() const {
    return true;
}

GaiException::GaiException(int code, addrinfo* list)
    : Exception(gaiMessage(code), otherFailure), _code(code) {
    if (list) freeaddrinfo(list);
}

int GaiException::type() const {
    switch (_code) {
    case EAI_SYSTEM:
        return systemError;
    case EAI_NODATA:
        return noData;
    case EAI_AGAIN:
        return temporaryFailure;
    case EAI_NONAME:
        return notFound;
    default:
        return otherFailure;
    }
}

bool GaiException::temporary() const {
    return _code == EAI_AGAIN;
}

bool GaiException::nxdomain() const {
    return _code == EAI_NONAME;
}

namespace {

std::string idnMessage(int code) {
    const char* text = LibIDN::idna_strerror(code);
    return text ? text : "Unknown error";
}

} // namespace

IdnException::IdnException(int code) : Exception(idnMessage(code), otherFailure) {}

} // namespace Orvanta::Dns
