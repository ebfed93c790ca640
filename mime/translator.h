// A filter that turns a body from one transfer encoding into another: it
// builds and owns the chain of decoder and encoder stages in front of the
// sink. Destroying it flushes every stage, input end first.
#pragma once

#include "filter/filter.h"
#include "mime/contenttransferencoding.h"

#include <memory>
#include <vector>

namespace Orvanta::Mime {

class Translator : public Filter::Filter {
public:
    Translator(ContentTransferEncoding const& from, ContentTransferEncoding const& to, Filter::Result* sink);
    Translator(Translator const&) = delete;
    Translator& operator=(Translator const&) = delete;
    ~Translator() override;

private:
    // puts one more stage in front of the chain
    template <typename Stage, typename... Args>
    void add(Args&&... args);

    std::vector<std::unique_ptr<Orvanta::Filter::Filter>> _stages;
};

} // namespace Orvanta::Mime
