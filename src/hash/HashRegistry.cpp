// The hash registry: entries "name=category" with their classes, in registration order.
#include "hash/HashRegistry.h"

#include "base/Text.h"
#include "hash/HashList.h"
#include "hash/Hashes.h"
#include "hash/StringFormat.h"

#include <algorithm>
#include <cctype>

namespace velkor {

namespace {

std::string_view NamePart(const std::string& text) {
    return std::string_view(text).substr(0, text.find('='));
}

void Add(std::vector<THashRegistryEntry>& entries, THashClass hashClass, std::string_view name,
         std::string_view category) {
    std::string entryName(Trim(name));
    if (entryName.empty()) {
        std::string className = hashClass->ClassName();
        std::string_view s = className;
        if (!s.empty() && s.front() == 'T') s.remove_prefix(1);
        entryName = TrimmedClassName(s);
    }
    std::string text = entryName + "=" + std::string(category);
    for (auto& entry : entries)
        if (entry.Class == hashClass) {
            entry.Text = std::move(text);
            return;
        }
    entries.push_back({std::move(text), hashClass});
}

std::vector<THashRegistryEntry>& Entries() {
    static std::vector<THashRegistryEntry> entries = [] {
        std::vector<THashRegistryEntry> e;
        RegisterBuiltInHashClasses([&e](THashClass c, const char* name, const char* category) {
            Add(e, c, name, category);
        });
        return e;
    }();
    return entries;
}

const THashRegistryEntry* EntryOf(THashClass hashClass) {
    for (const auto& entry : Entries())
        if (entry.Class == hashClass) return &entry;
    return nullptr;
}

} // namespace

const std::vector<THashRegistryEntry>& HashRegistry() {
    return Entries();
}

bool AddHashClass(THashClass hashClass, std::string_view name, std::string_view category) {
    if (hashClass == nullptr) return false;
    Add(Entries(), hashClass, name, category);
    return true;
}

bool RemoveHashClass(THashClass hashClass) {
    auto& entries = Entries();
    auto end = std::remove_if(entries.begin(), entries.end(),
                              [&](const THashRegistryEntry& e) { return e.Class == hashClass; });
    bool removed = end != entries.end();
    entries.erase(end, entries.end());
    return removed;
}

THashClass FindHashClass(std::string_view name) {
    std::size_t underscore = name.find('_');
    if (underscore != std::string_view::npos) name.remove_prefix(underscore + 1);
    const auto& entries = Entries();
    for (const auto& entry : entries)
        if (SameText(TrimmedClassName(entry.Class->ClassName()), name)) return entry.Class;
    for (const auto& entry : entries)
        if (SameText(NamePart(entry.Text), name)) return entry.Class;
    return nullptr;
}

std::string HashClassName(THashClass hashClass) {
    if (hashClass == nullptr) return {};
    if (const THashRegistryEntry* entry = EntryOf(hashClass))
        return std::string(NamePart(entry->Text));
    return TrimmedClassName(hashClass->ClassName());
}

std::string HashClassCategory(THashClass hashClass) {
    const THashRegistryEntry* entry = EntryOf(hashClass);
    if (entry == nullptr) return {};
    std::size_t eq = entry->Text.find('=');
    if (eq == std::string::npos) return {};
    return std::string(Trim(std::string_view(entry->Text).substr(eq + 1)));
}

THashClass DefaultHashClass() {
    return THash_RipeMD256::Class();
}

} // namespace velkor
