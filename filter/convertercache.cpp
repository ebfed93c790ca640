#include "filter/convertercache.h"

#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace Orvanta::Filter {

namespace {

const iconv_t none = reinterpret_cast<iconv_t>(-1);

// Charset names come from the text: only so many descriptors are kept, a
// few per pair (one for each thread that converts at the same time, as a
// rule), and a pair iconv does not know keeps none.
constexpr size_t most = 256;
constexpr size_t perPair = 8;

struct Kept {
    std::mutex lock;
    std::map<std::pair<std::string, std::string>, std::vector<iconv_t>> idle;
    size_t count = 0;
};

// never destroyed: a converter may be given back while the program ends
Kept& kept() {
    static Kept* cache = new Kept;
    return *cache;
}

} // namespace

iconv_t ConverterCache::take(const std::string& to, const std::string& from) {
    Kept& cache = kept();
    {
        std::lock_guard<std::mutex> guard(cache.lock);
        auto found = cache.idle.find({to, from});
        if (found != cache.idle.end() && !found->second.empty()) {
            iconv_t descriptor = found->second.back();
            found->second.pop_back();
            --cache.count;
            return descriptor;
        }
    }
    return iconv_open(to.c_str(), from.c_str());
}

void ConverterCache::give(const std::string& to, const std::string& from, iconv_t descriptor) {
    if (descriptor == none) return;
    // the shift states of reader and writer back to their initial ones
    if (iconv(descriptor, nullptr, nullptr, nullptr, nullptr) == 0) {
        Kept& cache = kept();
        std::lock_guard<std::mutex> guard(cache.lock);
        auto found = cache.idle.find({to, from});
        if (found == cache.idle.end() && cache.idle.size() < most)
            found = cache.idle.emplace(std::make_pair(to, from), std::vector<iconv_t>()).first;
        if (found != cache.idle.end() && cache.count < most && found->second.size() < perPair) {
            found->second.push_back(descriptor);
            ++cache.count;
            return;
        }
    }
    iconv_close(descriptor);
}

} // namespace Orvanta::Filter
