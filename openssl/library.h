// The process's one OpenSSL library, opened at run time on first use, with
// the start-up and locking that a library of the 1.0 series needs.
#pragma once

#include "dynamic/library.h"

#include <mutex>
#include <vector>

namespace Orvanta::OpenSSL {

// the shared-object names tried in this order; writable so that a program
// can point the search elsewhere before the first use
extern const char* versions[];

class Library : public Dynamic::Library {
public:
    Library();
    ~Library() override;

    // true when the opened library belongs to the 1.0 series
    bool oldApi() const { return _oldApi; }

private:
    void cleanUp() noexcept;

    std::vector<std::mutex> _locks;
    bool _oldApi = false;
};

// built on the first call, kept until exit
Library& library();

bool valid();
void* handle();
bool supportsDane();

// the locking callback handed to a 1.0 library
void do_lock(int mode, int n, const char* file, int line);

} // namespace Orvanta::OpenSSL
