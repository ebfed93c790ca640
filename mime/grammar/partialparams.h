// Collects the RFC 2231 sections of a parameter list while it is parsed and
// joins them, in an explicit last step, into whole parameters.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Orvanta::Mime {

class Param;

class PartialParams {
public:
    explicit PartialParams(std::vector<std::shared_ptr<Param>>* params) : _params(params) {}

    void add(std::shared_ptr<Param> section);
    // appends a parameter for every section 0 (for a name without one, for
    // its lowest section) and joins its continuations 1, 2, ... up to the
    // first gap; where a number stands twice or one is missing (section 0
    // too), the parameter is written back as all the sections of its name
    // stood.
    // False when a joined value could not be decoded (that parameter is left
    // out).
    bool join();

    // the value of the first section (section 0, or the lowest when there is
    // none) joined with its continuations, one of them extended; `replaced`
    // tells whether a byte did not convert
    static std::string decode(const std::shared_ptr<Param>& first,
                              const std::vector<std::shared_ptr<Param>>& rest, bool& replaced);

private:
    // where the sections of one name and number stood, in text order, and
    // how many of them parameters took before
    struct Places {
        std::vector<size_t> at;
        size_t taken = 0;
        size_t left() const { return at.size() - taken; }
    };
    // whether the sections of one name, by number, make a whole: every
    // number from 0 once, none missing
    static bool joined(const std::map<size_t, Places>& sections);

    std::vector<std::shared_ptr<Param>>* _params;
    std::vector<std::shared_ptr<Param>> _pending;
    size_t _count = 0;
};

} // namespace Orvanta::Mime
