#include "mime/grammar/partialparams.h"

#include "mime/grammar/ascii.h"
#include "mime/grammar/param.h"
#include "mime/grammar/paramcharset.h"
#include "mime/grammar/paramdecoder.h"

#include <exception>
#include <map>
#include <string>
#include <unordered_map>

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

bool PartialParams::joined(const std::map<size_t, Places>& sections) {
    size_t expected = 0;
    for (const auto& [number, places] : sections)
        if (number != expected++ || places.left() != 1) return false;
    return true;
}

bool PartialParams::join() {
    // sections by lower-case name: where each of them stood, and by number;
    // a section taken by an earlier parameter counts as taken in its list
    struct Sections {
        std::vector<size_t> places;
        std::map<size_t, Places> numbers;
        // The sections make no whole (a number twice, a gap), which
        // readers join each their own way: the first parameter of such a
        // name is written back as all its sections stood, and the others
        // not at all. Set once that one is written.
        bool unjoined = false;
    };
    std::unordered_map<std::string, Sections> byName(_pending.size());
    // each pending section's name (the map keeps its elements in place)
    std::vector<Sections*> of(_pending.size());
    for (size_t i = 0; i < _pending.size(); ++i) {
        std::string name;
        for (char c : _pending[i]->name())
            name += Ascii::toLower(c);
        of[i] = &byName[name];
        of[i]->places.push_back(i);
        of[i]->numbers[_pending[i]->key().section()].at.push_back(i);
    }
    bool whole = true;
    for (size_t i = 0; i < _pending.size(); ++i) {
        if (!_pending[i]) continue;
        Sections& name = *of[i];
        auto& sections = name.numbers;
        // section 0, or when a sender numbered from a later one, the lowest:
        // dropping its sections would lose the value unseen
        size_t lowest = sections.begin()->first;
        if (_pending[i]->key().section() != lowest) continue;
        bool covered = name.unjoined;
        bool makesWhole = covered || joined(sections);
        ++sections[lowest].taken; // this one: the first untaken of them
        // taken from the pending sections once the parameter is made, so
        // that those of its name are still there to be written with it
        std::shared_ptr<Param> first = _pending[i];
        std::vector<std::shared_ptr<Param>> rest;
        // where each section stood in the text, first the first
        std::vector<size_t> places{i};
        for (size_t n = lowest + 1;; ++n) {
            auto found = sections.find(n);
            if (found == sections.end() || found->second.left() == 0) break;
            size_t place = found->second.at[found->second.taken++];
            places.push_back(place);
            rest.push_back(_pending[place]);
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
            if (!makesWhole) name.unjoined = true;
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
        if (_pending[i] && !of[i]->unjoined) whole = false; // a section after a gap
    _pending.clear();
    _count = 0;
    return whole;
}

} // namespace Orvanta::Mime
