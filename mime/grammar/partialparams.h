// Collects the RFC 2231 sections of a parameter list while it is parsed and
// joins them, in an explicit last step, into whole parameters.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace Orvanta::Mime {

class Param;

class PartialParams {
public:
    explicit PartialParams(std::vector<std::shared_ptr<Param>>* params) : _params(params) {}

    void add(std::shared_ptr<Param> section);
    // appends every parameter that has a section 0 and joins its continuations
    // 1, 2, ... up to the first gap; sections left over are dropped
    void join();

    // the value of section 0 joined with its continuations, one of them
    // extended
    static std::string decode(const std::shared_ptr<Param>& first,
                              const std::vector<std::shared_ptr<Param>>& rest);

private:
    std::vector<std::shared_ptr<Param>>* _params;
    std::vector<std::shared_ptr<Param>> _pending;
    size_t _count = 0;
};

} // namespace Orvanta::Mime
