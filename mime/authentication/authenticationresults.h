// The value of an Authentication-Results header field: the identifier of the
// authentication service, an optional version and the method results, or
// "none". Written back in a normalised form.
#pragma once

#include "mime/authentication/authenticationresult.h"
#include "mime/grammar/headerfield.h"

#include <cstddef>
#include <string>
#include <vector>

namespace Orvanta::Dns {
class Context;
struct SpfStatus;
} // namespace Orvanta::Dns

namespace Orvanta::Mime {

class ArcStatus;
class DkimSignature;
class DkimSignatures;
class DkimStatus;
class Object;
struct DmarcStatus;

class AuthenticationResults : public HeaderField {
public:
    // no results yet
    explicit AuthenticationResults(std::string id) : _id(std::move(id)) {}
    // Strict refuses a result that does not parse, a value without results
    // that does not say "none" and text after that "none"; lenient skips bad
    // results and ignores what follows "none". Failures are
    // std::runtime_error.
    AuthenticationResults(const char* data, size_t size, bool strict);

    const std::string& id() const { return _id; }
    int version() const { return _version; }
    const std::vector<AuthenticationResult>& results() const { return _results; }
    void add(AuthenticationResult result) { _results.push_back(std::move(result)); }
    // One entry per check: the method, its result word, a reason when it
    // failed, and the properties that name what was checked.
    void add(const DmarcStatus& status);
    void add(const ArcStatus& status);
    void add(const DkimStatus& status);
    void add(const Dns::SpfStatus& status);
    // checks the signature with its key records fetched through the context
    void add(const Dns::Context& context, const Object& message, const DkimSignature& signature);
    void add(const Dns::Context& context, const Object& message, const DkimSignatures& signatures);

    // No comment stood in the text and no result was skipped: the writer
    // writes no comments, which readers read as part of the value.
    bool whole() const override { return _whole; }

    using HeaderField::encode;
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;
    size_t encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const override;
    size_t encode(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const override;

private:
    std::string _id;
    int _version = 1;
    std::vector<AuthenticationResult> _results;
    bool _whole = true;
};

} // namespace Orvanta::Mime
