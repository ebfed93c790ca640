// An iterator over the parts of a multipart body, giving each part's Object.
#pragma once

#include <memory>
#include <vector>

namespace Orvanta::Mime {

class Object;

class BodyIterator {
public:
    using Parts = std::vector<std::shared_ptr<Object>>;

    explicit BodyIterator(Parts::iterator it) : _it(it) {}

    Object& operator*() const { return **_it; }
    Object* operator->() const { return _it->get(); }
    BodyIterator& operator++() {
        ++_it;
        return *this;
    }
    bool operator==(const BodyIterator& other) const { return _it == other._it; }
    bool operator!=(const BodyIterator& other) const { return _it != other._it; }

private:
    Parts::iterator _it;
};

} // namespace Orvanta::Mime
