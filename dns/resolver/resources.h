// The records of one lookup, collected by type: the handler handed to the
// blocking query. Records that cannot be read as `Type` are skipped.
#pragma once

#include "dns/resolver/handler.h"
#include "dns/wire/dkimrecord.h"
#include "dns/wire/message.h"

#include <arpa/nameser.h>
#include <vector>

namespace Orvanta::Dns {

template <typename Type, ns_type type>
class Resources : public DNS::Handler {
public:
    // in answer order
    const std::vector<Type>& records() const { return _records; }
    // the lookup timed out
    bool timeout() const { return _timeout; }
    // the response code of a failed lookup, 0 otherwise
    int rcode() const { return _rcode; }

    void onResolved(const DNS::Operation*, const DNS::Response& response) override {
        size_t count = response.records(ns_s_an);
        for (size_t index = 0; index < count; ++index) {
            try {
                _records.emplace_back(response, int(index));
            } catch (...) {
                // a CNAME on the way, an unreadable or foreign record
            }
        }
    }
    void onFailure(const DNS::Operation*, int rcode) override { _rcode = rcode; }
    void onTimeout(const DNS::Operation*) override { _timeout = true; }

private:
    std::vector<Type> _records;
    bool _timeout = false;
    int _rcode = 0;
};

class DkimRecords : public Resources<DkimRecord, ns_t_txt> {};

} // namespace Orvanta::Dns
