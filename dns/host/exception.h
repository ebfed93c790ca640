// The exceptions of the host-name and DNS layer: a message plus a type code
// that tells callers whether a failure is worth retrying.
#pragma once

#include <stdexcept>
#include <string>

struct addrinfo;

namespace Orvanta::Dns {

class Exception : public std::runtime_error {
public:
    // Type codes shared by every kind; no kind yields 3.
    static constexpr int temporaryFailure = 1;
    static constexpr int timedOut = 2;
    static constexpr int notFound = 4;
    static constexpr int noData = 5;
    static constexpr int systemError = 6;
    static constexpr int otherFailure = 7;

    Exception(const std::string& message, int type);
    ~Exception() override;

    const char* what() const noexcept override;
    virtual int type() const;
    virtual bool temporary() const;
    virtual bool nxdomain() const;

protected:
    int _type;
};

// A DNS response code other than NOERROR.
class RcodeException : public Exception {
public:
    explicit RcodeException(int rcode);

    int rcode() const { return _rcode; }
    int type() const override;
    bool temporary() const override;
    bool nxdomain() const override;

private:
    int _rcode;
};

class TimeoutException : public Exception {
public:
    TimeoutException();

    bool temporary() const override;
};

// A getaddrinfo or getnameinfo failure.
class GaiException : public Exception {
public:
    // Takes over `list` (may be null) and releases it.
    GaiException(int code, addrinfo* list);

    int code() const { return _code; }
    int type() const override;
    bool temporary() const override;
    bool nxdomain() const override;

private:
    int _code;
};

// A libidn conversion failure, with libidn's text for the code.
class IdnException : public Exception {
public:
    explicit IdnException(int code);
};

} // namespace Orvanta::Dns
