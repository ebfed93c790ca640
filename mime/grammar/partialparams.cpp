#include "mime/grammar/partialparams.h"

#include "mime/grammar/ascii.h"
#include "mime/grammar/param.h"
#include "mime/grammar/paramcharset.h"
#include "mime/grammar/paramdecoder.h"

#include <deque>
#include <exception>
#include <map>
#include <set>
#include <string>

namespace Orvanta::Mime {

void PartialParams::add(std::shared_ptr<Param> section) {
    _pending.push_back(std::move(section));
    ++_count;
}

std::string PartialParams::decode(const std::shared_ptr<Param>& first,
                                  const std::vector<std::shared_ptr<Param>>& rest, bool& replaced) {
    const std::string& raw = first->value();
    // a plain first section names no charset: the encoded sections that
    // follow are read as US-ASCII, as other readers do
    std::string name = "us-ascii";
    size_t start = 0;
    if (first->key().extended()) {
        // a later section that stands first, section 0 missing, need not
        // name a charset, nor need a boundary, which is no text in a charset
        bool required = first->key().section() == 0 && !first->key().matches("boundary", 8);
        ParamCharset charset(raw.data(), raw.size(), required);
        name = charset.charset();
        start = charset.rest();
    }
    std::string out;
    {
        ParamDecoder decoder(out, name.c_str());
        if (first->key().extended())
            decoder.decode(raw.data() + start, raw.size() - start);
        else
            decoder.raw(raw.data(), raw.size());
        for (const auto& section : rest) {
            if (section->key().extended())
                decoder.decode(section->value().data(), section->value().size());
            else
                decoder.raw(section->value().data(), section->value().size());
        }
        decoder.finish();
        replaced = decoder.replaced();
    }
    return out;
}

bool PartialParams::joined(const std::map<size_t, std::deque<size_t>>& sections) {
    size_t expected = 0;
    for (const auto& [number, places] : sections)
        if (number != expected++ || places.size() != 1) return false;
    return true;
}

bool PartialParams::join() {
    // sections by lower-case name: where each of them stood, and by number,
    // each list in text order; a section taken by an earlier parameter is
    // popped from its list
    struct Sections {
        std::vector<size_t> places;
        std::map<size_t, std::deque<size_t>> numbers;
    };
    std::map<std::string, Sections> byName;
    std::vector<std::string> names(_pending.size());
    for (size_t i = 0; i < _pending.size(); ++i) {
        for (char c : _pending[i]->name())
            names[i] += Ascii::toLower(c);
        Sections& name = byName[names[i]];
        name.places.push_back(i);
        name.numbers[_pending[i]->key().section()].push_back(i);
    }
    bool whole = true;
    // Names whose sections make no whole (a number twice, a gap), which
    // readers join each their own way: the first parameter of such a name
    // is written back as all its sections stood, and the others not at all.
    std::set<std::string> unjoined;
    for (size_t i = 0; i < _pending.size(); ++i) {
        if (!_pending[i]) continue;
        Sections& name = byName[names[i]];
        auto& sections = name.numbers;
        // section 0, or when a sender numbered from a later one, the lowest:
        // dropping its sections would lose the value unseen
        size_t lowest = sections.begin()->first;
        if (_pending[i]->key().section() != lowest) continue;
        bool covered = unjoined.count(names[i]) > 0;
        bool makesWhole = covered || joined(sections);
        sections[lowest].pop_front(); // this one: the first untaken of them
        // taken from the pending sections once the parameter is made, so
        // that those of its name are still there to be written with it
        std::shared_ptr<Param> first = _pending[i];
        std::vector<std::shared_ptr<Param>> rest;
        // where each section stood in the text, first the first
        std::vector<size_t> places{i};
        for (size_t n = lowest + 1;; ++n) {
            auto found = sections.find(n);
            if (found == sections.end() || found->second.empty()) break;
            places.push_back(found->second.front());
            rest.push_back(_pending[found->second.front()]);
            found->second.pop_front();
        }
        try {
            std::string value;
            bool encoded = first->key().extended();
            for (const auto& section : rest)
                encoded = encoded || section->key().extended();
            bool replaced = false;
            if (encoded) {
                value = decode(first, rest, replaced);
            } else {
                value = first->value();
                for (const auto& section : rest)
                    value += section->value();
            }
            // every section of the name, when they make no whole (those not
            // taken by a parameter of the name left out before); gathered
            // only for a value that could be made, so that each name's
            // sections are walked for one parameter, not for each one that
            // fails
            std::vector<std::shared_ptr<Param>> every;
            if (!makesWhole) {
                for (size_t k : name.places)
                    if (_pending[k]) every.push_back(_pending[k]);
            }
            // bytes that did not convert are kept in the sections as they
            // stood, in the order they stood (a reader may join them in
            // that order): written again from the value they would be lost
            if (replaced && every.empty()) {
                std::map<size_t, std::shared_ptr<Param>> byPlace{{places[0], first}};
                for (size_t k = 0; k < rest.size(); ++k)
                    byPlace[places[k + 1]] = rest[k];
                for (auto& [place, section] : byPlace)
                    every.push_back(std::move(section));
            }
            std::vector<std::string> kept;
            for (const auto& section : every)
                kept.insert(kept.end(), section->kept().begin(), section->kept().end());
            _params->push_back(
                std::make_shared<Param>(first->key().plain(), std::move(value), std::move(kept), covered));
            // only once written: after one left out, the next of the name
            // writes the sections still there
            if (!makesWhole) unjoined.insert(names[i]);
        } catch (const std::exception&) {
            // no charset, no language or text beyond ASCII in an unknown
            // charset: the parameter and its sections are left out, as a
            // bad parameter would be
            whole = false;
        }
        for (size_t place : places)
            _pending[place].reset();
    }
    for (size_t i = 0; i < _pending.size(); ++i)
        if (_pending[i] && unjoined.count(names[i]) == 0) whole = false; // a section after a gap
    _pending.clear();
    _count = 0;
    return whole;
}

} // namespace Orvanta::Mime
