#include "toolbox/getopt.h"

namespace Orvanta::Toolbox {

GetOpt::GetOpt(const std::map<std::string, std::string>& values, const std::map<std::string, bool>& flags) {
    // reserved up front, so the names never move and their pointers stay valid
    _names.reserve(values.size() + flags.size());
    _descriptors.reserve(values.size() + flags.size() + 1);
    for (auto& entry : values) {
        _names.push_back(entry.first);
        _descriptors.push_back({_names.back().c_str(), required_argument, nullptr, 0});
    }
    for (auto& entry : flags) {
        _names.push_back(entry.first);
        _descriptors.push_back({_names.back().c_str(), no_argument, nullptr, 0});
    }
    _descriptors.push_back({nullptr, 0, nullptr, 0});
}

} // namespace Orvanta::Toolbox
