#include "dns/wire/dkimrecord.h"

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
    // tag=value pairs separated by ';'. A piece without '=' runs into the
    // next tag, whose name then is not a known one.
    const std::string& text = this->text();
    std::set<std::string> seen;
    size_t at = 0;
    while (at < text.size()) {
        size_t equals = text.find('=', at);
        if (equals == std::string::npos) return;
        std::string tag = trimmed(text.substr(at, equals - at));
        size_t end = text.find(';', equals + 1);
        std::string value =
            trimmed(text.substr(equals + 1, end == std::string::npos ? end : end - equals - 1));
        at = end == std::string::npos ? text.size() : end + 1;
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
