// The option descriptors of one command-line parse: value options first,
// then flag options, closed by an all-zero entry.
#pragma once

#include <getopt.h>
#include <map>
#include <string>
#include <vector>

namespace Orvanta::Toolbox {

class GetOpt {
public:
    GetOpt(const std::map<std::string, std::string>& values, const std::map<std::string, bool>& flags);
    GetOpt(const GetOpt&) = delete;
    GetOpt& operator=(const GetOpt&) = delete;

    const struct option* descriptors() const { return _descriptors.data(); }

private:
    // The descriptors point into these copies of the names.
    std::vector<std::string> _names;
    std::vector<struct option> _descriptors;
};

} // namespace Orvanta::Toolbox
