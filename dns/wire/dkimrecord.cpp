#include "dns/wire/dkimrecord.h"

#include <algorithm>
#include <set>

namespace Orvanta::Dns {

namespace {

const char* const blanks = " \t\r\n\f\v";

std::string trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

} // namespace

DkimRecord::DkimRecord(const DNS::Message& message, int index) : TxtRecord(message, index) {
    parse();
    if (!_v.empty() && _v != "DKIM1") throw Mismatch(ns_t_txt, ns_t_txt);
}

void DkimRecord::parse() {
    // tag=value pairs separated by ';'. An empty piece (";;", a final ';') is
    // allowed; any other piece without '=' is kept as the reason the record
    // is no tag list.
    const std::string& text = this->text();
    std::set<std::string> seen;
    for (size_t at = 0; at <= text.size();) {
        size_t end = std::min(text.find(';', at), text.size());
        std::string piece = text.substr(at, end - at);
        at = end + 1;
        size_t equals = piece.find('=');
        if (equals == std::string::npos) {
            piece = trimmed(piece);
            if (!piece.empty() && _untagged.empty()) _untagged = piece;
            continue;
        }
        std::string tag = trimmed(piece.substr(0, equals));
        std::string value = trimmed(piece.substr(equals + 1));
        if (!seen.insert(tag).second && _repeated.empty()) _repeated = tag;
        // whole names: "px" is not "p"
        if (tag == "v") {
            _v = value;
        } else if (tag == "k") {
            _k = value;
        } else if (tag == "s") {
            _s = value;
        } else if (tag == "h") {
            _h = value;
        } else if (tag == "p") {
            _p = value;
        } else if (tag == "t") {
            _t = value;
        }
    }
}

} // namespace Orvanta::Dns
