// The cipher registry and its start-up registrations. Only the classes this library provides
// are registered, in the order and with the names and notes of the full list.
#include "cipher/CipherRegistry.h"

#include "base/Text.h"
#include "cipher/Blowfish.h"
#include "cipher/CipherList.h"
#include "hash/StringFormat.h"

#include <algorithm>
#include <cctype>

namespace velkor {
namespace {

std::string_view NamePart(const std::string& text) {
    std::string_view t(text);
    return t.substr(0, t.find('='));
}

std::vector<TCipherRegistryEntry>& Entries() {
    static std::vector<TCipherRegistryEntry> entries = [] {
        std::vector<TCipherRegistryEntry> e;
        RegisterBuiltInCipherClasses([&e](TCipherClass c, const char* name, const char* note) {
            e.push_back({std::string(name) + "=" + note, c});
        });
        return e;
    }();
    return entries;
}

} // namespace

const std::vector<TCipherRegistryEntry>& CipherRegistry() {
    return Entries();
}

TCipherClass DefaultCipherClass() {
    return TCipher_Blowfish::Class();
}

bool AddCipherClass(TCipherClass cipherClass, std::string_view name, std::string_view note) {
    if (cipherClass == nullptr) return false;
    std::string display(Trim(name));
    if (display.empty()) {
        std::string className = cipherClass->ClassName();
        if (!className.empty() && className[0] == 'T') className.erase(0, 1);
        display = TrimmedClassName(className);
    }
    std::string text = display + "=" + std::string(note);
    auto& entries = Entries();
    auto it = std::find_if(entries.begin(), entries.end(),
                           [&](const TCipherRegistryEntry& e) { return e.Class == cipherClass; });
    if (it != entries.end())
        it->Text = std::move(text);
    else
        entries.push_back({std::move(text), cipherClass});
    return true;
}

bool RemoveCipherClass(TCipherClass cipherClass) {
    auto& entries = Entries();
    auto before = entries.size();
    std::erase_if(entries, [&](const TCipherRegistryEntry& e) { return e.Class == cipherClass; });
    return entries.size() != before;
}

TCipherClass FindCipherClass(std::string_view name) {
    std::string_view key = name;
    if (auto u = key.find('_'); u != std::string_view::npos) key.remove_prefix(u + 1);
    const auto& entries = Entries();
    for (const auto& e : entries)
        if (SameText(key, TrimmedClassName(e.Class->ClassName()))) return e.Class;
    for (const auto& e : entries)
        if (SameText(key, NamePart(e.Text))) return e.Class;
    return nullptr;
}

std::string CipherClassName(TCipherClass cipherClass) {
    if (cipherClass == nullptr) return {};
    for (const auto& e : Entries())
        if (e.Class == cipherClass) return std::string(NamePart(e.Text));
    return TrimmedClassName(cipherClass->ClassName());
}

std::string CipherClassNote(TCipherClass cipherClass) {
    for (const auto& e : Entries()) {
        if (e.Class != cipherClass) continue;
        std::string_view t = Trim(e.Text);
        auto eq = t.find('=');
        return eq == std::string_view::npos ? std::string() : std::string(t.substr(eq + 1));
    }
    return {};
}

} // namespace velkor
