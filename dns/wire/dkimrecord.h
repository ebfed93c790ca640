// A DKIM key record (v=, k=, s=, h=, p=, t=) read from a TXT answer; a tag
// that is absent stays empty.
#pragma once

#include "dns/wire/txtrecord.h"

#include <string>

namespace Orvanta::Dns {

class DkimRecord : public TxtRecord {
public:
    // Mismatch(16, 16) when v= is present and not "DKIM1".
    DkimRecord(const DNS::Message& message, int index);

    const std::string& v() const { return _v; }
    const std::string& k() const { return _k; }
    const std::string& s() const { return _s; }
    const std::string& h() const { return _h; }
    const std::string& p() const { return _p; }
    const std::string& t() const { return _t; }
    // a tag named twice, which makes the whole record invalid (RFC 6376
    // 3.2), or empty
    const std::string& repeated() const { return _repeated; }
    // a piece between semicolons that is no tag=value, which makes the
    // record no tag list (RFC 6376 3.2), or empty; an empty piece (";;", a
    // final ";") is none
    const std::string& untagged() const { return _untagged; }

private:
    void parse();

    std::string _v, _k, _s, _h, _p, _t;
    std::string _repeated;
    std::string _untagged;
};

} // namespace Orvanta::Dns
