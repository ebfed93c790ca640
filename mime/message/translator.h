// A filter that turns a body from one transfer encoding into another: it
// builds and owns the chain of decoder and encoder stages in front of the
// sink. Destroying it (or finish()) flushes every stage, input end first.
#pragma once

#include "filter/filter.h"
#include "mime/message/contenttransferencoding.h"

#include <memory>
#include <vector>

namespace Orvanta::Mime {

class Translator : public Filter::Filter {
public:
    // `terminate` false: a text that does not end with a line end is left
    // so (the base64 encoder still ends its lines), for a writer that puts a
    // line end of its own after it
    Translator(const ContentTransferEncoding& from, const ContentTransferEncoding& to, Filter::Result* sink,
               bool terminate = true);
    Translator(const Translator&) = delete;
    Translator& operator=(const Translator&) = delete;
    ~Translator() override;

    // Ends the stream: every stage writes what it still holds (a final line
    // end, the last base64 group). Returns every byte that reached the sink,
    // those included, which is what a caller that limits or signs the output
    // must count. Nothing may be written after it.
    size_t finish();

private:
    // puts one more stage in front of the chain
    template <typename Stage, typename... Args>
    void add(Args&&... args);

    // counts what reaches the sink, also from the stages' destructors
    class Tally : public Orvanta::Filter::Filter {
    public:
        using Filter::Filter;
        using Filter::process;
        size_t process(const char* data, size_t size, bool persistent) override;
        size_t total() const { return _total; }

    private:
        size_t _total = 0;
    };

    Tally _tally;
    std::vector<std::unique_ptr<Orvanta::Filter::Filter>> _stages;
};

} // namespace Orvanta::Mime
