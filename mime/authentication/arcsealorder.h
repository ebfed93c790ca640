// Where the ARC sets of a header stand: for every instance the positions of
// its ARC-Authentication-Results, ARC-Message-Signature and ARC-Seal lines.
// Building it checks that the sets run from 1 without gaps, that each is
// whole and that no instance is given twice.
#pragma once

#include <cstddef>
#include <vector>

namespace Orvanta::Mime {

class Header;
class Line;

class ArcSealOrder {
public:
    // a chain longer than this is refused
    static constexpr int limit = 50;

    // Throws std::runtime_error "arc header contains invalid instance
    // identifier", "two arc headers have the same istance identifier", "we
    // miss a header in the arc header set", and what the value parsers throw.
    // The header must outlive the order and stay unchanged while it is used.
    explicit ArcSealOrder(const Header& header);

    // the number of sets (the highest instance), 0 without ARC lines
    size_t size() const { return _results.size(); }
    // positions in the header's lines of the three lines of instance i (1..size)
    size_t results(int instance) const { return static_cast<size_t>(_results.at(instance - 1)); }
    size_t signature(int instance) const { return static_cast<size_t>(_signatures.at(instance - 1)); }
    size_t seal(int instance) const { return static_cast<size_t>(_seals.at(instance - 1)); }
    const Header& header() const { return *_header; }

private:
    void place(std::vector<int>& table, int instance, size_t position);

    const Header* _header;
    std::vector<int> _results;
    std::vector<int> _signatures;
    std::vector<int> _seals;
};

} // namespace Orvanta::Mime
