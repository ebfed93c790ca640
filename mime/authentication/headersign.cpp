// Header's methods on signatures and results: the DKIM-Signature and
// Authentication-Results lines a signer or a checker adds, and the order of
// the DKIM-Signature lines, kept beside the classes they take.
#include "mime/authentication/authenticationresults.h"
#include "mime/authentication/dkimheader.h"
#include "mime/authentication/dkimsignature.h"
#include "mime/message/header.h"

#include <algorithm>
#include <string>
#include <vector>

namespace Orvanta::Mime {

void Header::prepend(const DkimHeader& header) {
    std::string text = std::string(DkimHeader::name) + ": " + header.text() + "\r\n";
    insert(0, preserve(text.data(), text.size()));
}

void Header::prepend(const AuthenticationResults& results) {
    prepend("Authentication-Results", results);
}

void Header::sort(const std::function<bool(const DkimSignature&, const DkimSignature&)>& less) {
    std::vector<size_t> positions;
    std::vector<DkimSignature> signatures;
    for (size_t i = 0; i < _lines.size(); ++i) {
        if (!_lines[i].key.containsDkimSignature()) continue;
        try {
            signatures.emplace_back(_lines[i].value.data(), _lines[i].value.size(), true, false);
            positions.push_back(i);
        } catch (const std::exception&) {
            // a value that does not parse keeps its place
        }
    }
    std::vector<size_t> order(positions.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return less(signatures[a], signatures[b]); });
    std::vector<Line> copy = _lines;
    for (size_t i = 0; i < positions.size(); ++i)
        _lines[positions[i]] = copy[positions[order[i]]];
}

} // namespace Orvanta::Mime
