// Parses arbitrary bytes as the client's message and asks for its
// recipients and sender: no crash, no read outside the input, and every
// recipient an address.
#include "app/message.h"

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // a copy of exactly the input, so that reads past its end are caught
    std::string text(reinterpret_cast<const char*>(data), size);
    try {
        Tarvex::Message message(text.data(), text.size());
        message.envelope();
        for (const std::string& recipient : message.recipients())
            if (recipient.empty() || recipient.find('@') == std::string::npos) abort();
    } catch (const std::runtime_error&) {
        // a message, or a recipient field, that cannot be parsed is refused
        // with the parser's text
    }
    return 0;
}
