// The hash manager component: selection by name, hashing, the digest as bytes or text, and
// its stored property "Hash".
#include "hash/HashManager.h"

#include "base/Text.h"
#include "hash/HashRegistry.h"
#include "hash/StringFormat.h"

#include <algorithm>
#include <cctype>

namespace velkor {

THashManager::THashManager(TComponent* owner) : TComponent(owner) {}

THashManager::~THashManager() = default;

THashClass THashManager::HashClass() {
    if (FHashClass == nullptr) FHashClass = DefaultHashClass();
    return FHashClass;
}

void THashManager::SetHashClass(THashClass hashClass) {
    if (hashClass == FHashClass) return;
    FHashClass = hashClass != nullptr ? hashClass : DefaultHashClass();
    FDigest.clear();
}

std::string THashManager::Algorithm() {
    return HashClassName(HashClass());
}

void THashManager::SetAlgorithm(std::string_view name) {
    SetHashClass(FindHashClass(name));
}

std::string THashManager::Description() {
    THashClass c = HashClass();
    std::string category = HashClassCategory(c);
    if (!category.empty()) category += ", ";
    return category + std::to_string(8 * c->DigestSize()) + "bit Digestsize";
}

std::size_t THashManager::DigestSize() {
    return HashClass()->DigestSize();
}

void THashManager::HashText(BytesView data) {
    FDigest = DigestOf(HashClass(), data, nullptr, fmtCopy);
}

std::string THashManager::DigestText(std::int32_t formatId) const {
    return ToFormat(FDigest, formatId);
}

void THashManager::WriteProperties(TPropertyWriter& writer) const {
    TComponent::WriteProperties(writer);
    if (FHashClass != nullptr) writer.WriteString("Hash", FHashClass->ClassName());
}

bool THashManager::ReadProperty(std::string_view name, const TPropertyValue& value) {
    if (SameText(name, "Hash")) {
        // Only an exact class name selects; anything else leaves the selection as it was.
        for (const auto& entry : HashRegistry())
            if (entry.Class->ClassName() == value.Text) {
                SetHashClass(entry.Class);
                break;
            }
        return true;
    }
    if (SameText(name, "Algorithm")) {
        SetAlgorithm(value.Text);
        return true;
    }
    return TComponent::ReadProperty(name, value);
}

} // namespace velkor
