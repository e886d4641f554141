// The process-wide lists of classes under display names: entries "name=tail" (the tail is a
// hash class's category or a cipher class's note) with their class objects, in registration
// order. The hash and cipher registries are this template over their class objects.
#pragma once

#include "base/Text.h"
#include "hash/StringFormat.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velkor {

template <class ClassRef> struct TRegistryEntry {
    std::string Text; // display name + "=" + tail
    const ClassRef* Class = nullptr;
};

template <class ClassRef> class TClassRegistry {
public:
    using Entry = TRegistryEntry<ClassRef>;

    const std::vector<Entry>& Entries() const { return FEntries; }

    // False for a null class. The name is trimmed; a blank name is made from the class name
    // without its leading "T" and everything up to its first "_" ("THash_MD5" gives "MD5"). A
    // class registered again has its entry's text replaced in place.
    bool Add(const ClassRef* cls, std::string_view name, std::string_view tail) {
        if (cls == nullptr) return false;
        std::string display(Trim(name));
        if (display.empty()) {
            std::string className = cls->ClassName();
            std::string_view s = className;
            if (!s.empty() && s.front() == 'T') s.remove_prefix(1);
            display = TrimmedClassName(s);
        }
        std::string text = display + "=" + std::string(tail);
        for (auto& entry : FEntries)
            if (entry.Class == cls) {
                entry.Text = std::move(text);
                return true;
            }
        FEntries.push_back({std::move(text), cls});
        return true;
    }

    // Deletes every entry of the class; true when one was deleted.
    bool Remove(const ClassRef* cls) {
        return std::erase_if(FEntries, [&](const Entry& e) { return e.Class == cls; }) != 0;
    }

    // By the class name after its first "_" ("MD5", "THash_MD5"), then by display name, both
    // ignoring letter case; null otherwise.
    const ClassRef* Find(std::string_view name) const {
        if (auto u = name.find('_'); u != std::string_view::npos) name.remove_prefix(u + 1);
        for (const auto& e : FEntries)
            if (SameText(TrimmedClassName(e.Class->ClassName()), name)) return e.Class;
        for (const auto& e : FEntries)
            if (SameText(DisplayName(e), name)) return e.Class;
        return nullptr;
    }

    // The display name, or the class name after its first "_" for a class not registered.
    std::string NameOf(const ClassRef* cls) const {
        if (cls == nullptr) return {};
        if (const Entry* e = EntryOf(cls)) return std::string(DisplayName(*e));
        return TrimmedClassName(cls->ClassName());
    }

    // The first entry of the class, or null.
    const Entry* EntryOf(const ClassRef* cls) const {
        for (const auto& e : FEntries)
            if (e.Class == cls) return &e;
        return nullptr;
    }

private:
    static std::string_view DisplayName(const Entry& e) {
        return std::string_view(e.Text).substr(0, e.Text.find('='));
    }

    std::vector<Entry> FEntries;
};

} // namespace velkor
