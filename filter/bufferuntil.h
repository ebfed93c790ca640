// Splits a stream into words at delimiter bytes and delivers each word in
// one push, even when it arrives in pieces.
#pragma once

#include "filter/buffersize.h"
#include "filter/byteset.h"
#include "filter/filter.h"

#include <string>

namespace Orvanta::Filter {

class BufferUntil : public Filter {
public:
    // The delimiters (a zero-terminated text, the zero byte included) must
    // outlive the filter.
    BufferUntil(Result* next, const char* delimiters);
    // Delivers the held word.
    ~BufferUntil() override;

    using Filter::process;
    size_t process(const char* data, size_t size, bool persistent) override;
    // Delivers the held word, then flushes the next stage.
    size_t flush() override;
    // Adds bytes to the held word as they stand: delimiters among them
    // neither split the word nor leave it.
    void hold(const char* data, size_t size);

    const std::string& word() const { return _word; }
    const BufferSize& wordSize() const { return _wordSize; }

private:
    size_t pushWord();

    std::string _word;
    BufferSize _wordSize;
    ByteSet _delimiters;
};

} // namespace Orvanta::Filter
